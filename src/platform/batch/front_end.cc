// The stream front end's run: start-up, -e lines, the start-up script, standard input,
// and the console lines on standard output.
#include "platform/batch/front_end.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <vector>

#include "base/host.h"
#include "base/run_context.h"
#include "engine/registry.h"
#include "files/state_dir.h"
#include "gui/command_history.h"
#include "gui/console_buffer.h"
#include "session/interpreter_session.h"

namespace zirbin::platform {

namespace {

// Set by SIGTERM and SIGHUP (a terminal window closed, the system shutting down): the run
// takes no further input, and the session ends as at the end of its input, writing its
// state files. Read by the input loops of Run.
volatile std::sig_atomic_t endRequested = 0;

// Ends the input: standard input becomes /dev/null, so that a read blocked in it (which
// the stream library restarts after the signal) sees the end of input at once. A running
// command stops as at a `return`, so that a loop that never ends cannot keep the session
// from being saved (the interpreter's one thread reads these flags between statements).
// Only async-signal-safe calls here.
extern "C" void requestEnd(int) {
  endRequested = 1;
  session::haltRequested = 1;
  session::runContext->stopReason = session::StopReason::kReturn;
  session::runContext->keepRunning = false;
  const int null = ::open("/dev/null", O_RDONLY);
  if (null >= 0) {
    ::dup2(null, STDIN_FILENO);
    ::close(null);
  }
}

}  // namespace

void catchEndSignals() {
  struct sigaction action {};
  action.sa_handler = requestEnd;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

bool endSignalled() { return endRequested != 0; }

bool sessionEnding(session::InterpreterSession& session) {
  return endRequested != 0 || session.context().endRequested;
}

int endStatusOf(session::InterpreterSession& session) {
  return session.context().endRequested ? session.context().endStatus : -1;
}

int exitStatus(int errors, int endStatus) {
  if (endStatus >= 0) return endStatus;
  return errors > 0 ? 1 : 0;
}

namespace {

// A host without windows: lines for `getline` come from standard input, shown on the
// console as the console shows a line read from its editor; a message box becomes a
// console line, answered OK.
class StreamHost : public session::HeadlessHost {
 public:
  explicit StreamHost(session::ConsoleOutput& console) : console_(console) {}
  int messageBox(const std::string& text, const std::string& caption, bool withCancel) override {
    HeadlessHost::messageBox(text, caption, withCancel);
    console_.print(text, true, session::kPrintText);
    console_.newLine();
    return session::kAnswerOk;
  }
  std::optional<std::string> readLine(const std::string& prompt) override {
    console_.print(prompt, true, session::kPrintText);
    std::string line;
    if (!std::getline(std::cin, line)) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    console_.print(line, false, session::kPrintLines);
    console_.newLine();
    return line;
  }
  // A stop is written as lines and execution goes on.
  session::DebugCommand debuggerStop(const session::DebugView& view) override {
    HeadlessHost::debuggerStop(view);
    for (const std::string& line : session::debugViewLines(view)) {
      console_.print(line, true, session::kPrintText);
    }
    return session::DebugCommand::kContinue;
  }

 private:
  session::ConsoleOutput& console_;
};

// Writes console lines to standard output as they complete. Once the end of the run is
// requested, lines are held until the session is saved (standard output may be a pipe
// nobody reads, where a write would block); a write that fails (the reader went away)
// ends the run as the end of input does, and nothing more is written.
class LineWriter {
 public:
  LineWriter(const FrontEndOptions& options, const StreamStyle& style)
      : options_(options), style_(style) {}
  void write(const std::string& line) {
    if (failed_) return;
    std::string text = options_.markup  ? line
                       : style_.colours ? gui::ansiText(line, style_.colours)
                                        : gui::plainText(line);
    text += '\n';
    if (endRequested && !released_) {
      held_.push_back(std::move(text));
      return;
    }
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) fail();
  }
  // Writes out what the buffer of standard output holds; a failure is as in write.
  void flush() {
    if (!failed_ && !(endRequested && !released_) && std::fflush(stdout) != 0) fail();
  }
  // After the save: writes the held lines.
  void release() {
    released_ = true;
    for (const std::string& text : held_) {
      if (failed_) break;
      if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) fail();
    }
    held_.clear();
    flush();
  }
  bool failed() const { return failed_; }

 private:
  void fail() {
    failed_ = true;
    requestEnd(0);
  }

  const FrontEndOptions& options_;
  const StreamStyle& style_;
  bool failed_ = false;
  bool released_ = false;
  std::vector<std::string> held_;
};

class Run {
 public:
  Run(const FrontEndOptions& options, const StreamStyle& style)
      : options_(options), style_(style), writer_(options, style), host_(console_) {
    console_.onLineCompleted = [this](const std::string& line) { writer_.write(line); };
  }

