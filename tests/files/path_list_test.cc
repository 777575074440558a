#include "files/path_list.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "files/records.h"
#include "files/state_dir.h"
#include "files/temp_dir.h"
#include "files/user_prompts.h"
#include "base/errors.h"

namespace zirbin::files {
namespace {

using testing::TempDir;

// Records the notices a loader shows.
class RecordingPrompts : public HeadlessPrompts {
 public:
  void notify(const std::string& text, const std::string& title) override {
    notices.push_back(title + ": " + text);
  }
  std::vector<std::string> notices;
};

// Keeps the process's working directory and the program directory as they were.
class PathListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldCwd_ = std::filesystem::current_path();
    oldProgram_ = programDirectory();
  }
  void TearDown() override {
    std::filesystem::current_path(oldCwd_);
    setProgramDirectory(oldProgram_);
  }
  TempDir temp_;

 private:
  std::filesystem::path oldCwd_;
  std::string oldProgram_;
};

std::string thrownText(const std::function<void()>& action) {
  try {
    action();
  } catch (const session::RuntimeError& error) {
    return error.text;
  }
  return "(nothing thrown)";
}

TEST_F(PathListTest, CompletePathAppendsExtensionOnlyWhenLastPartHasNoDot) {
  PathList paths("/home/u/work");
  EXPECT_EQ(paths.completePath("figure", "svg"), "/home/u/work/figure.svg");
  EXPECT_EQ(paths.completePath("figure.png", "svg"), "/home/u/work/figure.png");
  EXPECT_EQ(paths.completePath("a.d/figure", "svg"), "/home/u/work/a.d/figure.svg");
  EXPECT_EQ(paths.completePath("figure", ""), "/home/u/work/figure");
}

TEST_F(PathListTest, CompletePathKeepsAbsoluteNamesAndAcceptsBackslashes) {
  PathList paths("/home/u/work");
  EXPECT_EQ(paths.completePath("/etc/data", "txt"), "/etc/data.txt");
  EXPECT_EQ(paths.completePath("\\etc\\data", "txt"), "/etc/data.txt");
  EXPECT_EQ(paths.completePath("sub\\inner\\f.zrb", "txt"), "/home/u/work/sub/inner/f.zrb");
}

TEST_F(PathListTest, CompletePathFoldsDotStepsAndTrailingSlash) {
  PathList paths("/home/u/work/");
  EXPECT_EQ(paths.currentDirectory(), "/home/u/work");
  EXPECT_EQ(paths.completePath("..", ""), "/home/u");
  EXPECT_EQ(paths.completePath("./a//b/../c/", ""), "/home/u/work/a/c");
  EXPECT_EQ(paths.completePath("/..", ""), "/");
}

TEST_F(PathListTest, CompletePathExpandsHome) {
  testing::EnvironmentGuard home("HOME", std::string("/home/someone"));
  PathList paths("/tmp");
  EXPECT_EQ(paths.completePath("~", ""), "/home/someone");
  EXPECT_EQ(paths.completePath("~/x", "zrb"), "/home/someone/x.zrb");
  EXPECT_EQ(paths.completePath("~x", ""), "/tmp/~x");
}

TEST_F(PathListTest, ResolveFileMessages) {
  PathList paths(temp_.path());
  temp_.write("here.txt", "x");
  EXPECT_EQ(paths.resolveFile("here", true, "txt"), temp_.file("here.txt"));
  EXPECT_EQ(paths.resolveFile("new", false, "txt"), temp_.file("new.txt"));
  EXPECT_EQ(thrownText([&] { paths.resolveFile("", false, "txt"); }),
            "missing or empty file name");
  EXPECT_EQ(thrownText([&] { paths.resolveFile("gone", true, "txt", "readtext"); }),
            "in readtext: file not found: gone");
}

TEST_F(PathListTest, PathLengthLimitAccepts258AndRefuses259) {
  PathList paths("/");
  std::string name258(257, 'a');  // "/" + 257 characters
  EXPECT_EQ(paths.resolveFile(name258, false, "").size(), 258u);
  std::string name259(258, 'a');
  std::string path = "/" + name259;
  EXPECT_EQ(thrownText([&] { paths.resolveFile(name259, false, ""); }),
            "path name is too long: " + path);
  EXPECT_EQ(thrownText([&] { paths.pathKind(name259, "cd"); }),
            "in cd: path name is too long: " + path);
}

TEST_F(PathListTest, PathKindTellsFilesFromDirectories) {
  PathList paths(temp_.path());
  temp_.write("f.txt", "x");
  temp_.makeDirectory("d");
  EXPECT_EQ(paths.pathKind("f.txt"), PathKind::kFile);
  EXPECT_EQ(paths.pathKind("d"), PathKind::kDirectory);
  EXPECT_EQ(paths.pathKind("none"), PathKind::kMissing);
}

TEST_F(PathListTest, FindFileSearchesCurrentThenToolboxTeachDemo) {
  temp_.makeDirectory("cwd");
  setProgramDirectory(temp_.file("prog"));
  temp_.write("prog/toolbox/tool.zrb", "");
  temp_.write("prog/teach/lesson.zrb", "");
  temp_.write("prog/demo/lesson.zrb", "");
  temp_.write("prog/demo/show.zrb", "");
  temp_.write("prog/toolbox/both.zrb", "");
  temp_.write("cwd/both.zrb", "");
  PathList paths(temp_.file("cwd"));
  EXPECT_EQ(paths.findFile("tool", "zrb"), temp_.file("prog/toolbox/tool.zrb"));
  EXPECT_EQ(paths.findFile("lesson", "zrb"), temp_.file("prog/teach/lesson.zrb"));
  EXPECT_EQ(paths.findFile("show", "zrb"), temp_.file("prog/demo/show.zrb"));
  EXPECT_EQ(paths.findFile("both", "zrb"), temp_.file("cwd/both.zrb"));
  EXPECT_EQ(paths.findFile("missing", "zrb"), temp_.file("cwd/missing.zrb"));
  EXPECT_EQ(paths.findFile("/no/such/file", "zrb"), "/no/such/file.zrb");
}

