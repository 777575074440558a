// Who owns the interpreter's mutable state. The run context holds everything that belongs
// to one interpreter session, reached through one pointer that the command cycle sets for
// the length of a command; the few items shared by the whole process are listed at the end,
// each with why it is shared and who writes it.
#pragma once

#include <atomic>
#include <chrono>
#include <csignal>
#include <memory>

namespace zirbin::builtins {
class BuiltinRegistry;
struct BuiltinsState;
}  // namespace zirbin::builtins
namespace zirbin::files {
class PathList;
class UserPrompts;
}  // namespace zirbin::files
namespace zirbin::graphics {
class FigureCallbacks;
struct GraphicsState;
}  // namespace zirbin::graphics

namespace zirbin::session {

class ConsoleOutput;
class Host;
class Workspace;

// Why keepRunning was cleared last: `return` (ReturnStm), `break` (BreakStm) or `continue`
// (ContinueStm). The innermost loop that sees keepRunning cleared with kBreak or kContinue
// sets keepRunning again and ends or goes on; so break and continue cost no exception.
enum class StopReason : char { kReturn, kBreak, kContinue };

// Per session. Each session owns its console, workspace, compiler and figures, and with
// them everything its commands change: the members below and the per-layer parts (figures,
// colour table, curve-colour sequence and mouse state in graphics::GraphicsState; the
// settings of `set`, the LU slot, the random generator, the `tic` time and `disp`'s open
// line in builtins::BuiltinsState). Two sessions never see each other's, on any thread.
// Only the session's own command (on the thread that runs it) touches them, except
// `interrupt`, which any thread may raise.
struct RunContext {
  // Every member starts at its session's start value; the layer parts are made by the
  // session (or on first use, for the idle context below).
  constexpr RunContext() = default;
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  // Raised by InterpreterSession::interrupt from any thread (or a signal handler) and
  // cleared by the command cycle when a command starts. Lock-free, so that raising it is
  // async-signal-safe; read with relaxed loads where time can pass (pollInterrupt).
  std::atomic<bool> interrupt{false};

  // Cleared by `return` (and by "Halt" in the debugger) to stop the remaining statements
  // of the running blocks; set by the command cycle before each command and by a
  // user-function call after its body.
  bool keepRunning = true;
  StopReason stopReason = StopReason::kReturn;
  // Set by `quit` and `exit` (with their status, -1 for none): the front end ends the
  // session after the running command. The running command stops as at a `return`, and a
  // user function's return does not set keepRunning again.
  bool endRequested = false;
  int endStatus = -1;
  // The debugger's stepping flag: set by "Step", cleared by "Cont" and by closing the
  // debugger. While set, blocks stop in the debugger after each statement.
  bool stepping = false;
  // Set by the command cycle before each command; while set, breakpoint statements stop.
  bool breakpointsActive = true;
  // Set by a built-in that writes its own answer to the console and whose value means
  // nothing (`help`, `disp`, the warning of `error`). EvalAndDisplayStm clears it before
  // evaluating and shows no value when it is set afterwards.
  bool answerPrinted = false;
  // The call trace of user functions, switched by `debug` (off when a session is made).
  // While on, each call through a UserFuncElement raises traceDepth and shows its line;
  // a quick function's evaluation turns it off for its duration. The command cycle sets
  // traceDepth to 0 before each command.
  bool callTrace = false;
  int traceDepth = 0;

  // Nesting counters guarding the stack of the thread that runs the session: active
  // user-function calls, nested `eval`s and nested list displays.
  int activeCalls = 0;
  int evalDepth = 0;
  int listDepth = 0;
  // The line of the last "at line" report (-1: none yet in this command).
  int lastLineReported = -1;

  // The session's parts, linked when the session is made (null in the idle context: output
  // is then dropped, and the built-ins that need a workspace, a host or a path list act as
  // if no one can answer or fail). The waiting built-ins hand the figure events they
  // receive to graphics::handleFigureEvent with figureCallbacks.
  ConsoleOutput* console = nullptr;
  Workspace* workspace = nullptr;
  Host* host = nullptr;
  files::PathList* pathList = nullptr;
  files::UserPrompts* prompts = nullptr;
  graphics::FigureCallbacks* figureCallbacks = nullptr;

