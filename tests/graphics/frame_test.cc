// Frames: automatic limits, the data-to-pixel mapping, items and the drawing pass.
#include "graphics/frame.h"
#include "graphics/graphics_state.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/errors.h"
#include "base/run_context.h"
#include "graphics/figure.h"
#include "graphics/recording_surface.h"

namespace zirbin::graphics {
namespace {

void expectRange(AxisRange r, double lo, double hi) {
  EXPECT_NEAR(r.lo, lo, 1e-12 * (1 + std::fabs(lo)));
  EXPECT_NEAR(r.hi, hi, 1e-12 * (1 + std::fabs(hi)));
}

TEST(AutoLimits, ConstantYDataIsWidenedByAHundredth) {
  expectRange(autoLimits(3, 3, 2, false), 2.98, 3.02);
}

TEST(AutoLimits, ConstantXDataIsWidenedByAThousandth) {
  expectRange(autoLimits(3, 3, 3, false), 2.998, 3.002);
}

TEST(AutoLimits, YFromFiveToSixIsPaddedButNotExtendedToZero) {
  expectRange(autoLimits(5, 6, 2, false), 4.9, 6.1);
}

TEST(AutoLimits, YFromOneToTenBecomesZeroToEleven) {
  expectRange(autoLimits(1, 10, 2, false), 0, 11);
}

TEST(AutoLimits, NegativeRangeIsExtendedUpToZero) {
  expectRange(autoLimits(-10, -1, 3, false), -10, 0);
}

TEST(AutoLimits, XRangeIsNotPadded) {
  expectRange(autoLimits(0, 10, 3, false), 0, 10);
  expectRange(autoLimits(-1, 1, 3, false), -1, 1);
}

TEST(AutoLimits, ZeroConstantData) {
  expectRange(autoLimits(0, 0, 2, false), -0.005, 0.005);
}

TEST(AutoLimits, LogarithmicWithZeroLowerLimit) {
  expectRange(autoLimits(0, 50, 2, true), 50 * 1e-10, 50 * 1.1);
}

TEST(AutoLimits, LogarithmicWithNonPositiveUpperLimit) {
  expectRange(autoLimits(-5, 0, 2, true), 0.1, 1.0);
}

TEST(AutoLimits, LogarithmicWideRangeGoesToWholeDecades) {
  expectRange(autoLimits(3, 4000, 3, true), 1, 10000);
  // y: widened by 1.1 first.
  expectRange(autoLimits(1, 1000, 2, true), 0.1, 10000);
}

TEST(AutoLimits, LogarithmicNarrowRangeIsRoundedToOneDigit) {
  // 2..4 (x): 2/1.3 = 1.538 rounds to 2, so 1.538 stays; 5.2 rounds to 5, so 5.2 stays.
  expectRange(autoLimits(2, 4, 3, true), 2 / 1.3, 5.2);
}

class FrameTest : public ::testing::Test {
 protected:
  Figure figure{1};
  Frame& frame() { return figure.currentFrame(); }
};

TEST_F(FrameTest, NewFrameMapsTheLowerLimitsToTheCornerOfThePlotArea) {
  // 640 x 480 client area: x = xmin at 10 % of the width, y = ymin 15 % above the bottom.
  EXPECT_EQ(frame().mapX(0), 64);
  EXPECT_EQ(frame().mapY(0), 408);
  EXPECT_EQ(frame().mapX(1), 608);   // 95 % of the width
  EXPECT_EQ(frame().mapY(1), 9);     // 98 % of the height above the bottom
  EXPECT_EQ(frame().plotRect(), (PixelRect{64, 9, 608, 408}));
  EXPECT_EQ(frame().clipRect(), (PixelRect{63, 8, 609, 410}));
}

TEST_F(FrameTest, UnmapInvertsMap) {
  frame().setExactLimits(-5, 5, 100, 200);
  EXPECT_NEAR(frame().unmapX(frame().mapX(2.5)), 2.5, 0.02);
  EXPECT_NEAR(frame().unmapY(frame().mapY(150)), 150, 0.3);
}

TEST_F(FrameTest, LogarithmicAxisMapsDecadesEvenly) {
  frame().setLogarithmic(true, false);
  frame().setExactLimits(1, 100, 0, 1);
  EXPECT_EQ(frame().mapX(1), 64);
  EXPECT_EQ(frame().mapX(100), 608);
  EXPECT_EQ(frame().mapX(10), 336);
  EXPECT_NEAR(frame().unmapX(336), 10, 0.1);
  EXPECT_EQ(frame().mapX(0), kNoPixel);
  EXPECT_EQ(frame().mapX(-1), kNoPixel);
}

TEST_F(FrameTest, NonPositiveLogarithmicLimitsAreReplacedAndStored) {
  frame().setLogarithmic(false, true);
  frame().setExactLimits(0, 1, 0, 0);
  EXPECT_DOUBLE_EQ(frame().ymax(), 1e-10);
  EXPECT_DOUBLE_EQ(frame().ymin(), 1e-20);
}

TEST_F(FrameTest, FarOffValuesStayFinite) {
  EXPECT_EQ(frame().mapY(1e300), -kPixelLimit);
  EXPECT_EQ(frame().mapY(-1e300), kPixelLimit);
  EXPECT_EQ(frame().mapX(std::nan("")), kNoPixel);
}

TEST_F(FrameTest, EqualUsesTheSmallerScaleForBothAxesAndKeepsTheCentre) {
  frame().setExactLimits(0, 10, 0, 10);
  frame().equal = true;
  frame().computeMapping();
  EXPECT_DOUBLE_EQ(frame().xScale(), -frame().yScale());
  EXPECT_NEAR(frame().xScale(), 39.9, 1e-9);  // the plot area is 544 x 399 pixels
  EXPECT_EQ(frame().mapX(5), 336);            // centre column unchanged
  EXPECT_EQ(frame().mapY(5), 208);
}

TEST_F(FrameTest, SetLimitsAppliesAutoLimits) {
  frame().setLimits(0, 10, 1, 10);
  EXPECT_DOUBLE_EQ(frame().xmin(), 0);
  EXPECT_DOUBLE_EQ(frame().xmax(), 10);
  EXPECT_DOUBLE_EQ(frame().ymin(), 0);
  EXPECT_NEAR(frame().ymax(), 11, 1e-12);
}

TEST_F(FrameTest, SetPlotAreaReplacesOnlyTheGivenDirection) {
  frame().setPlotArea(0.2, 0.3, 0, 0.5);  // only y and h
  EXPECT_EQ(frame().plotArea(), (Placement{0.1, 0.3, 0.85, 0.5}));
  frame().setPlotArea(0, 0.9, 1, 0);  // only x and w
  EXPECT_EQ(frame().plotArea(), (Placement{0, 0.3, 1, 0.5}));
  frame().setPlotArea(5, 5, 0, 0);  // nothing
  EXPECT_EQ(frame().plotArea(), (Placement{0, 0.3, 1, 0.5}));
  frame().setPlotArea(0, 0, 1, 1);
  EXPECT_EQ(frame().plotRect(), (PixelRect{0, 0, 640, 480}));
  auto& box = static_cast<BoxRel&>(frame().item(0));
  EXPECT_DOUBLE_EQ(box.w, 1);
}

TEST_F(FrameTest, ItemZeroIsThePlotAreaBox) {
  ASSERT_EQ(frame().itemCount(), 1u);
  EXPECT_NE(dynamic_cast<BoxRel*>(&frame().item(0)), nullptr);
  EXPECT_EQ(frame().item(0).kind(), 0);
}

TEST_F(FrameTest, ItemIdsCarryTheFrameNumber) {
  figure.selectFrame({0, 0, 1, 0.5});
  size_t second = figure.selectFrame({0, 0.5, 1, 0.5});
  Frame& f = figure.frame(second);
  f.addItem(std::make_unique<AxisTicks>(0x3f, 0x3f));
  int id = f.addItem(std::make_unique<Curve>(std::vector<double>{1, 2}, std::vector<double>{1, 2}, ""));
  EXPECT_EQ(id, 1 * 65536 + 2);
}

TEST_F(FrameTest, InvalidItemIndex) {
  try {
    frame().item(5);
    FAIL();
  } catch (const session::RuntimeError& e) {
    EXPECT_EQ(e.text, "invalid id: no such item in the frame");
  }
  EXPECT_EQ(frame().itemValue(0), std::vector<double>{0.15});
}

TEST_F(FrameTest, LabelAtTheSamePlaceAndAnchorReplacesTheOldOneWithItsId) {
  int first = frame().addItem(std::make_unique<TextLabel>(1, 2, "old", "ne", ""));
  frame().addItem(std::make_unique<Curve>(std::vector<double>{1, 2}, std::vector<double>{1, 2}, ""));
  int second = frame().addItem(std::make_unique<TextLabel>(1, 2, "new", "NE", ""));
  EXPECT_EQ(second, first);
  EXPECT_EQ(frame().itemCount(), 3u);
  EXPECT_EQ(static_cast<TextLabel&>(frame().item(1)).text, "new");
  // Another anchor or place: a new label.
  EXPECT_EQ(frame().addItem(std::make_unique<TextLabel>(1, 2, "x", "sw", "")), 3);
  EXPECT_EQ(frame().addItem(std::make_unique<TextLabel>(1, 3, "x", "ne", "")), 4);
}

// Counts the requests of a frame to be shown again.
class CountingView : public FigureView {
 public:
  void redrawFrame(Frame&) override { ++frames; }
  void drawItem(Frame&, size_t index) override { items.push_back(index); }
  void raise() override { ++raised; }
  void moveTo(const PixelRect& r) override { moved = r; }
  int screenWidth() const override { return 1000; }
  int screenHeight() const override { return 800; }
  void pumpMessages() override {}
  int frames = 0;
  int raised = 0;
  std::vector<size_t> items;
  PixelRect moved;
};

TEST_F(FrameTest, ReplacedLabelIsShownWholeOrAloneByTheTextSetting) {
  auto view = std::make_unique<CountingView>();
  CountingView* v = view.get();
  figure.setView(std::move(view));
  frame().addItem(std::make_unique<TextLabel>(1, 2, "a", "", ""));
  EXPECT_EQ(v->frames, 0);  // a new label is drawn by the caller
  frame().addItem(std::make_unique<TextLabel>(1, 2, "b", "", ""));
  EXPECT_EQ(v->frames, 1);
  graphicsState().textRedraw = false;
  frame().addItem(std::make_unique<TextLabel>(1, 2, "c", "", ""));
  graphicsState().textRedraw = true;
  EXPECT_EQ(v->frames, 1);
  EXPECT_EQ(v->items, std::vector<size_t>{1});
}

TEST_F(FrameTest, RedrawDrawsItemsInOrderWithThePlotAreaBoxLast) {
  frame().setExactLimits(0, 1, 0, 1);
  frame().addItem(std::make_unique<Curve>(std::vector<double>{0, 1}, std::vector<double>{0, 1}, ""));
  auto hidden = std::make_unique<Curve>(std::vector<double>{0, 1}, std::vector<double>{1, 0}, "");
  hidden->visible = false;
  frame().addItem(std::move(hidden));
  frame().addItem(std::make_unique<MyCircle>(0.5, 0.5, 0.1, "r"));
  RecordingSurface s;
  frame().redraw(s);
  std::vector<std::string> expected = {
      "frame 0 0,0,640,480 clip 64,9,608,408",
      "erase 0,0,640,480 rgb(255,255,255)",
      "clip on",
      "style rgb(0,100,0) w2 ls0",
      "polyline 64,408 608,9",
      "endstyle",
      "clip off",
      "style rgb(170,0,0) w5 ls0",
      "circle 336,208 r54",
      "endstyle",
      "style rgb(0,0,0) w1 ls0",
      "rect 64,9 544x399",
      "endstyle",
      "endframe",
  };
  EXPECT_EQ(s.calls, expected);
}

TEST_F(FrameTest, RemoveItemsKeepsThePlotAreaBox) {
  frame().addItem(std::make_unique<AxisTicks>(0x3f, 0x3f));
  EXPECT_NE(frame().axisTicks(), nullptr);
  frame().removeItems();
  EXPECT_EQ(frame().itemCount(), 1u);
  EXPECT_EQ(frame().axisTicks(), nullptr);
}

TEST_F(FrameTest, ClientResizeRecomputesTheMapping) {
  figure.setClientRect({0, 0, 1000, 1000});
  EXPECT_EQ(frame().mapX(0), 100);
  EXPECT_EQ(frame().mapY(0), 850);
}

}  // namespace
}  // namespace zirbin::graphics
