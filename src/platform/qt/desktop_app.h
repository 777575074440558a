// The desktop application: the consoles (the primary one made at start-up and the
// secondary ones launched from the menu), the one interpreter thread that runs all their
// commands in turn, start-up and shutdown.
//
// Threads. The GUI thread owns every window and every ConsoleSession object; the
// interpreter thread owns every InterpreterSession and everything a command touches.
// Code on the GUI thread reaches interpreter state only by posting a job
// (DesktopApp::interpreter().post); code on the interpreter thread reaches windows only
// through runOnGui (interpreter_thread.h) or through a session's QtHost. Neither thread
// ever waits for the GUI thread except the interpreter thread inside QtHost, which any
// cancel releases at once.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QPointer>

#include "gui/command_history.h"
#include "gui/shared_console.h"
#include "platform/qt/console_window.h"
#include "platform/qt/figure_window.h"
#include "platform/qt/interpreter_thread.h"
#include "platform/qt/qt_host.h"

namespace zirbin::session {
class InterpreterSession;
}

namespace zirbin::platform::qt {

class DesktopApp;

// What the console shows of its session after each command (read on the interpreter
// thread, shown on the GUI thread).
struct SessionState {
  std::vector<std::string> recentDirectories;  // sorted
  std::string selectedDirectory;               // the entry matching the current directory
  std::string prompt = ">";
};

// One console: its window and line editor on the GUI thread, its interpreter session on
// the interpreter thread, and the output and host that join them.
class ConsoleSession {
 public:
  // GUI thread. Opens the window and has the interpreter thread build the session (a
  // primary one restores the saved state).
  ConsoleSession(DesktopApp& app, bool secondary);
  // GUI thread. REQUIRES: the interpreter session is gone (see DesktopApp::closeConsole).
  ~ConsoleSession();
  ConsoleSession(const ConsoleSession&) = delete;
  ConsoleSession& operator=(const ConsoleSession&) = delete;

  bool secondary() const { return secondary_; }
  gui::SharedConsole& output() { return output_; }
  QtHost& host() { return host_; }
  DesktopApp& app() { return app_; }

  // GUI thread: the window (null once it is closed) and the history its editor uses.
  ConsoleWindow* window() const { return window_; }
  gui::CommandHistory& history() { return history_; }

  // Interpreter thread: the session (null before it is built and after it is gone).
  session::InterpreterSession* interpreter() { return interpreter_.get(); }

  // GUI thread. Queues a command: a typed line (kTypedMode, echoed when it starts) or the
  // clipboard's text (kClipboardMode; `text` is ignored unless `paste` is set, which runs
  // `text` as if it were the clipboard's).
  void submit(const std::string& text, char mode, bool paste = false);
  // GUI thread. Queues `job` to run with this session on the interpreter thread (skipped
  // when the session is gone). The console redraws its state afterwards.
  void post(std::function<void(session::InterpreterSession&)> job);
  // Interpreter thread: where the windows of this console's figures send their events
  // (the function runs on the GUI thread): the console's queue, handled by a job.
  FigureEventSink figureSink();
  // Any thread: commands queued or running for this console.
  int pendingCommands() const { return pending_.load(); }
  // GUI thread: stops the running command of this console and the waits of its host.
  void abort();
  // GUI thread: raises the interrupt of this console's session when its command is running.
  void interruptIfRunning();

 private:
  // Interpreter thread, after a command: `quit` or `exit` asked to end the session.
  void endIfAsked();
  friend class DesktopApp;
  void build();
  void linkFigures();   // interpreter thread: the session's figure callbacks
  void publishState();  // interpreter thread

  DesktopApp& app_;
  bool secondary_;
  gui::SharedConsole output_;
  QtHost host_;
  gui::CommandHistory history_;
  QPointer<ConsoleWindow> window_;
  std::unique_ptr<session::InterpreterSession> interpreter_;
  std::atomic<int> pending_{0};
};

struct DesktopOptions {
  std::optional<std::string> script;  // run at start-up as a typed cd and a pasted use
  std::vector<std::string> lines;     // typed into the primary console at start-up
};

class DesktopApp {
 public:
  // REQUIRES: a QApplication exists. Opens the primary console.
  explicit DesktopApp(const DesktopOptions& options);
  // Ends every console (see shutdown()).
  ~DesktopApp();
  DesktopApp(const DesktopApp&) = delete;
  DesktopApp& operator=(const DesktopApp&) = delete;

  // The application while it exists (GUI thread), else null.
  static DesktopApp* instance();

  InterpreterThread& interpreter() { return interpreter_; }
  ConsoleSession& primary() { return *consoles_.front(); }
  // The console the user typed in last (keyboard focus), never null.
  ConsoleSession& current() { return current_ != nullptr ? *current_ : primary(); }
  void setCurrent(ConsoleSession* console) { current_ = console; }
  const std::vector<std::unique_ptr<ConsoleSession>>& consoles() const { return consoles_; }
  // GUI thread: true iff `console` is one of the open consoles.
  bool hasConsole(const ConsoleSession* console) const;

  // GUI thread. Opens a secondary console; null when that failed (after telling the user).
  ConsoleSession* launchSecondary();
  // GUI thread. Closes a console: a secondary one ends alone, the primary ends the program
  // (the event loop quits; shutdown follows).
  void closeConsole(ConsoleSession& console);
  // GUI thread. Stops every command, ends every session (the primary writes its state
  // files), ends the interpreter thread and writes the history. Idempotent.
  void shutdown();
  bool closing() const { return closing_.load(); }
  // The program's exit status: exit(n) typed in the primary console gives n, else 0.
  int exitStatus() const { return exitStatus_; }

  // Interpreter thread: the console whose command is running, or null.
  ConsoleSession* running() const { return running_.load(); }

 private:
  friend class ConsoleSession;
  void typeStartLines(const DesktopOptions& options);
  // New figures open windows whose events reach the console that made them.
  void openFigureWindows();

  std::vector<std::unique_ptr<ConsoleSession>> consoles_;
  ConsoleSession* current_ = nullptr;
  std::atomic<ConsoleSession*> running_{nullptr};
  std::atomic<bool> closing_{false};
  InterpreterThread interpreter_;  // last member but one: ends before the consoles go
  bool shutDown_ = false;
  int exitStatus_ = 0;  // GUI thread
};

}  // namespace zirbin::platform::qt
