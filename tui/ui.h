// The part of the user interface that commands, writers and the model may use: messages,
// prompts and a cancel poll. No curses here; the screen plugs itself in as a back end, and
// before it does (tests, tools) messages go to a headless log or to standard output.
#pragma once

#include <string>

// Appends text (with its own line ends) to the message pane.
void bodymsg(const char* text);
// printf-style bodymsg; the text is formatted into a buffer sized to fit.
void bodymsgf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Writes the status line, the error line (with a beep) and the title line.
void statusmsg(const char* text);
void errormsg(const char* text);
void titlemsg(const char* text);

// Runs a form of labelled fields (labels end with a null pointer), editing each caller's
// buffer in place in a field `field` columns wide (at most field - 1 bytes); returns 27
// when the user left with Esc, otherwise the key that ended the last field. Without a screen
// and without a scripted back end it returns 27: there is nobody to ask.
int getstrings(const char* const* labels, char** values, int field);
// One-field form; returns `buffer`, or null when the user pressed Esc.
char* getfname(const char* prompt, char* buffer, int field);
// One-field form for a text that may be longer than its field (a code typed by hand): the
// field, `field` columns wide, scrolls sideways and the text keeps at most `capacity` bytes.
// False when the user pressed Esc; the text is then as it was.
bool getlongtext(const char* prompt, std::string& text, int field, int capacity);

// True when the user asked to stop a long computation (Esc); never blocks.
bool user_cancelled();
// Shows how far a long computation got, `percent` of it done: on the screen's status line with
// the key that stops it, headless as a status text "<what>: <percent>%".
void progressmsg(const char* what, int percent);

// The screen, or a test, provides these. Any null member falls back to the headless behaviour.
struct ui_backend {
    void (*body)(const char* text);
    void (*status)(const char* text);
    void (*error)(const char* text);
    void (*title)(const char* text);
    int (*form)(const char* const* labels, char** values, int field);
    bool (*cancel)();
    void (*progress)(const char* what, int percent);
    // A form whose texts hold up to `capacity` bytes; without it, getlongtext uses `form`.
    int (*long_form)(const char* const* labels, char** values, int field, int capacity);
};
// Installs a back end (null: headless). Returns the previous one.
const ui_backend* set_ui_backend(const ui_backend* backend);

// Headless log: when set, headless messages are appended here instead of standard output.
struct headless_log {
    std::string body;
    std::string status;
    std::string error;
    std::string title;
};
// Installs a headless log (null: body text to standard output). Returns the previous one.
headless_log* set_headless_log(headless_log* log);

// Returns a buffer of exactly `width` characters: text cut or padded with spaces. The buffer
// is shared and valid until the next call; it has room for prepad to add a few places.
char* padstr(const char* text, int width);
// Moves text `count` places right in place and fills them with spaces (count <= 0: unchanged).
// The caller provides the room.
char* prepad(char* text, int count);
