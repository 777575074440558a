#include "gui/command_history.h"

#include <gtest/gtest.h>

#include "files/temp_dir.h"

namespace zirbin::gui {
namespace {

using testing::TempDir;

// "c1", "c2", ...
std::string numbered(int i) {
  std::string line = "c";
  line += std::to_string(i);
  return line;
}

TEST(CommandHistory, SameLineTwiceInARowIsStoredOnce) {
  CommandHistory history;
  history.add("x = 1");
  history.add("x = 1");
  history.add("y");
  history.add("x = 1");
  EXPECT_EQ(history.newest(10), (std::vector<std::string>{"x = 1", "y", "x = 1"}));
}

TEST(CommandHistory, BlankLinesAreNotStored) {
  CommandHistory history;
  history.add("");
  history.add("  \t");
  EXPECT_EQ(history.size(), 0u);
}

TEST(CommandHistory, RingKeepsTheLastSixtyLines) {
  CommandHistory history;
  for (int i = 1; i <= 70; ++i) history.add(numbered(i));
  ASSERT_EQ(history.size(), 60u);
  EXPECT_EQ(history.entry(0), "c11");
  EXPECT_EQ(history.entry(59), "c70");
  EXPECT_EQ(history.newest(2), (std::vector<std::string>{"c69", "c70"}));
}

TEST(CommandHistory, UpAndDownWalkTheHistoryAndRestoreTheTypedLine) {
  CommandHistory history;
  history.add("a");
  history.add("b");
  EXPECT_EQ(history.older("", false), "b");
  EXPECT_EQ(history.older("b", true), "a");
  EXPECT_EQ(history.older("a", true), std::nullopt);
  EXPECT_EQ(history.newer("a", true), "b");
  EXPECT_EQ(history.newer("b", true), "");
  EXPECT_EQ(history.older("", true), "b");
}

TEST(CommandHistory, UpAfterPrefixSkipsEntriesNotStartingWithIt) {
  CommandHistory history;
  history.add("plot(x)");
  history.add("x = 3");
  history.add("pl = 2");
  history.add("y = 4");
  EXPECT_EQ(history.older("pl", false), "pl = 2");
  EXPECT_EQ(history.older("pl = 2", true), "plot(x)");
  EXPECT_EQ(history.older("plot(x)", true), std::nullopt);
  EXPECT_EQ(history.newer("plot(x)", true), "pl = 2");
  EXPECT_EQ(history.newer("pl = 2", true), "pl");
}

TEST(CommandHistory, DownWithoutBrowsingGivesTheLineBack) {
  CommandHistory history;
  history.add("a");
  EXPECT_EQ(history.newer("typing", false), "typing");
}

TEST(CommandHistory, AddingEndsBrowsing) {
  CommandHistory history;
  history.add("a");
  history.add("b");
  EXPECT_EQ(history.older("", false), "b");
  EXPECT_EQ(history.older("b", true), "a");
  history.add("c");
  EXPECT_EQ(history.older("", false), "c");
}

TEST(HistoryFile, AfterSeventyCommandsHoldsTheLastThirtyOldestFirst) {
  TempDir temp;
  CommandHistory history;
  for (int i = 1; i <= 70; ++i) history.add(numbered(i));
  ASSERT_TRUE(saveHistory(history, temp.file("zirbin_comm.bin")));
  std::string bytes = temp.read("zirbin_comm.bin");
  ASSERT_GE(bytes.size(), 12u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x1e\0\0\0", 4));
  EXPECT_EQ(bytes.substr(4, 8), std::string("\x03\0\0\0c41\0", 8));

  CommandHistory restored;
  loadHistory(restored, temp.file("zirbin_comm.bin"));
  ASSERT_EQ(restored.size(), 30u);
  EXPECT_EQ(restored.entry(0), "c41");
  EXPECT_EQ(restored.entry(29), "c70");
}

TEST(HistoryFile, FewEntriesRoundTrip) {
  TempDir temp;
  CommandHistory history;
  history.add("a = [1 2 3]");
  history.add("disp(\"\xe9t\xe9\")");
  ASSERT_TRUE(saveHistory(history, temp.file("h.bin")));
  CommandHistory restored;
  loadHistory(restored, temp.file("h.bin"));
  EXPECT_EQ(restored.newest(5), history.newest(5));
}

TEST(HistoryFile, MissingFileLeavesHistoryEmpty) {
  TempDir temp;
  CommandHistory history;
  loadHistory(history, temp.file("none.bin"));
  EXPECT_EQ(history.size(), 0u);
}

TEST(HistoryFile, TruncatedFileKeepsTheWholeRecordsBeforeTheCut) {
  TempDir temp;
  CommandHistory history;
  history.add("first");
  history.add("second");
  ASSERT_TRUE(saveHistory(history, temp.file("h.bin")));
  std::string bytes = temp.read("h.bin");
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    temp.write("cut.bin", bytes.substr(0, cut));
    CommandHistory restored;
    loadHistory(restored, temp.file("cut.bin"));
    std::size_t expected = cut >= 4 + 10 ? 1 : 0;  // "first" takes 4 + 5 + 1 bytes
    EXPECT_EQ(restored.size(), expected) << "cut at " << cut;
  }
}

TEST(HistoryFile, HostileCountAndLengthsReadNothingAbsurd) {
  TempDir temp;
  temp.write("h.bin", std::string("\xff\xff\xff\x7f\xff\xff\xff\x7f", 8));
  CommandHistory history;
  loadHistory(history, temp.file("h.bin"));
  EXPECT_EQ(history.size(), 0u);
  temp.write("h2.bin", std::string("\x05\0\0\0\x02\0\0\0ab\0\xf0\xff\xff\xff", 15));
  loadHistory(history, temp.file("h2.bin"));
  EXPECT_EQ(history.newest(5), std::vector<std::string>{"ab"});
}

TEST(HistoryFile, TextStopsAtItsFirstZeroByte) {
  TempDir temp;
  temp.write("h.bin", std::string("\x01\0\0\0\x04\0\0\0ab\0c\0", 13));
  CommandHistory history;
  loadHistory(history, temp.file("h.bin"));
  EXPECT_EQ(history.newest(5), std::vector<std::string>{"ab"});
}

}  // namespace
}  // namespace zirbin::gui
