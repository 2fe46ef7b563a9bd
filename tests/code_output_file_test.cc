// Replacing an output file: the user's file is swapped whole for the new one. (Failures: the
// file-system fault cases run every writer against them.)
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "code/output_file.h"
#include "tests/support/test_support.h"

using testing_support::read_file;

TEST(OutputFile, ReplacesTheFileOrALinksTargetKeepingPermissionsAndNoTemporaryFile) {
    testing_support::TempDir dir;
    const std::string path = dir.file("out.txt"), link = dir.file("link.txt");
    ASSERT_TRUE(write_output_file(path.c_str(), "first").ok);
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    output_result r = write_output_file(path.c_str(), "second, longer");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(output_failure_message(r), "");
    EXPECT_EQ(read_file(path), "second, longer");
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    ASSERT_EQ(symlink("out.txt", link.c_str()), 0);
    ASSERT_TRUE(write_output_file(link.c_str(), "through the link").ok);
    char target[64] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "out.txt");
    EXPECT_EQ(read_file(path), "through the link");
    std::string listing;
    testing_support::run_command("LC_ALL=C ls -A '" + dir.path() + "'", &listing);
    EXPECT_EQ(listing, "link.txt\nout.txt\n");
}
