// Debugger stops of one console on the desktop: the dialog that shows them, made at the
// first stop beside the console, reused, deleted when closed and made again at the next
// stop. The host's wait on the interpreter thread ends with the reply given to show().
#pragma once

#include <functional>

#include <QObject>
#include <QPointer>

#include "platform/qt/debugger_dialog.h"
#include "base/host.h"

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
};

}  // namespace zirbin::platform::qt
