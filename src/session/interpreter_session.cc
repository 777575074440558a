// The command cycle of one interpreter session: loading input, compiling and running one
// command, the two-stage failure handling, and the start-up and shut-down of its state.
#include "session/interpreter_session.h"

#include <filesystem>

#include "base/host.h"
#include "base/run_context.h"
#include "compiler/statement_compiler.h"
#include "engine/run_state.h"
#include "engine/statement.h"
#include "engine/user_function.h"
#include "files/atomic_file.h"
#include "files/state_dir.h"
#include "graphics/figure_interaction.h"
#include "session/run_context_parts.h"
#include "session/session_figure_callbacks.h"
#include "session/session_file.h"

namespace zirbin::session {

namespace {

// A temporary file of a save this old belongs to no save still running: a save takes
// well under a second.
constexpr std::chrono::seconds kStaleSaveAge{60};

// Writes one plain console line: shown literally, whatever characters it holds.
void printPlainLine(ConsoleOutput& output, const std::string& text) {
  output.print(text, true, kPrintText);
  output.newLine();
}

}  // namespace

InterpreterSession::InterpreterSession(Host& host, ConsoleOutput& output, bool secondary,
                                       bool interactive)
    : host_(host),
      secondary_(secondary),
      interactive_(interactive),
      output_(output),
      functions_(std::make_unique<engine::FunctionTable>(
          [this](const std::string& line) { printPlainLine(output_, line); })),
      workspace_([this](const std::string& line) { printPlainLine(output_, line); }),
      prompts_(
          host, [this](const std::string& line) { printPlainLine(output_, line); }, interactive),
      compiler_(std::make_unique<compiler::StatementCompiler>(workspace_, input_, output_)),
      figureCallbacks_(std::make_unique<SessionFigureCallbacks>(*this)) {
  workspace_.setFunctionTable(functions_.get());
  functions_->setResourceLoader([this](const std::string& name) { return loadResource(name); });
  input_.setScriptLocator([this](const std::string& name) { return findScript(name); });
  compileCommand_ = [this]() { return compiler_->compileCommand(); };
  context_.console = &output_;
  context_.workspace = &workspace_;
  context_.host = &host_;
  context_.pathList = &pathList_;
  context_.prompts = &prompts_;
  context_.figureCallbacks = figureCallbacks_.get();
  makeRunContextParts(context_);
  if (!secondary_) restoreState();
}

InterpreterSession::~InterpreterSession() {
  if (!secondary_ && !saved_) saveState();
  // The session's figures and other parts go first, inside its context, while everything
  // they may reach is still there.
  RunContextScope scope(context_);
  dropRunContextParts(context_);
}

void InterpreterSession::restoreState() {
  RunContextScope scope(context_);
  // What a save killed half-way left behind: the old files it would have replaced are
  // whole, and the temporary copy (up to the session's size) is of no use to anyone.
  files::removeStaleTemporaries(files::stateDirectory(), "zirbin_", kStaleSaveAge);
  loadSession(workspace_, files::stateDirectory(), prompts_);
  files::loadPathList(pathList_, files::stateFilePath(files::kPathListFileName),
                      interactive_, prompts_);
}

bool InterpreterSession::saveState() {
  if (secondary_) return true;
  saved_ = true;
  RunContextScope scope(context_);
  const std::string directory = files::stateDirectory();
  bool ok = false;
  // Nothing may escape a destructor.
  try {
    SaveSessionResult result = saveSession(workspace_, directory, prompts_);
    ok = result != SaveSessionResult::kNotSaved;
    ok = files::savePathList(pathList_, files::stateFilePath(files::kPathListFileName)) && ok;
  } catch (...) {
    ok = false;
  }
  // The previous files stay whole; the user must learn that this session's changes are
  // not in them.
  if (!ok) prompts_.notify("the session could not be saved in " + directory, "zirbin exit");
  return ok;
}

void InterpreterSession::compileDefinitions(const std::string& path) {
  compiler::InputSource source = compiler::InputSource::fromFile(path);
  compiler::StatementCompiler nested(workspace_, source, output_);
  // A name met while a body compiles: the file's definitions compile at global scope, and
  // the body's scope is put back afterwards.
  Workspace::SuspendedScope scope = workspace_.suspendFunctionScope();
  try {
    // Only the definitions matter; any other statement of the file is compiled and dropped.
    while (nested.compileStatement(false)) {
    }
  } catch (...) {
    workspace_.resumeFunctionScope(std::move(scope));
    // The report that follows names the command's line; this one says where the file
    // being read stood.
    printPlainLine(output_, "in " + std::filesystem::path(path).filename().string() +
                                " at line " + std::to_string(source.lineNumber()));
    throw;
  }
  workspace_.resumeFunctionScope(std::move(scope));
}

bool InterpreterSession::loadResource(const std::string& name) {
  if (name.empty() || name[0] == '$') return false;
  const std::string path = files::programDirectory() + "/resource/" + name + ".zrb";
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  compileDefinitions(path);
  return true;
}

void InterpreterSession::compilePendingBodies() {
  for (const std::string& name : functions_->pendingFunctions()) {
    const engine::UserFunc* f = functions_->get(name);
    if (!f || f->hasBody()) continue;  // defined by a file read for an earlier name
    const std::string path = findScript(name);
    if (!path.empty()) compileDefinitions(path);
    f = functions_->get(name);
    if (f && f->hasBody()) continue;
    if (path.empty()) {
      throw SyntaxError("no body for declared function " + name + ": " + name +
                        ".zrb not found");
    }
    throw SyntaxError("no body for declared function " + name + " in " + path);
  }
}

std::string InterpreterSession::findScript(const std::string& name) const {
  std::string path = pathList_.findFile(name, "zrb");
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) ? path : std::string();
}

