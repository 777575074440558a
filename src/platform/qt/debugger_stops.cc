// Debugger stops of one console on the desktop.
#include "platform/qt/debugger_stops.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QThread>

namespace zirbin::platform::qt {

DebuggerStops::DebuggerStops(QWidget* console) : QObject(console), console_(console) {}

void DebuggerStops::show(const session::DebugView& view, Reply reply) {
  reply_ = std::move(reply);
  if (!dialog_) {
    dialog_ = new DebuggerDialog(console_);
    dialog_->onAnswer = [this](session::DebugCommand command) { answer(command); };
    // Deleted without an answer (its console went): the pending stop ends as if closed.
    connect(dialog_, &QObject::destroyed, this, [this] {
      if (Reply reply = std::exchange(reply_, nullptr)) reply(session::DebugCommand::kClose);
    });
    QScreen* screen = console_->screen() ? console_->screen() : QGuiApplication::primaryScreen();
    if (screen) {
      dialog_->setGeometry(
          placeBeside(console_->frameGeometry(), dialog_->size(), screen->availableGeometry()));
    }
  }
  dialog_->showStop(view);
}

void DebuggerStops::endStop() {
  reply_ = nullptr;
  if (dialog_) dialog_->hide();
}

void DebuggerStops::answer(session::DebugCommand command) {
  if (Reply reply = std::exchange(reply_, nullptr)) {
    reply(command);
  } else if (onAnswerOutsideStop) {
    onAnswerOutsideStop(command);
  }
}

std::optional<session::DebugCommand> DebuggerStops::wait(const session::DebugView& view,
                                                         const std::function<bool()>& interrupted) {
  std::uint64_t number;
  {
    std::lock_guard lock(mutex_);
    if (interrupted()) return std::nullopt;
    number = ++waitNumber_;
    waiting_ = true;
    answer_.reset();
  }
  auto reply = [this, number](session::DebugCommand command) {
    std::lock_guard lock(mutex_);
    if (number != waitNumber_ || !waiting_) return;  // the wait ended before
    answer_ = command;
    woken_.notify_all();
  };
  auto ended = [&] { return answer_.has_value() || interrupted(); };  // under mutex_

  std::unique_lock lock(mutex_);
  if (QThread::currentThread() == thread()) {
    lock.unlock();
    show(view, reply);
    for (;;) {
      lock.lock();
      if (ended()) break;
      lock.unlock();
      QEventLoop().processEvents(QEventLoop::WaitForMoreEvents);
    }
  } else {
    QMetaObject::invokeMethod(
        this, [this, view, reply] { show(view, reply); }, Qt::QueuedConnection);
    woken_.wait(lock, ended);
  }
  waiting_ = false;
  if (answer_) return answer_;
  lock.unlock();
  QMetaObject::invokeMethod(
      this, [this] { endStop(); }, Qt::QueuedConnection);
  return std::nullopt;
}

void DebuggerStops::wake() {
  // Taking the lock orders the caller's flag before the waiter's next look at it.
  std::lock_guard lock(mutex_);
  woken_.notify_all();
  // A wait on the GUI thread sleeps in its event loop, not on the condition.
  if (waiting_)
    QMetaObject::invokeMethod(
        this, [] {}, Qt::QueuedConnection);
}

}  // namespace zirbin::platform::qt
