// Debugger stops of one console on the desktop.
#include "platform/qt/debugger_stops.h"

#include <utility>

#include <QGuiApplication>
#include <QScreen>

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

}  // namespace zirbin::platform::qt
