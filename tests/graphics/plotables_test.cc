// Plot items as drawn on a recording surface: markers, error bars, points, bars, boxes,
// circles, labels, axes; kinds, defaults and moving.
#include "graphics/plotables.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "graphics/figure.h"
#include "graphics/recording_surface.h"
#include "base/errors.h"

namespace zirbin::graphics {
namespace {

// A 640 x 480 figure whose frame maps 0..1 onto the plot area 64..608 x 408..9.
class ItemTest : public ::testing::Test {
 protected:
  ItemTest() { frame().setExactLimits(0, 1, 0, 1); }
  Frame& frame() { return figure.currentFrame(); }
  // The calls of drawing item `index` alone, without the frame's own lines.
  std::vector<std::string> drawn(std::unique_ptr<Plotable> item) {
    size_t index = static_cast<size_t>(frame().addItem(std::move(item)) % kItemIdFrameFactor);
    RecordingSurface s;
    frame().drawItem(s, index);
    return {s.calls.begin() + 1, s.calls.end() - 1};
  }
  Figure figure{1};
};

TEST_F(ItemTest, KindsOfTheClasses) {
  EXPECT_EQ(Curve({}, {}, "").kind(), 1);
  EXPECT_EQ(ErrorBars({}, {}, {}, 0, "").kind(), 1);
  EXPECT_EQ(TextLabel(0, 0, "", "", "").kind(), 2);
  EXPECT_EQ(MainLabels().kind(), 3);
  EXPECT_EQ(SinglePoint(0, 0, "").kind(), 4);
  EXPECT_EQ(MyCircle(0, 0, 1, "").kind(), 5);
  EXPECT_EQ(Box(0, 0, 1, 1, "").kind(), 6);
  EXPECT_EQ(BarChart({}, {}, 1, {}, "").kind(), 0);
  EXPECT_EQ(AxisTicks(0, 0).kind(), 0);
  EXPECT_EQ(BoxRel(0, 0, 1, 1).kind(), 0);
  EXPECT_EQ(Raster(0, 0, false, false, 0).kind(), 0);
}

TEST_F(ItemTest, DefaultStyles) {
  Curve c({}, {}, "");
  EXPECT_EQ(c.style.colour, rgb(0, 100, 0));
  EXPECT_EQ(c.style.width, 2);
  EXPECT_EQ(c.marker, 0);
  EXPECT_FALSE(c.filled);
  ErrorBars e({}, {}, {}, 1, "");
  EXPECT_EQ(e.style.colour, rgb(0, 100, 0));
  EXPECT_EQ(e.style.width, 1);  // "g1"
  BarChart b({}, {}, 1, {}, "");
  EXPECT_EQ(b.style.colour, rgb(0, 0, 100));
  EXPECT_EQ(b.style.width, 2);
  TextLabel t(0, 0, "", "", "");
  EXPECT_EQ(t.style.colour, rgb(0, 0, 100));
  EXPECT_EQ(t.style.width, 20);
  EXPECT_EQ(Box(0, 0, 1, 1, "").style.width, 5);
  EXPECT_EQ(Raster(0, 0, false, false, 0).style.width, 1);
  EXPECT_TRUE(Box(0, 0, 1, 1, "#").filled);
  EXPECT_TRUE(MyCircle(0, 0, 1, "#r").filled);
  EXPECT_EQ(SinglePoint(0, 0, "").marker, '+');
  MainLabels m;
  EXPECT_EQ(m.xLabel.anchor, 9);
  EXPECT_EQ(m.yLabel.anchor, 4);
  EXPECT_EQ(m.yLabel.rotation, 90);
  EXPECT_EQ(m.title.anchor, 1);
}

TEST_F(ItemTest, NewStyleStrings) {
  Curve c({0, 1}, {0, 1}, "");
  EXPECT_TRUE(c.setStyleString("r#o6"));
  EXPECT_EQ(c.style.colour, rgb(170, 0, 0));
  EXPECT_EQ(c.marker, 'o');
  EXPECT_EQ(c.markerSize, 6);
  EXPECT_TRUE(c.filled);
  SinglePoint p(0, 0, "x");
  EXPECT_TRUE(p.setStyleString("b"));
  EXPECT_EQ(p.marker, 'x');  // a point keeps a marker
  EXPECT_EQ(p.style.colour, rgb(0, 0, 100));
  MyCircle circle(0, 0, 1, "");
  EXPECT_TRUE(circle.setStyleString("#g"));
  EXPECT_TRUE(circle.filled);
  TextLabel t(0, 0, "a", "", "");
  EXPECT_TRUE(t.setStyleString("r30"));
  EXPECT_EQ(t.style.width, 30);
  Box b(0, 0, 1, 1, "");
  EXPECT_FALSE(b.setStyleString("r"));
  EXPECT_EQ(b.style.colour, kBlack);
}

TEST_F(ItemTest, ValueIsTheYField) {
  SinglePoint p(2, 3, "");
  EXPECT_EQ(p.value(), std::vector<double>{3});
}

TEST_F(ItemTest, MoveShiftsThePositionOrEverySample) {
  SinglePoint p(2, 3, "");
  p.move(1, -1);
  EXPECT_EQ(p.x, 3);
  EXPECT_EQ(p.y, 2);
  Curve c({1, 2}, {3, 4}, "");
  c.move(10, 20);
  EXPECT_EQ(c.xs, (std::vector<double>{11, 12}));
  EXPECT_EQ(c.ys, (std::vector<double>{23, 24}));
}

TEST_F(ItemTest, CurveWithMarkersAndFill) {
  auto calls = drawn(std::make_unique<Curve>(std::vector<double>{0, 0.5, 1},
                                             std::vector<double>{0, 1, 0}, "#r=+3"));
  std::vector<std::string> expected = {
      "clip on",
      "style rgb(170,0,0) w1 ls1",
      "polyline 64,408 336,9 608,408",
      "endstyle",
      "style rgb(170,0,0) w1 ls0",  // markers with a solid pen
      "polyline 61,408 67,408",
      "polyline 64,405 64,411",
      "polyline 333,9 339,9",
      "polyline 336,6 336,12",
      "polyline 605,408 611,408",
      "polyline 608,405 608,411",
      "endstyle",
      "style rgb(170,0,0) w1 ls1 fill rgb(170,0,0)",
      "polygon 64,408 336,9 608,408",
      "endstyle",
      "clip off",
  };
  EXPECT_EQ(calls, expected);
}

TEST_F(ItemTest, PointsWithoutPositionBreakTheLine) {
  frame().setLogarithmic(false, true);
  frame().setExactLimits(0, 1, 1, 10);
  auto calls = drawn(std::make_unique<Curve>(std::vector<double>{0, 0.25, 0.5, 0.75, 1},
                                             std::vector<double>{1, 10, -1, 1, 10}, ""));
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[2], "polyline 64,408 200,9");
  EXPECT_EQ(calls[3], "polyline 472,408 608,9");
}

TEST_F(ItemTest, EachMarkerShape) {
  auto marker = [&](const char* style) {
    auto calls = drawn(std::make_unique<SinglePoint>(0.5, 0.5, style));
    return std::vector<std::string>(calls.begin() + 2, calls.end() - 2);
  };
  EXPECT_EQ(marker("x2"), (std::vector<std::string>{"polyline 334,206 338,210", "polyline 334,210 338,206"}));
  EXPECT_EQ(marker("."), (std::vector<std::string>{"polyline 335,208 337,208", "polyline 336,207 336,209"}));
  EXPECT_EQ(marker("o5"), std::vector<std::string>{"circle 336,208 r5"});
  EXPECT_EQ(marker("s2"), std::vector<std::string>{"polyline 334,206 338,206 338,210 334,210 334,206"});
  EXPECT_EQ(marker("t2"), std::vector<std::string>{"polyline 336,206 338,210 334,210 336,206"});
  EXPECT_EQ(marker("|2"), std::vector<std::string>{"polyline 336,206 336,210"});
  EXPECT_EQ(marker("_2"), std::vector<std::string>{"polyline 334,208 338,208"});
  EXPECT_EQ(marker("!"), std::vector<std::string>{"polyline 336,208 336,408"});  // a stem to y = 0
}

TEST_F(ItemTest, ErrorBarsOfCommonAndSingleHeights) {
  // y scale -399 per unit: dy 0.1 is 39 pixels.
  auto calls = drawn(std::make_unique<ErrorBars>(std::vector<double>{0.5}, std::vector<double>{0.5},
                                                 std::vector<double>{}, 0.1, ""));
  std::vector<std::string> expected = {
      "clip on",
      "style rgb(0,100,0) w1 ls0",
      "polyline 336,169 336,247",
      "polyline 332,169 340,169",
      "polyline 332,247 340,247",
      "endstyle",
      "clip off",
  };
  EXPECT_EQ(calls, expected);
}

TEST_F(ItemTest, BarsStandOnZero) {
  frame().setExactLimits(0, 10, -5, 5);
  auto calls = drawn(std::make_unique<BarChart>(std::vector<double>{2, 5}, std::vector<double>{4, -2},
                                                0.5, std::vector<double>{}, kBarChartStyle));
  // x scale 54.4: width 0.5 is 27 pixels; zero is row 208.
  std::vector<std::string> expected = {
      "style rgb(255,255,255) w1 ls0 fill rgb(0,0,100)",
      "bar 159,48 w27 base 208",
      "bar 323,288 w27 base 208",
      "endstyle",
  };
  EXPECT_EQ(calls, expected);
}

TEST_F(ItemTest, BarsWithTheirOwnWidths) {
  frame().setExactLimits(0, 10, 0, 10);
  auto calls = drawn(std::make_unique<BarChart>(std::vector<double>{2, 5}, std::vector<double>{4, 2},
                                                0.5, std::vector<double>{1, 2}, ""));
  EXPECT_EQ(calls[1], "bar 145,248 w54 base 408");
  EXPECT_EQ(calls[2], "bar 282,328 w108 base 408");
}

TEST_F(ItemTest, BoxAndCircleInDataUnits) {
  EXPECT_EQ(drawn(std::make_unique<Box>(0.25, 0.25, 0.5, 0.5, ""))[1], "rect 200,108 272x200");
  auto circle = drawn(std::make_unique<MyCircle>(0.5, 0.5, 0.25, "#b"));
  EXPECT_EQ(circle[0], "style rgb(0,0,100) w5 ls0 fill rgb(0,0,100)");
  EXPECT_EQ(circle[1], "circle 336,208 r136");
}

TEST_F(ItemTest, RelativeLabelInFrameFractions) {
  auto calls = drawn(std::make_unique<TextLabel>(0.5, 0.5, "mid", "", "r12", true));
  EXPECT_EQ(calls, std::vector<std::string>{"text a5 r0 [mid 320,240 . rgb(170,0,0) 12]"});
}

TEST_F(ItemTest, EmptyLabelDrawsNothing) {
  EXPECT_TRUE(drawn(std::make_unique<TextLabel>(0.5, 0.5, "", "", "")).empty());
}

TEST_F(ItemTest, MainLabelsAroundThePlotArea) {
  MainLabels& m = frame().mainLabels();
  EXPECT_EQ(&frame().mainLabels(), &m);
  m.title.text = "T";
  m.xLabel.text = "X";
  m.yLabel.text = "Y";
  RecordingSurface s;
  frame().redraw(s);
  std::vector<std::string> texts;
  std::copy_if(s.calls.begin(), s.calls.end(), std::back_inserter(texts),
               [](const std::string& c) { return c.rfind("text", 0) == 0; });
  std::vector<std::string> expected = {
      "text a1 r0 [T 336,38 . rgb(0,0,100) 20]",
      "text a9 r0 [X 336,435 . rgb(0,0,100) 20]",
      "text a4 r90 [Y 25,208 . rgb(0,0,100) 20]",
  };
  EXPECT_EQ(texts, expected);
}

TEST_F(ItemTest, AxesWithGridZeroLinesTicksAndLabels) {
  frame().setExactLimits(-1, 1, 0, 10);
  auto calls = drawn(std::make_unique<AxisTicks>(kAxisDefaultMode, 0));
  // x: span 2, step 0.5, ticks -1 .. 1 at columns 64, 200, 336, 472, 608.
  EXPECT_EQ(calls[0], "style rgb(173,216,230) w1 ls0");  // grid
  EXPECT_EQ(calls[1], "polyline 64,408 64,9");
  EXPECT_EQ(calls[7], "style rgb(10,10,10) w1 ls0");  // the line y = 0
  EXPECT_EQ(calls[8], "polyline 64,408 608,408");
  EXPECT_EQ(calls[10], "style rgb(0,0,0) w1 ls0");  // major tick marks
  EXPECT_EQ(calls[11], "polyline 64,408 64,402");
  auto label = std::find(calls.begin(), calls.end(), "text a9 r0 [-0.5 200,413 . rgb(0,0,0) 16]");
  EXPECT_NE(label, calls.end());
  EXPECT_NE(std::find(calls.begin(), calls.end(), "text a9 r0 [0 336,413 . rgb(0,0,0) 16]"), calls.end());
}

TEST_F(ItemTest, YAxisLabelsLeftOfThePlotArea) {
  frame().setExactLimits(0, 1, 0, 100000);
  auto calls = drawn(std::make_unique<AxisTicks>(0, kAxisTickLabels));
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "text a4 r0 [1e5 57,9 . rgb(0,0,0) 16]");
}

