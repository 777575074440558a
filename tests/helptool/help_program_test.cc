// Tests of the ZirbinHelp program: command-line forms, its two files, messages and exit
// statuses, both in-process and by starting the built executable.
#include "helptool/help_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace zirbin::helptool {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSample =
    "\\item welcome {*Welcome!} Try ?sin.\n"
    "\\item max max(x, y) the larger.\n"
    "\\more Matrices too.\n"
    "\\item \\eof\n";

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A fresh directory under the system's temporary directory, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "zirbinhelp_test_XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

struct Outcome {
  int status;
  std::string output;  // zirbinhelp.txt
  std::string stdoutText;
};

Outcome runInProcess(const std::vector<std::string>& args, const fs::path& programDir,
                 const fs::path& stateDir) {
  testing::internal::CaptureStdout();
  int status = runHelpTool(args, programDir.string(), stateDir.string());
  std::string printed = testing::internal::GetCapturedStdout();
  return {status, readFile(stateDir / "zirbinhelp.txt"), printed};
}

TEST(HelpProgram, TopicWritesTheEntryIntoTheStateDirectory) {
  TempDir program, state;
  writeFile(program.path() / "funcref.txt", kSample);
  Outcome r = runInProcess({"max"}, program.path(), state.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "{*max(x, y)} the larger.\n {=>>}\n");
  EXPECT_EQ(r.stdoutText, "");
}

TEST(HelpProgram, SecondArgumentOfAnyTextAsksForTheContinuation) {
  TempDir program, state;
  writeFile(program.path() / "funcref.txt", kSample);
  EXPECT_EQ(runInProcess({"max", "??"}, program.path(), state.path()).output, "Matrices too.\n");
  EXPECT_EQ(runInProcess({"max", "x"}, program.path(), state.path()).output, "Matrices too.\n");
}

TEST(HelpProgram, NoTopicWritesTheGreetingAndTheWelcomeEntry) {
  TempDir program, state;
  writeFile(program.path() / "funcref.txt", kSample);
  Outcome r = runInProcess({}, program.path(), state.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "{g Zirbin :)\n{*Welcome!} Try ?sin.\n");
}

TEST(HelpProgram, NoTopicWithoutWelcomeEntryWritesOnlyTheGreeting) {
  TempDir program, state;
  writeFile(program.path() / "funcref.txt", "\\item max max(x)\n\\item \\eof\n");
  EXPECT_EQ(runInProcess({}, program.path(), state.path()).output, "{g Zirbin :)\n");
}

TEST(HelpProgram, ExtraParametersAreIgnoredWithAWarningOnStandardOutput) {
  TempDir program, state;
  writeFile(program.path() / "funcref.txt", kSample);
  Outcome r = runInProcess({"max", "??", "extra", "more"}, program.path(), state.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.stdoutText, "ZirbinHelp: extra parameters being ignored\n");
  EXPECT_EQ(r.output, "Matrices too.\n");
}

TEST(HelpProgram, UnknownTopicWritesAnEmptyFileAndSucceeds) {
  TempDir program, state;
  writeFile(program.path() / "funcref.txt", kSample);
  writeFile(state.path() / "zirbinhelp.txt", "old text of an earlier request\n");
  Outcome r = runInProcess({"Max"}, program.path(), state.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "");
}

TEST(HelpProgram, MissingFuncrefIsReportedInTheOutputFile) {
  TempDir program, state;
  Outcome r = runInProcess({"max"}, program.path(), state.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, "ZirbinHelp could not open funcref.txt\nI expected to find it at: " +
                          program.path().string() + "\n");
  EXPECT_EQ(r.stdoutText, "");
}

TEST(HelpProgram, FuncrefWithoutEofEntryGivesTheErrorCodeMessage) {
  TempDir program, state;
  writeFile(program.path() / "funcref.txt", "\\item max max(x) the larger.\n");
  Outcome r = runInProcess({"min"}, program.path(), state.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output,
            "Something went wrong: error code 1\nfuncref file may be incorrectly constructed\n");
  EXPECT_EQ(runInProcess({"max"}, program.path(), state.path()).status, 0);
}

TEST(HelpProgram, StandardOutputIsRestoredAfterTheRun) {
  TempDir program, state;
  writeFile(program.path() / "funcref.txt", kSample);
  runInProcess({"max"}, program.path(), state.path());
  testing::internal::CaptureStdout();
  std::cout << "back on the terminal" << std::flush;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "back on the terminal");
}

TEST(HelpProgram, UncreatableStateDirectoryFailsWithStatusOne) {
  TempDir program, state;
  writeFile(program.path() / "funcref.txt", kSample);
  testing::internal::CaptureStderr();
  int status = runHelpTool({"max"}, program.path().string(), "");
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, 1);
  EXPECT_NE(errors.find("ZirbinHelp could not create"), std::string::npos);
}

