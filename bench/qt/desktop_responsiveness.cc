// Responsiveness of the desktop on the offscreen platform: start-up to a ready prompt, a
// typed key to its echo on screen, and `for i = 1:1e6: {disp(i)}` in a console (compare
// with the same loop in --batch writing to /dev/null; bench/qt/disp_loop.sh runs both).
#include <chrono>
#include <cstdio>

#include <QApplication>
#include <QTest>

#include "files/temp_dir.h"
#include "platform/qt/desktop_app.h"

using Clock = std::chrono::steady_clock;
using zirbin::platform::qt::DesktopApp;

namespace {

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void settle(DesktopApp& app) {
  while (!app.interpreter().idle() || app.primary().pendingCommands() > 0) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  zirbin::testing::TempDir state;
  zirbin::testing::EnvironmentGuard home("ZIRBIN_HOME", state.path());
  const Clock::time_point begin = Clock::now();
  QApplication qt(argc, argv);
  DesktopApp app({});
  settle(app);
  std::printf("start-up to a ready prompt: %.1f ms\n", millisecondsSince(begin));

  zirbin::platform::qt::ConsoleWidget& console = app.primary().window()->console();
  constexpr int kKeys = 200;
  const Clock::time_point keys = Clock::now();
  for (int i = 0; i < kKeys; ++i) {
    QTest::keyClick(&console, Qt::Key_A);
    console.repaint();
  }
  std::printf("key to echo: %.3f ms per key\n", millisecondsSince(keys) / kKeys);
  QTest::keyClick(&console, Qt::Key_Escape);

  const Clock::time_point loop = Clock::now();
  QTest::keyClicks(&console, "for i = 1:1e6: {disp(i)}");
  QTest::keyClick(&console, Qt::Key_Return);
  settle(app);
  std::printf("for i = 1:1e6: {disp(i)} in a console: %.0f ms\n", millisecondsSince(loop));
  return 0;
}
