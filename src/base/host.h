// The platform interface through which the core talks to the user besides console output:
// message boxes, reading a line or a key, waiting for a click, the clipboard, debugger
// stops and the folder browser. Front ends implement it; HeadlessHost serves tests.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "base/figure_event.h"

namespace zirbin::session {

// Button codes a message box answers with (the values Windows gives IDOK and IDCANCEL).
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;

// A mouse click in a figure window, in client pixels.
struct Click {
  int x = 0;
  int y = 0;
  bool rightButton = false;
};

// What a debugger stop shows: caption, the label and value columns (texts of the same
// number of lines, one row per line), and the source lines around the stop joined with
// "\r\n" (empty without a function, as at the top level of a command).
struct DebugView {
  std::string caption;
  std::string labels;
  std::string values;
  std::string source;
};

// The lines a front end without a dialog shows for a stop: the caption, then one line per
// row with the value column lined up two places after the longest label (a row without
// a value is its label alone). The source lines are not among them.
std::vector<std::string> debugViewLines(const DebugView& view);

// The button that ended a debugger stop ("Cont", "Step", "Halt", or the dialog closed).
enum class DebugCommand { kContinue, kStep, kHalt, kClose };

class Host {
 public:
  virtual ~Host() = default;

  // Shows a modal message box; with `withCancel` it offers OK and Cancel, else OK only.
  // Returns kAnswerOk or kAnswerCancel.
  virtual int messageBox(const std::string& text, const std::string& caption,
                         bool withCancel) = 0;
  // Reads one line of user input after showing `prompt`; nullopt when input has ended.
  virtual std::optional<std::string> readLine(const std::string& prompt) = 0;
  // Waits for one key and returns its code; 0 when no key can come.
  virtual int readKey() = 0;
  // Waits for a click in a figure window; nullopt when none can come.
  virtual std::optional<Click> waitForClick() = 0;
  // The clipboard's text; empty when it holds none or cannot be opened.
  virtual std::string clipboardText() = 0;
  // Places `text` on the clipboard; false when the clipboard cannot be used.
  virtual bool setClipboardText(const std::string& text) = 0;
  // Shows a debugger stop and waits for the user's choice.
  virtual DebugCommand debuggerStop(const DebugView& view) = 0;
  // Lets the user pick a folder; nullopt when cancelled.
  virtual std::optional<std::string> browseForFolder(const std::string& title) = 0;

  // Interrupts: InterpreterSession::interrupt raises the session's flag and then calls
  // wake(), from whatever thread raised it (the desktop's Abort, a Ctrl+C handler). A host
  // whose readLine, readKey, waitForClick or debuggerStop blocks must then return at once
  // (with nullopt, 0 or kHalt; the caller reports "execution interrupted"): it checks
  // interruptPending() (run_context.h) on the interpreter thread when it wakes. wake() may
  // run while no call is blocked, and concurrently with one. It must not block; when the
  // front end raises the interrupt from a signal handler, it must be async-signal-safe
  // (e.g. write a byte to a pipe the wait polls). The default does nothing: a host whose
  // calls never block needs no wake-up.
  virtual void wake() {}

  // Figure window events for the interpreter thread, in the order they happened. A host
  // without figure windows has none.
  // The next pending event, without waiting.
  virtual std::optional<FigureEvent> pollFigureEvent() { return std::nullopt; }
  // The next event, waiting at most timeoutMs; nullopt after the time, on an interrupt,
  // and at once when figureEventsPossible() is false.
  virtual std::optional<FigureEvent> waitFigureEvent(int timeoutMs) {
    (void)timeoutMs;
    return pollFigureEvent();
  }
  // True iff events can still come (figure windows are shown): the waiting built-ins
  // refuse to wait otherwise.
  virtual bool figureEventsPossible() const { return false; }
  // Brings the figure windows up to date with the figure model: a front end that shows
  // figures redraws the ones changed since it last did. Called at the end of every command
  // and of every round of figure events, and by the built-ins that wait. Without windows
  // it does nothing.
  virtual void showFigures() {}
};

// A host with no user: scripted answers for tests and the batch front end. Message boxes
// answer `messageBoxAnswer` and are recorded; lines and keys come from the queues; the
// clipboard is a string; debugger stops take the queued answers, then `debugAnswer`; the
// folder browser is cancelled.
class HeadlessHost : public Host {
 public:
  int messageBox(const std::string& text, const std::string& caption,
                 bool withCancel) override;
  std::optional<std::string> readLine(const std::string& prompt) override;
  int readKey() override;
  std::optional<Click> waitForClick() override;
  std::string clipboardText() override { return clipboard; }
  bool setClipboardText(const std::string& text) override;
  DebugCommand debuggerStop(const DebugView& view) override;
  std::optional<std::string> browseForFolder(const std::string& title) override;
  // Figure events come from `figureEvents`; events are possible while some are queued.
  std::optional<FigureEvent> pollFigureEvent() override;
  bool figureEventsPossible() const override { return !figureEvents.empty(); }

  int messageBoxAnswer = kAnswerOk;
  std::vector<std::string> messageBoxes;  // texts of the boxes shown, in order
  std::deque<std::string> lines;          // answers to readLine, in order
  std::deque<int> keys;                   // answers to readKey, in order
  std::deque<Click> clicks;               // answers to waitForClick, in order
  std::deque<FigureEvent> figureEvents;   // window events, in order
  std::string clipboard;
  std::vector<DebugView> debugStops;      // the stops shown, in order
  std::deque<DebugCommand> debugAnswers;  // answers to debuggerStop, in order
  DebugCommand debugAnswer = DebugCommand::kContinue;  // once debugAnswers is empty
};

}  // namespace zirbin::session