TEST_F(PathListTest, SetDirectoryChangesProcessDirectoryAndRemembersIt) {
  temp_.makeDirectory("a/b");
  PathList paths(temp_.path());
  paths.setDirectory("a\\b");
  EXPECT_EQ(paths.currentDirectory(), temp_.file("a/b"));
  EXPECT_EQ(std::filesystem::current_path().string(),
            std::filesystem::canonical(temp_.file("a/b")).string());
  paths.setDirectory("..");
  EXPECT_EQ(paths.currentDirectory(), temp_.file("a"));
  EXPECT_EQ(paths.recent(), (std::set<std::string>{temp_.file("a"), temp_.file("a/b")}));
  EXPECT_EQ(paths.selectedRecent(), temp_.file("a"));
}

TEST_F(PathListTest, SetDirectoryThatCannotBeEnteredLeavesEverything) {
  PathList paths(temp_.path());
  EXPECT_EQ(thrownText([&] { paths.setDirectory("nowhere", "cd"); }),
            "in cd: can't find directory " + temp_.file("nowhere"));
  EXPECT_EQ(paths.currentDirectory(), temp_.path());
  EXPECT_TRUE(paths.recent().empty());
}

TEST_F(PathListTest, FileKeepsCurrentDirectoryAndFirstTwentyRecentEntries) {
  PathList paths(temp_.path());
  for (int i = 0; i < 25; ++i) paths.addRecent("/dir" + std::to_string(100 + i));
  ASSERT_TRUE(savePathList(paths, temp_.file("zirbin_cd.bin")));
  std::string bytes = temp_.read("zirbin_cd.bin");
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x14\0\0\0", 4));

  PathList restored("/");
  RecordingPrompts prompts;
  loadPathList(restored, temp_.file("zirbin_cd.bin"), true, prompts);
  EXPECT_TRUE(prompts.notices.empty());
  EXPECT_EQ(restored.currentDirectory(), temp_.path());
  // The twenty stored entries, and the restored current directory.
  ASSERT_EQ(restored.recent().size(), 21u);
  EXPECT_EQ(*restored.recent().begin(), "/dir100");
  EXPECT_TRUE(restored.recent().contains("/dir119"));
  EXPECT_FALSE(restored.recent().contains("/dir120"));
  EXPECT_TRUE(restored.recent().contains(temp_.path()));
}

TEST_F(PathListTest, LoadWithoutRestoringKeepsStartDirectoryButTakesRecentSet) {
  PathList paths(temp_.path());
  paths.addRecent("/x");
  ASSERT_TRUE(savePathList(paths, temp_.file("cd.bin")));
  PathList restored("/");
  RecordingPrompts prompts;
  loadPathList(restored, temp_.file("cd.bin"), false, prompts);
  EXPECT_EQ(restored.currentDirectory(), "/");
  EXPECT_EQ(restored.recent(), std::set<std::string>{"/x"});
}

TEST_F(PathListTest, MissingFileIsSilent) {
  PathList paths("/");
  RecordingPrompts prompts;
  loadPathList(paths, temp_.file("none.bin"), true, prompts);
  EXPECT_TRUE(prompts.notices.empty());
  EXPECT_EQ(paths.currentDirectory(), "/");
}

TEST_F(PathListTest, TruncatedFileKeepsWhatWasReadAndSaysSo) {
  PathList paths(temp_.path());
  paths.addRecent("/a");
  paths.addRecent("/b");
  ASSERT_TRUE(savePathList(paths, temp_.file("cd.bin")));
  std::string bytes = temp_.read("cd.bin");
  temp_.write("cut.bin", bytes.substr(0, bytes.size() - 3));
  PathList restored("/");
  RecordingPrompts prompts;
  loadPathList(restored, temp_.file("cut.bin"), true, prompts);
  EXPECT_EQ(prompts.notices, std::vector<std::string>{"zirbin startup: problem loading path list"});
  EXPECT_EQ(restored.recent(), (std::set<std::string>{"/a", temp_.path()}));
  EXPECT_EQ(restored.currentDirectory(), temp_.path());
}

TEST_F(PathListTest, HostileCountsAndLengthsAreRefusedWithoutHarm) {
  // A count of 4 billion entries, then a name record claiming 100000 characters.
  std::string hostile("\xff\xff\xff\xff\xa0\x86\x01\x00zz", 10);
  temp_.write("hostile.bin", hostile);
  PathList restored("/");
  RecordingPrompts prompts;
  loadPathList(restored, temp_.file("hostile.bin"), true, prompts);
  EXPECT_EQ(prompts.notices.size(), 1u);
  EXPECT_TRUE(restored.recent().empty());

  std::string overLimit("\x01\0\0\0\xff\xff\xff\x7f", 8);
  temp_.write("long.bin", overLimit);
  loadPathList(restored, temp_.file("long.bin"), true, prompts);
  EXPECT_EQ(prompts.notices.size(), 2u);
  EXPECT_EQ(restored.currentDirectory(), "/");
}

}  // namespace
}  // namespace zirbin::files
