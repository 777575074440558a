// The stream front end's run: start-up, -e lines, the start-up script, standard input,
// and the console lines on standard output.
#include "platform/batch/front_end.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "builtins/registry.h"
#include "files/state_dir.h"
#include "gui/command_history.h"
#include "gui/console_buffer.h"
#include "session/host.h"
#include "session/interpreter_session.h"
#include "session/process_state.h"

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
  session::stopReason = session::StopReason::kReturn;
  session::keepRunning = false;
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
}

bool endSignalled() { return endRequested != 0; }

bool sessionEnding() { return endRequested != 0 || session::endRequested; }

int exitStatus(int errors) {
  if (session::endRequested && session::endStatus >= 0) return session::endStatus;
  return errors > 0 ? 1 : 0;
}

ScriptStart scriptStart(const std::string& script) {
  std::error_code error;
  std::string path = std::filesystem::absolute(script, error).lexically_normal().string();
  if (error) path = script;
  char quote = path.find('"') == std::string::npos ? '"' : '\'';
  ScriptStart start;
  std::size_t slash = path.find_last_of('/');
  start.directory = slash == 0 || slash == std::string::npos ? std::string(1, '/')
                                                             : path.substr(0, slash);
  start.useText = "use ";
  start.useText += quote;
  start.useText += path;
  start.useText += quote;
  start.useText += '\r';
  return start;
}

void startScript(session::InterpreterSession& session, session::Host& host,
                 const ScriptStart& script,
                 const std::function<void(const std::string& line)>& typed) {
  if (session::builtinRegistry().lookup("cd") != builtins::BuiltinKind::None) {
    // Ended with ';' so that the batch output does not carry the machine's own path.
    typed("cd \"" + script.directory + "\";");
  } else {
    try {
      session.pathList().setDirectory(script.directory);
    } catch (const session::RuntimeError& error) {
      session.reportError(error.text);
    }
  }
  if (sessionEnding()) return;
  host.setClipboardText(script.useText);
  session.submitInput(std::string(), session::kClipboardMode);
  std::fflush(stdout);
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

// Writes console lines to standard output as they complete.
class LineWriter {
 public:
  LineWriter(const FrontEndOptions& options, const StreamStyle& style)
      : options_(options), style_(style) {}
  void write(const std::string& line) {
    std::string text = options_.markup  ? line
                       : style_.colours ? gui::ansiText(line, style_.colours)
                                        : gui::plainText(line);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
  }

 private:
  const FrontEndOptions& options_;
  const StreamStyle& style_;
};

class Run {
 public:
  Run(const FrontEndOptions& options, const StreamStyle& style)
      : options_(options), style_(style), writer_(options, style), host_(console_) {
    console_.onLineCompleted = [this](const std::string& line) { writer_.write(line); };
  }

  int run() {
    std::optional<ScriptStart> script;  // before the session: restoring it may change directory
    if (options_.script) script = scriptStart(*options_.script);
    catchEndSignals();
    {
      session::InterpreterSession session(host_, console_, false);
      gui::loadHistory(history_, files::stateFilePath(files::kHistoryFileName));
      for (const std::string& line : options_.lines) {
        if (!sessionEnding()) typed(session, line, false);
      }
      if (script && !sessionEnding()) {
        startScript(session, host_, *script,
                    [&](const std::string& line) { typed(session, line, false); });
      }
      if (!sessionEnding()) readStandardInput(session);
      errors_ = session.errorCount();
      gui::saveHistory(history_, files::stateFilePath(files::kHistoryFileName));
    }
    if (!console_.currentLine().empty()) writer_.write(console_.currentLine());
    std::fflush(stdout);
    return exitStatus(errors_);
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
    std::fflush(stdout);
  }

  void readStandardInput(session::InterpreterSession& session) {
    std::string line;
    for (;;) {
      if (style_.showPrompt) {
        std::fputs((session.prompt() + " ").c_str(), stdout);
        std::fflush(stdout);
      }
      // Lines the stream holds already are dropped once the end is requested.
      if (sessionEnding() || !std::getline(std::cin, line) || sessionEnding()) break;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      typed(session, line, true);
      if (sessionEnding()) break;
    }
    if (style_.showPrompt) std::fputc('\n', stdout);
  }

  const FrontEndOptions& options_;
  const StreamStyle& style_;
  LineWriter writer_;
  gui::ConsoleBuffer console_;
  StreamHost host_;
  gui::CommandHistory history_;
  int errors_ = 0;
};

}  // namespace

int runFrontEnd(const FrontEndOptions& options, const StreamStyle& style) {
  Run run(options, style);
  return run.run();
}

}  // namespace zirbin::platform
