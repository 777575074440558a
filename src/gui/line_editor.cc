// The line editor's keys, history recall and bracket matching.
#include "gui/line_editor.h"

#include <vector>

namespace zirbin::gui {

namespace {

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

constexpr std::string_view kOpenBrackets = "([{";
constexpr std::string_view kCloseBrackets = ")]}";  // ORDER BRACKETS with kOpenBrackets

}  // namespace

std::size_t characterCount(std::string_view text) {
  std::size_t count = 0;
  for (char c : text) count += isContinuationByte(c) ? 0 : 1;
  return count;
}

std::optional<std::size_t> matchBracket(std::string_view line, std::size_t position) {
  if (position >= line.size()) return std::nullopt;
  const bool opening = kOpenBrackets.find(line[position]) != std::string_view::npos;
  if (!opening && kCloseBrackets.find(line[position]) == std::string_view::npos) {
    return std::nullopt;
  }
  std::vector<std::size_t> open;  // positions of the brackets not yet closed
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (kOpenBrackets.find(c) != std::string_view::npos) {
      open.push_back(i);
      continue;
    }
    const std::size_t kind = kCloseBrackets.find(c);
    if (kind == std::string_view::npos) continue;
    if (open.empty() || line[open.back()] != kOpenBrackets[kind]) return std::nullopt;
    const std::size_t partner = open.back();
    open.pop_back();
    if (i == position) return partner;
    if (opening && partner == position) return i;
  }
  return std::nullopt;
}

std::size_t LineEditor::previousCharStart(std::size_t position) const {
  if (position == 0) return 0;
  do {
    --position;
  } while (position > 0 && isContinuationByte(line_[position]));
  return position;
}

std::size_t LineEditor::nextCharStart(std::size_t position) const {
  if (position >= line_.size()) return line_.size();
  do {
    ++position;
  } while (position < line_.size() && isContinuationByte(line_[position]));
  return position;
}

std::size_t LineEditor::caretColumn() const {
  return characterCount(std::string_view(line_).substr(0, caret_));
}

std::optional<std::size_t> LineEditor::caretBracketMatch() const {
  return matchBracket(line_, caret_);
}

void LineEditor::insert(std::string_view text) {
  line_.insert(caret_, text);
  caret_ += text.size();
}

void LineEditor::insertText(std::string_view text) {
  insert(text.substr(0, text.find_first_of("\r\n")));
}

void LineEditor::clear() {
  line_.clear();
  caret_ = 0;
}

std::string LineEditor::takeLine() {
  std::string line = std::move(line_);
  clear();
  return line;
}

// Ctrl+B and Ctrl+]: the text from just after the first "=" (or "==") up to the caret is
// wrapped in parentheses, so "y = a + b" becomes "y =( a + b)".
void LineEditor::wrapInParentheses() {
  std::size_t start = line_.find('=');
  if (start == std::string::npos) {
    start = 0;
  } else {
    start += line_.compare(start, 2, "==") == 0 ? 2 : 1;
  }
  if (caret_ <= start) return;  // nothing lies between the start and the caret
  line_.insert(caret_, ")");
  line_.insert(start, "(");
  caret_ += 2;
}

void LineEditor::recall(bool older) {
  if (older) {
    std::optional<std::string> entry = history_.older(line_, browsing_);
    if (entry) line_ = std::move(*entry);
  } else {
    line_ = history_.newer(line_, browsing_);
  }
  caret_ = line_.size();
}

EditResult LineEditor::onChar(int code, int repeat) {
  EditResult result = EditResult::kIgnored;
  for (int i = 0; i < repeat; ++i) {
    result = onOneChar(code);
    if (result == EditResult::kComplete || result == EditResult::kCommand) break;
  }
  return result;
}

EditResult LineEditor::onOneChar(int code) {
  browsing_ = false;
  switch (code) {
    case kCharEnter:
      history_.add(line_);
      caret_ = 0;
      return EditResult::kComplete;
    case kCharBackspace: {
      if (caret_ == 0) return EditResult::kIgnored;
      const std::size_t start = previousCharStart(caret_);
      line_.erase(start, caret_ - start);
      caret_ = start;
      return EditResult::kEdited;
    }
    case kCharTab:
      insert(std::string(kTabWidth - caretColumn() % kTabWidth, ' '));
      return EditResult::kEdited;
    case kCharEscape:
      clear();
      return EditResult::kEdited;
    case kCharCtrlC:
      command_ = kCommandCopy;
      return EditResult::kCommand;
    case kCharCtrlV:
      command_ = kCommandPaste;
      return EditResult::kCommand;
    case kCharCtrlB:
    case kCharCtrlCloseBracket:
      wrapInParentheses();
      return EditResult::kEdited;
    default:
      if (code < 32 || code > 255) return EditResult::kIgnored;  // other control codes
      line_.insert(line_.begin() + static_cast<std::ptrdiff_t>(caret_), static_cast<char>(code));
      ++caret_;
      return EditResult::kEdited;
  }
}

EditResult LineEditor::onKey(EditKey key, bool ctrl) {
  const bool wasBrowsing = browsing_;
  browsing_ = false;
  switch (key) {
    case EditKey::kHome:
      caret_ = 0;
      break;
    case EditKey::kEnd:
      caret_ = line_.size();
      break;
    case EditKey::kLeft:
      if (!ctrl) {
        caret_ = previousCharStart(caret_);
      } else {
        const std::size_t stop =
            caret_ == 0 ? std::string::npos : line_.find_last_of(kWordStops, caret_ - 1);
        caret_ = stop == std::string::npos ? 0 : stop;
      }
      break;
    case EditKey::kRight:
      if (!ctrl) {
        caret_ = nextCharStart(caret_);
      } else {
        const std::size_t stop = line_.find_first_of(kWordStops, caret_ + 1);
        caret_ = stop == std::string::npos ? line_.size() : stop;
      }
      break;
    case EditKey::kDelete:
      if (caret_ >= line_.size()) return EditResult::kIgnored;
      line_.erase(caret_, nextCharStart(caret_) - caret_);
      break;
    case EditKey::kUp:
    case EditKey::kDown:
      browsing_ = wasBrowsing;
      recall(key == EditKey::kUp);
      browsing_ = true;
      break;
    case EditKey::kF5:
      command_ = kCommandF5;
      return EditResult::kCommand;
    case EditKey::kF9:
      command_ = kCommandRunClipboard;
      return EditResult::kCommand;
  }
  return EditResult::kEdited;
}

}  // namespace zirbin::gui
