// The key handling of the one-line editor, without curses: the text, the cursor (a byte offset
// at the start of a character), insert mode and replace-on-type. weditstr feeds it keys and
// draws what it holds.
#pragma once

#include <string>

// The key codes the editor knows (the curses values; the screen checks they agree).
namespace editor_keys {
constexpr int none = -1;
constexpr int tab = 9;
constexpr int enter = 10;
constexpr int word_erase = 23; // Ctrl-W
constexpr int esc = 27;
constexpr int down = 0402;
constexpr int up = 0403;
constexpr int left = 0404;
constexpr int right = 0405;
constexpr int insert_char = 0513;
constexpr int exit_insert = 0514;
} // namespace editor_keys

class LineEditor {
  public:
    enum class Outcome {
        keep_editing, // the key was used or ignored
        mode_changed, // insert mode toggled: the cursor shape should change
        finished,     // Enter, Up or Down: the text stays as edited
        cancelled,    // Esc: the text is back to what it was at the start
    };

    // Starts editing `text` in a field `field` columns wide. `erase` and `kill` are the
    // terminal's erase and line-kill characters (-1 when the terminal has none). The text holds
    // at most `capacity` bytes (below 0: field - 1, what the field shows without scrolling); a
    // longer start is cut. With `utf8`, keys above 127 are the bytes of UTF-8 characters: a
    // character is typed when all its bytes have come, and the cursor moves and erases by
    // whole characters.
    LineEditor(const std::string& text, int field, int erase, int kill, int capacity = -1,
               bool utf8 = false);

    Outcome handle(int key);

    const std::string& text() const { return text_; }
    int cursor() const { return cursor_; }
    bool insert_mode() const { return insert_; }
    bool replace_on_type() const { return replace_on_type_; }
    int field() const { return field_; }
    int capacity() const { return capacity_; }
    bool utf8() const { return utf8_; }

  private:
    void take_byte(int key);
    void erase_before_cursor();
    void erase_word();
    void type(const std::string& character);
    int previous(int offset) const;
    int next(int offset) const;

    std::string text_;
    std::string original_;
    int field_;
    int erase_;
    int kill_;
    int capacity_;
    bool utf8_;
    std::string partial_; // the bytes of a UTF-8 character still coming
    int cursor_ = 0;
    bool insert_ = false;
    bool replace_on_type_ = true;
};
