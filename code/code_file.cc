#include "code/code_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "code/decoder.h"

namespace {

code_file_text failed(read_status status, int error) {
    code_file_text r;
    r.status = status;
    r.error = error;
    return r;
}

// Closes the descriptor on every way out.
struct fd_guard {
    int fd;
    ~fd_guard() {
        if (fd >= 0) close(fd);
    }
};

} // namespace

namespace {

// Reads a descriptor to its end, whatever size the file reports (files of the kernel report 0
// and still have content, and a file may grow while it is read), but never past the largest
// size Load accepts. `expected` only sizes the first allocation.
code_file_text read_to_end(int fd, size_t expected) {
    code_file_text r;
    try {
        r.text.resize(expected + 1 < 4096 ? 4096 : expected + 1);
        size_t done = 0;
        for (;;) {
            if (done == r.text.size()) {
                if (static_cast<int64_t>(done) > max_code_file_size) {
                    r.size = static_cast<int64_t>(done);
                    r.status = read_status::too_large;
                    r.text.clear();
                    return r;
                }
                r.text.resize(done + (done < (size_t{1} << 30) ? done : size_t{1} << 30));
            }
            ssize_t n = read(fd, &r.text[done], r.text.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return failed(read_status::read_error, errno);
            }
            if (n == 0) break;
            done += static_cast<size_t>(n);
        }
        r.text.resize(done);
    } catch (const std::bad_alloc&) {
        r = failed(read_status::no_memory, 0);
        r.size = static_cast<int64_t>(expected);
        return r;
    }
    r.size = static_cast<int64_t>(r.text.size());
    r.status = read_status::ok;
    return r;
}

} // namespace

code_file_text read_code_file(const char* path) {
    if (!path || !*path) return failed(read_status::cant_open, ENOENT);
    if (dash_is_standard_stream(path)) return read_to_end(STDIN_FILENO, 0);
    // Non-blocking, so that opening a FIFO without a writer returns at once.
    fd_guard file{open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) return failed(read_status::cant_open, errno);

    struct stat st;
    if (fstat(file.fd, &st) != 0) return failed(read_status::read_error, errno);
    if (!S_ISREG(st.st_mode)) return failed(read_status::not_regular, 0);
    if (st.st_size > max_code_file_size) {
        code_file_text r = failed(read_status::too_large, 0);
        r.size = static_cast<int64_t>(st.st_size);
        return r;
    }
    return read_to_end(file.fd, static_cast<size_t>(st.st_size));
}

output_result save_code_file(const int* runs, const char* path) {
    std::string contents;
    try {
        contents = format_runlist(runs);
    } catch (const std::bad_alloc&) {
        output_result r;
        r.opened = true; // reported as a failed write, with its reason
        r.error = ENOMEM;
        return r;
    }
    return write_output_file(path, contents);
}
