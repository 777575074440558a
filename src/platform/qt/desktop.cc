// The desktop front end's entry: the application object, the end signals and the run.
#include "platform/qt/desktop.h"

#include <csignal>
#include <cstdlib>

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QTimer>

#include "base/run_context.h"
#include "platform/qt/desktop_app.h"

namespace zirbin::platform {

namespace {

// Set by SIGTERM and SIGHUP; a timer of the GUI thread sees it and closes the program as
// closing the primary console does, so that the state files are written.
volatile std::sig_atomic_t endRequested = 0;

// Only async-signal-safe work here: a running command stops as at a `return`.
extern "C" void requestDesktopEnd(int) {
  endRequested = 1;
  session::haltRequested = 1;
}

// How often the GUI thread looks for an end signal, in milliseconds.
constexpr int kSignalPollMilliseconds = 100;

}  // namespace

int runDesktop(int argc, char** argv, const std::vector<std::string>& lines,
               const std::optional<std::string>& script) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("zirbin2020");
  QApplication::setWindowIcon(QIcon(QApplication::applicationDirPath() + "/zirbin.png"));
  QApplication::setQuitOnLastWindowClosed(false);  // the primary console's closing quits

  struct sigaction action {};
  action.sa_handler = requestDesktopEnd;
  action.sa_flags = SA_RESETHAND;  // a second signal ends the program at once
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);

  qt::DesktopOptions options;
  options.lines = lines;
  options.script = script;
  qt::DesktopApp desktop(options);
  QTimer endSignals;
  QObject::connect(&endSignals, &QTimer::timeout, [&desktop] {
    if (endRequested) desktop.closeConsole(desktop.primary());
  });
  endSignals.start(kSignalPollMilliseconds);
  // The session manager's logout ends the event loop; the desktop then shuts down below.
  QObject::connect(&app, &QGuiApplication::commitDataRequest, [&desktop] { desktop.shutdown(); });
  QApplication::exec();
  desktop.shutdown();
  return desktop.exitStatus();
}

}  // namespace zirbin::platform

// The entry zirbin2020 finds with dlsym: C linkage, so its name is the plain text below.
extern "C" __attribute__((visibility("default"))) int zirbin_run_desktop(
    int argc, char** argv, const std::vector<std::string>* lines,
    const std::optional<std::string>* script) {
  return zirbin::platform::runDesktop(argc, argv, *lines, *script);
}
