#include "tui/line_editor.h"

#include <cctype>

namespace {

bool continuation(unsigned char byte) {
    return (byte & 0xc0) == 0x80;
}

// The bytes a UTF-8 character with this lead byte has; 0 for a byte that leads nothing.
size_t utf8_length(unsigned char lead) {
    if (lead >= 0xc2 && lead <= 0xdf) return 2;
    if (lead >= 0xe0 && lead <= 0xef) return 3;
    if (lead >= 0xf0 && lead <= 0xf4) return 4;
    return 0;
}

// A whole UTF-8 character of two to four bytes that may be typed: no overlong form, no
// surrogate, nothing beyond U+10FFFF, no C1 control and no noncharacter.
bool printable_utf8(const std::string& bytes) {
    unsigned long code = static_cast<unsigned char>(bytes[0]) & (0x7f >> bytes.size());
    for (size_t i = 1; i < bytes.size(); ++i)
        code = code << 6 | (static_cast<unsigned char>(bytes[i]) & 0x3f);
    static const unsigned long smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[bytes.size()] || code > 0x10ffff) return false;
    if (code < 0xa0 || (code >= 0xd800 && code <= 0xdfff)) return false;
    return !(code >= 0xfdd0 && code <= 0xfdef) && (code & 0xfffe) != 0xfffe;
}

} // namespace

LineEditor::LineEditor(const std::string& text, int field, int erase, int kill, int capacity,
                       bool utf8)
    : text_(text), field_(field < 1 ? 1 : field), erase_(erase), kill_(kill),
      capacity_(capacity < 0 ? field_ - 1 : capacity), utf8_(utf8) {
    if (static_cast<int>(text_.size()) > capacity_) {
        size_t cut = static_cast<size_t>(capacity_);
        while (utf8_ && cut > 0 && continuation(static_cast<unsigned char>(text_[cut])))
            --cut;
        text_.resize(cut);
    }
    original_ = text_;
}

int LineEditor::previous(int offset) const {
    if (offset <= 0) return 0;
    --offset;
    while (utf8_ && offset > 0 && continuation(static_cast<unsigned char>(text_[offset])))
        --offset;
    return offset;
}

int LineEditor::next(int offset) const {
    const int size = static_cast<int>(text_.size());
    if (offset >= size) return size;
    ++offset;
    while (utf8_ && offset < size && continuation(static_cast<unsigned char>(text_[offset])))
        ++offset;
    return offset;
}

LineEditor::Outcome LineEditor::handle(int key) {
    using namespace editor_keys;
    if (utf8_ && key >= 0x80 && key <= 0xff) {
        take_byte(key);
        return Outcome::keep_editing;
    }
    if (key != none) partial_.clear(); // a character cut short by another key is dropped
    switch (key) {
    case none:
        return Outcome::keep_editing;
    case tab:
    case insert_char:
    case exit_insert:
        replace_on_type_ = false;
        insert_ = !insert_;
        return Outcome::mode_changed;
    case enter:
    case down:
    case up:
        return Outcome::finished;
    case esc:
        text_ = original_;
        cursor_ = 0;
        return Outcome::cancelled;
    case left:
        cursor_ = previous(cursor_);
        return Outcome::keep_editing;
    case right:
        replace_on_type_ = false;
        cursor_ = next(cursor_);
        return Outcome::keep_editing;
    default:
        break;
    }
    // Erase, kill and Ctrl-W leave replace-on-type on: only typing or moving right commits
    // the user to editing the default text.
    if (key == erase_) {
        erase_before_cursor();
    } else if (key == kill_) {
        text_.clear();
        cursor_ = 0;
    } else if (key == word_erase) {
        erase_word();
    } else if (key >= 0 && key <= (utf8_ ? 0x7f : 0xff) && isprint(key)) {
        type(std::string(1, static_cast<char>(key)));
    }
    return Outcome::keep_editing;
}

void LineEditor::take_byte(int key) {
    const unsigned char byte = static_cast<unsigned char>(key);
    if (!continuation(byte)) {
        partial_.clear();
        if (utf8_length(byte) > 0) partial_ += static_cast<char>(byte);
        return;
    }
    if (partial_.empty()) return; // a stray continuation byte
    partial_ += static_cast<char>(byte);
    if (partial_.size() < utf8_length(static_cast<unsigned char>(partial_[0]))) return;
    std::string character;
    character.swap(partial_);
    if (printable_utf8(character)) type(character);
}

void LineEditor::erase_before_cursor() {
    int start = previous(cursor_);
    text_.erase(static_cast<size_t>(start), static_cast<size_t>(cursor_ - start));
    cursor_ = start;
}

void LineEditor::erase_word() {
    // Spaces are single bytes and never part of a UTF-8 character, so stepping by bytes stops
    // at a character's start.
    int start = cursor_;
    while (start > 0 && text_[static_cast<size_t>(start - 1)] == ' ')
        --start;
    while (start > 0 && text_[static_cast<size_t>(start - 1)] != ' ')
        --start;
    text_.erase(static_cast<size_t>(start), static_cast<size_t>(cursor_ - start));
    cursor_ = start;
}

void LineEditor::type(const std::string& character) {
    if (replace_on_type_) {
        text_.clear();
        cursor_ = 0;
        replace_on_type_ = false;
    }
    const size_t at = static_cast<size_t>(cursor_);
    // In overwrite mode the character under the cursor goes; at the end there is none.
    const size_t replaced = insert_ ? 0 : static_cast<size_t>(next(cursor_) - cursor_);
    if (text_.size() - replaced + character.size() > static_cast<size_t>(capacity_)) return;
    text_.replace(at, replaced, character);
    cursor_ += static_cast<int>(character.size());
}
