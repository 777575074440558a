// The command cycle end to end: a typed line is loaded, lexed, compiled, run and destroyed,
// as the batch front end does for every line. Prints nanoseconds per line and per operator,
// and the lexer's share on its own.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "compiler/input_source.h"
#include "compiler/lexer.h"
#include "gui/console_buffer.h"
#include "base/host.h"
#include "session/interpreter_session.h"

namespace {

// Operators in the benchmark line, and how many times it is run.
constexpr int kOperators = 100;
constexpr int kRepetitions = 20000;

// "1.5*2.25+3.25/..." with kOperators binary operators, ended by ';' (no display); the
// constants fold while the line compiles.
std::string benchmarkLine() {
  static const char* const kOps[] = {"*", "+", "/", "-"};
  std::string line = "1.5";
  for (int i = 0; i < kOperators; ++i) {
    line += kOps[i % 4];
    line += std::to_string(i % 7 + 1) + ".25";
  }
  return line + ";";
}

double nanosecondsPer(std::chrono::steady_clock::duration d, long count) {
  return std::chrono::duration<double, std::nano>(d).count() / static_cast<double>(count);
}

}  // namespace

int main() {
  using Clock = std::chrono::steady_clock;
  const std::string line = benchmarkLine();

  zirbin::compiler::UserInput input;
  std::vector<zirbin::compiler::TokenList> statements;
  Clock::time_point start = Clock::now();
  for (int i = 0; i < kRepetitions; ++i) {
    input.load(line, '>');
    zirbin::compiler::lexNextLine(input, false, statements);
  }
  double lexLine = nanosecondsPer(Clock::now() - start, kRepetitions);

  zirbin::session::HeadlessHost host;
  zirbin::gui::ConsoleBuffer console;
  zirbin::session::InterpreterSession session(host, console, true);
  if (!session.submitInput(line, '>')) {
    std::printf("the benchmark line failed: %s\n", console.currentLine().c_str());
    return 1;
  }
  start = Clock::now();
  for (int i = 0; i < kRepetitions; ++i) session.submitInput(line, '>');
  double cycleLine = nanosecondsPer(Clock::now() - start, kRepetitions);

  std::printf("typed line of %d operators, %d times\n", kOperators, kRepetitions);
  std::printf("  lex and cut:        %8.0f ns per line, %6.1f ns per operator\n", lexLine,
              lexLine / kOperators);
  std::printf("  whole command cycle: %8.0f ns per line, %6.1f ns per operator\n", cycleLine,
              cycleLine / kOperators);
  return 0;
}
