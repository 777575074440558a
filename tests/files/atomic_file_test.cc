#include "files/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "files/temp_dir.h"

namespace zirbin::files {
namespace {

using testing::TempDir;

std::size_t entriesIn(const std::string& directory) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(directory)) ++count;
  return count;
}

TEST(AtomicFile, CommitReplacesTheTarget) {
  TempDir temp;
  temp.write("state.bin", "old");
  {
    AtomicFile file(temp.file("state.bin"));
    ASSERT_NE(file.stream(), nullptr);
    std::fputs("new", file.stream());
    EXPECT_TRUE(file.commit(true));
  }
  EXPECT_EQ(temp.read("state.bin"), "new");
  EXPECT_EQ(entriesIn(temp.path()), 1u);
}

TEST(AtomicFile, FailedWritesLeaveThePreviousFileAndNoLeftovers) {
  TempDir temp;
  temp.write("state.bin", "old");
  {
    AtomicFile file(temp.file("state.bin"));
    std::fputs("half", file.stream());
    EXPECT_FALSE(file.commit(false));
  }
  {
    AtomicFile abandoned(temp.file("state.bin"));
    std::fputs("never committed", abandoned.stream());
  }
  EXPECT_EQ(temp.read("state.bin"), "old");
  EXPECT_EQ(entriesIn(temp.path()), 1u);
}

TEST(AtomicFile, MissingDirectoryFailsQuietly) {
  TempDir temp;
  AtomicFile file(temp.file("no/such/dir/state.bin"));
  EXPECT_EQ(file.stream(), nullptr);
  EXPECT_FALSE(file.commit(true));
}

}  // namespace
}  // namespace zirbin::files