  // The per-session state of the upper layers, which this layer cannot name. Reached only
  // through their accessors (graphics::graphicsState(), builtins::builtinsState()); each
  // layer defines the deletion of its own part.
  struct PartDeleter {
    void operator()(graphics::GraphicsState* part) const;
    void operator()(builtins::BuiltinsState* part) const;
  };
  std::unique_ptr<graphics::GraphicsState, PartDeleter> graphics;
  std::unique_ptr<builtins::BuiltinsState, PartDeleter> builtins;
};
static_assert(std::atomic<bool>::is_always_lock_free, "the interrupt must be signal-safe");

// The context of code that runs outside any session's command (unit tests that execute
// statements directly, a thread before its first command): its interrupt is never raised.
// Shared by all such threads, so only one of them may use it at a time.
constinit inline RunContext idleRunContext;

// The context of the command running on this thread: the command cycle sets it to its
// session's context while a command runs and puts the previous one back afterwards.
// Never null.
constinit inline thread_local RunContext* runContext = &idleRunContext;

// Makes `context` the running one for the scope's lifetime (front ends that look at a
// session's figures from their own thread, tests).
class RunContextScope {
 public:
  explicit RunContextScope(RunContext& context) : saved_(runContext) { runContext = &context; }
  ~RunContextScope() { runContext = saved_; }
  RunContextScope(const RunContextScope&) = delete;
  RunContextScope& operator=(const RunContextScope&) = delete;

 private:
  RunContext* saved_;
};

// The report of an interrupted command.
inline constexpr char kInterruptedMessage[] = "execution interrupted";

// Throws RuntimeError "execution interrupted": the command ends as at any run-time error.
[[noreturn]] void throwInterrupted();

// True iff the running command's session has been asked to stop. A host blocked on the
// interpreter thread (waiting for a line, a key or a click) checks it when woken.
inline bool interruptPending() {
  return runContext->interrupt.load(std::memory_order_relaxed);
}

// How many elements a long loop of a built-in handles between two polls: small enough
// that a poll comes every few milliseconds, large enough that it costs nothing.
inline constexpr int kPollBlock = 1 << 16;

// Ends the running command with "execution interrupted" when its session has been asked to
// stop. Called where time can pass: each statement of a block, each loop iteration, each
// user-function call, and inside built-ins that call back into the language or run long.
inline void pollInterrupt() {
  if (interruptPending()) [[unlikely]] throwInterrupted();
}
// The same for a loop that holds the running context already (it stays the running one
// for the whole of a statement's execution): one load fewer per iteration.
inline void pollInterrupt(const RunContext& running) {
  if (running.interrupt.load(std::memory_order_relaxed)) [[unlikely]]
    throwInterrupted();
}

// Per process, and why. These are shared by every session; the front ends run the commands
// of their sessions one at a time (the desktop on its one interpreter thread), so none of
// the mutable ones is written by two commands at once.
//  - The built-in registry (builtinRegistry() below, defined in builtins/library.cc): filled
//    once by builtins::registerAll, read-only afterwards.
//  - The named-constant table (session::namedConstants()): the language shares it; refilled
//    when a workspace is made and by `clear reset`, thinned by `clear (const) name` and
//    `clear everything` of the running command.
//  - The last displayed value (engine::lastResult(), read by `ans`): the language shares
//    it between sessions; written by the display statements of the running command.
//  - The open-file table (files::openFiles(), the `fopen` numbers): files are the process's;
//    written by the file built-ins of the running command.
//  - The figure view factory (graphics::FigureRegistry::setViewFactory): the screen front
//    end's, set once on the interpreter thread; every session's figures open through it.
//  - haltRequested (below): an end signal ends the whole run.
//  - sandboxed (base/sandbox.h): a harness sets it once at start.
//  - Caches and constants that hold no user state: the factorial tables, the FFT plans
//    (one per thread), the shared values of true and false, the empty placeholder value.

// The built-in registry, shared by every interpreter instance. Filled by
// builtins::registerAll on the first call (thread-safe); read-only afterwards.
const builtins::BuiltinRegistry& builtinRegistry();

// Set by the front end's handler of the end signals (SIGTERM, SIGHUP) and never cleared:
// the running command stops as at a `return`, and a user function's return does not set
// keepRunning again for its caller, so no loop outlives the signal.
inline volatile std::sig_atomic_t haltRequested = 0;

}  // namespace zirbin::session
