// One interpreter session: its input, workspace, path list and statement compiler, and
// the command cycle that turns one unit of input into a compiled statement, runs it and
// reports any failure into the session's console output.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "compiler/input_source.h"
#include "files/path_list.h"
#include "base/console_output.h"
#include "base/run_context.h"
#include "base/errors.h"
#include "session/host_prompts.h"
#include "engine/workspace.h"

namespace zirbin::compiler {
class StatementCompiler;
}  // namespace zirbin::compiler
namespace zirbin::engine {
class FunctionTable;
class Statement;
}  // namespace zirbin::engine

namespace zirbin::session {

class Host;
class SessionFigureCallbacks;

// Input modes of loadInput and submitInput.
inline constexpr char kTypedMode = '>';
inline constexpr char kClipboardMode = 'c';

class InterpreterSession {
 public:
  // Builds the input, the workspace, the path list and the statement compiler, linked to
  // `output` (the console's buffer, owned by the front end). A primary session (not
  // `secondary`) then restores the saved session and the path list from the state
  // directory. `interactive`: someone answers the host's message boxes (the desktop);
  // otherwise notices become console lines; only an interactive session moves to the saved
  // current directory (batch and terminal runs stay where they were started). Host and
  // output must outlive the session.
  InterpreterSession(Host& host, ConsoleOutput& output, bool secondary,
                     bool interactive = false);
  // A primary session writes the session file and the path list back, unless saveState
  // did already.
  ~InterpreterSession();
  InterpreterSession(const InterpreterSession&) = delete;
  InterpreterSession& operator=(const InterpreterSession&) = delete;

  // The console side of one command: loadInput then runCommand. Returns true iff the
  // command finished without an error report.
  bool submitInput(const std::string& text, char mode);

  // Makes `text` the input. For kClipboardMode the host's clipboard text is taken instead
  // of `text`. A typed line replaces the typed source's text; other text is pushed above
  // the suspended sources.
  void loadInput(const std::string& text, char mode);

  // Compiles everything the input yields into one statement (the whole of a pasted block
  // or `use` file compiles before any of it runs), compiles the bodies of functions
  // declared ahead with funcdec, sets keepRunning and breakpointsActive,
  // executes the statement and destroys it. Any failure abandons all input and is reported
  // in red. Returns true iff no error was reported.
  bool runCommand();

  // Asks the running command to stop: it ends as at a run-time error with the report
  // "execution interrupted", and the workspace keeps what it held at that moment. Callable
  // from any thread and from a signal handler (one lock-free atomic store, then the host's
  // wake(), which must be as safe as its caller needs). The flag stays raised until the
  // next command starts, which clears it; between commands it does nothing.
  void interrupt();
  // The session's run context: what its commands change (base/run_context.h). A front end
  // that looks at the session's figures from another thread enters it with a
  // RunContextScope while no command runs.
  RunContext& context() { return context_; }
  // True iff interrupt() was called since the running (or last) command started.
  bool interruptRequested() const { return context_.interrupt.load(std::memory_order_relaxed); }

  // Runs the script file at `path` as a command, as a `use` of it does; the path is data
  // and never becomes source text. A file that cannot be opened is reported as `use`
  // reports it. Returns true iff no error was reported.
  bool runScript(const std::string& path);

  // Writes the session file and the path list now (a primary session; the destructor then
  // writes nothing more). When they cannot be written the old files stay whole, and the
  // user is told (a console line, or a message box where someone answers). Returns false
  // iff the state could not be written; true for a secondary session, which saves none.
  bool saveState();

  // Reports a syntax error: "{r at line N}" when the error line number is above 0, then
  // the error source text, then "{r " + message + "}".
  void reportSyntaxError(const SyntaxError& error);
  // Reports "{r " + text + "}" on a fresh line.
  void reportError(const std::string& text);
  // Reports a caught failure of any kind as the command cycle does (a failed figure
  // callback: event handling goes on).
  void reportFailure(std::exception_ptr failure) { report(failure); }

  // Between commands: handles the figure events pending at the host (callbacks run as in a
  // command), then runs the lines that menu entries typed, each as a typed command.
  // Returns false iff one of those reported an error.
  bool handleFigureEvents();
  SessionFigureCallbacks& figureCallbacks() { return *figureCallbacks_; }

  // Replaces the compile step of runCommand (tests of the cycle use a stand-in compiler).
  using CommandCompiler = std::function<std::unique_ptr<engine::Statement>()>;
  void setCommandCompiler(CommandCompiler compiler) { compileCommand_ = std::move(compiler); }

  ConsoleOutput& output() { return output_; }
  compiler::UserInput& input() { return input_; }
  Workspace& workspace() { return workspace_; }
  engine::FunctionTable& functions() { return *functions_; }
  files::PathList& pathList() { return pathList_; }
  files::UserPrompts& prompts() { return prompts_; }
  Host& host() { return host_; }
  bool isSecondary() const { return secondary_; }
  // The prompt shown before a typed line and in its echo.
  const std::string& prompt() const { return prompt_; }
  // How many commands reported an error so far.
  int errorCount() const { return errorCount_; }

 private:
  // Stage two of the failure handling: the report by the kind of the failure.
  void report(std::exception_ptr failure);
  // Finds the script a `use` line names on the path list ("" when there is none).
  std::string findScript(const std::string& name) const;
  // Compiles the resource file of `name` from the program directory's resource folder.
  // Returns true iff there was one.
  bool loadResource(const std::string& name);
  // Compiles the function definitions of the file at `path` (other statements are
  // dropped), also while a function body is being compiled.
  void compileDefinitions(const std::string& path);
  // Compiles the bodies of the functions declared with funcdec and not yet defined, each
  // from its file name + ".zrb" found on the path list. A body that cannot be found is a
  // SyntaxError (and the failed command's clean-up removes the declaration).
  void compilePendingBodies();
  void restoreState();

  Host& host_;
  RunContext context_;
  bool secondary_;
  bool interactive_;
  std::string prompt_ = ">";
  ConsoleOutput& output_;
  compiler::UserInput input_;
  // Declared before the workspace, which removes every function when it goes.
  std::unique_ptr<engine::FunctionTable> functions_;
  Workspace workspace_;
  HostPrompts prompts_;
  files::PathList pathList_;
  std::unique_ptr<compiler::StatementCompiler> compiler_;
  std::unique_ptr<SessionFigureCallbacks> figureCallbacks_;
  CommandCompiler compileCommand_;
  int errorCount_ = 0;
  bool saved_ = false;      // saveState has run
};

}  // namespace zirbin::session
