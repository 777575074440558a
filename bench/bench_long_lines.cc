// Time against size for the inputs that grow without bound in one command: a matrix
// literal of N rows (and, for comparison, of N columns), a line of N numbers, and a line
// of one interpolated string with N names. Each kind is run at sizes N, 2N, 4N, 8N; a
// linear kind keeps the time per element flat (a ratio near 1 from one size to the next),
// a quadratic one doubles it.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "gui/console_buffer.h"
#include "base/host.h"
#include "session/interpreter_session.h"

namespace {

// The smallest size of each kind; the others are 2, 4 and 8 times it.
constexpr int kBaseRows = 20000;
constexpr int kBaseNumbers = 20000;
constexpr int kBaseNames = 2000;

std::string rowsLiteral(int n) {
  std::string text = "m = [";
  for (int i = 0; i < n; ++i) text += (i ? "; " : "") + std::to_string(i % 97) + " 1";
  return text + "];";
}

std::string columnsLiteral(int n) {
  std::string text = "m = [";
  for (int i = 0; i < n; ++i) text += (i ? " " : "") + std::to_string(i % 97);
  return text + "];";
}

std::string numbersLine(int n) {
  std::string text = "s = 0";
  for (int i = 0; i < n; ++i) text += " + " + std::to_string(i % 97) + ".5";
  return text + ";";
}

std::string interpolatedLine(int n) {
  std::string text = "t = ^\"";
  for (int i = 0; i < n; ++i) text += "a{a}";
  return text + "\";";
}

double secondsFor(zirbin::session::InterpreterSession& session, const std::string& line) {
  auto start = std::chrono::steady_clock::now();
  const bool ok = session.submitInput(line, '>');
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!ok) std::printf("  (the line failed)\n");
  return seconds;
}

void measure(const char* what, int base, const std::function<std::string(int)>& make,
             zirbin::session::InterpreterSession& session) {
  std::printf("%s\n", what);
  double previous = 0;
  for (int n = base; n <= 8 * base; n *= 2) {
    const double perElement = secondsFor(session, make(n)) / n * 1e9;
    std::printf("  N = %8d: %10.1f ns per element", n, perElement);
    if (previous > 0) std::printf("   ratio to N/2: %.2f", perElement / previous);
    std::printf("\n");
    previous = perElement;
  }
}

}  // namespace

int main() {
  zirbin::session::HeadlessHost host;
  zirbin::gui::ConsoleBuffer console;
  zirbin::session::InterpreterSession session(host, console, true);
  session.submitInput("a = 1;", '>');
  measure("matrix literal of N rows", kBaseRows, rowsLiteral, session);
  measure("matrix literal of N columns", kBaseRows, columnsLiteral, session);
  measure("line of N numbers", kBaseNumbers, numbersLine, session);
  measure("interpolated string of N names", kBaseNames, interpolatedLine, session);
  return 0;
}