TEST_F(ItemTest, ZeroLineOnlyWhenTheOtherRangeHoldsZero) {
  frame().setExactLimits(-1, 1, 1, 10);
  auto calls = drawn(std::make_unique<AxisTicks>(kAxisZeroLine, kAxisZeroLine));
  EXPECT_EQ(calls, (std::vector<std::string>{"style rgb(10,10,10) w1 ls0", "polyline 336,9 336,408", "endstyle"}));
}

TEST_F(ItemTest, GridLevelZeroHidesTheGrid) {
  frame().xTicks().gridLevel = 0;
  auto calls = drawn(std::make_unique<AxisTicks>(kAxisTickMarks, 0));
  EXPECT_EQ(calls[0], "style rgb(0,0,0) w1 ls0");
}

TEST_F(ItemTest, LogarithmicGridIsLightSkyBlue) {
  frame().setLogarithmic(true, false);
  frame().setExactLimits(1, 1000, 0, 1);
  auto calls = drawn(std::make_unique<AxisTicks>(kAxisGridOnly, 0));
  EXPECT_EQ(calls, (std::vector<std::string>{"style rgb(135,206,250) w1 ls0", "polyline 64,408 64,9",
                                             "polyline 245,408 245,9", "polyline 426,408 426,9",
                                             "polyline 608,408 608,9", "endstyle"}));
}

TEST_F(ItemTest, UnrecognizedMarker) {
  auto p = std::make_unique<SinglePoint>(0.5, 0.5, "");
  p->marker = '?';
  try {
    drawn(std::move(p));
    FAIL();
  } catch (const session::RuntimeError& e) {
    EXPECT_EQ(e.text, "unrecognized marker character");
  }
}

class FakeControl : public ChildControl {
 public:
  void reposition(const PixelRect& r) override { *placed = r; }
  PixelRect* placed;
};

TEST_F(ItemTest, ButtonRepositionsItsControlAndGivesItsState) {
  PixelRect placed;
  auto control = std::make_unique<FakeControl>();
  control->placed = &placed;
  auto button = std::make_unique<PlotableButton>(ControlKind::kComboBox, "OK", 1);
  button->control = std::move(control);
  button->state = 2;
  button->x = 0.5;
  button->y = 0.5;
  button->w = 60;
  button->h = 20;
  EXPECT_EQ(button->kind(), 7);
  EXPECT_EQ(button->value(), std::vector<double>{2});
  drawn(std::move(button));
  EXPECT_EQ(placed, (PixelRect{320, 220, 380, 240}));
}

}  // namespace
}  // namespace zirbin::graphics
