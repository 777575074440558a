// The desktop's host: what the interpreter asks of the user is answered by the windows. A
// call that needs an answer (a message box, a typed line, a key, the folder browser, the
// clipboard) hands the question to the GUI thread and blocks the interpreter thread until
// the answer comes, or returns at once with no answer when the wait is cancelled (Abort,
// the console closing).
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <QPointer>

#include "base/host.h"
#include "platform/qt/figure_view.h"

namespace zirbin::platform::qt {

class DebuggerStops;
class ConsoleSession;
class FigureEventQueue;

class QtHost : public session::Host {
 public:
  // `console` must outlive the host.
  explicit QtHost(ConsoleSession& console);
  QtHost(const QtHost&) = delete;
  QtHost& operator=(const QtHost&) = delete;

  // Interpreter thread.
  int messageBox(const std::string& text, const std::string& caption, bool withCancel) override;
  std::optional<std::string> readLine(const std::string& prompt) override;
  int readKey() override;
  std::optional<session::Click> waitForClick() override;
  std::string clipboardText() override;
  bool setClipboardText(const std::string& text) override;
  session::DebugCommand debuggerStop(const session::DebugView& view) override;
  std::optional<std::string> browseForFolder(const std::string& title) override;
  // The events of this console's figure windows; a cancel ends a wait at once. Events
  // can come while the console has figure windows.
  std::optional<session::FigureEvent> pollFigureEvent() override;
  std::optional<session::FigureEvent> waitFigureEvent(int timeoutMs) override;
  bool figureEventsPossible() const override;
  // Sends the changed figures of this console to their windows.
  void showFigures() override;

  // Where this console's figure windows put their events (shared with the GUI thread).
  const std::shared_ptr<FigureEventQueue>& figureQueue() const { return figureQueue_; }
  // Interpreter thread: the views of this console's figures.
  FigureViews& figureViews() { return views_; }
  // Interpreter thread, between commands: closes every figure of this console (it is
  // closing).
  void closeFigures();

  // The text the next clipboardText() gives instead of the clipboard's (the start-up
  // script's `use` line runs as a pasted command without taking the user's clipboard).
  void setPendingPaste(std::string text);

  // Any thread: ends the waits of the running command at once; they answer "no answer"
  // (a cancelled box, no line, key 0). Lasts until resetCancel().
  void cancelWaits();
  // Any thread: ends every wait for good (the console is closing).
  void close();
  // Interpreter thread, at the start of each command: waits block again.
  void resetCancel();

 private:
  // A question put to the GUI thread: `start` runs there and must call the reply it is
  // given, at once or later, with the answer (a reply after the wait ended is ignored).
  template <class T>
  using Question = std::function<void(std::function<void(T)> reply)>;
  // Interpreter thread: puts the question and waits. nullopt when cancelled.
  template <class T>
  std::optional<T> ask(Question<T> start);

  struct Waits {
    std::mutex mutex;
    std::condition_variable answered;
    bool cancelled = false;
    bool closed = false;
  };

  // GUI thread: the debugger of this console, made at the first stop.
  DebuggerStops* debuggerStops();

  ConsoleSession& console_;
  QPointer<DebuggerStops> debugger_;  // GUI thread only; a child of the console's window
  std::shared_ptr<Waits> waits_ = std::make_shared<Waits>();
  std::optional<std::string> pendingPaste_;  // interpreter thread only
  std::shared_ptr<FigureEventQueue> figureQueue_;
  FigureViews views_;  // interpreter thread only
};

}  // namespace zirbin::platform::qt