  int run() {
    std::optional<session::ScriptStart> script;  // before the session: restoring it may change directory
    if (options_.script) script = session::scriptStart(*options_.script);
    catchEndSignals();
    {
      session::InterpreterSession session(host_, console_, false);
      // The thread is the session's for the whole run: what is written between commands
      // (the console's colours) is the session's too.
      session::RunContextScope inSession(session.context());
      gui::loadHistory(history_, files::stateFilePath(files::kHistoryFileName));
      for (const std::string& line : options_.lines) {
        if (!sessionEnding(session)) typed(session, line, false);
      }
      if (script && !sessionEnding(session)) {
        session::startScript(session, *script);
        writer_.flush();
      }
      if (!sessionEnding(session)) readStandardInput(session);
      errors_ = session.errorCount();
      endStatus_ = endStatusOf(session);
      // The state is written before anything more goes to standard output.
      saved_ = session.saveState();
      if (!gui::saveHistory(history_, files::stateFilePath(files::kHistoryFileName))) {
        saved_ = false;
        console_.print("the command history could not be saved", true, session::kPrintText);
        console_.newLine();
      }
    }
    if (!console_.currentLine().empty()) writer_.write(console_.currentLine());
    writer_.release();
    // A state not saved, or output that could not be written, is a failed run.
    if (!saved_ || writer_.failed()) return 1;
    return exitStatus(errors_, endStatus_);
  }

 private:
  // Submits one typed line, echoed as the console echoes it when asked.
  void typed(session::InterpreterSession& session, const std::string& line, bool fromTerminal) {
    history_.add(line);
    if (options_.echo || style_.showPrompt) {
      // The terminal shows the typed line already; the echo takes its place.
      if (fromTerminal && style_.rewriteEcho) std::fputs("\x1b[1A\r\x1b[2K", stdout);
      console_.echo(session.prompt(), line);
    }
    session.submitInput(line, session::kTypedMode);
    writer_.flush();
  }

  void readStandardInput(session::InterpreterSession& session) {
    std::string line;
    for (;;) {
      if (style_.showPrompt && !endRequested) {
        std::fputs((session.prompt() + " ").c_str(), stdout);
        writer_.flush();
      }
      // Lines the stream holds already are dropped once the end is requested.
      if (sessionEnding(session) || !std::getline(std::cin, line) || sessionEnding(session)) break;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      typed(session, line, true);
      if (sessionEnding(session)) break;
    }
    if (style_.showPrompt && !endRequested) std::fputc('\n', stdout);
  }

  const FrontEndOptions& options_;
  const StreamStyle& style_;
  LineWriter writer_;
  gui::ConsoleBuffer console_;
  StreamHost host_;
  gui::CommandHistory history_;
  int errors_ = 0;
  int endStatus_ = -1;  // the status `exit` gave the session
  bool saved_ = true;
};

}  // namespace

int runFrontEnd(const FrontEndOptions& options, const StreamStyle& style) {
  Run run(options, style);
  return run.run();
}

}  // namespace zirbin::platform
