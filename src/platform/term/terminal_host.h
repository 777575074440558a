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

class FigureWindows;
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

  // With figure windows (a display is available) their events are the figure events;
  // without, the figures are models only, as in a batch run.
  void setFigureWindows(FigureWindows* windows) { windows_ = windows; }
  std::optional<session::FigureEvent> pollFigureEvent() override;
  std::optional<session::FigureEvent> waitFigureEvent(int timeoutMs) override;
  bool figureEventsPossible() const override;
  // No wake(): Ctrl+C reaches it from a signal handler, and a wait for figure events
  // looks at the interrupt every few milliseconds anyway.
  void showFigures() override;

 private:
  // Asks `question` and waits for one of the keys of `answers` (lower case; Enter is '\r').
  // Returns the key, or 0 when the input ended or an interrupt came.
  int ask(const std::string& question, const std::string& answers);
  void line(const std::string& text);

  gui::ConsoleBuffer& console_;
  LineEditor& editor_;
  std::function<void()> flush_;
  FigureWindows* windows_ = nullptr;
};

}  // namespace zirbin::platform
