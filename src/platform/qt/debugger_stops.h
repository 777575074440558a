// Debugger stops of one console on the desktop: the dialog that shows them (made at the
// first stop beside the console, reused, deleted when closed and made again at the next
// stop) and the wait of the interpreter thread for the user's answer.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

#include <QObject>
#include <QPointer>

#include "platform/qt/debugger_dialog.h"
#include "session/host.h"

namespace zirbin::platform::qt {

class DebuggerStops : public QObject {
 public:
  using Reply = std::function<void(session::DebugCommand)>;

  // Lives on the GUI thread, as a child of `console`: the console's window, the dialog's
  // parent and the window it is placed beside.
  explicit DebuggerStops(QWidget* console);
  DebuggerStops(const DebuggerStops&) = delete;
  DebuggerStops& operator=(const DebuggerStops&) = delete;

  // GUI thread: shows `view` (making the dialog when there is none) and calls `reply` once
  // with the user's answer; a dialog deleted before it answers (its console went) answers
  // kClose. A later show() or endStop() drops the reply still pending.
  void show(const session::DebugView& view, Reply reply);
  // GUI thread: the stop ended without an answer (the interrupt): drops the pending reply
  // and hides the dialog.
  void endStop();

  // Shows `view` and blocks until the user answers; returns the answer. From any thread
  // but the GUI thread, which keeps every window live meanwhile; on the GUI thread itself
  // it runs a local event loop. Returns nullopt as soon as `interrupted` gives true: it
  // is checked at the start and after each wake(). REQUIRES: one wait at a time.
  std::optional<session::DebugCommand> wait(const session::DebugView& view,
                                            const std::function<bool()>& interrupted);
  // Any thread (not a signal handler): makes a running wait look at its `interrupted`
  // again.
  void wake();

  // GUI thread: the dialog, or null when none is open.
  DebuggerDialog* dialog() const { return dialog_; }

  // GUI thread: called when a button is pressed (or the dialog closed) while no stop
  // waits, as when "Cont" or closing ends stepping between two stepping stops.
  Reply onAnswerOutsideStop;

 private:
  void answer(session::DebugCommand command);

  QWidget* console_;
  QPointer<DebuggerDialog> dialog_;
  Reply reply_;  // the pending stop's; GUI thread

  // The running wait(); guarded by mutex_.
  std::mutex mutex_;
  std::condition_variable woken_;
  std::uint64_t waitNumber_ = 0;  // of the running or last wait
  bool waiting_ = false;
  std::optional<session::DebugCommand> answer_;
};

}  // namespace zirbin::platform::qt
