// Process-wide state of the interpreter, in one place. Each entry says who writes it.
// The interpreter runs on one thread; these are plain variables without locks.
#pragma once

#include <csignal>

namespace zirbin::builtins {
class BuiltinRegistry;
}  // namespace zirbin::builtins

namespace zirbin::files {
class PathList;
}  // namespace zirbin::files

namespace zirbin::session {

class ConsoleOutput;
class Workspace;
class Host;

// Cleared by `return` (and by "Halt" in the debugger) to stop the remaining statements of
// the running blocks; set by the command cycle before each command and by a user-function
// call after its body.
inline bool keepRunning = true;

// Why keepRunning was cleared last: `return` (ReturnStm), `break` (BreakStm) or `continue`
// (ContinueStm). The innermost loop that sees keepRunning cleared with kBreak or kContinue
// sets keepRunning again and ends or goes on; so break and continue cost no exception.
enum class StopReason : char { kReturn, kBreak, kContinue };
inline StopReason stopReason = StopReason::kReturn;

// Set by the front end's handler of the end signals (SIGTERM, SIGHUP) and never cleared:
// the running command stops as at a `return`, and a user function's return does not set
// `keepRunning` again for its caller, so no loop outlives the signal.
inline volatile std::sig_atomic_t haltRequested = 0;

// Set by `quit` and `exit` (with their status, -1 for none): the front end ends the
// session after the running command, as at the end of its input. The running command stops
// as at a `return`, and a user function's return does not set `keepRunning` again.
inline bool endRequested = false;
inline int endStatus = -1;

// The debugger's stepping flag: set by "Step", cleared by "Cont" and by closing the
// debugger. While set, blocks stop in the debugger after each statement.
inline bool stepping = false;

// Set by the command cycle before each command; while set, breakpoint statements stop.
inline bool breakpointsActive = true;

// Set by a built-in that writes its own answer to the console and whose value means
// nothing (`help`, `disp`, the warning of `error`). EvalAndDisplayStm clears it before
// evaluating and shows no value when it is set afterwards, so a typed "help" shows the
// text without a trailing 0 and a typed disp(x) shows x without a trailing ''.
inline bool answerPrinted = false;

// The built-in registry, shared by every interpreter instance. Filled by
// builtins::registerAll on the first call; read-only afterwards except for its last-lookup
// state, which the compilers' lookups overwrite. Defined in builtins/library.cc.
builtins::BuiltinRegistry& builtinRegistry();

// The output of the running session: set by the session (command cycle) while it runs a
// command, so that values, warnings and messages reach its console. May be null (unit
// tests); then output is dropped.
inline ConsoleOutput* console = nullptr;

// The workspace of the running session: set with `console` by the command cycle while it
// runs a command (the built-in `eval` compiles its text against it). Null otherwise.
inline Workspace* workspace = nullptr;

// The platform host of the running session (message boxes, reading a line or a key, the
// clipboard): set by the command cycle while it runs a command, beside `console`. May be
// null (unit tests); callers then act as if no one can answer.
inline Host* host = nullptr;

// The path list of the running session (current directory, file-name completion): set
// with `console` by the command cycle (InterpreterSession) while it runs a command or
// restores and saves its state, so that the data-file built-ins resolve names as `cd`
// left them. Null otherwise; those built-ins then fail.
inline files::PathList* pathList = nullptr;

// The call trace of user functions: switched by the built-in `debug`. While on, each call
// through a UserFuncElement raises traceDepth and shows its line ("-" per level, "> ",
// the name); a quick function's evaluation turns it off for its duration. While a
// command runs, callTrace is its session's own flag (off when a session is made) and
// traceDepth starts at 0; the command cycle sets both.
inline bool callTrace = false;
inline int traceDepth = 0;

// The text-redraw setting: when set, a text label that replaces another has its whole
// frame redrawn, else only the label is drawn. Written by the `set` built-in ("text");
// read by Frame::addItem.
inline bool textRedraw = true;

// The automatic colour sequence of curves: how many curves in a row went onto a fixed
// frame over the same x range, and the first and last x of the previous curve. It lasts
// for the whole run. Written by the plot built-ins when they add a curve.
inline int curveColourCount = 0;
inline double curveColourFirstX = 0;
inline double curveColourLastX = 0;

}  // namespace zirbin::session
