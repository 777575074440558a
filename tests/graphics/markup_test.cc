// Markup text cut into segments: groups, literal groups, escapes, sub- and superscripts.
#include "graphics/markup.h"

#include <gtest/gtest.h>

namespace zirbin::graphics {
void PrintTo(const MarkupSegment& s, std::ostream* os) {
  *os << "{\"" << s.text << "\" end " << s.end << " colour " << (s.colour ? s.colour : '0')
      << " kind " << s.kind << " offset " << s.offset << "}";
}

namespace {

MarkupSegment seg(std::string text, size_t end, char colour = 0, char kind = kFontPlain,
                  int offset = 0) {
  return {std::move(text), end, colour, kind, offset};
}

TEST(Markup, PlainTextIsOneSegment) {
  EXPECT_TRUE(isPlainMarkup("x = 3"));
  EXPECT_FALSE(isPlainMarkup("a_b"));
  EXPECT_EQ(parseMarkup("x = 3"), std::vector<MarkupSegment>{seg("x = 3", 5)});
  EXPECT_TRUE(parseMarkup("").empty());
}

TEST(Markup, ColourGroupThenPlainText) {
  auto s = parseMarkup("{r error} here");
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0], seg("error", 9, 'r'));
  EXPECT_EQ(s[1], seg(" here", 14));
}

TEST(Markup, WholeTextGroupIsNotScannedInside) {
  EXPECT_EQ(parseMarkup("{r undefined x_1}"),
            std::vector<MarkupSegment>{seg("undefined x_1", 17, 'r')});
  // An unclosed group runs to the end (the display writes "{c " + line).
  EXPECT_EQ(parseMarkup("{b  1.5e_3"), std::vector<MarkupSegment>{seg(" 1.5e_3", 10, 'b')});
}

TEST(Markup, KindGroupsKeepTheWritersColour) {
  auto s = parseMarkup("{*bold} and {=link}");
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0], seg("bold", 7, 0, kFontBold));
  EXPECT_EQ(s[1], seg(" and ", 12));
  EXPECT_EQ(s[2], seg("link", 19, 0, kFontUnderlined));
}

TEST(Markup, ColourWithKind) {
  EXPECT_EQ(parseMarkup("{m*x} y")[0], seg("x", 5, 'm', kFontBold));
}

TEST(Markup, LiteralPrefixShowsTheRestAsItStands) {
  EXPECT_EQ(parseMarkup("{;a{r b}_c\\"),
            std::vector<MarkupSegment>{seg("a{r b}_c\\", 11, 0, kFontLiteralPlain)});
  EXPECT_EQ(parseMarkup("{:x}"), std::vector<MarkupSegment>{seg("x}", 4, 0, kFontLiteral)});
}

TEST(Markup, EchoLineHasGreenPromptAndBlueLiteralInput) {
  auto s = parseMarkup("{g >> {b:x = {1, 2}_a");
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0], seg(">> ", 6, 'g'));
  EXPECT_EQ(s[1], seg("x = {1, 2}_a", 21, 'b', kFontLiteral));
}

TEST(Markup, SymbolLetterThenSuperscriptGroup) {
  auto s = parseMarkup("{$c}^{2}");
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0], seg("c", 4, 0, kFontSymbol));
  EXPECT_EQ(s[1], seg("2", 8, 0, kFontSuperscript, kSuperscriptOffset));
  EXPECT_EQ(symbolFontUtf8('c'), "χ");
  EXPECT_EQ(symbolFontUtf8('W'), "Ω");
  EXPECT_EQ(symbolFontUtf8('1'), "1");
}

TEST(Markup, SingleCharacterSubscriptAndSuperscript) {
  auto s = parseMarkup("x_1^2 m");
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s[0], seg("x", 1));
  EXPECT_EQ(s[1], seg("1", 3, 0, kFontSubscript, kSubscriptOffset));
  EXPECT_EQ(s[2], seg("2", 5, 0, kFontSuperscript, kSuperscriptOffset));
  EXPECT_EQ(s[3], seg(" m", 7));
}

TEST(Markup, BackslashMakesTheNextCharacterLiteral) {
  EXPECT_EQ(markupPlainText("a\\_b \\{ \\} \\\\ \\^"), "a_b { } \\ ^");
  EXPECT_EQ(parseMarkup("a\\_b").size(), 1u);
}

TEST(Markup, UnmatchedBracesAreShownAsText) {
  EXPECT_EQ(markupPlainText("a } b"), "a } b");
  EXPECT_EQ(markupPlainText("set {1} x"), "set {1} x");
  EXPECT_EQ(markupPlainText("a_"), "a_");
  EXPECT_EQ(markupPlainText("{"), "{");
}

TEST(Markup, ContinuationGroup) {
  EXPECT_EQ(parseMarkup("{-/home/user/data}")[0].kind, kFontContinued);
}

TEST(Markup, GroupEndsAtNextOpeningGroup) {
  auto s = parseMarkup("{r red{g green} plain");
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0], seg("red", 6, 'r'));
  EXPECT_EQ(s[1], seg("green", 15, 'g'));
  EXPECT_EQ(s[2], seg(" plain", 21));
}

}  // namespace
}  // namespace zirbin::graphics
