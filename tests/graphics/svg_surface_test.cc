// The SVG element formats of figure files, byte for byte.
#include "graphics/svg_surface.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zirbin::graphics {
namespace {

class SvgSurfaceTest : public ::testing::Test {
 protected:
  SvgSurfaceTest() {
    FrameClip clip;
    clip.plotArea = {64, 9, 608, 408};
    clip.number = 3;
    clip.clampTop = -3000;
    clip.clampBottom = 3500;
    svg.beginFrame(clip);
    out.str("");
  }
  std::ostringstream out;
  SvgSurface svg{out};
};

TEST_F(SvgSurfaceTest, Prolog) {
  svg.writeProlog(640, 480);
  svg.writeEpilog();
  EXPECT_EQ(out.str(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
            "<svg width=\"640\" height=\"480\"\n"
            "xmlns=\"http://www.w3.org/2000/svg\" stroke=\"black\"  stroke-width=\"1\" "
            "stroke-linecap=\"round\" stroke-linejoin=\"round\" fill=\"none\"\n"
            ">\n"
            "</svg>\n");
}

TEST_F(SvgSurfaceTest, ClipPathHasSpacesAroundEachEquals) {
  FrameClip clip;
  clip.plotArea = {64, 9, 608, 408};
  clip.number = 0;
  svg.beginFrame(clip);
  EXPECT_EQ(out.str(),
            "<clipPath id = \"myClip0\"><rect x = \"64\" y = \"9\" width = \"544\" height = "
            "\"399\"/></clipPath>\n");
}

TEST_F(SvgSurfaceTest, StyleGroups) {
  PlotStyle s;
  s.colour = rgb(0, 100, 0);
  s.width = 2;
  s.fill = rgb(170, 0, 0);
  svg.beginStyle(s, false);
  svg.endStyle();
  svg.beginStyle(s, true);
  EXPECT_EQ(out.str(),
            "<svg stroke=\"rgb(0,100,0)\" stroke-width=\"2\">\n"
            "</svg>\n"
            "<svg stroke=\"rgb(0,100,0)\" stroke-width=\"2\" fill=\"rgb(170,0,0)\">\n");
}

TEST_F(SvgSurfaceTest, TwoPointsAreALineWithoutClipping) {
  Point p[2] = {{1, 2}, {3, 4}};
  svg.polyline(p);
  EXPECT_EQ(out.str(), "<line x1=\"1\" y1=\"2\" x2=\"3\" y2=\"4\"></line>\n");
}

TEST_F(SvgSurfaceTest, ThreePointsAreAClippedPolylineWithClampedRows) {
  Point p[3] = {{1, 2}, {3, -90000}, {5, 90000}};
  svg.polyline(p);
  EXPECT_EQ(out.str(),
            "<polyline points=\"\n"
            "1 2, 3 -3000, 5 3500 \n"
            "\" clip-path=\"url(#myClip3)\"></polyline>\n");
}

TEST_F(SvgSurfaceTest, Polygon) {
  Point p[3] = {{1, 2}, {3, 4}, {5, 6}};
  svg.polygon(p);
  EXPECT_EQ(out.str(),
            "<polygon points=\"\n"
            "1 2, 3 4, 5 6 \n"
            "\" clip-path=\"url(#myClip3)\"></polygon>\n");
}

TEST_F(SvgSurfaceTest, BoxIsRectFormatA) {
  svg.rectangle(10, 20, 30, 40);
  EXPECT_EQ(out.str(), "<rect x = \"10\" y = \"20\" width = \"30\"  height = \"40\"/>\n");
}

TEST_F(SvgSurfaceTest, BarIsRectFormatBFromTheUpperEdge) {
  svg.bar(10, 100, 30, 400);  // a bar above the baseline
  svg.bar(50, 450, 30, 400);  // a negative bar below it
  EXPECT_EQ(out.str(),
            "<rect x=\"10\" y=\"100\" width =\"30\" height=\"300\"></rect>\n"
            "<rect x=\"50\" y=\"400\" width =\"30\" height=\"50\"></rect>\n");
}

TEST_F(SvgSurfaceTest, Circle) {
  svg.circle(5, 6, 7);
  EXPECT_EQ(out.str(), "<circle cx=\"5\" cy=\"6\" r=\"7\"/>\n");
}

TEST_F(SvgSurfaceTest, SouthEastTextStartsAndHangs) {
  TextRun run;
  run.anchor = 10;
  run.pieces.push_back({"a<b&c", 100, 200, '.', rgb(170, 0, 0), 20});
  svg.text(run);
  EXPECT_EQ(out.str(),
            "<svg style=\"fill: #000000; stroke: none; text-anchor:start; "
            "dominant-baseline:hanging; xml-space:preserve\">\n"
            "<text x=\"100\" y=\"200\" xml:space=\"preserve\">\n"
            "a&lt;b&amp;c</text>\n"
            "</svg>\n");
}

TEST_F(SvgSurfaceTest, NorthWestTextEndsOnTheBaseline) {
  TextRun run;
  run.anchor = 0;
  run.pieces.push_back({"t", 1, 2, '.', kBlack, 20});
  svg.text(run);
  EXPECT_NE(out.str().find("text-anchor:end; dominant-baseline:auto;"), std::string::npos);
  out.str("");
  run.anchor = 5;
  svg.text(run);
  EXPECT_NE(out.str().find("text-anchor:middle; dominant-baseline:middle;"), std::string::npos);
}

TEST_F(SvgSurfaceTest, RotatedTextTurnsAboutItsAnchorPoint) {
  TextRun run;
  run.anchor = 4;
  run.rotation = 90;
  run.pieces.push_back({"y", 30, 200, '.', kBlack, 20});
  svg.text(run);
  EXPECT_EQ(out.str(),
            "<svg style=\"fill: #000000; stroke: none; text-anchor:end; dominant-baseline:middle; "
            "xml-space:preserve\">\n"
            "<text x=\"30\" y=\"200\" xml:space=\"preserve\" transform=\"translate(-170,230) "
            "rotate(-90)\">\n"
            "y</text>\n"
            "</svg>\n");
}

TEST_F(SvgSurfaceTest, SuperscriptPieceIsWrittenInTheSmallerFont) {
  TextRun run;
  run.pieces.push_back({"x", 10, 50, '.', kBlack, 16});
  run.pieces.push_back({"2", 18, 46, '^', kBlack, 16});
  svg.text(run);
  EXPECT_EQ(out.str(),
            "<svg style=\"fill: #000000; stroke: none; text-anchor:start; "
            "dominant-baseline:hanging; xml-space:preserve\">\n"
            "<text x=\"10\" y=\"50\" xml:space=\"preserve\">\n"
            "x</text>\n"
            "<text x=\"18\" y=\"46\" xml:space=\"preserve\" font-size=\"75%\">\n"
            "2</text>\n"
            "</svg>\n");
}

TEST_F(SvgSurfaceTest, BackgroundAndImagesAreNotWritten) {
  svg.eraseRect({0, 0, 10, 10}, kWhite);
  svg.setClipping(true);
  std::vector<Rgb> px(4, kBlack);
  svg.image(0, 0, 2, 2, px, kWhite);
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace zirbin::graphics