bool InterpreterSession::handleFigureEvents() {
  {
    RunContextScope scope(context_);
    while (std::optional<FigureEvent> event = host_.pollFigureEvent()) {
      context_.keepRunning = true;
      graphics::handleFigureEvent(*event, *figureCallbacks_);
    }
    host_.showFigures();
  }
  bool ok = true;
  for (const std::string& line : figureCallbacks_->takeTyped()) {
    if (!submitInput(line, kTypedMode)) ok = false;
  }
  return ok;
}

bool InterpreterSession::submitInput(const std::string& text, char mode) {
  loadInput(text, mode);
  return runCommand();
}

void InterpreterSession::loadInput(const std::string& text, char mode) {
  if (mode == kClipboardMode) {
    input_.load(host_.clipboardText(), mode);
  } else {
    input_.load(text, mode);
  }
}

void InterpreterSession::interrupt() {
  context_.interrupt.store(true, std::memory_order_relaxed);
  host_.wake();
}

bool InterpreterSession::runCommand() {
  // An interrupt raised before this command started was meant for an earlier one.
  context_.interrupt.store(false, std::memory_order_relaxed);
  RunContextScope scope(context_);
  compiler_->setDepth(0);
  context_.traceDepth = 0;
  engine::resetReportedLine();  // a new command's trace is complete
  std::unique_ptr<engine::Statement> statement;
  try {
    statement = compileCommand_();
    compilePendingBodies();
    context_.breakpointsActive = true;
    context_.keepRunning = true;
    if (statement) statement->exe();
    statement.reset();
    // No compiled statement can read them any more. Functions go first: a value a retired
    // function refers to is then no longer kept for it.
    functions_->releaseRetired();
    workspace_.releaseRetired();
    host_.showFigures();
    return true;
  } catch (...) {
    // Stage one, for every kind of failure: nothing of the command survives, and the rest
    // of a pasted block and of every `use` file is dropped.
    std::exception_ptr failure = std::current_exception();
    statement.reset();
    // A declaration left without a body would fail every later command.
    functions_->removePendingFunctions();
    functions_->releaseRetired();
    workspace_.releaseRetired();
    input_.abandonInput();
    report(failure);
    ++errorCount_;
    host_.showFigures();
    return false;
  }
}

bool InterpreterSession::runScript(const std::string& path) {
  if (!input_.loadFile(path)) {
    report(std::make_exception_ptr(OperatorCode('n')));
    ++errorCount_;
    return false;
  }
  return runCommand();
}

void InterpreterSession::report(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const SyntaxError& error) {
    reportSyntaxError(error);
  } catch (const RuntimeError& error) {
    reportError(error.text);
  } catch (const std::string& text) {
    reportError(text);
  } catch (OperatorCode code) {
    reportError(operatorCodeText(code));
  } catch (...) {
    reportError("unspecified error");
  }
}

void InterpreterSession::reportSyntaxError(const SyntaxError& error) {
  int line = input_.errorLineNumber();
  if (line > 0) output_.print("{r at line " + std::to_string(line) + "}", true, kPrintLines);
  // The source text (a pasted block may hold many lines) is shown literally, line by line.
  const std::string& source = input_.errorSourceText();
  std::size_t start = 0;
  do {
    std::size_t end = source.find_first_of("\r\n", start);
    if (end == std::string::npos) end = source.size();
    printPlainLine(output_, source.substr(start, end - start));
    start = end;
    if (start < source.size() && source[start] == '\r') ++start;
    if (start < source.size() && source[start] == '\n') ++start;
  } while (start < source.size());
  reportError(error.text);
}

void InterpreterSession::reportError(const std::string& text) {
  output_.print("{r " + text + "}", true, kPrintLines);
}

}  // namespace zirbin::session
