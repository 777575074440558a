// The terminal's answers to the session's questions.
#include "platform/term/terminal_host.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <vector>

#include "gui/console_buffer.h"
#include "platform/batch/desktop_loader.h"
#include "platform/term/line_editor.h"
#include "base/console_output.h"

namespace zirbin::platform {

namespace {

constexpr int kEnter = '\r';
constexpr int kLineFeed = '\n';
constexpr int kEscape = 27;
constexpr int kEndOfText = 4;  // Ctrl+D

// Splits `text` at its line feeds.
std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  while (from <= text.size()) {
    std::size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    std::string piece = text.substr(from, end - from);
    if (!piece.empty() && piece.back() == '\r') piece.pop_back();
    lines.push_back(std::move(piece));
    from = end + 1;
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

}  // namespace

void TerminalHost::line(const std::string& text) {
  console_.print(text, true, session::kPrintText);
  console_.newLine();
}

int TerminalHost::ask(const std::string& question, const std::string& answers) {
  flush_();
  std::fputs(question.c_str(), stdout);
  std::fflush(stdout);
  for (;;) {
    std::optional<int> key = editor_.readKey();
    if (!key || *key == 0 || *key == kEndOfText) {
      std::fputc('\n', stdout);
      return 0;
    }
    int c = std::tolower(*key);
    if (c == kLineFeed) c = kEnter;
    if (c == kEscape && answers.find('c') != std::string::npos) c = 'c';
    if (answers.find(static_cast<char>(c)) != std::string::npos) {
      if (c != kEnter) std::fputc(c, stdout);
      std::fputc('\n', stdout);
      return c;
    }
  }
}

int TerminalHost::messageBox(const std::string& text, const std::string& caption,
                             bool withCancel) {
  HeadlessHost::messageBox(text, caption, withCancel);
  if (!caption.empty()) line(caption + ":");
  for (const std::string& piece : linesOf(text)) line(piece);
  if (!withCancel) {
    ask("[OK: press Enter] ", "\r");
    return session::kAnswerOk;
  }
  const int key = ask("[o]k [c]ancel? ", "oc\r");
  return key == 'o' || key == kEnter ? session::kAnswerOk : session::kAnswerCancel;
}

std::optional<std::string> TerminalHost::readLine(const std::string& prompt) {
  flush_();
  LineEditor::Input input = editor_.read(prompt, false, true);
  if (input.outcome == LineEditor::Outcome::kLine) return input.text;
  if (input.outcome == LineEditor::Outcome::kPaste) {
    // A pasted answer of several lines: its first line.
    return input.text.substr(0, input.text.find('\r'));
  }
  return std::nullopt;
}

int TerminalHost::readKey() {
  flush_();
  std::optional<int> key = editor_.readKey();
  return key ? *key : 0;
}

// The stop as text: the caption, one row per label and value, the source lines, then the
// question. Enter steps, as the debugger's default button does.
session::DebugCommand TerminalHost::debuggerStop(const session::DebugView& view) {
  HeadlessHost::debuggerStop(view);
  for (const std::string& row : session::debugViewLines(view)) line(row);
  for (const std::string& source : linesOf(view.source)) {
    console_.print("  " + source, true, session::kPrintText);
    console_.newLine();
  }
  switch (ask("[c]ont [s]tep [h]alt? ", "csh\r")) {
    case 'c':
      return session::DebugCommand::kContinue;
    case 's':
    case kEnter:
      return session::DebugCommand::kStep;
    case 'h':
      return session::DebugCommand::kHalt;
    default:
      return session::DebugCommand::kClose;
  }
}

std::optional<session::FigureEvent> TerminalHost::pollFigureEvent() {
  return windows_ != nullptr ? windows_->poll() : HeadlessHost::pollFigureEvent();
}

std::optional<session::FigureEvent> TerminalHost::waitFigureEvent(int timeoutMs) {
  return windows_ != nullptr ? windows_->wait(timeoutMs) : HeadlessHost::waitFigureEvent(timeoutMs);
}

bool TerminalHost::figureEventsPossible() const {
  return windows_ != nullptr ? windows_->possible() : HeadlessHost::figureEventsPossible();
}

void TerminalHost::showFigures() {
  if (windows_ != nullptr) windows_->show();
}

}  // namespace zirbin::platform
