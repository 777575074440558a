// Interrupt latency: a command runs, a second thread raises the session's interrupt, and
// the time from interrupt() to the command's end is measured, for the places a command
// spends its time (a loop, a recursion, an integrand, a pause, a shell command). Prints
// the median and the largest latency of each in milliseconds; the goal is under 20 ms.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/host.h"
#include "gui/console_buffer.h"
#include "session/interpreter_session.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kRounds = 15;
// How long the command runs before the interrupt comes: enough to be deep in its work.
constexpr auto kRunBefore = 60ms;

// Runs `command` (pasted text) kRounds times, interrupting each run; returns the latencies
// in milliseconds, sorted.
std::vector<double> latencies(zirbin::session::InterpreterSession& session,
                              zirbin::session::HeadlessHost& host, const std::string& command) {
  std::vector<double> ms;
  for (int round = 0; round < kRounds; ++round) {
    host.clipboard = command;
    Clock::time_point raised;
    std::thread stopper([&] {
      std::this_thread::sleep_for(kRunBefore);
      raised = Clock::now();
      session.interrupt();
    });
    session.submitInput("", zirbin::session::kClipboardMode);
    const Clock::time_point ended = Clock::now();
    stopper.join();
    ms.push_back(std::chrono::duration<double, std::milli>(ended - raised).count());
  }
  std::sort(ms.begin(), ms.end());
  return ms;
}

}  // namespace

int main() {
  zirbin::session::HeadlessHost host;
  zirbin::gui::ConsoleBuffer console;
  zirbin::session::InterpreterSession session(host, console, true);
  host.clipboard =
      "function r = fib(n)\r  if n < 2: r = n\r  else r = fib(n-1) + fib(n-2)\rend\r"
      "function y = slow(x)\r  y = 0\r  for k = 1:20000: y += sin(x) / 20000\rend\r"
      "f(x) := slow(x)\rv = rand(1, 1e7);\r";
  if (!session.submitInput("", zirbin::session::kClipboardMode)) {
    std::printf("the definitions failed: %s\n", console.currentLine().c_str());
    return 1;
  }
  const std::pair<const char*, const char*> cases[] = {
      {"while 1: k += 1", "k = 0\rwhile 1: k += 1\r"},
      {"recursive fib(40)", "fib(40)\r"},
      {"integ of a user function", "r = integ(\\f, [0, 100])\r"},
      {"pause(100000)", "pause(100000)\r"},
      {"sysCommand('sleep 100')", "sysCommand('sleep 100')\r"},
      {"sort of 1e7 elements, again and again", "while 1: w = sort(v);\r"},
  };
  std::printf("%-40s %10s %10s\n", "interrupted during", "median ms", "max ms");
  for (const auto& [label, command] : cases) {
    const std::vector<double> ms = latencies(session, host, command);
    std::printf("%-40s %10.2f %10.2f\n", label, ms[ms.size() / 2], ms.back());
  }
  return 0;
}
