// Laying out markup text: widths, segments, alignment, sub- and superscripts, the margin.
#include "graphics/text_writer.h"

#include <gtest/gtest.h>

#include "graphics/markup.h"

namespace zirbin::graphics {
namespace {

class TextWriterTest : public ::testing::Test {
 protected:
  TextWriter writer{"Times New Roman", headlessMetrics(FontFace::kSerif)};
};

TEST(TextMetrics, SerifWidthsScaleWithTheSize) {
  const TextMetrics& m = headlessMetrics(FontFace::kSerif);
  EXPECT_DOUBLE_EQ(m.width("0", kFontPlain, 20), 10);  // digits are half an em
  EXPECT_DOUBLE_EQ(m.width("W", kFontPlain, 10), 9.44);
  EXPECT_DOUBLE_EQ(m.width("i", kFontPlain, 1000), 278);
  EXPECT_DOUBLE_EQ(m.width("00", kFontSuperscript, 20), 15);  // the 75 % font
  EXPECT_DOUBLE_EQ(m.width("χ", kFontSymbol, 100), 55);        // one UTF-8 character
  EXPECT_EQ(m.lineHeight(20), 23);
}

TEST(TextMetrics, MonospaceIsSixTenthsOfTheSize) {
  const TextMetrics& m = headlessMetrics(FontFace::kMonospace);
  EXPECT_DOUBLE_EQ(m.width("iW", kFontPlain, 20), 24);
}

TEST_F(TextWriterTest, PlainTextIsOnePiece) {
  writer.setSize(20);
  writer.setColour(rgb(0, 0, 100));
  TextRun run = writer.layout(100, 50, "000", 10, 0);
  ASSERT_EQ(run.pieces.size(), 1u);
  EXPECT_EQ(run.pieces[0], (TextPiece{"000", 100, 50, kFontPlain, rgb(0, 0, 100), 20}));
  EXPECT_EQ(run.anchor, 10);
  EXPECT_DOUBLE_EQ(writer.textWidth("000"), 30);
}

TEST_F(TextWriterTest, SuperscriptIsRaisedTwoEighthsAndFollows) {
  writer.setSize(16);
  TextRun run = writer.layout(100, 50, "x^2", 10, 0);
  ASSERT_EQ(run.pieces.size(), 2u);
  EXPECT_EQ(run.pieces[0].text, "x");
  EXPECT_EQ(run.pieces[1].text, "2");
  EXPECT_EQ(run.pieces[1].kind, kFontSuperscript);
  EXPECT_EQ(run.pieces[1].y, 50 - 4);  // 2/8 of 16 higher
  EXPECT_EQ(run.pieces[1].x, 108);     // after "x": 500/1000 of 16
}

TEST_F(TextWriterTest, SubscriptFollowedBySuperscriptStacks) {
  writer.setSize(16);
  TextRun run = writer.layout(0, 100, "x_1^2y", 10, 0);
  ASSERT_EQ(run.pieces.size(), 4u);
  EXPECT_EQ(run.pieces[1].y, 106);  // 3/8 of 16 lower
  EXPECT_EQ(run.pieces[2].y, 96);
  EXPECT_EQ(run.pieces[1].x, run.pieces[2].x);
  EXPECT_EQ(run.pieces[3].x, 8 + 6);  // after "x" and the 75 % "2" only
}

TEST_F(TextWriterTest, AlignmentPlacesEachPieceForTheAnchorColumn) {
  writer.setSize(20);
  // "00" then a superscript "0": widths 20 and 7.5, total 27.5.
  TextRun end = writer.layout(100, 0, "00^0", 4, 0);  // column 0: pieces end at their point
  EXPECT_EQ(end.pieces[0].x, 100 - 28 + 20);
  EXPECT_EQ(end.pieces[1].x, 100);
  TextRun mid = writer.layout(100, 0, "00^0", 5, 0);  // centres
  EXPECT_EQ(mid.pieces[0].x, 100 - 14 + 10);
}

TEST_F(TextWriterTest, ColourGroupsAndSymbolLetters) {
  writer.setColour(rgb(1, 2, 3));
  TextRun run = writer.layout(0, 0, "{r red}{$c}", 10, 0);
  ASSERT_EQ(run.pieces.size(), 2u);
  EXPECT_EQ(run.pieces[0].colour, rgb(170, 0, 0));
  EXPECT_EQ(run.pieces[1].colour, rgb(1, 2, 3));
  EXPECT_EQ(run.pieces[1].text, "χ");
  EXPECT_EQ(run.pieces[1].kind, kFontSymbol);
}

TEST_F(TextWriterTest, RotatedTextAdvancesUpward) {
  writer.setSize(16);
  TextRun run = writer.layout(50, 200, "a^2", 10, 90);
  ASSERT_EQ(run.pieces.size(), 2u);
  EXPECT_EQ(run.pieces[0].x, 50);
  EXPECT_EQ(run.pieces[0].y, 200);
  EXPECT_EQ(run.pieces[1].y, 200 - 7);  // "a" is 444/1000 of 16
  EXPECT_EQ(run.pieces[1].x, 50 - 4);   // raised = moved left
}

TEST_F(TextWriterTest, TextPastTheRightMarginGetsTheRedEllipsis) {
  writer.setSize(10);
  writer.setMargins(0, 30);
  TextRun run = writer.layout(0, 0, "0000000000", 10, 0);  // 50 pixels
  ASSERT_EQ(run.pieces.size(), 2u);
  EXPECT_EQ(run.pieces[0].text, "0000000000");
  EXPECT_EQ(run.pieces[1].text, kEllipsis);
  EXPECT_EQ(run.pieces[1].colour, kEllipsisColour);
  EXPECT_EQ(run.pieces[1].x, 30 - 5);
  // Centred text is not cut.
  EXPECT_EQ(writer.layout(0, 0, "0000000000", 9, 0).pieces.size(), 1u);
}

TEST_F(TextWriterTest, ContinuedTextWrapsAtTheLeftMargin) {
  writer.setSize(10);
  writer.setMargins(2, 32);
  TextRun run = writer.layout(2, 0, "{-0000000000}", 10, 0);  // 50 pixels in lines of 30
  ASSERT_EQ(run.pieces.size(), 2u);
  EXPECT_EQ(run.pieces[0].text, "000000");
  EXPECT_EQ(run.pieces[1].text, "0000");
  EXPECT_EQ(run.pieces[1].x, 2);
  EXPECT_EQ(run.pieces[1].y, writer.lineHeight());
}

TEST_F(TextWriterTest, EmptyTextHasNoPieces) {
  EXPECT_TRUE(writer.layout(0, 0, "", 10, 0).pieces.empty());
}

}  // namespace
}  // namespace zirbin::graphics
