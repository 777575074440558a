#include "gui/console_view.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zirbin::gui {
namespace {

TEST(ConsoleView, EightZoomStepsDoubleTheFontSize) {
  ConsoleView view;
  for (int i = 0; i < 8; ++i) view.zoom(true);
  EXPECT_NEAR(view.fontSize(), 2 * kDefaultFontSize, 1e-9);
  EXPECT_EQ(view.pixelSize(), 40);
  view.zoom(false);
  EXPECT_NEAR(view.fontSize(), 2 * kDefaultFontSize * kZoomOutFactor, 1e-9);
  EXPECT_EQ(view.pixelSize(), 37);  // 36.68 rounded
  EXPECT_NEAR(kZoomInFactor * kZoomOutFactor, 1.0, 1e-12);
}

TEST(ConsoleView, UsableLinesAreWholeLinesOfTheTextArea) {
  ConsoleView view;
  const int height = view.lineHeight();
  EXPECT_EQ(view.usableLines(10 * height + height - 1), 10);
  EXPECT_EQ(view.usableLines(-5), 0);
  EXPECT_NEAR(view.charWidth(), 12.0, 1e-9);  // 600/1000 of 20 pixels
}

TEST(ConsoleView, FollowsTheOutputUntilScrolledUp) {
  ConsoleView view;
  view.setRange(0, 100, 10);
  EXPECT_EQ(view.topLine(), 91);
  view.scrollBy(-kWheelLines);
  EXPECT_EQ(view.topLine(), 88);
  EXPECT_FALSE(view.following());
  view.setRange(0, 120, 10);  // more output: the view stays put
  EXPECT_EQ(view.topLine(), 88);
  view.scrollBy(1000);
  EXPECT_TRUE(view.following());
  view.setRange(0, 130, 10);
  EXPECT_EQ(view.topLine(), 121);
  view.scrollTo(-50);
  EXPECT_EQ(view.topLine(), 0);
  view.setRange(3, 5, 10);  // fewer lines than rows
  EXPECT_EQ(view.topLine(), 3);
}

TEST(ConsoleView, SelectionIsKeptInBufferCoordinatesAndCopiedAsShown) {
  ConsoleView view;
  view.setRange(0, 2, 10);
  const double w = view.charWidth();
  const int h = view.lineHeight();
  view.beginSelection(view.positionAt(static_cast<int>(2 * w), h + 1));  // line 1, column 2
  view.extendSelection(view.positionAt(static_cast<int>(3 * w), 1));   // line 0, column 3
  ASSERT_TRUE(view.hasSelection());
  EXPECT_EQ(view.selectionStart(), (TextPosition{0, 3}));
  EXPECT_EQ(view.selectionEnd(), (TextPosition{1, 2}));
  auto shown = [](int64_t line) { return line == 0 ? std::string("abcdef") : "xyz"; };
  EXPECT_EQ(view.selectedText(shown), "def\nxy");
  view.clearSelection();
  EXPECT_EQ(view.selectedText(shown), "");
}

TEST(ConsoleView, ClipboardLineEndsBecomeCarriageReturns) {
  EXPECT_EQ(clipboardLines("a = 1\nb = 2\r\nc\rd"), "a = 1\rb = 2\rc\rd");
}

TEST(ConsoleView, EchoedCommandsAndHelpLinks) {
  EXPECT_EQ(echoedCommand("{g > {b:x = {1}"), "x = {1}");
  EXPECT_EQ(echoedCommand("{r error}"), std::nullopt);
  EXPECT_EQ(echoedCommand("x = 1"), std::nullopt);
  const std::string line = "see {=plot} and {*bold}";
  EXPECT_EQ(linkAt(line, 4), "plot");
  EXPECT_EQ(linkAt(line, 7), "plot");
  EXPECT_EQ(linkAt(line, 8), std::nullopt);
  EXPECT_EQ(linkAt(line, 14), std::nullopt);  // bold, not a link
  EXPECT_EQ(linkAt(line, 99), std::nullopt);
}

}  // namespace
}  // namespace zirbin::gui
