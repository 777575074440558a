// A desktop for one test: its own state directory, the primary console, and helpers that
// type into the real widgets and wait until the interpreter has answered.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "files/temp_dir.h"
#include "gui/plain_text.h"
#include "platform/qt/console_window.h"
#include "platform/qt/desktop_app.h"

namespace zirbin::platform::qt {

class DesktopTest : public ::testing::Test {
 protected:
  DesktopTest() : home_("ZIRBIN_HOME", state_.path()) {}

  void SetUp() override { start(); }
  void TearDown() override { app_.reset(); }

  // Opens the desktop (again, after a test ended it).
  void start(DesktopOptions options = {}) {
    app_ = std::make_unique<DesktopApp>(options);
    settle();
  }

  DesktopApp& app() { return *app_; }
  ConsoleWindow& window(int i = 0) { return *app_->consoles()[i]->window(); }
  ConsoleWidget& console(int i = 0) { return window(i).console(); }

  // Processes events until `done` holds (or 10 s pass); false on the time-out.
  bool waitFor(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
  }
  // Waits until every queued command has run and the window has taken its output.
  void settle() {
    ASSERT_TRUE(waitFor([this] {
      if (!app_->interpreter().idle()) return false;
      for (const auto& c : app_->consoles()) {
        if (c->pendingCommands() > 0) return false;
      }
      return true;
    }));
    QApplication::processEvents();
    for (const auto& c : app_->consoles()) {
      if (c->window()) c->window()->console().refresh();
    }
  }

  // Types `text` and Enter as key events into console `i`, then waits for the answer.
  void type(const std::string& text, int i = 0) {
    QTest::keyClicks(&console(i), QString::fromStdString(text));
    QTest::keyClick(&console(i), Qt::Key_Return);
    settle();
  }

  // Console `i`'s lines as plain text, the oldest held first (the unfinished line last).
  std::vector<std::string> lines(int i = 0) {
    gui::SharedConsole& out = app_->consoles()[i]->output();
    const gui::ConsoleSnapshot all = out.snapshot(0, 400);
    std::vector<std::string> text;
    for (const std::string& line : all.lines) text.push_back(gui::plainText(line));
    return text;
  }
  std::string lastLine(int i = 0, int back = 1) {
    const std::vector<std::string> all = lines(i);
    return all.size() > static_cast<size_t>(back) ? all[all.size() - 1 - back] : "";
  }
  // The raw markup of the line `back` lines above the current one.
  std::string markupLine(int i = 0, int back = 1) {
    gui::SharedConsole& out = app_->consoles()[i]->output();
    const int64_t last = out.snapshot(INT64_MAX, 0).last;
    return out.line(last - back);
  }

  testing::TempDir state_;
  testing::EnvironmentGuard home_;
  std::unique_ptr<DesktopApp> app_;
};

}  // namespace zirbin::platform::qt

namespace zirbin::platform::qt {

// Runs `answer` on the first modal widget that opens (a message box, a file dialog),
// from the event loop that the widget's own exec runs.
inline void answerModal(std::function<void(QWidget*)> answer) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      answer(modal);
    }
  });
  timer->start(5);
}

}  // namespace zirbin::platform::qt
