// Timing: tic, toc and Toc (milliseconds and seconds since the last tic), the waiting
// built-ins pause and wait, and the local date and time of day (today, oclock).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "base/errors.h"
#include "base/host.h"
#include "base/run_context.h"
#include "base/sandbox.h"
#include "builtins/builtins_state.h"
#include "builtins/families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

using Clock = std::chrono::steady_clock;

// The session's last tic; until the first, the session's start.
Clock::time_point& lastTic() { return builtinsState().lastTic; }

double tic() {
  lastTic() = Clock::now();
  return 0;
}

double toc() { return std::chrono::duration<double, std::milli>(Clock::now() - lastTic()).count(); }

double tocSeconds() { return std::chrono::duration<double>(Clock::now() - lastTic()).count(); }

// A wait sleeps in slices this long and looks for an interrupt between them, so that an
// interrupted pause returns within a slice (well under the 20 ms a user notices).
constexpr auto kWaitSlice = std::chrono::milliseconds(5);

// Sleeps until `end`, ending the command with "execution interrupted" as soon as its
// session is asked to stop.
void sleepUntil(Clock::time_point end) {
  for (;;) {
    session::pollInterrupt();
    const Clock::time_point now = Clock::now();
    if (now >= end) return;
    std::this_thread::sleep_until(std::min(end, now + kWaitSlice));
  }
}

// pause(n): waits n milliseconds and gives n. No events are handled meanwhile, but the
// figure windows first show what the command has drawn so far. The thread sleeps in
// slices instead of reading the clock in a busy loop; the wait is the same.
int pause(int milliseconds) {
  if (session::sandboxed) session::checkFailed("pause", "not available in a sandboxed run");
  if (session::runContext->host != nullptr) session::runContext->host->showFigures();
  if (milliseconds > 0) sleepUntil(Clock::now() + std::chrono::milliseconds(milliseconds));
  return milliseconds;
}

// wait(n): waits until the next multiple of n milliseconds after the last tic, so that
// calls in a loop return on a steady rhythm of n milliseconds; gives n.
int wait(int period) {
  if (session::sandboxed) session::checkFailed("wait", "not available in a sandboxed run");
  if (period <= 0) return period;
  if (session::runContext->host != nullptr) session::runContext->host->showFigures();
  auto step = std::chrono::milliseconds(period);
  auto elapsed = Clock::now() - lastTic();
  auto periods = elapsed / step;
  sleepUntil(lastTic() + (periods + 1) * step);
  return period;
}

std::tm localNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

// today: the local date as 15 characters, "Tue Dec  8 2026": the first 11 characters of
// asctime's text (weekday, month, day right-aligned in two places) and the year.
Value* today(int) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm local = localNow();
  char text[32];
  std::snprintf(text, sizeof text, "%s %s%3d %d", kDays[local.tm_wday], kMonths[local.tm_mon],
                local.tm_mday, local.tm_year + 1900);
  IntValue date;
  date.assignString(text);
  return storeAsLastResult(date);
}

// oclock: the local time of day as [hours, minutes, seconds].
Value* oclock(int) {
  std::tm local = localNow();
  IntValue time;
  int* out = shapeInts(time, 1, 3);
  out[0] = local.tm_hour;
  out[1] = local.tm_min;
  out[2] = local.tm_sec;
  return storeAsLastResult(time);
}

constexpr BuiltinKind kNoArg = BuiltinKind::NoArgScalar;

constexpr BuiltinEntry kEntries[] = {
    {"tic", kNoArg, kDoubleResult, tic},
    {"toc", kNoArg, kDoubleResult, toc},
    {"Toc", kNoArg, kDoubleResult, tocSeconds},
    {"pause", BuiltinKind::ElementWise, kIntResult, pause},
    {"wait", BuiltinKind::ElementWise, kIntResult, wait},
    {"today", BuiltinKind::ValueFunc, kIntResult, today},
    {"oclock", BuiltinKind::ValueFunc, kIntResult, oclock},
};

}  // namespace

void registerTiming(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