// Sets an environment variable (or removes it for nullptr) for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    if (old != nullptr) saved_ = old;
    hadValue_ = old != nullptr;
    if (value == nullptr) {
      ::unsetenv(name);
    } else {
      ::setenv(name, value, 1);
    }
  }
  ~ScopedEnv() {
    if (hadValue_) {
      ::setenv(name_, saved_.c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::string saved_;
  bool hadValue_ = false;
};

TEST(HelpProgram, StateDirectoryFollowsZirbinHomeThenXdgThenHome) {
  TempDir base;
  fs::path zirbinHome = base.path() / "zh" / "deeper";
  {
    ScopedEnv zh("ZIRBIN_HOME", zirbinHome.c_str());
    ScopedEnv xdg("XDG_STATE_HOME", (base.path() / "xdg").c_str());
    EXPECT_EQ(stateDirectory(), zirbinHome.string());
    EXPECT_TRUE(fs::is_directory(zirbinHome));
  }
  {
    ScopedEnv zh("ZIRBIN_HOME", nullptr);
    ScopedEnv xdg("XDG_STATE_HOME", (base.path() / "xdg").c_str());
    EXPECT_EQ(stateDirectory(), (base.path() / "xdg" / "zirbin").string());
    EXPECT_TRUE(fs::is_directory(base.path() / "xdg" / "zirbin"));
  }
  {
    ScopedEnv zh("ZIRBIN_HOME", "");
    ScopedEnv xdg("XDG_STATE_HOME", nullptr);
    ScopedEnv home("HOME", base.path().c_str());
    EXPECT_EQ(stateDirectory(), (base.path() / ".local" / "state" / "zirbin").string());
    EXPECT_TRUE(fs::is_directory(base.path() / ".local" / "state" / "zirbin"));
  }
  writeFile(base.path() / "plainfile", "x");
  ScopedEnv zh("ZIRBIN_HOME", (base.path() / "plainfile" / "sub").c_str());
  EXPECT_EQ(stateDirectory(), "");
}

// Starts `exe` with `args` and ZIRBIN_HOME set to `stateDir`; its standard output goes
// to a file in `stateDir`. Returns the exit status.
Outcome runExecutable(const fs::path& exe, const std::vector<std::string>& args,
                  const fs::path& stateDir) {
  ScopedEnv zh("ZIRBIN_HOME", stateDir.c_str());
  fs::path stdoutPath = stateDir / "stdout.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  std::vector<std::string> argvText = {exe.string()};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argvText) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return {-1, "", ""};
  int waitStatus = 0;
  waitpid(pid, &waitStatus, 0);
  int status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
  return {status, readFile(stateDir / "zirbinhelp.txt"), readFile(stdoutPath)};
}

// A copy of the built program in a directory of its own, so that its funcref.txt is ours.
fs::path copyProgram(const TempDir& dir) {
  fs::path exe = dir.path() / "ZirbinHelp";
  fs::copy_file(fs::path(ZIRBIN_BIN_DIR) / "ZirbinHelp", exe);
  return exe;
}

TEST(HelpProgramExecutable, ReadsFuncrefBesideItselfAndWritesTheStateDirectory) {
  TempDir program, state;
  fs::path exe = copyProgram(program);
  writeFile(program.path() / "funcref.txt", kSample);
  Outcome r = runExecutable(exe, {"max"}, state.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "{*max(x, y)} the larger.\n {=>>}\n");
  EXPECT_EQ(r.stdoutText, "");
  EXPECT_EQ(runExecutable(exe, {"max", "??"}, state.path()).output, "Matrices too.\n");
}

TEST(HelpProgramExecutable, ExtraParametersWarnOnTheRealStandardOutput) {
  TempDir program, state;
  fs::path exe = copyProgram(program);
  writeFile(program.path() / "funcref.txt", kSample);
  Outcome r = runExecutable(exe, {"max", "??", "x"}, state.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.stdoutText, "ZirbinHelp: extra parameters being ignored\n");
  EXPECT_EQ(r.output, "Matrices too.\n");
}

TEST(HelpProgramExecutable, MissingFuncrefNamesTheProgramDirectory) {
  TempDir program, state;
  fs::path exe = copyProgram(program);
  Outcome r = runExecutable(exe, {"max"}, state.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, "ZirbinHelp could not open funcref.txt\nI expected to find it at: " +
                          fs::canonical(program.path()).string() + "\n");
}

TEST(HelpProgramExecutable, BadFuncrefExitsWithStatusOne) {
  TempDir program, state;
  fs::path exe = copyProgram(program);
  writeFile(program.path() / "funcref.txt", "\\item max max(x)\n");
  Outcome r = runExecutable(exe, {"nothing"}, state.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output,
            "Something went wrong: error code 1\nfuncref file may be incorrectly constructed\n");
}

TEST(HelpProgramExecutable, ShippedReferenceGreetsWithoutATopic) {
  TempDir state;
  Outcome r = runExecutable(fs::path(ZIRBIN_BIN_DIR) / "ZirbinHelp", {}, state.path());
  EXPECT_EQ(r.status, 0);
  ASSERT_TRUE(r.output.starts_with("{g Zirbin :)\n"));
  EXPECT_GT(r.output.size(), std::string("{g Zirbin :)\n").size()) << "no welcome entry";
}

TEST(HelpProgramExecutable, ShippedReferenceAnswersSyntax) {
  TempDir state;
  Outcome r = runExecutable(fs::path(ZIRBIN_BIN_DIR) / "ZirbinHelp", {"syntax"}, state.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(r.output.empty());
  EXPECT_EQ(runExecutable(fs::path(ZIRBIN_BIN_DIR) / "ZirbinHelp", {"Syntax"}, state.path())
                .output,
            "");
}

}  // namespace
}  // namespace zirbin::helptool
