#include "code/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

output_result failure(bool opened, int error) {
    output_result r;
    r.opened = opened;
    r.error = error ? error : EIO;
    return r;
}

bool write_all(int fd, const std::string& contents, int* error) {
    const char* p = contents.data();
    size_t left = contents.size();
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            *error = errno;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// The file a chain of symbolic links ends at (the path itself when it is no link).
std::string resolve_links(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 2);
        ssize_t n = readlink(current.c_str(), target.data(), target.size() - 1);
        if (n < 0) return current;
        std::string next(target.data(), static_cast<size_t>(n));
        if (next.empty() || next[0] != '/') {
            size_t slash = current.rfind('/');
            if (slash != std::string::npos) next = current.substr(0, slash + 1) + next;
        }
        current = next;
    }
    return current;
}

// Writes all of contents to an open descriptor and closes it, reporting the first failure.
output_result write_and_close(int fd, const std::string& contents) {
    int error = 0;
    bool ok = write_all(fd, contents, &error);
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) return failure(true, error);
    output_result r;
    r.ok = r.opened = true;
    return r;
}

// Writes straight into an existing FIFO or device; O_NONBLOCK keeps a FIFO without a reader
// from hanging the program.
output_result write_in_place(const std::string& path, const std::string& contents) {
    int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failure(false, errno);
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return write_and_close(fd, contents);
}

// Writes a regular file by truncating it, for when no temporary file can be made beside it.
output_result write_truncating(const std::string& path, const std::string& contents) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return failure(false, errno);
    return write_and_close(fd, contents);
}

bool dash_streams = false;

} // namespace

bool same_file(const char* a, const char* b) {
    const std::string ra = resolve_links(a), rb = resolve_links(b);
    if (ra == rb) return true;
    struct stat sa, sb;
    return stat(ra.c_str(), &sa) == 0 && stat(rb.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

void remove_pending_output() {}

void use_dash_for_standard_streams(bool on) {
    dash_streams = on;
}

bool dash_is_standard_stream(const char* path) {
    return dash_streams && path && strcmp(path, "-") == 0;
}

output_result write_output_file(const char* path_text, const std::string& contents) {
    if (!path_text || !*path_text) return failure(false, ENOENT);
    if (dash_is_standard_stream(path_text)) {
        // Standard output stays open for whatever the front end prints after the file.
        int error = 0;
        if (!write_all(STDOUT_FILENO, contents, &error)) return failure(true, error);
        output_result r;
        r.ok = r.opened = true;
        return r;
    }
    const std::string path = resolve_links(path_text);

    struct stat st;
    bool exists = stat(path.c_str(), &st) == 0;
    // Only a missing file may be created; a loop of links (or a path that cannot be searched)
    // must not be replaced by a new file.
    if (!exists && errno != ENOENT) return failure(false, errno);
    if (exists && S_ISDIR(st.st_mode)) return failure(false, EISDIR);
    if (exists && !S_ISREG(st.st_mode)) return write_in_place(path, contents);
    if (exists && access(path.c_str(), W_OK) != 0) return failure(false, errno);

    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string templ = (slash == std::string::npos ? "" : dir) + "." + base + ".XXXXXX";
    std::vector<char> temp(templ.begin(), templ.end());
    temp.push_back('\0');

    int fd = mkstemp(temp.data());
    if (fd < 0) {
        // No room for a temporary file beside it (a read-only directory holding a writable
        // file): the only way left is to write the file itself.
        if (exists) return write_truncating(path, contents);
        return failure(false, errno);
    }
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Not the owner: the new file keeps our ownership, as a plain rewrite would not,
            // but the permissions still carry over below.
        }
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    int error = 0;
    bool ok = write_all(fd, contents, &error);
    if (ok && fchmod(fd, mode) != 0) {
        ok = false;
        error = errno;
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temp.data(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temp.data());
        return failure(true, error);
    }
    output_result r;
    r.ok = r.opened = true;
    return r;
}

std::string output_failure_message(const output_result& result) {
    if (result.ok) return "";
    if (!result.opened) return "Can't open file!\n";
    return std::string("Can't write file! (") + strerror(result.error) + ")\n";
}
