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

// Reads a stream to its end, refusing more than a code file may hold.
static code_file_text read_stream(int fd) {
    code_file_text r;
    char chunk[65536];
    for (;;) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return failed(read_status::read_error, errno);
        if (n == 0) break;
        if (static_cast<int64_t>(r.text.size()) + n > max_code_file_size) {
            r.status = read_status::too_large;
            r.text.clear();
            return r;
        }
        try {
            r.text.append(chunk, static_cast<size_t>(n));
        } catch (const std::bad_alloc&) {
            return failed(read_status::no_memory, 0);
        }
    }
    r.size = static_cast<int64_t>(r.text.size());
    r.status = read_status::ok;
    return r;
}

code_file_text read_code_file(const char* path) {
    if (!path || !*path) return failed(read_status::cant_open, ENOENT);
    if (dash_is_standard_stream(path)) return read_stream(STDIN_FILENO);
    // Non-blocking, so that opening a FIFO without a writer returns at once.
    fd_guard file{open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) return failed(read_status::cant_open, errno);

    struct stat st;
    if (fstat(file.fd, &st) != 0) return failed(read_status::read_error, errno);
    if (!S_ISREG(st.st_mode)) return failed(read_status::not_regular, 0);

    code_file_text r;
    r.size = static_cast<int64_t>(st.st_size);
    if (r.size > max_code_file_size) {
        r.status = read_status::too_large;
        return r;
    }
    try {
        r.text.resize(static_cast<size_t>(r.size));
    } catch (const std::bad_alloc&) {
        r.status = read_status::no_memory;
        return r;
    }

    size_t done = 0;
    while (done < r.text.size()) {
        ssize_t n = read(file.fd, &r.text[done], r.text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            r.status = read_status::read_error;
            r.error = errno;
            r.text.clear();
            return r;
        }
        if (n == 0) break; // the file shrank since fstat
        done += static_cast<size_t>(n);
    }
    r.text.resize(done);
    r.status = read_status::ok;
    return r;
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
