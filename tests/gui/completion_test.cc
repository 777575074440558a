#include "gui/completion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "files/temp_dir.h"
#include "gui/console_buffer.h"
#include "base/host.h"
#include "session/interpreter_session.h"

namespace zirbin::gui {
namespace {

TEST(CompletionRequest, NameAtTheCaret) {
  CompletionRequest request = completionRequest("y = 2*sq", 8);
  EXPECT_EQ(request.kind, CompletionKind::kName);
  EXPECT_EQ(request.start, 6u);
  EXPECT_EQ(request.word, "sq");
}

TEST(CompletionRequest, FileNameAfterUseCdAndDir) {
  CompletionRequest request = completionRequest("use demo/to", 11);
  EXPECT_EQ(request.kind, CompletionKind::kFileName);
  EXPECT_EQ(request.start, 4u);
  EXPECT_EQ(request.word, "demo/to");
  request = completionRequest("x = 1; cd \"my dir\\su", 20);
  EXPECT_EQ(request.kind, CompletionKind::kFileName);
  EXPECT_EQ(request.word, "my dir\\su");
  EXPECT_EQ(completionRequest("dir ", 4).kind, CompletionKind::kFileName);
  EXPECT_EQ(completionRequest("used", 4).kind, CompletionKind::kName);
}

TEST(CompletionRequest, FileNameInAStringArgumentOfAFileBuiltin) {
  CompletionRequest request = completionRequest("[x, y] = load('dat", 18);
  EXPECT_EQ(request.kind, CompletionKind::kFileName);
  EXPECT_EQ(request.start, 15u);
  EXPECT_EQ(request.word, "dat");
  EXPECT_EQ(completionRequest("writetext(\"out\", r", 18).kind, CompletionKind::kName);
  EXPECT_EQ(completionRequest("save(\"a\", \"b", 12).kind, CompletionKind::kFileName);
  // Not a file built-in, or the quote is a transpose.
  EXPECT_EQ(completionRequest("disp('abc", 9).kind, CompletionKind::kName);
  EXPECT_EQ(completionRequest("load(m', ab", 11).kind, CompletionKind::kName);
}

TEST(NameCandidates, VariablesFunctionsBuiltinsAndKeywords) {
  session::HeadlessHost host;
  ConsoleBuffer console;
  session::InterpreterSession session(host, console, true);
  session.submitInput("whistle = 1", session::kTypedMode);
  session.submitInput("whirl(x) := x + 1", session::kTypedMode);
  const std::vector<std::string> names = nameCandidates(session, "whi");
  EXPECT_EQ(names, (std::vector<std::string>{"while", "whirl", "whistle"}));
  const std::vector<std::string> sq = nameCandidates(session, "sqr");
  EXPECT_NE(std::find(sq.begin(), sq.end(), "sqrt"), sq.end());
}

TEST(FileCandidates, FilesAndFoldersByPrefixKeepingTheTypedFolder) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir.path() + "/data");
  std::ofstream(dir.path() + "/data/run1.txt") << "1";
  std::ofstream(dir.path() + "/data/run2.txt") << "2";
  std::filesystem::create_directory(dir.path() + "/data/runs");
  std::ofstream(dir.path() + "/data/.runhidden") << "3";
  EXPECT_EQ(fileCandidates(dir.path() + "/data/ru"),
            (std::vector<std::string>{dir.path() + "/data/run1.txt", dir.path() + "/data/run2.txt",
                                      dir.path() + "/data/runs/"}));
  EXPECT_EQ(fileCandidates(dir.path() + "\\data\\run1").size(), 1u);
  EXPECT_TRUE(fileCandidates(dir.path() + "/nothing/x").empty());
}

}  // namespace
}  // namespace zirbin::gui
