#include "files/state_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "files/temp_dir.h"

namespace zirbin::files {
namespace {

using testing::EnvironmentGuard;
using testing::TempDir;

TEST(StateDirectory, ZirbinHomeWinsAndIsCreated) {
  TempDir temp;
  EnvironmentGuard home("ZIRBIN_HOME", temp.file("a/b"));
  EnvironmentGuard xdg("XDG_STATE_HOME", temp.file("xdg"));
  EXPECT_EQ(stateDirectory(), temp.file("a/b"));
  EXPECT_TRUE(std::filesystem::is_directory(temp.file("a/b")));
  EXPECT_EQ(stateFilePath(kSessionFileName), temp.file("a/b/zirbin_env.bin"));
}

TEST(StateDirectory, XdgStateHomeWhenZirbinHomeIsUnsetOrEmpty) {
  TempDir temp;
  EnvironmentGuard home("ZIRBIN_HOME", std::string());
  EnvironmentGuard xdg("XDG_STATE_HOME", temp.path());
  EXPECT_EQ(stateDirectory(), temp.file("zirbin"));
  EXPECT_TRUE(std::filesystem::is_directory(temp.file("zirbin")));
}

TEST(StateDirectory, FallsBackToLocalStateUnderHome) {
  TempDir temp;
  EnvironmentGuard zhome("ZIRBIN_HOME", std::nullopt);
  EnvironmentGuard xdg("XDG_STATE_HOME", std::nullopt);
  EnvironmentGuard home("HOME", temp.path());
  EXPECT_EQ(stateDirectory(), temp.file(".local/state/zirbin"));
  EXPECT_TRUE(std::filesystem::is_directory(temp.file(".local/state/zirbin")));
}

TEST(ProgramDirectory, IsTheExecutablesDirectoryWithoutTrailingSlash) {
  std::string executable = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string directory = programDirectory();
  EXPECT_EQ(directory, executable.substr(0, executable.rfind('/')));
  setProgramDirectory("/tmp/somewhere/");
  EXPECT_EQ(programDirectory(), "/tmp/somewhere");
  setProgramDirectory(directory);
}

}  // namespace
}  // namespace zirbin::files
