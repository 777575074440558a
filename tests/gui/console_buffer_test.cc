// The console's ring of markup lines: the three print modes, literal prefixes, the ring's
// forgetting and the completed-line hook.
#include "gui/console_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zirbin::gui {
namespace {

TEST(ConsoleBuffer, TextModeAppendsAndMarksMarkupLiteral) {
  ConsoleBuffer console;
  console.print("abc", false, session::kPrintText);
  console.print(" def", false, session::kPrintText);
  EXPECT_EQ(console.currentLine(), "abc def");
  console.print("{x}", true, session::kPrintText);
  EXPECT_EQ(console.lineIndex(), 1);
  EXPECT_EQ(console.currentLine(), "{;{x}");
  console.print("a_b", true, session::kPrintLiteral);
  EXPECT_EQ(console.currentLine(), "{:a_b");
  console.print("plain", true, session::kPrintLiteral);
  EXPECT_EQ(console.currentLine(), "plain");
}

TEST(ConsoleBuffer, NewLineFirstOnlyWhenTheLineHasText) {
  ConsoleBuffer console;
  console.print("x", true, session::kPrintText);
  EXPECT_EQ(console.lineIndex(), 0);
  console.print("y", true, session::kPrintText);
  EXPECT_EQ(console.lineIndex(), 1);
  console.newLine();
  console.print("z", true, session::kPrintText);
  EXPECT_EQ(console.lineIndex(), 2);
  EXPECT_EQ(console.line(0), "x");
  EXPECT_EQ(console.line(1), "y");
}

TEST(ConsoleBuffer, LinesModeSplitsAtLineFeedsAndKeepsMarkup) {
  ConsoleBuffer console;
  console.print("{r one}\ntwo\nthree", false, session::kPrintLines);
  EXPECT_EQ(console.line(0), "{r one}");
  EXPECT_EQ(console.line(1), "two");
  EXPECT_EQ(console.currentLine(), "three");
  console.print("\n", false, session::kPrintLines);
  EXPECT_EQ(console.lineIndex(), 3);
  EXPECT_EQ(console.currentLine(), "");
}

TEST(ConsoleBuffer, RingForgetsTheOldestLineAfter350) {
  ConsoleBuffer console;
  for (int i = 0; i < 351; ++i) {
    console.print("line " + std::to_string(i), true, session::kPrintText);
  }
  EXPECT_EQ(console.lineIndex(), 350);
  EXPECT_EQ(console.lineCount(), kConsoleRingLines);
  EXPECT_FALSE(console.holds(0));
  EXPECT_EQ(console.line(0), "");
  EXPECT_EQ(console.line(1), "line 1");
  EXPECT_EQ(console.currentLine(), "line 350");
}

TEST(ConsoleBuffer, CompletedLinesAreHandedOn) {
  ConsoleBuffer console;
  std::vector<std::string> completed;
  console.onLineCompleted = [&](const std::string& line) { completed.push_back(line); };
  console.print("a\nb\nc", false, session::kPrintLines);
  EXPECT_EQ(completed, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(console.currentLine(), "c");
}

TEST(ConsoleBuffer, EveryOutputReportsOneChange) {
  ConsoleBuffer console;
  int changes = 0;
  console.onChanged = [&] { ++changes; };
  console.print("a\nb\nc", true, session::kPrintLines);
  console.newLine();
  console.echo(">", "x");
  EXPECT_EQ(changes, 3);
}

TEST(ConsoleBuffer, EchoShowsThePromptGreenAndTheTextLiterally) {
  ConsoleBuffer console;
  console.print("before", false, session::kPrintText);
  console.echo(">", "x = {1}");
  EXPECT_EQ(console.line(1), "{g > {b:x = {1}");
  EXPECT_EQ(console.currentLine(), "");
}

}  // namespace
}  // namespace zirbin::gui
