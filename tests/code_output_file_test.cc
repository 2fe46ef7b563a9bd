#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "code/output_file.h"
#include "tests/support/test_support.h"

using testing_support::file_exists;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

TEST(OutputFile, CreatesReplacesAndKeepsPermissions) {
    TempDir dir;
    std::string path = dir.file("out.txt");
    output_result r = write_output_file(path.c_str(), "first");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(read_file(path), "first");

    chmod(path.c_str(), 0640);
    r = write_output_file(path.c_str(), "second, longer");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(read_file(path), "second, longer");
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(output_failure_message(r), "");

    // No temporary file is left behind.
    std::string listing;
    testing_support::run_command("ls -A '" + dir.path() + "'", &listing);
    EXPECT_EQ(listing, "out.txt\n");
}

TEST(OutputFile, SymbolicLinkKeepsPointingAndItsTargetIsReplaced) {
    TempDir dir;
    std::string target = dir.file("real.txt");
    std::string link = dir.file("link.txt");
    write_file(target, "old");
    ASSERT_EQ(symlink("real.txt", link.c_str()), 0);
    ASSERT_TRUE(write_output_file(link.c_str(), "new").ok);
    char buf[64] = {};
    ASSERT_GT(readlink(link.c_str(), buf, sizeof buf - 1), 0);
    EXPECT_STREQ(buf, "real.txt");
    EXPECT_EQ(read_file(target), "new");
}

TEST(OutputFile, FailuresAreReportedAndNothingIsLost) {
    TempDir dir;
    output_result r = write_output_file(dir.path().c_str(), "x");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(output_failure_message(r), "Can't open file!\n");

    r = write_output_file(dir.file("missing/out.txt").c_str(), "x");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.opened);

    r = write_output_file("", "x");
    EXPECT_FALSE(r.ok);

    r = write_output_file("/dev/full", "some text");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.opened);
    EXPECT_EQ(output_failure_message(r).rfind("Can't write file! (", 0), 0u);

    // A FIFO without a reader fails at once instead of hanging.
    std::string fifo = dir.file("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    r = write_output_file(fifo.c_str(), "x");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(file_exists(fifo));
}

TEST(OutputFile, ReadOnlyFileIsRefusedAndKept) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write read-only files";
    TempDir dir;
    std::string path = dir.file("ro.txt");
    write_file(path, "keep me");
    chmod(path.c_str(), 0444);
    output_result r = write_output_file(path.c_str(), "x");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(read_file(path), "keep me");
}
