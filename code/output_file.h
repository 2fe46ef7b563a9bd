// Writing a finished output file without ever leaving a half-written one where the user's
// file was. Every writer formats its whole file into a string and hands it here.
#pragma once

#include <sys/stat.h>

#include <string>

struct output_result {
    bool ok = false;
    bool opened = false; // false: the file could not be opened or created
    int error = 0;       // errno of the failure; ECANCELED when the user stopped the write
};

// One output file, opened before the long work of formatting it begins, so that a destination
// that cannot be written is reported at once, and written whole by commit().
// - A new file, or a regular file we own, is written to a temporary file beside it that is
//   renamed into place only after a successful close, keeping the old file's permissions.
//   The temporary file goes when the object does, and remove_pending_output() removes it if
//   the program is ended first.
// - A regular file that a rename would take from its owner or group (another user's file in a
//   shared directory), or one in a directory where no temporary file can be made, is written
//   in place: after the text is complete, with signals held off, in one write over the same
//   file (checked to be the regular file it was, not a link), then cut to length.
// - A symbolic link keeps pointing where it pointed; its target is written.
// - A FIFO or a device is written as it is, without ever blocking: a FIFO without a reader is
//   refused, one whose reader stopped reading waits for it (the user may stop the wait), and
//   one whose reader went away is a failed write, never a SIGPIPE.
class output_file {
  public:
    explicit output_file(const char* path);
    ~output_file();
    output_file(const output_file&) = delete;
    output_file& operator=(const output_file&) = delete;

    // How the opening went: ok when the file can be written; otherwise why not.
    const output_result& opened() const { return result_; }
    // Writes `contents` and puts the file in place; call once. On any failure the user's file
    // is left as it was (a FIFO or device keeps what it was sent). Long writes show their
    // progress and stop when the user asks, failing with ECANCELED.
    output_result commit(const std::string& contents);

  private:
    enum class way { none, replace, in_place, stream };
    void drop_temporary();
    output_result replace(const std::string& contents);
    output_result write_in_place(const std::string& contents);
    output_result write_stream(const std::string& contents);

    std::string shown_;  // the path as the user gave it
    std::string target_; // the file at the end of any symbolic links
    way way_ = way::none;
    int fd_ = -1;
    int slot_ = -1; // the temporary file's place in the pending list
    struct stat old_ {};
    bool exists_ = false;
    mode_t mode_ = 0;
    output_result result_;
};

// Opens and commits in one step.
output_result write_output_file(const char* path, const std::string& contents);

// Lets a front end name the standard streams "-": write_output_file then writes "-" to
// standard output and read_code_file reads it from standard input. Off by default, so that
// in the interactive program "-" is a file name like any other.
void use_dash_for_standard_streams(bool on);
bool dash_is_standard_stream(const char* path);

// The message-pane line for a failed write: "Can't open file!\n" when it could not be opened,
// the stop line when the user stopped it, otherwise "Can't write file! (<reason>)\n". Empty
// when the write succeeded.
std::string output_failure_message(const output_result& result);

// The message-pane line for an export the user stopped.
extern const char* const stopped_message;

// True when the two paths name one file, whether or not it exists yet: symbolic links are
// followed (also a link to a file not yet created), "." and ".." resolved, existing files
// compared by identity.
bool same_file(const char* a, const char* b);

// Removes the temporary file of a write in progress, if any. Async-signal-safe: signal
// handlers call it before the program ends.
void remove_pending_output();
