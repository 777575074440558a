// The run context: what belongs to the session whose command runs on this thread, reached
// through one pointer that the command cycle sets for the length of a command. Today it
// holds the interrupt; the other per-session state of process_state.h moves here.
#pragma once

#include <atomic>

namespace zirbin::session {

// The per-session part of the running state. One per interpreter session, owned by it.
struct RunContext {
  // Raised by InterpreterSession::interrupt from any thread (or a signal handler) and
  // cleared by the command cycle when a command starts. Lock-free, so that raising it is
  // async-signal-safe; read with relaxed loads where time can pass (pollInterrupt).
  std::atomic<bool> interrupt{false};
};
static_assert(std::atomic<bool>::is_always_lock_free, "the interrupt must be signal-safe");

// The context of code that runs outside any session's command (unit tests that execute
// statements directly): its interrupt is never raised.
inline RunContext idleRunContext;

// The context of the command running on this thread: the command cycle sets it to its
// session's context while a command runs and puts the previous one back afterwards.
// Never null.
constinit inline thread_local RunContext* runContext = &idleRunContext;

// The report of an interrupted command.
inline constexpr char kInterruptedMessage[] = "execution interrupted";

// Throws RuntimeError "execution interrupted": the command ends as at any run-time error.
[[noreturn]] void throwInterrupted();

// True iff the running command's session has been asked to stop. A host blocked on the
// interpreter thread (waiting for a line, a key or a click) checks it when woken.
inline bool interruptPending() {
  return runContext->interrupt.load(std::memory_order_relaxed);
}

// Ends the running command with "execution interrupted" when its session has been asked to
// stop. Called where time can pass: each statement of a block, each loop iteration, each
// user-function call, and inside built-ins that call back into the language or run long.
inline void pollInterrupt() {
  if (interruptPending()) [[unlikely]] throwInterrupted();
}

}  // namespace zirbin::session
