// Style strings, markers and text placement codes.
#include "graphics/plot_style.h"

#include <gtest/gtest.h>

namespace zirbin::graphics {
namespace {

PlotStyle styled(std::string_view s) {
  PlotStyle st;
  st.colour = rgb(0, 100, 0);
  st.width = 2;
  applyStyleString(s, st);
  return st;
}

TEST(PlotStyle, DefaultsOfTheRecord) {
  PlotStyle s;
  EXPECT_EQ(s.colour, kBlack);
  EXPECT_EQ(s.lineStyle, kLineSolid);
  EXPECT_EQ(s.width, 5);
  EXPECT_FALSE(s.xorMode);
  EXPECT_TRUE(s.line);
  EXPECT_EQ(s.fill, kBlack);
}

TEST(PlotStyle, EmptyStringKeepsTheStyleAndDrawsTheLine) {
  PlotStyle s = styled("");
  EXPECT_EQ(s.colour, rgb(0, 100, 0));
  EXPECT_EQ(s.width, 2);
  EXPECT_TRUE(s.line);
}

TEST(PlotStyle, ColourLetterComesFirst) {
  EXPECT_EQ(styled("r").colour, rgb(170, 0, 0));
  EXPECT_EQ(styled("2r").colour, rgb(0, 100, 0));  // a digit first: no colour
  EXPECT_EQ(styled("k").colour, kBlack);
  EXPECT_EQ(styled("h").colour, rgb(0, 100, 0));  // not a colour letter
}

TEST(PlotStyle, HashLetterSetsFillAndColour) {
  PlotStyle s = styled("#r");
  EXPECT_EQ(s.fill, rgb(170, 0, 0));
  EXPECT_EQ(s.colour, rgb(170, 0, 0));
  EXPECT_FALSE(s.line);
  EXPECT_TRUE(styleIsFilled("#r"));
  EXPECT_FALSE(styleIsFilled("r"));
}

TEST(PlotStyle, BarChartDefaultIsWhiteOutlineBlueFillWidthOne) {
  PlotStyle s = styled("w#b 1");
  EXPECT_EQ(s.colour, kWhite);
  EXPECT_EQ(s.fill, rgb(0, 0, 100));
  EXPECT_EQ(s.width, 1);
}

TEST(PlotStyle, CaretSetsXorAndIsSkippedForTheColour) {
  PlotStyle s = styled("^#r");
  EXPECT_TRUE(s.xorMode);
  EXPECT_EQ(s.colour, rgb(170, 0, 0));
  EXPECT_EQ(s.fill, rgb(170, 0, 0));
}

TEST(PlotStyle, LineStylesForceWidthOne) {
  PlotStyle dashed = styled("b=3");
  EXPECT_EQ(dashed.lineStyle, kLineDashed);
  EXPECT_EQ(dashed.width, 1);
  EXPECT_EQ(styled(":").lineStyle, kLineDotted);
  EXPECT_EQ(styled(";").lineStyle, kLineDashDot);
  PlotStyle solid = styled("r-4");
  EXPECT_EQ(solid.lineStyle, kLineSolid);
  EXPECT_EQ(solid.width, 4);
}

TEST(PlotStyle, MarkersTurnTheLineOffUnlessALineStyleIsGiven) {
  EXPECT_FALSE(styled("o").line);
  EXPECT_FALSE(styled("r o").line);
  EXPECT_TRUE(styled("o-").line);
  EXPECT_TRUE(styled("r").line);
}

TEST(PlotStyle, DigitsAfterAMarkerAreItsSize) {
  PlotStyle s = styled("o7");
  EXPECT_EQ(s.width, 2);
  MarkerSpec m = markerOfStyle("o7");
  EXPECT_EQ(m.marker, 'o');
  EXPECT_EQ(m.size, 7);
  EXPECT_EQ(styled("o7 3").width, 3);
  EXPECT_EQ(markerOfStyle("o7 3").size, 7);
}

TEST(PlotStyle, MarkerDefaults) {
  EXPECT_EQ(markerOfStyle("r").marker, 0);
  MarkerSpec m = markerOfStyle("r+");
  EXPECT_EQ(m.marker, '+');
  EXPECT_EQ(m.size, kDefaultMarkerSize);
  EXPECT_EQ(markerOfStyle("s.").marker, 's');  // the first marker character wins
}

TEST(PlotStyle, XIsBothAColourAndAMarker) {
  PlotStyle s = styled("x");
  EXPECT_EQ(s.colour, rgb(241, 180, 47));
  EXPECT_EQ(markerOfStyle("x").marker, 'x');
}

TEST(PlotStyle, HugeWidthDoesNotOverflow) {
  EXPECT_GT(styled("r99999999999999999999").width, 0);
}

TEST(TextPlacement, CompassLettersGiveTheAnchorCode) {
  EXPECT_EQ(parsePlacement("").anchor, 5);
  EXPECT_EQ(parsePlacement("nw").anchor, 0);
  EXPECT_EQ(parsePlacement("N").anchor, 1);
  EXPECT_EQ(parsePlacement("ne").anchor, 2);
  EXPECT_EQ(parsePlacement("w").anchor, 4);
  EXPECT_EQ(parsePlacement("E").anchor, 6);
  EXPECT_EQ(parsePlacement("sw").anchor, 8);
  EXPECT_EQ(parsePlacement("S").anchor, 9);
  EXPECT_EQ(parsePlacement("SE").anchor, 10);
}

TEST(TextPlacement, BarTurnsTheText) {
  TextPlacement p = parsePlacement("W|");
  EXPECT_EQ(p.anchor, 4);
  EXPECT_EQ(p.rotation, 90);
  EXPECT_EQ(parsePlacement("n").rotation, 0);
}

}  // namespace
}  // namespace zirbin::graphics
