// Figures and the figure registry: numbering, current figure, frames, wipe and placement.
#include "graphics/figure.h"

#include <gtest/gtest.h>

#include "base/errors.h"

namespace zirbin::graphics {
namespace {

std::string errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const session::RuntimeError& e) {
    return e.text;
  }
  return "";
}

TEST(FigureRegistry, FigureMinusOneWithoutFiguresOpensFigureOne) {
  FigureRegistry r;
  EXPECT_EQ(r.figure(-1), 1);
  ASSERT_NE(r.current(), nullptr);
  EXPECT_EQ(r.current()->number(), 1);
  EXPECT_EQ(r.figure(-1), 1);
  EXPECT_EQ(r.count(), 1u);
}

TEST(FigureRegistry, FigureZeroTakesTheLowestFreeNumber) {
  FigureRegistry r;
  r.figure(1);
  r.figure(3);
  EXPECT_EQ(r.figure(0), 2);
  EXPECT_EQ(r.current()->number(), 2);
  EXPECT_EQ(r.figure(0), 4);
}

TEST(FigureRegistry, FigureNMakesAnOpenFigureCurrent) {
  FigureRegistry r;
  r.figure(5);
  Figure* five = r.current();
  r.figure(7);
  EXPECT_EQ(r.figure(5), 5);
  EXPECT_EQ(r.current(), five);
  EXPECT_EQ(r.count(), 2u);
}

TEST(FigureRegistry, NumbersOutOfRange) {
  FigureRegistry r;
  EXPECT_EQ(errorOf([&] { r.figure(129); }), "in figure: number must be between 0 and 128");
  EXPECT_EQ(errorOf([&] { r.figure(-2); }), "in figure: number must be between 0 and 128");
  EXPECT_EQ(r.count(), 0u);
  EXPECT_EQ(r.figure(128), 128);
}

TEST(FigureRegistry, FigureMinusOneAfterClosingTheCurrentTakesTheFirstRecord) {
  FigureRegistry r;
  r.figure(4);
  r.figure(2);
  r.close(2);
  EXPECT_EQ(r.current(), nullptr);
  EXPECT_EQ(r.figure(-1), 4);
}

TEST(FigureRegistry, CloseAll) {
  FigureRegistry r;
  r.figure(1);
  r.figure(2);
  EXPECT_EQ(r.close(0), 0);
  EXPECT_EQ(r.count(), 0u);
  EXPECT_EQ(r.current(), nullptr);
  EXPECT_EQ(r.close(-3), -3);
}

TEST(FigureRegistry, ClosingAMissingFigureReturnsZeroAndChangesNothing) {
  FigureRegistry r;
  r.figure(1);
  EXPECT_EQ(r.close(7), 0);
  EXPECT_EQ(r.count(), 1u);
  EXPECT_NE(r.current(), nullptr);
  EXPECT_EQ(r.close(1), 1);
  EXPECT_EQ(r.count(), 0u);
}

TEST(FigureRegistry, AFigureIsRequired) {
  FigureRegistry r;
  EXPECT_EQ(errorOf([&] { r.requireCurrent(); }), "a figure is required but none was found");
  r.figure(0);
  EXPECT_EQ(&r.requireCurrent(), r.current());
}

TEST(FigureRegistry, AllNumbersInUseReusesTheCurrentFigure) {
  FigureRegistry r;
  for (int i = 1; i <= kMaxFigureNumber; ++i) r.figure(i);
  r.figure(9);
  EXPECT_EQ(r.figure(0), 9);
  EXPECT_EQ(r.count(), 128u);
}

class FailingFactory {
 public:
  std::unique_ptr<FigureView> operator()(Figure&) { return nullptr; }
};

TEST(FigureRegistry, WindowFailureLeavesTheRegistryUnchanged) {
  FigureRegistry r;
  r.figure(1);
  r.setViewFactory(FailingFactory());
  EXPECT_EQ(errorOf([&] { r.figure(2); }), "Graphics or memory problem: could not open a window");
  EXPECT_EQ(r.count(), 1u);
  EXPECT_EQ(r.current()->number(), 1);
}

