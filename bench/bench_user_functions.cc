// User-function calls: a recursive fib(25) written as a `function` with `if` (ns per
// call), and a quick one-line function applied to a 10^6-element vector, plainly and
// vectorised (ns per element).
#include <chrono>
#include <cstdio>
#include <string>

#include "gui/console_buffer.h"
#include "base/host.h"
#include "session/interpreter_session.h"

namespace {

// Calls fib(25) makes: fib(n) makes 2 * fib(n + 1) - 1 calls.
constexpr double kFibCalls = 2.0 * 121393 - 1;
constexpr double kElements = 1e6;

double timeLine(zirbin::session::InterpreterSession& session, const std::string& line) {
  const auto start = std::chrono::steady_clock::now();
  if (!session.submitInput(line, '>')) std::printf("failed: %s\n", line.c_str());
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main() {
  zirbin::session::HeadlessHost host;
  zirbin::gui::ConsoleBuffer console;
  zirbin::session::InterpreterSession session(host, console, true);
  session.submitInput("function r = fib(n)\r  if n < 2: r = n\r  else r = fib(n-1) + fib(n-2)\rend\r",
                      'p');
  session.submitInput("q(x) := x * 2 + 1", '>');
  session.submitInput("qv(x) ::= x * 2 + 1", '>');
  session.submitInput("v = 1:1000000;", '>');
  timeLine(session, "fib(20);");
  const double fib = timeLine(session, "fib(25);");
  const double plain = timeLine(session, "w = q(v);");
  const double vectorised = timeLine(session, "w = qv(v);");
  std::printf("fib(25): %.1f ms, %.0f ns per call\n", fib / 1e6, fib / kFibCalls);
  std::printf("quick q(v), 10^6 elements: %.2f ms, %.1f ns per element\n", plain / 1e6,
              plain / kElements);
  std::printf("vectorised qv(v), 10^6 elements: %.2f ms, %.1f ns per element\n",
              vectorised / 1e6, vectorised / kElements);
  return 0;
}
