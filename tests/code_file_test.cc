#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "code/code_file.h"
#include "tests/support/test_support.h"

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

TEST(CodeFile, ReadsARegularFileWhole) {
    TempDir dir;
    std::string path = dir.file("code.stgc");
    write_file(path, std::string("10,3\0,5", 7));
    code_file_text file = read_code_file(path.c_str());
    ASSERT_EQ(file.status, read_status::ok);
    EXPECT_EQ(file.size, 7);
    EXPECT_EQ(file.text, std::string("10,3\0,5", 7));

    write_file(path, "");
    file = read_code_file(path.c_str());
    ASSERT_EQ(file.status, read_status::ok);
    EXPECT_EQ(file.size, 0);
    EXPECT_EQ(file.text, "");
}

TEST(CodeFile, RefusesWhatIsNotARegularReadableFile) {
    TempDir dir;
    EXPECT_EQ(read_code_file(dir.file("missing").c_str()).status, read_status::cant_open);
    EXPECT_EQ(read_code_file("").status, read_status::cant_open);
    EXPECT_EQ(read_code_file(nullptr).status, read_status::cant_open);
    EXPECT_EQ(read_code_file(dir.path().c_str()).status, read_status::not_regular);
    EXPECT_EQ(read_code_file("/dev/null").status, read_status::not_regular);
    EXPECT_EQ(read_code_file("/dev/zero").status, read_status::not_regular);

    // A FIFO without a writer must neither hang nor be read.
    std::string fifo = dir.file("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    code_file_text file = read_code_file(fifo.c_str());
    EXPECT_EQ(file.status, read_status::not_regular);
    EXPECT_EQ(file.size, -1);

    if (geteuid() != 0) { // root reads files whatever their mode
        std::string locked = dir.file("locked.stgc");
        write_file(locked, "3,3");
        ASSERT_EQ(chmod(locked.c_str(), 0), 0);
        EXPECT_EQ(read_code_file(locked.c_str()).status, read_status::cant_open);
    }
}

TEST(CodeFile, RefusesAFileAboveAThirtyTwoBitCountWithoutReadingIt) {
    TempDir dir;
    std::string path = dir.file("huge.stgc");
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    // Sparse: no disk space is used.
    ASSERT_EQ(ftruncate(fd, int64_t{3} << 30), 0);
    close(fd);
    code_file_text file = read_code_file(path.c_str());
    EXPECT_EQ(file.status, read_status::too_large);
    EXPECT_EQ(file.size, int64_t{3} << 30);
    EXPECT_TRUE(file.text.empty());

    ASSERT_EQ(truncate(path.c_str(), max_code_file_size + 1), 0);
    EXPECT_EQ(read_code_file(path.c_str()).status, read_status::too_large);
}

// Address space limits and the address sanitizer's shadow memory do not mix.
#if defined(__SANITIZE_ADDRESS__)
#define UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UNDER_ASAN 1
#endif
#endif

#ifndef UNDER_ASAN
TEST(CodeFile, AFileThatDoesNotFitMemoryIsReportedNotRead) {
    TempDir dir;
    std::string path = dir.file("big.stgc");
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, int64_t{1536} << 20), 0); // 1.5 GiB, sparse
    close(fd);
    // In a child limited to 512 MiB of address space the buffer cannot be had.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        struct rlimit limit = {rlim_t{512} << 20, rlim_t{512} << 20};
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(2);
        code_file_text file = read_code_file(path.c_str());
        _exit(file.status == read_status::no_memory && file.size == (int64_t{1536} << 20) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif

TEST(CodeFile, SaveWritesTheTextFormAndReportsFailures) {
    TempDir dir;
    std::string path = dir.file("out.stgc");
    int runs[] = {10, 3, 5, 0};
    ASSERT_TRUE(save_code_file(runs, path.c_str()).ok);
    EXPECT_EQ(read_file(path), "10,3,5");

    int empty[] = {0};
    ASSERT_TRUE(save_code_file(empty, path.c_str()).ok);
    EXPECT_EQ(read_file(path), "");
    EXPECT_TRUE(testing_support::file_exists(path));

    output_result r = save_code_file(runs, "/dev/full");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(output_failure_message(r), "Can't write file! (No space left on device)\n");

    r = save_code_file(runs, dir.file("no/such/dir/out.stgc").c_str());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(output_failure_message(r), "Can't open file!\n");
}
