#include "code/output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "code/progress.h"

const char* const stopped_message = "Stopped: the file was not written\n";

namespace {

// Temporary files being written, for remove_pending_output. A signal handler reads the list,
// so a slot is claimed and released only by setting `used`, and filled while signals wait.
struct pending_slot {
    volatile sig_atomic_t used;
    char path[PATH_MAX];
};
pending_slot pending[4];

// Holds off every signal that can be held while it lives.
struct signals_held {
    sigset_t before;
    signals_held() {
        sigset_t all;
        sigfillset(&all);
        sigprocmask(SIG_BLOCK, &all, &before);
    }
    ~signals_held() { sigprocmask(SIG_SETMASK, &before, nullptr); }
};

// Makes a temporary file from `templ` and enters it in the pending list in one step that no
// signal can split. Returns the slot, or -1 with errno set.
int make_temporary(const std::string& templ, int* fd) {
    *fd = -1;
    if (templ.size() >= PATH_MAX) {
        errno = ENAMETOOLONG;
        return -1;
    }
    signals_held held;
    for (int slot = 0; slot < static_cast<int>(sizeof pending / sizeof pending[0]); ++slot) {
        if (pending[slot].used) continue;
        memcpy(pending[slot].path, templ.c_str(), templ.size() + 1);
        *fd = mkostemp(pending[slot].path, O_CLOEXEC);
        if (*fd < 0) return -1;
        pending[slot].used = 1;
        return slot;
    }
    errno = EMFILE;
    return -1;
}

output_result failure(bool opened, int error) {
    output_result r;
    r.opened = opened;
    r.error = error ? error : EIO;
    return r;
}

output_result success() {
    output_result r;
    r.ok = r.opened = true;
    return r;
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

// The absolute name of the file a path leads to, links followed, also when the file does not
// exist yet; the path itself when its directory cannot be found.
std::string canonical_name(const char* path) {
    const std::string file = resolve_links(path);
    const size_t slash = file.rfind('/');
    const std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
    std::string dir = slash == std::string::npos ? "." : file.substr(0, slash + 1);
    if (base.empty() || base == "." || base == "..") dir = file;
    char* real = realpath(dir.c_str(), nullptr);
    if (!real) return file;
    std::string name = real;
    free(real);
    if (dir == file) return name;
    return (name == "/" ? "" : name) + "/" + base;
}

// Writes all of `contents` to a descriptor, in pieces so that a long write shows its progress
// and can be stopped; with `stream`, a full pipe or device is waited for without blocking.
bool write_all(int fd, const std::string& contents, progress& meter, bool stream, int* error) {
    constexpr size_t piece = size_t{1} << 20;
    size_t done = 0;
    while (done < contents.size()) {
        const size_t length = contents.size() - done < piece ? contents.size() - done : piece;
        ssize_t n = write(fd, contents.data() + done, length);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EAGAIN && stream) {
            struct pollfd ready = {fd, POLLOUT, 0};
            poll(&ready, 1, 50);
        } else if (n == 0 || errno != EINTR) {
            *error = n == 0 ? EIO : errno;
            return false;
        }
        meter.at(done);
    }
    return true;
}

// Holds SIGPIPE off while a stream is written, so a reader that went away gives EPIPE, and
// swallows the SIGPIPE that such a write raised.
struct sigpipe_held {
    sigset_t pipe_only, before;
    bool was_pending = false;
    sigpipe_held() {
        sigemptyset(&pipe_only);
        sigaddset(&pipe_only, SIGPIPE);
        sigset_t waiting;
        sigpending(&waiting);
        was_pending = sigismember(&waiting, SIGPIPE) == 1;
        sigprocmask(SIG_BLOCK, &pipe_only, &before);
    }
    ~sigpipe_held() {
        struct timespec none = {0, 0};
        if (!was_pending) sigtimedwait(&pipe_only, nullptr, &none);
        sigprocmask(SIG_SETMASK, &before, nullptr);
    }
};

bool dash_streams = false;

} // namespace

void use_dash_for_standard_streams(bool on) { dash_streams = on; }

bool dash_is_standard_stream(const char* path) {
    return dash_streams && path && strcmp(path, "-") == 0;
}

