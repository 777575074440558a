// The desktop host's questions to the GUI thread and its waits.
#include "platform/qt/qt_host.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>

#include "base/console_output.h"
#include "base/run_context.h"
#include "gui/console_view.h"
#include "platform/qt/console_window.h"
#include "platform/qt/debugger_stops.h"
#include "platform/qt/desktop_app.h"
#include "platform/qt/figure_events_queue.h"
#include "platform/qt/figure_view.h"
#include "graphics/figure.h"
#include "platform/qt/interpreter_thread.h"
#include "session/interpreter_session.h"

namespace zirbin::platform::qt {

QtHost::QtHost(ConsoleSession& console)
    : console_(console), figureQueue_(std::make_shared<FigureEventQueue>()) {}

template <class T>
std::optional<T> QtHost::ask(Question<T> start) {
  struct Answer {
    std::optional<T> value;
  };
  auto answer = std::make_shared<Answer>();
  std::shared_ptr<Waits> waits = waits_;
  {
    std::lock_guard<std::mutex> lock(waits->mutex);
    if (waits->cancelled || waits->closed) return std::nullopt;
  }
  runOnGui([waits, answer, start] {
    start([waits, answer](T value) {
      std::lock_guard<std::mutex> lock(waits->mutex);
      if (!answer->value) answer->value = std::move(value);
      waits->answered.notify_all();
    });
  });
  std::unique_lock<std::mutex> lock(waits->mutex);
  waits->answered.wait(lock, [&] { return answer->value || waits->cancelled || waits->closed; });
  return answer->value;
}

void QtHost::cancelWaits() {
  std::lock_guard<std::mutex> lock(waits_->mutex);
  waits_->cancelled = true;
  waits_->answered.notify_all();
  figureQueue_->wake();
}

void QtHost::close() {
  {
    std::lock_guard<std::mutex> lock(waits_->mutex);
    waits_->closed = true;
    waits_->answered.notify_all();
  }
  figureQueue_->wake();
}

void QtHost::resetCancel() {
  std::lock_guard<std::mutex> lock(waits_->mutex);
  waits_->cancelled = false;
}

int QtHost::messageBox(const std::string& text, const std::string& caption, bool withCancel) {
  std::optional<int> button = ask<int>([text, caption, withCancel](std::function<void(int)> reply) {
    // Owned by no window, as the interpreter's boxes are; a box the user closes answers
    // Cancel where there is one, else OK.
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                    QString::fromStdString(text),
                    withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok);
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    const int pressed = box.exec();
    reply(pressed == QMessageBox::Ok ? session::kAnswerOk : session::kAnswerCancel);
  });
  return button.value_or(withCancel ? session::kAnswerCancel : session::kAnswerOk);
}

std::optional<std::string> QtHost::readLine(const std::string& prompt) {
  session::ConsoleOutput& out = console_.output();
  out.print(prompt, true, session::kPrintText);
  ConsoleSession* console = &console_;
  std::optional<std::string> line =
      ask<std::string>([console](std::function<void(std::string)> reply) {
        if (ConsoleWindow* window = console->window()) window->beginReadLine(std::move(reply));
      });
  if (!line) return std::nullopt;
  out.print(*line, false, session::kPrintLines);
  out.newLine();
  return line;
}

int QtHost::readKey() {
  ConsoleSession* console = &console_;
  return ask<int>([console](std::function<void(int)> reply) {
           if (ConsoleWindow* window = console->window()) window->beginReadKey(std::move(reply));
         })
      .value_or(0);
}

// Clicks in figure windows reach the interpreter once figure windows exist; until then
// none can come.
std::optional<session::Click> QtHost::waitForClick() { return std::nullopt; }

std::optional<session::FigureEvent> QtHost::pollFigureEvent() {
  showFigures();
  return figureQueue_->poll();
}

std::optional<session::FigureEvent> QtHost::waitFigureEvent(int timeoutMs) {
  showFigures();
  {
    std::lock_guard<std::mutex> lock(waits_->mutex);
    if (waits_->cancelled || waits_->closed) return std::nullopt;
  }
  return figureQueue_->wait(timeoutMs);
}

bool QtHost::figureEventsPossible() const {
  {
    std::lock_guard<std::mutex> lock(waits_->mutex);
    if (waits_->cancelled || waits_->closed) return false;
  }
  return !views_.empty() || figureQueue_->size() > 0;
}

void QtHost::showFigures() { views_.showChanged(); }

void QtHost::closeFigures() {
  // Between commands: the figures are those of this console's session, in its context.
  session::InterpreterSession* interpreter = console_.interpreter();
  if (interpreter == nullptr) return;
  session::RunContextScope inSession(interpreter->context());
  views_.closeFigures();
}

void QtHost::setPendingPaste(std::string text) { pendingPaste_ = std::move(text); }

std::string QtHost::clipboardText() {
  if (pendingPaste_) {
    std::string text = std::move(*pendingPaste_);
    pendingPaste_.reset();
    return text;
  }
  return ask<std::string>([](std::function<void(std::string)> reply) {
           reply(gui::clipboardLines(QGuiApplication::clipboard()->text().toStdString()));
         })
      .value_or(std::string());
}

bool QtHost::setClipboardText(const std::string& text) {
  return ask<bool>([text](std::function<void(bool)> reply) {
           QGuiApplication::clipboard()->setText(QString::fromStdString(text));
           reply(true);
         })
      .value_or(false);
}

DebuggerStops* QtHost::debuggerStops() {
  ConsoleWindow* window = console_.window();
  if (!debugger_ && window) {
    debugger_ = new DebuggerStops(window);
    // "Cont" or closing while no stop waits (the dialog stays up while stepping) ends
    // stepping once the running command is over.
    debugger_->onAnswerOutsideStop = [console = &console_](session::DebugCommand command) {
      if (command == session::DebugCommand::kContinue || command == session::DebugCommand::kClose) {
        console->post([](session::InterpreterSession& s) { s.context().stepping = false; });
      }
    };
  }
  return debugger_;
}

session::DebugCommand QtHost::debuggerStop(const session::DebugView& view) {
  std::optional<session::DebugCommand> command =
      ask<session::DebugCommand>([this, view](std::function<void(session::DebugCommand)> reply) {
        if (DebuggerStops* stops = debuggerStops()) {
          stops->show(view, std::move(reply));
        } else {
          reply(session::DebugCommand::kContinue);  // the console is closing
        }
      });
  if (command) return *command;
  // Aborted: the stop ends unanswered, and stepping with it.
  runOnGui([this] {
    if (debugger_) debugger_->endStop();
  });
  return session::DebugCommand::kContinue;
}

std::optional<std::string> QtHost::browseForFolder(const std::string& title) {
  const QString start = QDir::currentPath();
  std::optional<std::string> folder =
      ask<std::string>([title, start](std::function<void(std::string)> reply) {
        QFileDialog dialog(nullptr, QString::fromStdString(title), start);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
        reply(chosen ? dialog.selectedFiles().first().toStdString() : std::string());
      });
  if (!folder || folder->empty()) return std::nullopt;
  return folder;
}

}  // namespace zirbin::platform::qt
