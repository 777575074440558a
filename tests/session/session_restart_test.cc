// A session survives a restart: the batch program run twice in one state directory finds
// the variables and the history of the first run again, and the current directory is kept;
// a program ended by SIGTERM or SIGHUP saves its session as at a normal end.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "files/temp_dir.h"

namespace zirbin::session {
namespace {

using testing::TempDir;

// Runs `zirbin2020 --batch` in `temp` with its state directory there, typing `lines`.
std::string runBatch(const TempDir& temp, const std::string& lines) {
  temp.write("input.txt", lines);
  std::string command = "cd '" + temp.path() + "' && ZIRBIN_HOME='" + temp.file("state") +
                        "' '" + ZIRBIN_BIN_DIR + "/zirbin2020' --batch < input.txt 2>&1";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  std::string output;
  char buffer[4096];
  while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, got);
  ::pclose(pipe);
  return output;
}

TEST(SessionRestart, VariablesComeBackWithTheirKinds) {
  TempDir temp;
  runBatch(temp,
           "s = \"hello\";\nwords = split(\"alpha beta\");\nm = [1 2; 3 4];\n"
           "nested = list(1, list(\"a\", list(2, [3 4])));\n");
  std::string second = runBatch(
      temp, "s\nischar(s)\nwords\nm(2, 1)\n"
            "same = nested === list(1, list(\"a\", list(2, [3 4])))\n");
  // The list of lists came back with its nesting, kinds and shapes: the comparison holds.
  EXPECT_TRUE(second.ends_with("\n1\n")) << second;
  EXPECT_NE(second.find("hello"), std::string::npos) << second;
  EXPECT_NE(second.find("alpha"), std::string::npos) << second;
  EXPECT_NE(second.find("beta"), std::string::npos) << second;
  EXPECT_EQ(second.find("problem loading"), std::string::npos) << second;
  EXPECT_EQ(second.find("not defined"), std::string::npos) << second;
  std::string history = temp.read("state/zirbin_comm.bin");
  EXPECT_NE(history.find("m = [1 2; 3 4];"), std::string::npos);
  EXPECT_NE(history.find("ischar(s)"), std::string::npos);
  EXPECT_NE(temp.read("state/zirbin_cd.bin").find(temp.path()), std::string::npos);
}

TEST(SessionRestart, DamagedSessionFileIsReportedAndTheProgramRuns) {
  TempDir temp;
  runBatch(temp, "a = 1;\nb = \"text\";\n");
  std::string bytes = temp.read("state/zirbin_env.bin");
  ASSERT_GT(bytes.size(), 10u);
  temp.write("state/zirbin_env.bin", bytes.substr(0, bytes.size() - 7));
  std::string second = runBatch(temp, "a + 1\n");
  EXPECT_NE(second.find("problem loading previous session"), std::string::npos) << second;
  EXPECT_NE(second.find("2"), std::string::npos) << second;
}

TEST(SessionRestart, LargeVariablesAreNamedAndLeftOutWhenNoOneCanAnswer) {
  TempDir temp;
  std::string first = runBatch(temp, "big = zeros(1, 10000);\nlargest = zeros(1, 9999);\n");
  EXPECT_EQ(first, "variables too large to be saved: big\n");
  EXPECT_EQ(temp.read("state/zirbin_env.bin").find("big"), std::string::npos);
  EXPECT_EQ(runBatch(temp, "size(largest)\n"), "9999\n");
}

// Starts `zirbin2020 --batch` in `temp` with its state directory there, its standard input
// a pipe that stays open and its output in temp/output.txt; sends `lines`, waits until
// the file `marker` exists in temp (the lines make it), then sends `signal` and waits for
// the program to end. Returns its exit status, or -1 when the marker never came.
int signalledRun(const TempDir& temp, const std::string& lines, const std::string& marker,
                 int signal) {
  int input[2];
  if (::pipe(input) != 0) return -1;
  const std::string state = temp.file("state");
  const std::string output = temp.file("output.txt");
  const std::string program = std::string(ZIRBIN_BIN_DIR) + "/zirbin2020";
  pid_t child = ::fork();
  if (child == 0) {
    ::dup2(input[0], STDIN_FILENO);
    ::close(input[0]);
    ::close(input[1]);
    int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(out, STDERR_FILENO);
    if (::chdir(temp.path().c_str()) != 0) ::_exit(127);
    ::setenv("ZIRBIN_HOME", state.c_str(), 1);
    ::execl(program.c_str(), "zirbin2020", "--batch", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(input[0]);
  // The input stays open: the program waits for more lines until the signal comes.
  bool written = ::write(input[1], lines.data(), lines.size()) ==
                 static_cast<ssize_t>(lines.size());
  bool seen = false;
  for (int tries = 0; written && !seen && tries < 200; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    seen = std::filesystem::exists(temp.file(marker));
  }
  ::kill(child, signal);
  // A program that outlives the signal by far fails the test instead of hanging it.
  int status = 0;
  pid_t ended = 0;
  for (int tries = 0; ended == 0 && tries < 200; ++tries) {
    ended = ::waitpid(child, &status, WNOHANG);
    if (ended == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (ended == 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
  }
  ::close(input[1]);
  if (!seen) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(SessionRestart, TerminationSignalSavesTheSession) {
  for (int signal : {SIGTERM, SIGHUP}) {
    TempDir temp;
    EXPECT_EQ(signalledRun(temp, "kept = 4321;\nwritetext(\"ready\", list(\"x\"));\n",
                           "ready.txt", signal),
              0)
        << signal;
    EXPECT_NE(temp.read("state/zirbin_env.bin").find("kept"), std::string::npos) << signal;
    EXPECT_NE(temp.read("state/zirbin_comm.bin").find("kept = 4321"), std::string::npos);
    EXPECT_EQ(runBatch(temp, "kept + 1\n"), "4322\n") << signal;
  }
}

TEST(SessionRestart, TerminationSignalStopsARunningLoopAndSaves) {
  TempDir temp;
  const std::string lines =
      "kept = 7;\nn = 1; writetext(\"ready\", list(\"x\")); while 1: n += 1\n";
  EXPECT_EQ(signalledRun(temp, lines, "ready.txt", SIGTERM), 0);
  EXPECT_EQ(runBatch(temp, "kept\nn > 0\n"), "7\n1\n");
}

// Returning from a user function resumes its caller; the end signal must not be undone by it.
// (The signal may come before the loop's first step on a slow machine: n is 1 from the start.)
TEST(SessionRestart, TerminationSignalStopsALoopThatCallsFunctions) {
  TempDir temp;
  // A loop in the body keeps the function from being a quick one.
  temp.write("step.zrb", "function y = step(x)\n  y = x;\n  for k = 1:3\n    y = y + 0;\n"
                         "  y = y + 1;\nend\n");
  const std::string lines =
      "use step\nkept = 8;\nn = step(0); writetext(\"ready\", list(\"x\")); while 1: n = step(n);\n";
  EXPECT_EQ(signalledRun(temp, lines, "ready.txt", SIGTERM), 0);
  EXPECT_EQ(runBatch(temp, "kept\nn > 0\n"), "8\n1\n");
}

}  // namespace
}  // namespace zirbin::session
