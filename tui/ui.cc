#include "tui/ui.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

const ui_backend* backend = nullptr;
headless_log* log_sink = nullptr;

void headless(std::string headless_log::*field, const char* text, FILE* stream) {
    if (!text) return;
    if (log_sink) {
        (log_sink->*field) += text;
    } else if (stream) {
        fputs(text, stream);
        fflush(stream);
    }
}

} // namespace

const ui_backend* set_ui_backend(const ui_backend* b) {
    const ui_backend* old = backend;
    backend = b;
    return old;
}

headless_log* set_headless_log(headless_log* log) {
    headless_log* old = log_sink;
    log_sink = log;
    return old;
}

void bodymsg(const char* text) {
    if (backend && backend->body) backend->body(text ? text : "");
    else headless(&headless_log::body, text, stdout);
}

void bodymsgf(const char* format, ...) {
    char small[256];
    va_list args;
    va_start(args, format);
    int needed = vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (needed < 0) return;
    if (static_cast<size_t>(needed) < sizeof small) {
        bodymsg(small);
        return;
    }
    std::vector<char> big(static_cast<size_t>(needed) + 1);
    va_start(args, format);
    vsnprintf(big.data(), big.size(), format, args);
    va_end(args);
    bodymsg(big.data());
}

void statusmsg(const char* text) {
    if (backend && backend->status) backend->status(text ? text : "");
    else headless(&headless_log::status, text, nullptr);
}

void errormsg(const char* text) {
    if (backend && backend->error) backend->error(text ? text : "");
    else headless(&headless_log::error, text, stderr);
}

void titlemsg(const char* text) {
    if (backend && backend->title) backend->title(text ? text : "");
    else headless(&headless_log::title, text, nullptr);
}

int getstrings(const char* const* labels, char** values, int field) {
    if (!labels || !values) return 27;
    if (backend && backend->form) return backend->form(labels, values, field);
    return 27;
}

char* getfname(const char* prompt, char* buffer, int field) {
    const char* labels[] = {prompt, nullptr};
    char* values[] = {buffer};
    return getstrings(labels, values, field) == 27 ? nullptr : buffer;
}

bool getlongtext(const char* prompt, std::string& text, int field, int capacity) {
    if (capacity < 0) capacity = 0;
    std::vector<char> buffer(static_cast<size_t>(capacity) + 1, '\0');
    text.copy(buffer.data(), std::min(text.size(), static_cast<size_t>(capacity)));
    const char* labels[] = {prompt, nullptr};
    char* values[] = {buffer.data()};
    const int result = backend && backend->long_form
                           ? backend->long_form(labels, values, field, capacity)
                           : getstrings(labels, values, field);
    if (result == 27) return false;
    text = buffer.data();
    return true;
}

bool user_cancelled() {
    return backend && backend->cancel && backend->cancel();
}

void progressmsg(const char* what, int percent) {
    if (backend && backend->progress) {
        backend->progress(what ? what : "", percent);
        return;
    }
    char text[320];
    snprintf(text, sizeof text, "%.300s: %i%%", what ? what : "", percent);
    statusmsg(text);
}
