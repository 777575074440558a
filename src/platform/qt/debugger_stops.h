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

namespace zirbin::platform {

class DebuggerStops : public QObject {
  Q_OBJECT

 public:
  // Lives on the GUI thread. `console` is the console's window the dialog belongs to
  // (its parent, and the window it is placed beside); it outlives this object or this
  // object is its child.
  explicit DebuggerStops(QWidget* console);
  DebuggerStops(const DebuggerStops&) = delete;
  DebuggerStops& operator=(const DebuggerStops&) = delete;

  // Shows `view` and blocks until the user answers; returns the answer. Called from the
  // interpreter thread; on the GUI thread itself it runs a local event loop instead, so
  // every window stays live either way. Returns nullopt without waiting further as soon
  // as `interrupted` gives true: it is checked at the start and after each wake().
  // REQUIRES: one wait at a time.
  std::optional<session::DebugCommand> wait(const session::DebugView& view,
                                            const std::function<bool()>& interrupted);

  // Any thread (not a signal handler): makes a running wait look at its `interrupted`
  // again. The interrupt of the session calls it after raising its flag.
  void wake();

  // GUI thread: the dialog, or null when none is open.
  DebuggerDialog* dialog() const { return dialog_; }

 signals:
  // GUI thread: a button was pressed (or the dialog closed) while no stop waited, as
  // when "Cont" or closing ends stepping between two stepping stops.
  void answeredOutsideStop(zirbin::session::DebugCommand command);

 private:
  void show(const session::DebugView& view, std::uint64_t stop);
  void answer(session::DebugCommand command);
  void dialogGone();
  void hideAfterInterrupt(std::uint64_t stop);

  QWidget* console_;
  QPointer<DebuggerDialog> dialog_;

  // The running wait; guarded by mutex_. `shown_` is the stop the dialog shows (GUI thread).
  std::mutex mutex_;
  std::condition_variable woken_;
  std::uint64_t stop_ = 0;  // the number of the running (or last) wait
  bool waiting_ = false;
  std::optional<session::DebugCommand> answer_;
  std::uint64_t shown_ = 0;
};

}  // namespace zirbin::platform