output_file::output_file(const char* path) {
    if (!path || !*path) {
        result_ = failure(false, ENOENT);
        return;
    }
    if (dash_is_standard_stream(path)) {
        // A copy, so that standard output stays open for what the front end prints after it.
        shown_ = "standard output";
        fd_ = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
        result_ = fd_ < 0 ? failure(false, errno) : success();
        way_ = fd_ < 0 ? way::none : way::stream;
        return;
    }
    shown_ = path;
    target_ = resolve_links(path);
    exists_ = stat(target_.c_str(), &old_) == 0;
    // Only a missing file may be created; a loop of links (or a path that cannot be searched)
    // must not be replaced by a new file.
    if (!exists_ && errno != ENOENT) {
        result_ = failure(false, errno);
        return;
    }
    if (exists_ && S_ISDIR(old_.st_mode)) {
        result_ = failure(false, EISDIR);
        return;
    }
    if (exists_ && !S_ISREG(old_.st_mode)) {
        // Non-blocking: a FIFO without a reader fails at once instead of hanging.
        fd_ = open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            result_ = failure(false, errno);
            return;
        }
        way_ = way::stream;
        result_ = success();
        return;
    }
    if (exists_ && access(target_.c_str(), W_OK) != 0) {
        result_ = failure(false, errno);
        return;
    }

    const size_t slash = target_.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    // The temporary name is kept within the longest name a directory entry may have.
    slot_ = make_temporary(dir + "." + base.substr(0, 200) + ".XXXXXX", &fd_);
    if (slot_ < 0) {
        // No room for a temporary file beside it (a read-only directory holding a writable
        // file): the only way left is to write the file itself.
        if (!exists_) {
            result_ = failure(false, errno);
            return;
        }
        way_ = way::in_place;
    } else if (exists_ && fchown(fd_, old_.st_uid, old_.st_gid) != 0) {
        // A rename would hand the file to us (or to our group): write it in place instead.
        drop_temporary();
        way_ = way::in_place;
    } else {
        way_ = way::replace;
        if (exists_) {
            mode_ = old_.st_mode & 07777;
        } else {
            mode_t mask = umask(0);
            umask(mask);
            mode_ = 0666 & ~mask;
        }
    }
    result_ = success();
}

output_file::~output_file() {
    drop_temporary();
    if (fd_ >= 0) close(fd_);
}

void output_file::drop_temporary() {
    if (slot_ < 0) return;
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    unlink(pending[slot_].path);
    pending[slot_].used = 0;
    slot_ = -1;
}

output_result output_file::commit(const std::string& contents) {
    if (!result_.ok || way_ == way::none) return result_;
    const way chosen = way_;
    way_ = way::none;
    try {
        switch (chosen) {
        case way::replace:
            result_ = replace(contents);
            break;
        case way::in_place:
            result_ = write_in_place(contents);
            break;
        case way::stream:
            result_ = write_stream(contents);
            break;
        case way::none:
            break;
        }
    } catch (const work_stopped&) {
        result_ = failure(true, ECANCELED);
    }
    drop_temporary();
    return result_;
}

output_result output_file::replace(const std::string& contents) {
    progress meter("Writing " + shown_, contents.size());
    int error = 0;
    bool ok = write_all(fd_, contents, meter, false, &error);
    if (ok && fchmod(fd_, mode_) != 0) {
        ok = false;
        error = errno;
    }
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(pending[slot_].path, target_.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) return failure(true, error);
    pending[slot_].used = 0; // renamed: nothing left to remove
    slot_ = -1;
    return success();
}

// The old contents are replaced only when the whole new text is at hand, the file is still the
// regular file that was checked, and the room for it is there. The write and the cut to length
// run with signals held, so that a signal cannot end the program halfway through.
output_result output_file::write_in_place(const std::string& contents) {
    int fd = open(target_.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failure(false, errno);
    struct stat now;
    if (fstat(fd, &now) != 0 || !S_ISREG(now.st_mode) || now.st_dev != old_.st_dev ||
        now.st_ino != old_.st_ino) {
        close(fd);
        return failure(false, EBUSY); // replaced by something else meanwhile
    }
    const off_t size = static_cast<off_t>(contents.size());
    struct rlimit largest;
    int error = 0;
    if (getrlimit(RLIMIT_FSIZE, &largest) == 0 && largest.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(size) > largest.rlim_cur)
        error = EFBIG;
    else if (size > 0 && fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP &&
             errno != ENOSYS)
        error = errno;
    if (error == 0) {
        signals_held held;
        for (off_t done = 0; done < size && error == 0;) {
            ssize_t n = pwrite(fd, contents.data() + done, static_cast<size_t>(size - done), done);
            if (n > 0)
                done += n;
            else if (n == 0 || errno != EINTR)
                error = n == 0 ? EIO : errno;
        }
        if (error == 0 && ftruncate(fd, size) != 0) error = errno;
        if (error == 0 && (fstat(fd, &now) != 0 || now.st_size != size)) error = EIO;
    }
    if (close(fd) != 0 && error == 0) error = errno;
    return error ? failure(true, error) : success();
}

output_result output_file::write_stream(const std::string& contents) {
    progress meter("Writing " + shown_, contents.size());
    int error = 0;
    bool ok;
    {
        sigpipe_held held;
        ok = write_all(fd_, contents, meter, true, &error);
    }
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    return ok ? success() : failure(true, error);
}

output_result write_output_file(const char* path, const std::string& contents) {
    output_file file(path);
    return file.commit(contents);
}

std::string output_failure_message(const output_result& result) {
    if (result.ok) return "";
    if (!result.opened) return "Can't open file!\n";
    if (result.error == ECANCELED) return stopped_message;
    return std::string("Can't write file! (") + strerror(result.error) + ")\n";
}

bool same_file(const char* a, const char* b) {
    if (!a || !b) return false;
    struct stat sa, sb;
    if (stat(a, &sa) == 0 && stat(b, &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return canonical_name(a) == canonical_name(b);
}

void remove_pending_output() {
    for (pending_slot& slot : pending) {
        if (!slot.used) continue;
        unlink(slot.path);
        slot.used = 0;
    }
}
