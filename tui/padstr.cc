#include <cstring>
#include <vector>

#include "tui/ui.h"

namespace {
// Spare room at the end of padstr's buffer, so that prepad can shift a result right.
constexpr size_t prepad_room = 16;
}

char* padstr(const char* text, int width) {
    // One shared buffer that grows with the widest request, so wide terminals are neither
    // cut nor overflowed; it never shrinks, so callers may hold a result until the next call.
    static std::vector<char> buf(256 + prepad_room);
    if (width < 0) width = 0;
    if (!text) text = "";
    size_t need = static_cast<size_t>(width) + 1 + prepad_room;
    if (buf.size() < need) buf.resize(need);
    size_t len = strnlen(text, static_cast<size_t>(width));
    memcpy(buf.data(), text, len);
    memset(buf.data() + len, ' ', static_cast<size_t>(width) - len);
    buf[static_cast<size_t>(width)] = '\0';
    return buf.data();
}

char* prepad(char* text, int count) {
    if (!text || count <= 0) return text;
    size_t len = strlen(text);
    memmove(text + count, text, len + 1);
    memset(text, ' ', static_cast<size_t>(count));
    return text;
}
