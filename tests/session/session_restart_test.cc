// A session survives a restart: the batch program run twice in one state directory finds
// the variables and the history of the first run again, and the current directory is kept.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

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
  runBatch(temp, "s = \"hello\";\nwords = split(\"alpha beta\");\nm = [1 2; 3 4];\n");
  std::string second = runBatch(temp, "s\nischar(s)\nwords\nm(2, 1)\n");
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

}  // namespace
}  // namespace zirbin::session
