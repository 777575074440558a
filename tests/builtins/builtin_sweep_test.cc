// The sweep over every registered built-in: each is called with a value of each class
// (int, double, complex, string, list, empty, 3-D) as each of its arguments, as a typed
// expression and as the right side of one- and two-output multiple assignments. A call
// may fail with any message; it must never end the process (signal, sanitizer report,
// internal-check abort). Each built-in runs in a child process of its own, so that one
// abort does not stop the sweep and names the line that caused it.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/host.h"
#include "base/run_context.h"
#include "base/sandbox.h"
#include "engine/registry.h"
#include "gui/console_buffer.h"
#include "gui/plain_text.h"
#include "session/interpreter_session.h"
#include "values/allocation_limit.h"

namespace zirbin::builtins {
namespace {

// The values of each class, made before the calls, and the variables that hold them.
constexpr const char* kSetUp[] = {
    "vi = int([1 2; 3 4]);",   "vd = [1.5 -2; 3 4];",    "vc = [1+2i, 3];",
    "vs = \"ab c\";",          "vl = list(1, \"a\", [1 2]);", "ve = [];",
    "v3 = zeros(2, 2);",       "v3[:, :, 2] = 1;",       "va = 1; vb = 1;",
};
constexpr const char* kClasses[] = {"vi", "vd", "vc", "vs", "vl", "ve", "v3"};
// More arguments than this are not tried: the remaining ones only repeat the pattern.
constexpr int kMostArguments = 3;
// A child that runs longer than this is counted as hanging.
constexpr int kChildSeconds = 120;

// The lines that exercise `name` with `count` arguments.
void addCalls(const std::string& name, int count, std::vector<std::string>& lines) {
  auto call = [&](int position, const char* value) {
    std::string text = name + "(";
    for (int k = 0; k < count; ++k) {
      if (k > 0) text += ", ";
      text += k == position ? value : "vd";
    }
    return text + ")";
  };
  for (int position = 0; position < (count == 0 ? 1 : count); ++position) {
    for (const char* value : kClasses) {
      const std::string text = call(position, value);
      lines.push_back(text);
      lines.push_back("[va] = " + text);
      lines.push_back("[va, vb] = " + text);
      if (count == 0) break;
    }
  }
}

// Runs the lines in a fresh sandboxed session; writes each line to `progress` first.
[[noreturn]] void runChild(const std::vector<std::string>& lines, int progress) {
  session::sandboxed = true;
  values::setAllocationCeiling(int64_t{64} << 20);
  alarm(kChildSeconds);
  std::string directory = ::testing::TempDir() + "/zirbin_sweep_XXXXXX";
  if (mkdtemp(directory.data()) == nullptr || chdir(directory.c_str()) != 0) _exit(3);
  {
    session::HeadlessHost host;
    gui::ConsoleBuffer console;
    console.onLineCompleted = [](const std::string& line) { (void)gui::plainText(line); };
    session::InterpreterSession session(host, console, true);
    for (const char* line : kSetUp) session.submitInput(line, session::kTypedMode);
    for (const std::string& line : lines) {
      std::string record = line + "\n";
      if (write(progress, record.data(), record.size()) < 0) _exit(4);
      session.submitInput(line, session::kTypedMode);
    }
  }
  _exit(0);
}

// Runs `name`'s calls in a child. Returns "" when the child ended normally, else what
// happened and the last line it started.
std::string sweep(const std::string& name, const std::vector<std::string>& lines) {
  int fds[2];
  if (pipe(fds) != 0) return "no pipe";
  std::fflush(nullptr);
  pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    runChild(lines, fds[1]);
  }
  close(fds[1]);
  std::string progress;
  char buffer[4096];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) progress.append(buffer, n);
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
  if (!progress.empty()) progress.pop_back();
  std::string last = progress.substr(progress.find_last_of('\n') + 1);
  std::string how = WIFSIGNALED(status) ? "signal " + std::to_string(WTERMSIG(status))
                                        : "exit status " + std::to_string(WEXITSTATUS(status));
  return name + ": " + how + " at: " + last;
}

TEST(BuiltinSweep, EveryBuiltinSurvivesEveryValueClassInEveryPosition) {
  // Fills the registry, as the first session of a process does.
  {
    session::HeadlessHost host;
    gui::ConsoleBuffer console;
    session::InterpreterSession session(host, console, true);
  }
  const BuiltinRegistry& registry = session::builtinRegistry();
  std::vector<std::string> failures;
  int swept = 0;
  for (const std::string& name : registry.names()) {
    if (name.empty() || name[0] == '$' || registry.lookup(name) == BuiltinKind::None) continue;
    auto [lowest, highest] = registry.find(name)->bounds();
    if (highest == kNoUpperBound || highest > kMostArguments) highest = kMostArguments;
    std::vector<std::string> lines;
    for (int count = std::max(lowest, 0); count <= highest; ++count) {
      addCalls(name, count, lines);
    }
    // One argument too few and one too many must be refused, not run.
    if (lowest > 0) addCalls(name, lowest - 1, lines);
    if (highest < kMostArguments) addCalls(name, highest + 1, lines);
    std::string failure = sweep(name, lines);
    if (!failure.empty()) failures.push_back(failure);
    ++swept;
  }
  EXPECT_GT(swept, 200);
  for (const std::string& failure : failures) ADD_FAILURE() << failure;
}

}  // namespace
}  // namespace zirbin::builtins
