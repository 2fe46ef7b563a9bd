#include "tui/line_editor.h"

#include <cctype>

LineEditor::LineEditor(const std::string& text, int field, int erase, int kill)
    : text_(text), field_(field < 1 ? 1 : field), erase_(erase), kill_(kill) {
    if (static_cast<int>(text_.size()) > capacity()) text_.resize(static_cast<size_t>(capacity()));
    original_ = text_;
}

LineEditor::Outcome LineEditor::handle(int key) {
    using namespace editor_keys;
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
        if (cursor_ > 0) --cursor_;
        return Outcome::keep_editing;
    case right:
        replace_on_type_ = false;
        if (cursor_ < static_cast<int>(text_.size())) ++cursor_;
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
    } else if (key >= 0 && key <= 255 && isprint(key)) {
        type(static_cast<char>(key));
    }
    return Outcome::keep_editing;
}

void LineEditor::erase_before_cursor() {
    if (cursor_ == 0) return;
    text_.erase(static_cast<size_t>(cursor_ - 1), 1);
    --cursor_;
}

void LineEditor::erase_word() {
    int start = cursor_;
    while (start > 0 && text_[static_cast<size_t>(start - 1)] == ' ')
        --start;
    while (start > 0 && text_[static_cast<size_t>(start - 1)] != ' ')
        --start;
    text_.erase(static_cast<size_t>(start), static_cast<size_t>(cursor_ - start));
    cursor_ = start;
}

void LineEditor::type(char c) {
    if (replace_on_type_) {
        text_.clear();
        cursor_ = 0;
        replace_on_type_ = false;
    }
    if (insert_) {
        if (static_cast<int>(text_.size()) >= capacity()) return;
        text_.insert(static_cast<size_t>(cursor_), 1, c);
        ++cursor_;
        return;
    }
    if (cursor_ >= capacity()) return;
    if (cursor_ < static_cast<int>(text_.size()))
        text_[static_cast<size_t>(cursor_)] = c;
    else
        text_ += c;
    ++cursor_;
}
