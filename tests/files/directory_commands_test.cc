#include "files/directory_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "files/path_list.h"
#include "files/temp_dir.h"
#include "files/user_prompts.h"
#include "base/errors.h"

namespace zirbin::files {
namespace {

using testing::TempDir;

// Answers questions and the folder browser as told.
class ScriptedPrompts : public HeadlessPrompts {
 public:
  std::optional<bool> askYesNo(const std::string& text, const std::string&) override {
    questions.push_back(text);
    return yesNo;
  }
  std::optional<std::string> browseFolder(const std::string& start) override {
    browsedFrom = start;
    return folder;
  }
  std::optional<bool> yesNo;
  std::optional<std::string> folder;
  std::vector<std::string> questions;
  std::string browsedFrom;
};

class DirectoryCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { oldCwd_ = std::filesystem::current_path(); }
  void TearDown() override { std::filesystem::current_path(oldCwd_); }
  TempDir temp_;

 private:
  std::filesystem::path oldCwd_;
};

std::string thrownText(const std::function<void()>& action) {
  try {
    action();
  } catch (const session::RuntimeError& error) {
    return error.text;
  }
  return "(nothing thrown)";
}

TEST_F(DirectoryCommandsTest, CdWithoutArgumentShowsCurrentDirectoryWrapped) {
  PathList paths(temp_.path());
  HeadlessPrompts prompts;
  EXPECT_EQ(cdCommand(paths, std::nullopt, prompts), temp_.path());
}

TEST_F(DirectoryCommandsTest, CdToDirectoryFileAndMissingName) {
  temp_.makeDirectory("sub");
  temp_.write("plain.txt", "");
  PathList paths(temp_.path());
  HeadlessPrompts prompts;
  EXPECT_EQ(cdCommand(paths, "sub", prompts), temp_.file("sub"));
  EXPECT_EQ(paths.currentDirectory(), temp_.file("sub"));
  EXPECT_EQ(cdCommand(paths, "..", prompts), temp_.path());
  EXPECT_EQ(thrownText([&] { cdCommand(paths, "plain.txt", prompts); }),
            "in cd: attempt to cd to file " + temp_.file("plain.txt"));
  EXPECT_EQ(thrownText([&] { cdCommand(paths, "nowhere", prompts); }),
            "in cd: can't find directory " + temp_.file("nowhere"));
  EXPECT_EQ(paths.currentDirectory(), temp_.path());
}

TEST_F(DirectoryCommandsTest, CdFromVanishedDirectorySaysSomethingIsWrong) {
  temp_.makeDirectory("gone");
  PathList paths(temp_.file("gone"));
  std::filesystem::remove(temp_.file("gone"));
  HeadlessPrompts prompts;
  EXPECT_EQ(thrownText([&] { cdCommand(paths, "x", prompts); }),
            "in cd: something wrong: try using 'clear path' to reset zirbin path");
  EXPECT_EQ(cdCommand(paths, temp_.path(), prompts), temp_.path());
}

TEST_F(DirectoryCommandsTest, CdQuestionMarkUsesFolderBrowserWhenThereIsOne) {
  temp_.makeDirectory("chosen");
  PathList paths(temp_.path());
  ScriptedPrompts prompts;
  EXPECT_EQ(thrownText([&] { cdCommand(paths, "?", prompts); }),
            "in cd: no folder browser is available");
  prompts.folder = "";
  EXPECT_EQ(cdCommand(paths, "?", prompts), temp_.path());
  prompts.folder = temp_.file("chosen");
  EXPECT_EQ(cdCommand(paths, "?", prompts), temp_.file("chosen"));
  EXPECT_EQ(prompts.browsedFrom, temp_.path());
}

TEST_F(DirectoryCommandsTest, CdClearAsksAndEmptiesRecentSetOnYes) {
  temp_.makeDirectory("a");
  PathList paths(temp_.path());
  ScriptedPrompts prompts;
  cdCommand(paths, "a", prompts);
  prompts.yesNo = false;
  cdCommand(paths, "clear", prompts);
  EXPECT_EQ(paths.recent().size(), 1u);
  EXPECT_EQ(prompts.questions,
            std::vector<std::string>{"The recent path list will be cleared. Are you sure?"});
  prompts.yesNo = true;
  cdCommand(paths, "clear", prompts);
  EXPECT_TRUE(paths.recent().empty());
  paths.addRecent("/x");
  prompts.yesNo = std::nullopt;  // batch: the typed command stands
  cdCommand(paths, "clear", prompts);
  EXPECT_TRUE(paths.recent().empty());
}

TEST_F(DirectoryCommandsTest, DirListsSortedWithDirectoriesMarked) {
  temp_.write("b.zrb", "");
  temp_.write("a.txt", "");
  temp_.makeDirectory("sub");
  PathList paths(temp_.path());
  EXPECT_EQ(dirCommand(paths, std::nullopt),
            (std::vector<std::string>{". <DIR>  ", ".. <DIR>  ", "a.txt", "b.zrb",
                                      "sub <DIR>  "}));
  EXPECT_EQ(dirCommand(paths, "*.zrb"), std::vector<std::string>{"b.zrb"});
  EXPECT_EQ(dirCommand(paths, "?.*"),
            (std::vector<std::string>{".. <DIR>  ", "a.txt", "b.zrb"}));
}

TEST_F(DirectoryCommandsTest, DirStarDotListsOnlyDirectories) {
  temp_.write("file", "");
  temp_.makeDirectory("one");
  temp_.makeDirectory("two.d");
  PathList paths(temp_.path());
  EXPECT_EQ(dirCommand(paths, "*."),
            (std::vector<std::string>{". <DIR>  ", ".. <DIR>  ", "one <DIR>  ",
                                      "two.d <DIR>  "}));
}

TEST_F(DirectoryCommandsTest, DirOfSubdirectoryListsItsContents) {
  temp_.write("sub/inner.txt", "");
  PathList paths(temp_.path());
  EXPECT_EQ(dirCommand(paths, "sub\\"),
            (std::vector<std::string>{". <DIR>  ", ".. <DIR>  ", "inner.txt"}));
}

TEST_F(DirectoryCommandsTest, DirMessages) {
  PathList paths(temp_.path());
  EXPECT_EQ(thrownText([&] { dirCommand(paths, "*.none"); }), "in dir: file not found");
  EXPECT_EQ(thrownText([&] { dirCommand(paths, "missing/*"); }), "in dir: file not found");
  std::string longName(300, 'x');
  EXPECT_EQ(thrownText([&] { dirCommand(paths, longName); }),
            "in dir: path name is too long: " + temp_.file(longName));
}

TEST_F(DirectoryCommandsTest, DirOfUnreadableDirectoryIsAListingError) {
  temp_.makeDirectory("closed");
  std::filesystem::permissions(temp_.file("closed"), std::filesystem::perms::none);
  PathList paths(temp_.path());
  std::string text = thrownText([&] { dirCommand(paths, "closed"); });
  std::filesystem::permissions(temp_.file("closed"), std::filesystem::perms::owner_all);
  if (text == "(nothing thrown)") GTEST_SKIP() << "running as root";
  EXPECT_EQ(text, "in dir: FindNextFile error in Dir::dir");
}

}  // namespace
}  // namespace zirbin::files
