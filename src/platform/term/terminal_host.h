// The session's questions on a terminal: getline through the line editor, getch in raw
// mode, message boxes answered OK (or OK/Cancel), and debugger stops shown as text with a
// [c]ont [s]tep [h]alt question.
#pragma once

#include <functional>
#include <string>

#include "base/host.h"

namespace zirbin::gui {
class ConsoleBuffer;
}  // namespace zirbin::gui

namespace zirbin::platform {

class LineEditor;

class TerminalHost : public session::HeadlessHost {
 public:
  // `flush` writes what the console holds of its current line, so that a question follows
  // the output before it. Console and editor must outlive the host.
  TerminalHost(gui::ConsoleBuffer& console, LineEditor& editor, std::function<void()> flush)
      : console_(console), editor_(editor), flush_(std::move(flush)) {}

  int messageBox(const std::string& text, const std::string& caption, bool withCancel) override;
  std::optional<std::string> readLine(const std::string& prompt) override;
  int readKey() override;
  session::DebugCommand debuggerStop(const session::DebugView& view) override;

 private:
  // Asks `question` and waits for one of the keys of `answers` (lower case; Enter is '\r').
  // Returns the key, or 0 when the input ended or an interrupt came.
  int ask(const std::string& question, const std::string& answers);
  void line(const std::string& text);

  gui::ConsoleBuffer& console_;
  LineEditor& editor_;
  std::function<void()> flush_;
};

}  // namespace zirbin::platform
