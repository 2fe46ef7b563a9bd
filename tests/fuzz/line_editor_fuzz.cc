// Fuzzes the line editor's key handling: a field width, the terminal's erase and kill
// characters, bytes or UTF-8 characters, a default text and a storm of keys. After every key
// the text fits the field, the cursor lies within it (between characters), typing only ever
// adds printable characters, and each key does what it is for; Esc brings back the text the
// field started with.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/fuzz_check.h"
#include "tui/line_editor.h"

namespace {

namespace keys = editor_keys;

// Keys beyond single bytes, picked by the input bytes 0xf0 to 0xff: the editor's own and
// keypad codes it must ignore (Backspace, Delete, Home, End, resize, F1, a code past them).
const int special_keys[16] = {
    keys::none,  keys::tab,         keys::enter,       keys::esc, keys::down, keys::up, keys::left,
    keys::right, keys::insert_char, keys::exit_insert, 0407,      0512,       0406,     0550,
    0632,        0x7fffffff};
const int erase_choices[4] = {127, 8, -1, '#'};
const int kill_choices[4] = {21, -1, 24, '@'};

// Bytes that belong to no printable character. In UTF-8 a character must be whole, in its
// shortest form, and neither a control (C0 or C1) nor a surrogate.
size_t unprintable(const std::string& text, bool utf8) {
    static const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
    size_t count = 0;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t extra = !utf8 || c < 0x80   ? 0
                             : (c & 0xE0) == 0xC0 ? 1
                             : (c & 0xF0) == 0xE0 ? 2
                             : (c & 0xF8) == 0xF0 ? 3
                                                  : 4; // a stray continuation or worse
        if (extra == 0) {
            count += !isprint(c);
            ++i;
            continue;
        }
        uint32_t code = c & (0x3Fu >> extra);
        size_t length = 1;
        while (extra < 4 && length <= extra && i + length < text.size() &&
               (text[i + length] & 0xC0) == 0x80)
            code = code << 6 | (static_cast<unsigned char>(text[i + length++]) & 0x3F);
        const bool whole = extra < 4 && length == extra + 1 && code >= least[extra] &&
                           code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF) && code >= 0xA0;
        count += whole ? 0 : 1;
        i += whole ? length : 1;
    }
    return count;
}

// Characters in UTF-8, bytes otherwise.
size_t characters(const std::string& text, bool utf8) {
    size_t count = 0;
    for (char c : text)
        count += !utf8 || (c & 0xC0) != 0x80;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const int field = 1 + data[0] % 255;
    const int erase = erase_choices[data[1] & 3];
    const int kill = kill_choices[(data[1] >> 2) & 3];

    // The default text runs to the first 0xff byte; the keys follow.
    size_t at = 2;
    std::string initial;
    while (at < size && data[at] != 0xff) {
        if (data[at] != 0) initial += static_cast<char>(data[at]);
        ++at;
    }
    // Bit 4: keys above 127 are the bytes of UTF-8 characters.
    const bool utf8 = data[1] & 0x10;
    LineEditor editor(initial, field, erase, kill, -1, utf8);
    const std::string original = editor.text();
    const bool well_formed = unprintable(original, utf8) == 0;
    fuzz_check(well_formed || unprintable(initial, utf8) > 0,
               "a long default text is cut between characters", input);
    fuzz_check(static_cast<int>(original.size()) <= editor.capacity() &&
                   original == initial.substr(0, original.size()),
               "the default text is kept, cut to the field", input);

    for (++at; at < size; ++at) {
        const int key = data[at] >= 0xf0 ? special_keys[data[at] - 0xf0] : data[at];
        const std::string before = editor.text();
        const int cursor = editor.cursor();
        const bool replacing = editor.replace_on_type();
        const LineEditor::Outcome outcome = editor.handle(key);
        const std::string& text = editor.text();

        fuzz_check(static_cast<int>(text.size()) <= editor.capacity(), "the text fits", input);
        fuzz_check(editor.cursor() >= 0 && editor.cursor() <= static_cast<int>(text.size()),
                   "the cursor lies within the text", input);
        fuzz_check(unprintable(text, utf8) <= unprintable(original, utf8),
                   "only printable characters are added", input);
        fuzz_check(!utf8 || !well_formed || editor.cursor() == static_cast<int>(text.size()) ||
                       (text[static_cast<size_t>(editor.cursor())] & 0xC0) != 0x80,
                   "the cursor stands between characters", input);

        if (key == keys::esc) {
            fuzz_check(outcome == LineEditor::Outcome::cancelled && text == original,
                       "Esc restores the starting text", input);
        } else if (key == keys::word_erase && key != erase && key != kill) {
            // What goes is a word and the spaces after it, ending at the cursor.
            const size_t start = static_cast<size_t>(editor.cursor());
            const std::string gone = before.substr(start, static_cast<size_t>(cursor) - start);
            fuzz_check(text == before.substr(0, start) + before.substr(static_cast<size_t>(cursor)),
                       "Ctrl-W removes the text before the cursor", input);
            const size_t word_end = gone.find(' ');
            fuzz_check((word_end == std::string::npos ||
                        gone.find_first_not_of(' ', word_end) == std::string::npos) &&
                           (start == 0 || before[start - 1] == ' '),
                       "Ctrl-W removes one word and its trailing spaces", input);
        } else if (key >= 0 && key <= 255 && isprint(key) && key != erase && key != kill) {
            if (replacing && editor.capacity() > 0) {
                fuzz_check(text == std::string(1, static_cast<char>(key)),
                           "the first typed key replaces the default text", input);
            } else if (!replacing) {
                // Typing over a UTF-8 character with a letter shortens the text in bytes.
                const size_t now = characters(text, utf8), was = characters(before, utf8);
                fuzz_check(now == was || now == was + 1, "typing adds at most one character",
                           input);
                fuzz_check(text == before || text[static_cast<size_t>(cursor)] == key,
                           "a typed key lands at the cursor", input);
            }
        }
    }
    return 0;
}
