// Plain and ANSI rendering of console markup lines.
#include "gui/plain_text.h"

#include <gtest/gtest.h>

namespace zirbin::gui {
namespace {

TEST(PlainText, DropsColoursAndKeepsGroupText) {
  EXPECT_EQ(plainText("{r unrecognised name}"), "unrecognised name");
  EXPECT_EQ(plainText("{r at line 3}"), "at line 3");
  EXPECT_EQ(plainText("plain words"), "plain words");
}

TEST(PlainText, ComposedMessageShowsTheToken) {
  EXPECT_EQ(plainText("{r unterminated string at {g 'abc}"), "unterminated string at 'abc");
}

TEST(PlainText, EchoShowsPromptAndLiteralLine) {
  EXPECT_EQ(plainText("{g > {b:x = {1} ^ a_b"), "> x = {1} ^ a_b");
}

TEST(PlainText, LiteralGroupsAndEscapes) {
  EXPECT_EQ(plainText("{;a{b}c"), "a{b}c");
  EXPECT_EQ(plainText("\\{x\\}"), "{x}");
}

TEST(AnsiText, ColoursBoldAndReset) {
  ColourLookup red = [](char letter) -> std::optional<AnsiColour> {
    if (letter == 'r') return AnsiColour{255, 0, 0};
    return std::nullopt;
  };
  EXPECT_EQ(ansiText("{r oops}", red), "\x1b[0;38;2;255;0;0moops\x1b[0m");
  EXPECT_EQ(ansiText("a {*b}", nullptr), "a \x1b[0;1mb\x1b[0m");
  EXPECT_EQ(ansiText("plain", nullptr), "plain");
}

}  // namespace
}  // namespace zirbin::gui
