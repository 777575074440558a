// Debugger stops of one console on the desktop.
#include "platform/qt/debugger_stops.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QThread>

namespace zirbin::platform {

DebuggerStops::DebuggerStops(QWidget* console) : QObject(console), console_(console) {}

std::optional<session::DebugCommand> DebuggerStops::wait(const session::DebugView& view,
                                                         const std::function<bool()>& interrupted) {
  std::uint64_t stop;
  {
    std::lock_guard lock(mutex_);
    if (interrupted()) return std::nullopt;
    stop = ++stop_;
    waiting_ = true;
    answer_.reset();
  }
  const bool onGuiThread = QThread::currentThread() == thread();
  if (onGuiThread) {
    show(view, stop);
    QEventLoop loop;
    for (;;) {
      {
        std::lock_guard lock(mutex_);
        if (answer_ || interrupted()) break;
      }
      loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
  } else {
    QMetaObject::invokeMethod(
        this, [this, view, stop] { show(view, stop); }, Qt::QueuedConnection);
  }
  std::unique_lock lock(mutex_);
  woken_.wait(lock, [&] { return answer_.has_value() || interrupted(); });
  waiting_ = false;
  if (answer_) return answer_;
  // Interrupted: the stop is over, so the dialog goes out of sight as after "Cont".
  lock.unlock();
  QMetaObject::invokeMethod(
      this, [this, stop] { hideAfterInterrupt(stop); }, Qt::QueuedConnection);
  return std::nullopt;
}

void DebuggerStops::wake() {
  // Taking the lock orders the caller's flag before the waiter's next look at it.
  std::lock_guard lock(mutex_);
  woken_.notify_all();
  // A wait on the GUI thread sleeps in its event loop, not on the condition.
  if (waiting_ && QThread::currentThread() != thread()) {
    QMetaObject::invokeMethod(
        this, [] {}, Qt::QueuedConnection);
  }
}

void DebuggerStops::show(const session::DebugView& view, std::uint64_t stop) {
  {
    std::lock_guard lock(mutex_);
    if (stop != stop_ || !waiting_) return;  // interrupted before it could be shown
  }
  if (!dialog_) {
    dialog_ = new DebuggerDialog(console_);
    connect(dialog_, &DebuggerDialog::answered, this, &DebuggerStops::answer);
    // Deleted without an answer (its console went): a waiting stop ends as if closed.
    connect(dialog_, &QObject::destroyed, this, &DebuggerStops::dialogGone);
    QScreen* screen = console_->screen() ? console_->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 14, 1 << 14);
    dialog_->setGeometry(placeBeside(console_->frameGeometry(), dialog_->size(), area));
  }
  shown_ = stop;
  dialog_->showStop(view);
}

void DebuggerStops::answer(session::DebugCommand command) {
  {
    std::lock_guard lock(mutex_);
    if (waiting_ && shown_ == stop_ && !answer_) {
      answer_ = command;
      woken_.notify_all();
      return;
    }
  }
  emit answeredOutsideStop(command);
}

void DebuggerStops::dialogGone() {
  std::lock_guard lock(mutex_);
  if (waiting_ && shown_ == stop_ && !answer_) {
    answer_ = session::DebugCommand::kClose;
    woken_.notify_all();
  }
}

void DebuggerStops::hideAfterInterrupt(std::uint64_t stop) {
  std::lock_guard lock(mutex_);
  if (stop == stop_ && !waiting_ && dialog_) dialog_->hide();
}

}  // namespace zirbin::platform
