// The shell escape: the command's output reaches the running session's console line by
// line, the wait ends with the shell, and an interrupt ends the command and its children.
#include "files/shell_command.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "base/console_output.h"
#include "base/errors.h"
#include "base/run_context.h"
#include "files/temp_dir.h"

namespace zirbin::files {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Console lines, each as it was printed.
class LineConsole : public session::ConsoleOutput {
 public:
  void print(const std::string& text, bool newLineFirst, int) override {
    if (newLineFirst && !current_.empty()) newLine();
    current_ += text;
  }
  void newLine() override {
    lines.push_back(current_);
    current_.clear();
  }
  std::vector<std::string> lines;

 private:
  std::string current_;
};

// A run context of its own with the console, for the length of a test.
class ShellCommand : public ::testing::Test {
 protected:
  ShellCommand() { context_.console = &console_; }

  session::RunContext context_;
  LineConsole console_;
  session::RunContextScope scope_{context_};
};

TEST_F(ShellCommand, OutputAndErrorsBecomeConsoleLines) {
  EXPECT_EQ(runShellCommand("echo one; echo two >&2; printf 'no end'"), 1);
  EXPECT_EQ(console_.lines, (std::vector<std::string>{"one", "two", "no end"}));
  // Markup characters are shown as they are: the line is printed as plain text.
  console_.lines.clear();
  runShellCommand("echo '{r x}'");
  EXPECT_EQ(console_.lines, std::vector<std::string>{"{r x}"});
}

TEST_F(ShellCommand, RunsInTheCurrentDirectoryWithoutStandardInput) {
  testing::TempDir temp;
  runShellCommand("cd '" + temp.path() + "' && echo hi > shell.txt; cat; echo read");
  EXPECT_EQ(temp.read("shell.txt"), "hi\n");
  EXPECT_EQ(console_.lines, std::vector<std::string>{"read"});
}

TEST_F(ShellCommand, ABackgroundProgramHoldingThePipeDoesNotKeepItWaiting) {
  const Clock::time_point start = Clock::now();
  runShellCommand("sleep 5 & echo started");
  EXPECT_LT(Clock::now() - start, 3s);
  EXPECT_EQ(console_.lines, std::vector<std::string>{"started"});
}

TEST_F(ShellCommand, AnInterruptEndsTheCommandAndItsChildren) {
  testing::TempDir temp;
  const std::string mark = temp.file("late");
  std::thread stopper([this] {
    std::this_thread::sleep_for(100ms);
    context_.interrupt.store(true);
  });
  const Clock::time_point start = Clock::now();
  std::string report;
  try {
    runShellCommand("echo begun; sleep 1; touch '" + mark + "'");
  } catch (const session::RuntimeError& error) {
    report = error.text;
  }
  stopper.join();
  EXPECT_EQ(report, "execution interrupted");
  EXPECT_LT(Clock::now() - start, 900ms);
  EXPECT_EQ(console_.lines, std::vector<std::string>{"begun"});
  std::this_thread::sleep_for(1500ms - (Clock::now() - start));
  EXPECT_FALSE(std::filesystem::exists(mark));
}

}  // namespace
}  // namespace zirbin::files