TEST(Figure, SelectFrameReplacesTheLoneDefaultFrame) {
  Figure f(1);
  Frame* old = &f.frame(0);
  EXPECT_EQ(f.selectFrame({0, 0.5, 1, 0.5}), 0u);
  EXPECT_EQ(f.frameCount(), 1u);
  EXPECT_NE(&f.frame(0), old);
  EXPECT_EQ(f.frame(0).placement(), (Placement{0, 0.5, 1, 0.5}));
  EXPECT_EQ(f.selectFrame({0, 0, 1, 0.5}), 1u);
  EXPECT_EQ(f.frame(1).number(), 1);
  EXPECT_EQ(f.frameCount(), 2u);
}

TEST(Figure, SelectFrameWithAnExistingPlacementOnlyMakesItCurrent) {
  Figure f(1);
  f.selectFrame({0, 0.5, 1, 0.5});
  f.selectFrame({0, 0, 1, 0.5});
  Frame* first = &f.frame(0);
  EXPECT_EQ(f.selectFrame({0, 0.5, 1, 0.5}), 0u);
  EXPECT_EQ(&f.currentFrame(), first);
  EXPECT_EQ(f.frameCount(), 2u);
}

TEST(Figure, WipeOneFrame) {
  Figure f(1);
  f.selectFrame({0, 0.5, 1, 0.5});
  f.selectFrame({0, 0, 1, 0.5});
  f.frame(0).addItem(std::make_unique<AxisTicks>(0x3f, 0x3f));
  EXPECT_FALSE(f.wipe(2, kWhite));
  EXPECT_TRUE(f.wipe(0, rgb(1, 2, 3)));
  EXPECT_EQ(f.currentFrameIndex(), 0u);
  EXPECT_EQ(f.frame(0).itemCount(), 1u);
  EXPECT_EQ(f.frame(0).background, rgb(1, 2, 3));
  EXPECT_EQ(f.frameCount(), 2u);
}

TEST(Figure, WipeAllLeavesOneDefaultFrame) {
  Figure f(1);
  f.selectFrame({0, 0.5, 1, 0.5});
  f.selectFrame({0, 0, 1, 0.5});
  EXPECT_TRUE(f.wipe(-1, rgb(9, 9, 9)));
  EXPECT_EQ(f.frameCount(), 1u);
  EXPECT_EQ(f.frame(0).placement(), kWholeWindow);
  EXPECT_EQ(f.frame(0).background, rgb(9, 9, 9));
  f.frame(0).addItem(std::make_unique<AxisTicks>(0x3f, 0x3f));
  EXPECT_TRUE(f.wipe(-2, rgb(1, 1, 1)));  // background unchanged
  EXPECT_EQ(f.frame(0).background, rgb(9, 9, 9));
  EXPECT_EQ(f.frame(0).itemCount(), 1u);
}

TEST(Figure, PlaceOnScreenByFractionsOrPixels) {
  // Fractions: top = (1 - y) H - h H.
  EXPECT_EQ(placeOnScreen(0.5, 0.5, 0.5, 0.5, 1000, 800), (PixelRect{500, 0, 1000, 400}));
  EXPECT_EQ(placeOnScreen(0, 0, 0.5, 0.25, 1000, 800), (PixelRect{0, 600, 500, 800}));
  // Pixels: y counts from the bottom of the screen.
  EXPECT_EQ(placeOnScreen(10, 20, 300, 200, 1000, 800), (PixelRect{10, 580, 310, 780}));
}

TEST(Figure, HeadlessPlaceAndPumpDoNothing) {
  Figure f(1);
  f.place(0.1, 0.1, 0.5, 0.5);
  f.pumpMessages();
  EXPECT_FALSE(f.pumping());
}

}  // namespace
}  // namespace zirbin::graphics
