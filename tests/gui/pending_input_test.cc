#include "gui/pending_input.h"

#include <gtest/gtest.h>

namespace zirbin::gui {
namespace {

// Feeds lines until the command is complete; returns the number of lines it took, or 0
// when it is still pending after all of them.
std::size_t linesUntilComplete(PendingInput& pending, const std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (pending.add(lines[i])) return i + 1;
  }
  return 0;
}

TEST(PendingInput, SimpleLinesAreCompleteAtOnce) {
  for (const char* line : {"x = 1", "", "disp(2)", "m'", "s = 'it''s'", "n!", "?sin",
                           "dir *", "for i = 1:3: k = k + i", "for w in words; n += 1",
                           "if x > 1: y = 2", "while k < 3; k += 1", "a = [1 2] # (open"}) {
    PendingInput pending;
    EXPECT_TRUE(pending.add(line)) << line;
  }
}

TEST(PendingInput, OpenBracketTrailingOperatorAndEllipsisAskForMore) {
  PendingInput pending;
  EXPECT_EQ(linesUntilComplete(pending, {"x = [1 2", "3 4]"}), 2u);
  EXPECT_EQ(pending.text(), "x = [1 2\r3 4]");
  pending.clear();
  EXPECT_EQ(linesUntilComplete(pending, {"y = 1 +", "2"}), 2u);
  pending.clear();
  EXPECT_EQ(linesUntilComplete(pending, {"z = f(1, ...", "", "2)"}), 3u);
  EXPECT_EQ(pending.lineCount(), 2u);  // the blank line inside the call is dropped
  pending.clear();
  EXPECT_EQ(linesUntilComplete(pending, {"s = '(' + 'x'"}), 1u);
}

TEST(PendingInput, IndentedBlockEndsWithAnEmptyLine) {
  PendingInput pending;
  EXPECT_EQ(linesUntilComplete(pending, {"for i = 1:3", "    w ,= i", "    v = i", ""}), 4u);
  EXPECT_EQ(pending.text(), "for i = 1:3\r    w ,= i\r    v = i");
  pending.clear();
  EXPECT_EQ(linesUntilComplete(pending, {"if x > 1:", "  y = 2", "else", "  y = 3", ""}), 5u);
}

TEST(PendingInput, FunctionRunsToItsEndLine) {
  PendingInput pending;
  EXPECT_EQ(linesUntilComplete(pending, {"function [lo, hi] = bounds(v)", "    lo = min(v)", "",
                                         "    hi = max(v)", "end"}),
            5u);
  EXPECT_EQ(pending.text(), "function [lo, hi] = bounds(v)\r    lo = min(v)\r    hi = max(v)\rend");
}

}  // namespace
}  // namespace zirbin::gui
