// The batch front end as a user meets it, through the real program: the start-up script
// taken as data, the state saved whatever ends the run (end of input, a reader that went
// away, SIGTERM while nobody reads), a failed save reported, stale temporary files of a
// killed save removed, data files replaced whole or not at all, and FIFOs never waited on.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "files/temp_dir.h"

namespace zirbin::platform {
namespace {

using testing::TempDir;
namespace fs = std::filesystem;

const std::string kProgram = std::string(ZIRBIN_BIN_DIR) + "/zirbin2020";

struct RunResult {
  int status = -1;       // the exit status; -1 when killed by a signal
  int signal = 0;        // the signal that ended it
  std::string output;    // standard output and standard error
};

struct RunOptions {
  std::string home;                // ZIRBIN_HOME
  std::string directory;           // the working directory
  std::string input;               // standard input
  rlim_t fileSizeLimit = RLIM_INFINITY;
};

// Starts the program without a shell, so that arguments reach it as they are.
pid_t start(const std::vector<std::string>& args, const RunOptions& options, int& in, int& out) {
  int input[2], output[2];
  if (pipe(input) != 0 || pipe(output) != 0) return -1;
  pid_t child = fork();
  if (child == 0) {
    dup2(input[0], STDIN_FILENO);
    dup2(output[1], STDOUT_FILENO);
    dup2(output[1], STDERR_FILENO);
    close(input[0]), close(input[1]), close(output[0]), close(output[1]);
    if (!options.directory.empty() && chdir(options.directory.c_str()) != 0) _exit(126);
    setenv("ZIRBIN_HOME", options.home.c_str(), 1);
    if (options.fileSizeLimit != RLIM_INFINITY) {
      signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails instead of killing
      rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::vector<char*> argv{const_cast<char*>(kProgram.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(kProgram.c_str(), argv.data());
    _exit(127);
  }
  close(input[0]);
  close(output[1]);
  in = input[1];
  out = output[0];
  return child;
}

// Waits up to `seconds` for the child; kills it (and reports a hang) after that.
void finish(pid_t child, RunResult& result, int seconds) {
  int status = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      ADD_FAILURE() << "the program hung";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
}

RunResult run(const std::vector<std::string>& args, const RunOptions& options) {
  int in = -1, out = -1;
  RunResult result;
  pid_t child = start(args, options, in, out);
  if (child < 0) return result;
  if (!options.input.empty() && write(in, options.input.data(), options.input.size()) < 0) {
    ADD_FAILURE() << "input not written";
  }
  close(in);
  char buffer[4096];
  for (ssize_t n; (n = read(out, buffer, sizeof buffer)) > 0;) result.output.append(buffer, n);
  close(out);
  finish(child, result, 60);
  return result;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(BatchFrontEnd, StartUpScriptPathIsDataNotCodeFixed) {
  TempDir home, work;
  // A directory and a script whose names would close either kind of string and run a
  // command if they were pasted into source text.
  const std::string directory = "d'q\"x; sysCommand(\"touch " + work.file("pwned") + "\"); {r y}";
  const std::string script = directory + "/s'q\";{b}x.zrb";
  work.write(script, "disp(\"ran\")\nz = 5;\n");
  RunResult r = run({"--batch", work.file(script)}, {home.path(), work.path(), "z\n"});
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(contains(r.output, "ran\n")) << r.output;
  EXPECT_TRUE(contains(r.output, "5\n")) << r.output;
  EXPECT_FALSE(fs::exists(work.file("pwned")));
}

TEST(BatchFrontEnd, FailedSaveSaysSoAndEndsWithAnErrorStatusFixed) {
  TempDir temp;
  temp.write("blocker", "a file where the state directory should be");
  RunResult r = run({"--batch"}, {temp.file("blocker/state"), temp.path(), "x = 1\n"});
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_TRUE(contains(r.output, "the session could not be saved in ")) << r.output;
}

TEST(BatchFrontEnd, ReaderThatGoesAwayEndsTheRunAndTheSessionIsSavedFixed) {
  TempDir home, work;
  int in = -1, out = -1;
  RunOptions options{home.path(), work.path(), ""};
  pid_t child = start({"--batch"}, options, in, out);
  ASSERT_GT(child, 0);
  const std::string lines = "kept = 42\nfor i = 1:2000000; disp(i);\n";
  ASSERT_EQ(write(in, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
  char buffer[64];
  ASSERT_GT(read(out, buffer, sizeof buffer), 0);
  close(out);  // as `| head` does
  RunResult r;
  finish(child, r, 60);
  close(in);
  EXPECT_EQ(r.signal, 0) << "killed by signal " << r.signal;
  RunResult again = run({"--batch", "-e", "kept"}, {home.path(), work.path(), ""});
  EXPECT_TRUE(contains(again.output, "42")) << again.output;
}

TEST(BatchFrontEnd, TermWhileNobodyReadsSavesAndEndsFixed) {
  TempDir home, work;
  int in = -1, out = -1;
  pid_t child = start({"--batch"}, {home.path(), work.path(), ""}, in, out);
  ASSERT_GT(child, 0);
  const std::string lines = "kept = 7\nfor i = 1:10000000; disp(i);\n";
  ASSERT_EQ(write(in, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
  // Long enough for the pipe to fill and the program to block writing to it.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  kill(child, SIGTERM);
  RunResult r;
  finish(child, r, 20);
  close(in);
  close(out);
  EXPECT_EQ(r.signal, 0) << "killed by signal " << r.signal;
  RunResult again = run({"--batch", "-e", "kept"}, {home.path(), work.path(), ""});
  EXPECT_TRUE(contains(again.output, "7")) << again.output;
}

TEST(BatchFrontEnd, StaleTemporaryFilesOfAKilledSaveAreRemovedFixed) {
  TempDir home, work;
  home.write("zirbin_env.bin.tmp.AbC123", std::string(1000, 'x'));
  home.write("zirbin_comm.bin.tmp.XyZ789", "young");
  home.write("notes.tmp.AbC123", "not ours");
  auto old = fs::file_time_type::clock::now() - std::chrono::hours(2);
  fs::last_write_time(home.file("zirbin_env.bin.tmp.AbC123"), old);
  fs::last_write_time(home.file("notes.tmp.AbC123"), old);
  RunResult r = run({"--batch"}, {home.path(), work.path(), "1\n"});
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_FALSE(fs::exists(home.file("zirbin_env.bin.tmp.AbC123")));
  EXPECT_TRUE(fs::exists(home.file("zirbin_comm.bin.tmp.XyZ789")));  // may be a save running
  EXPECT_TRUE(fs::exists(home.file("notes.tmp.AbC123")));
}

TEST(BatchFrontEnd, WritetextThatCannotFinishLeavesTheOldFileWholeFixed) {
  TempDir home, work;
  work.write("data.txt", "old line\n");
  RunOptions options{home.path(), work.path(),
                     "writetext(\"data.txt\", list(pad(\"a\", 3000), pad(\"b\", 3000)))\n"};
  options.fileSizeLimit = 4096;
  RunResult r = run({"--batch"}, options);
  EXPECT_TRUE(contains(r.output, "could not write " + work.file("data.txt"))) << r.output;
  EXPECT_EQ(work.read("data.txt"), "old line\n");
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(work.path())) {
    left.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(left, std::vector<std::string>{"data.txt"});
}

TEST(BatchFrontEnd, FileBuiltinsRefuseFifosAndDirectoriesInsteadOfWaitingFixed) {
  TempDir home, work;
  ASSERT_EQ(mkfifo(work.file("pipe.jmt").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo(work.file("pipe.txt").c_str(), 0600), 0);
  work.makeDirectory("folder.txt");
  RunResult r = run({"--batch"}, {home.path(), work.path(),
                                  "qload(\"pipe\")\nreadtext(\"pipe\")\nload(\"folder\")\n"
                                  "fopen(\"pipe.txt\", \"r!\")\nwritetext(\"pipe\", \"x\")\n"
                                  "use pipe.txt\n1\n"});
  EXPECT_TRUE(contains(r.output, "could not open input file")) << r.output;
  EXPECT_TRUE(contains(r.output, "not a regular file: " + work.file("pipe.txt"))) << r.output;
  EXPECT_TRUE(contains(r.output, "not a regular file: " + work.file("folder.txt"))) << r.output;
  EXPECT_TRUE(contains(r.output, "fopen: file not found or can't be opened")) << r.output;
  EXPECT_TRUE(contains(r.output, "\n1\n")) << r.output;
}

}  // namespace
}  // namespace zirbin::platform
