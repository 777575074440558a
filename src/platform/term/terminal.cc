// The terminal front end: the command loop over the line editor, and the console lines
// written to the terminal as soon as they are complete.
#include "platform/term/terminal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "files/state_dir.h"
#include "gui/command_history.h"
#include "gui/completion.h"
#include "gui/console_buffer.h"
#include "base/run_context.h"
#include "gui/pending_input.h"
#include "platform/batch/desktop_loader.h"
#include "platform/term/line_editor.h"
#include "platform/term/terminal_colours.h"
#include "platform/term/terminal_host.h"
#include "session/interpreter_session.h"

namespace zirbin::platform {

namespace {

// The session whose commands Ctrl+C interrupts: set while the terminal's session lives.
// Read by the SIGINT handler; interrupt() is one atomic store, safe in a signal handler.
session::InterpreterSession* volatile interruptTarget = nullptr;

void interruptRunningCommand() {
  if (session::InterpreterSession* target = interruptTarget) target->interrupt();
}

// The prompt of a continuation line.
constexpr const char* kContinuationPrompt = "... ";

class TerminalRun {
 public:
  TerminalRun(const FrontEndOptions& options, bool colours)
      : options_(options),
        colours_(colours ? terminalColours() : gui::ColourLookup{}),
        editor_(history_, [this](std::string_view line, std::size_t caret) {
          return complete(line, caret);
        }),
        host_(console_, editor_, [this] { flush(); }) {
    console_.onLineCompleted = [this](const std::string& line) { write(line); };
  }

  int run() {
    std::optional<session::ScriptStart> script;  // before the session: restoring it may change directory
    if (options_.script) script = session::scriptStart(*options_.script);
    catchEndSignals();
    {
      session::InterpreterSession session(host_, console_, false);
      // The thread is the session's for the whole run: what is drawn between commands
      // (the console's colours) is the session's too.
      session::RunContextScope inSession(session.context());
      session_ = &session;
      interruptTarget = &session;
      WakePipe::onInterrupt = interruptRunningCommand;
      openFigureWindows();
      gui::loadHistory(history_, files::stateFilePath(files::kHistoryFileName));
      editor_.historyChanged();
      for (const std::string& line : options_.lines) {
        if (sessionEnding(session)) break;
        console_.echo(session.prompt(), line);
        run(line, session::kTypedMode);
      }
      if (script && !sessionEnding(session)) {
        session::startScript(session, *script);
        flush();
      }
      if (!sessionEnding(session)) readCommands(session);
      errors_ = session.errorCount();
      endStatus_ = endStatusOf(session);
      closeFigureWindows();
      gui::saveHistory(history_, files::stateFilePath(files::kHistoryFileName));
      WakePipe::onInterrupt = nullptr;
      interruptTarget = nullptr;
      session_ = nullptr;
    }
    flush();
    return exitStatus(errors_, endStatus_);
  }

 private:
  // With a display, figures open as windows (shown by a thread of the desktop's module);
  // their events reach the prompt through a pipe. Without one they stay models, as in a
  // batch run.
  void openFigureWindows() {
    if (!displayAvailable() || ::pipe2(figurePipe_, O_NONBLOCK | O_CLOEXEC) != 0) return;
    const int writeEnd = figurePipe_[1];
    std::string whyNot;
    windows_ = platform::openFigureWindows(
        [writeEnd] {
          const char byte = 'f';
          [[maybe_unused]] ssize_t written = ::write(writeEnd, &byte, 1);
        },
        whyNot);
    if (!windows_) {
      session_->reportError("figures open without windows: " + whyNot);
      return;
    }
    host_.setFigureWindows(windows_.get());
    editor_.watchFigureEvents(figurePipe_[0], [this] {
      session_->handleFigureEvents();
      flush();
    });
  }

  // The figures close with the session (in its context); the module's thread ends before
  // the pipe goes.
  void closeFigureWindows() {
    host_.setFigureWindows(nullptr);
    editor_.watchFigureEvents(-1, nullptr);
    if (windows_) {
      session::RunContextScope inSession(session_->context());
      windows_.reset();
    }
    for (int& end : figurePipe_) {
      if (end >= 0) ::close(end);
      end = -1;
    }
  }

  void readCommands(session::InterpreterSession& session) {
    gui::PendingInput pending;
    while (!sessionEnding(session)) {
      const std::string prompt = pending.empty() ? session.prompt() + " " : kContinuationPrompt;
      LineEditor::Input input = editor_.read(prompt);
      switch (input.outcome) {
        case LineEditor::Outcome::kEnd:
          return;
        case LineEditor::Outcome::kCancelled:
        case LineEditor::Outcome::kWoken:
          pending.clear();
          break;
        case LineEditor::Outcome::kPaste:
          pending.clear();
          run(input.text, session::kClipboardMode);
          break;
        case LineEditor::Outcome::kLine:
          history_.add(input.text);
          editor_.historyChanged();
          if (!pending.add(input.text)) break;
          if (pending.lineCount() == 1) {
            run(pending.lines().front(), session::kTypedMode);
          } else {
            run(pending.text(), session::kClipboardMode);
          }
          pending.clear();
          break;
      }
    }
  }

  // Runs one command: a typed line, or text as a pasted command.
  void run(const std::string& text, char mode) {
    if (mode == session::kClipboardMode) host_.setClipboardText(text);
    session_->submitInput(mode == session::kClipboardMode ? std::string() : text, mode);
    // A Ctrl+C that came as the command ended must not cancel the next line.
    WakePipe::drain();
    flush();
  }

  // Ends the console's current line, so that it shows before the next prompt or question.
  void flush() {
    if (!console_.currentLine().empty()) console_.newLine();
    std::fflush(stdout);
  }

  void write(const std::string& line) {
    std::string text = options_.markup ? line
                       : colours_  ? gui::ansiText(line, colours_)
                                   : gui::plainText(line);
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stdout);
  }

  Completions complete(std::string_view line, std::size_t caret) {
    const gui::CompletionRequest request = gui::completionRequest(line, caret);
    Completions found;
    found.start = request.start;
    found.fileNames = request.kind == gui::CompletionKind::kFileName;
    if (found.fileNames) {
      found.candidates = gui::fileCandidates(request.word);
    } else if (session_ != nullptr) {
      found.candidates = gui::nameCandidates(*session_, request.word);
    }
    return found;
  }

  const FrontEndOptions& options_;
  gui::ColourLookup colours_;
  gui::ConsoleBuffer console_;
  gui::CommandHistory history_;
  LineEditor editor_;
  TerminalHost host_;
  session::InterpreterSession* session_ = nullptr;
  int errors_ = 0;
  int endStatus_ = -1;  // the status `exit` gave the session
  std::unique_ptr<FigureWindows> windows_;
  int figurePipe_[2] = {-1, -1};
};

}  // namespace

int runTerminal(const FrontEndOptions& options, bool noColour) {
  const bool colours = coloursWanted(noColour) && !options.markup;
  if (isatty(STDIN_FILENO) == 0 || isatty(STDOUT_FILENO) == 0) {
    // Lines from a pipe or a file: the stream loop, with a prompt when someone types.
    StreamStyle style;
    const bool interactive = isatty(STDIN_FILENO) != 0;
    style.showPrompt = interactive;
    style.rewriteEcho = interactive && colours;
    if (colours) style.colours = terminalColours();
    return runFrontEnd(options, style);
  }
  TerminalRun run(options, colours);
  return run.run();
}

}  // namespace zirbin::platform
