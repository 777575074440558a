// The console's line editor: the edited line and its caret, the keys that edit it, history
// recall with prefix search, the bracket matching shown at the caret, and the echo of a
// completed line. Window-system free: the console window feeds it keys and draws it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "gui/command_history.h"

namespace zirbin::gui {

// Window commands the editor sends to the main window (the menu's command numbers).
inline constexpr int kCommandPaste = 106;         // Ctrl+V
inline constexpr int kCommandCopy = 107;          // Ctrl+C
inline constexpr int kCommandF5 = 116;            // F5: the main window does not act on it
inline constexpr int kCommandRunClipboard = 120;  // F9

// Character codes of the keys that edit rather than insert (as character messages carry
// them: Ctrl+letter is the letter's position in the alphabet).
inline constexpr int kCharBackspace = 8;
inline constexpr int kCharTab = 9;
inline constexpr int kCharEnter = 13;
inline constexpr int kCharEscape = 27;
inline constexpr int kCharCtrlB = 2;
inline constexpr int kCharCtrlC = 3;
inline constexpr int kCharCtrlV = 22;
inline constexpr int kCharCtrlCloseBracket = 29;  // Ctrl+]

// Tab stops of the edit line.
inline constexpr std::size_t kTabWidth = 4;

// Keys that arrive as key-down messages rather than characters.
enum class EditKey { kHome, kEnd, kLeft, kRight, kDelete, kUp, kDown, kF5, kF9 };

// What a key did.
enum class EditResult {
  kIgnored = 0,   // nothing changed
  kEdited = 1,    // the line or the caret changed: redraw it
  kComplete = 2,  // Enter: the line is complete (take it with takeLine)
  kCommand = 3,   // a window command is to be sent (see command())
};

// The characters Ctrl+Left and Ctrl+Right stop at.
inline constexpr std::string_view kWordStops = ";=([{}])";

class LineEditor {
 public:
  // `history` is shared with whoever loads and saves it and must outlive the editor.
  explicit LineEditor(CommandHistory& history) : history_(history) {}
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  // A character message, `repeat` times (the key's repeat count). Codes are bytes of the
  // line's UTF-8 text or the control codes above; a multi-byte character comes whole
  // through insertText.
  EditResult onChar(int code, int repeat = 1);
  // A key-down message; `ctrl` tells whether Ctrl was held.
  EditResult onKey(EditKey key, bool ctrl);

  // The command of the last kCommand result.
  int command() const { return command_; }

  // Pastes `text` at the caret, up to its first line break (a pasted block runs through
  // Run clipboard instead); the caret moves to the end of the pasted text.
  void insertText(std::string_view text);

  // Empties the line (the caret goes to the start).
  void clear();
  // The completed (or current) line taken out of the editor, which is left empty.
  std::string takeLine();

  // The completed line in console markup: the prompt in green, the text in blue, literal.
  std::string echoText() const { return "{g " + prompt_ + " {b:" + line_; }

  const std::string& line() const { return line_; }
  // The caret as a byte offset into line().
  std::size_t caret() const { return caret_; }
  // The caret counted in characters (for placing it on screen).
  std::size_t caretColumn() const;
  // The position of the bracket matching the one at the caret, if any.
  std::optional<std::size_t> caretBracketMatch() const;

  const std::string& prompt() const { return prompt_; }
  void setPrompt(std::string prompt) { prompt_ = std::move(prompt); }

 private:
  EditResult onOneChar(int code);
  void insert(std::string_view text);
  void wrapInParentheses();
  void recall(bool older);
  std::size_t previousCharStart(std::size_t position) const;
  std::size_t nextCharStart(std::size_t position) const;

  CommandHistory& history_;
  std::string line_;
  std::size_t caret_ = 0;
  std::string prompt_ = ">";
  bool browsing_ = false;  // the previous key was Up or Down
  int command_ = 0;
};

// The position of the bracket that matches the one at `position` of `line`, or nullopt
// when the character there is not one of "([{}])" or the brackets do not pair up. The line
// is scanned from its start with a stack of open brackets; a closing bracket that does not
// match the innermost open one ends the scan without a match.
std::optional<std::size_t> matchBracket(std::string_view line, std::size_t position);

// The number of characters (not bytes) of a UTF-8 text.
std::size_t characterCount(std::string_view text);

}  // namespace zirbin::gui
