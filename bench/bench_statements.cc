// Statement speed: a scalar for loop, a Collatz while loop with if/else, break and
// continue in a hot loop, and growing a vector by one element per iteration. Each program
// is compiled once through the statement compiler and run; the output is processor-time
// nanoseconds per iteration (or per step), with the wall-clock time beside it.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "compiler/input_source.h"
#include "compiler/statement_compiler.h"
#include "gui/console_buffer.h"
#include "base/errors.h"
#include "base/run_context.h"
#include "engine/workspace.h"
#include "values/value.h"

namespace {

using namespace zirbin;

// Lines joined as a script's lines.
std::string script(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

// Seconds of processor time this process has used: on a shared, busy machine the wall
// clock also counts the time other programs ran.
double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

double wallSeconds = 0;  // wall-clock seconds of the last run

// Compiles and runs `text`; returns the processor seconds the run took (compilation
// excluded) and leaves its wall-clock seconds in wallSeconds.
double run(session::Workspace& workspace, const std::string& text) {
  compiler::InputSource input(text, 'p');
  gui::ConsoleBuffer console;
  compiler::StatementCompiler compiler(workspace, input, console);
  std::unique_ptr<engine::Statement> program = compiler.compileCommand();
  session::runContext->keepRunning = true;
  const double cpuStart = cpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  program->exe();
  const auto stop = std::chrono::steady_clock::now();
  wallSeconds = std::chrono::duration<double>(stop - start).count();
  return cpuSeconds() - cpuStart;
}

double number(session::Workspace& workspace, const char* name) {
  return workspace.findGlobal(name)->getDouble();
}

void report(const char* what, double seconds, double iterations, const char* unit) {
  std::printf("%-40s %8.2f ns per %s  (cpu %.1f ms, wall %.1f ms)\n", what,
              seconds * 1e9 / iterations, unit, seconds * 1e3, wallSeconds * 1e3);
}

}  // namespace

int main() {
  try {
    session::Workspace workspace;
    constexpr double kLoop = 10000000;  // iterations of the scalar loop
    double t = run(workspace, script({"s = 0.0", "for i = 1:10000000", "    s = s + i*0.5"}));
    report("for i = 1:1e7: s = s + i*0.5", t, kLoop, "iteration");

    t = run(workspace, script({"steps = 0", "for k = 1:100000", "    n = k",
                               "    while n ~= 1", "        if n mod 2 == 0",
                               "            n = n / 2", "        else",
                               "            n = 3*n + 1", "        steps += 1"}));
    report("Collatz 1..1e5 (while, if/else)", t, number(workspace, "steps"), "step");

    t = run(workspace, script({"s = 0", "for i = 1:10000000", "    if i mod 3 == 0: continue",
                               "    if i > 20000000: break", "    s += 1"}));
    report("for with continue/break tests, 1e7", t, kLoop, "iteration");

    constexpr double kGrow = 100000;  // appended elements
    t = run(workspace, script({"v = []", "for i = 1:100000", "    v ,= i"}));
    report("v ,= i, 1e5 times", t, kGrow, "append");

    t = run(workspace, script({"w = []", "n = 0", "for i = 1:100000", "    w[n+1] = i",
                               "    n += 1"}));
    report("w[n+1] = i, 1e5 times", t, kGrow, "append");
  } catch (const session::SyntaxError& e) {
    std::printf("syntax error: %s\n", e.text.c_str());
    return 1;
  } catch (const session::RuntimeError& e) {
    std::printf("run-time error: %s\n", e.text.c_str());
    return 1;
  }
  return 0;
}
