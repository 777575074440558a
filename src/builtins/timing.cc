// Timing: tic, toc and Toc (milliseconds and seconds since the last tic), and the waiting
// built-ins pause and wait.
#include <chrono>
#include <thread>

#include "builtins/families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

using Clock = std::chrono::steady_clock;

// The last tic; until the first, the start of the program.
Clock::time_point lastTic = Clock::now();

double tic() {
  lastTic = Clock::now();
  return 0;
}

double toc() { return std::chrono::duration<double, std::milli>(Clock::now() - lastTic).count(); }

double tocSeconds() { return std::chrono::duration<double>(Clock::now() - lastTic).count(); }

// pause(n): waits n milliseconds and gives n. No events are handled meanwhile. The
// thread sleeps instead of reading the clock in a busy loop; the wait is the same.
int pause(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  return milliseconds;
}

// wait(n): waits until the next multiple of n milliseconds after the last tic, so that
// calls in a loop return on a steady rhythm of n milliseconds; gives n.
int wait(int period) {
  if (period <= 0) return period;
  auto step = std::chrono::milliseconds(period);
  auto elapsed = Clock::now() - lastTic;
  auto periods = elapsed / step;
  std::this_thread::sleep_until(lastTic + (periods + 1) * step);
  return period;
}

constexpr BuiltinKind kNoArg = BuiltinKind::NoArgScalar;

constexpr BuiltinEntry kEntries[] = {
    {"tic", kNoArg, kDoubleResult, tic},
    {"toc", kNoArg, kDoubleResult, toc},
    {"Toc", kNoArg, kDoubleResult, tocSeconds},
    {"pause", BuiltinKind::ElementWise, kIntResult, pause},
    {"wait", BuiltinKind::ElementWise, kIntResult, wait},
};

}  // namespace

void registerTiming(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
