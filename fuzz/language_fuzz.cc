// Fuzz target for the whole command path: the bytes are pasted into a fresh secondary
// session as one block (input, lexer, compilers, execution, display into a console
// buffer whose lines are turned into plain text), and the block's last line is then
// typed once more. Any crash, leak or sanitizer report is a finding.
//
// Limits, so that a generated program is judged by what it does and not by how long or
// how much it asks for: the run is sandboxed (no programs started, no sleeping, no files
// written), each value may take at most kValueBytes, and a command still running after
// kCommandSeconds stops as at a `return` (the halt flag that SIGTERM sets in the front
// ends). Run it with OPENBLAS_NUM_THREADS=1 and -rss_limit_mb / -timeout as a backstop.
#include <signal.h>
#include <stdlib.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/host.h"
#include "base/run_context.h"
#include "base/sandbox.h"
#include "gui/console_buffer.h"
#include "gui/plain_text.h"
#include "session/interpreter_session.h"
#include "values/allocation_limit.h"

namespace {

// The largest single value a generated program may make: enough for every built-in's
// ordinary use, small enough that a handful of them stays far below the RSS limit.
constexpr int64_t kValueBytes = int64_t{32} << 20;
// How long one command may run before it is halted.
constexpr int kCommandSeconds = 2;

extern "C" void haltCommand(int) {
  zirbin::session::haltRequested = 1;
  zirbin::session::runContext->stopReason = zirbin::session::StopReason::kReturn;
  zirbin::session::runContext->keepRunning = false;
}

void armHalt(int seconds) {
  itimerval timer{};
  timer.it_value.tv_sec = seconds;
  ::setitimer(ITIMER_REAL, &timer, nullptr);
}

std::string workDirectory;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zirbin::session::sandboxed = true;
  zirbin::values::setAllocationCeiling(kValueBytes);
  // State files and anything read by relative name stay in a directory of the run's own.
  char pattern[] = "/tmp/zirbin_language_fuzz.XXXXXX";
  if (::mkdtemp(pattern) == nullptr) ::abort();
  workDirectory = pattern;
  ::setenv("ZIRBIN_HOME", pattern, 1);
  if (::chdir(pattern) != 0) ::abort();
  struct sigaction action {};
  action.sa_handler = haltCommand;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGALRM, &action, nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  zirbin::session::haltRequested = 0;
  {
    zirbin::session::HeadlessHost host;
    zirbin::gui::ConsoleBuffer console;
    std::size_t shown = 0;
    console.onLineCompleted = [&shown](const std::string& line) {
      shown += zirbin::gui::plainText(line).size();
    };
    zirbin::session::InterpreterSession session(host, console, true);
    armHalt(kCommandSeconds);
    host.clipboard = text;
    session.submitInput(std::string(), zirbin::session::kClipboardMode);
    std::size_t lastLine = text.find_last_of('\n', text.empty() ? 0 : text.size() - 2);
    std::string typed = lastLine == std::string::npos ? text : text.substr(lastLine + 1);
    if (!typed.empty() && typed.back() == '\n') typed.pop_back();
    if (typed.find('\n') == std::string::npos && !zirbin::session::haltRequested) {
      armHalt(kCommandSeconds);
      session.submitInput(typed, zirbin::session::kTypedMode);
    }
    armHalt(0);
  }
  zirbin::session::haltRequested = 0;
  zirbin::session::runContext->keepRunning = true;
  // `cd` moves the process: the next input starts where this one did.
  if (::chdir(workDirectory.c_str()) != 0) ::abort();
  return 0;
}
