// Tick positions and tick labels.
#include "graphics/axis_ticks.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zirbin::graphics {
namespace {

TEST(AxisTicks, LinearStepFromTheRoundedSpan) {
  TickSpec t;
  computeTicks(t, 0, 11);  // span 1e1: step 2, 4 subdivisions
  EXPECT_DOUBLE_EQ(t.step, 2);
  EXPECT_EQ(t.subdivisions, 4);
  EXPECT_DOUBLE_EQ(t.first, 0);
  EXPECT_EQ(t.majorValues(), (std::vector<double>{0, 2, 4, 6, 8, 10}));

  computeTicks(t, 0, 3);  // d = 3: step 0.5, 5 subdivisions
  EXPECT_DOUBLE_EQ(t.step, 0.5);
  EXPECT_EQ(t.subdivisions, 5);
  EXPECT_EQ(t.count, 7);

  computeTicks(t, 0, 60);  // d = 6: step 10
  EXPECT_DOUBLE_EQ(t.step, 10);
  computeTicks(t, 0, 0.009);  // d = 9: step 2e-3
  EXPECT_DOUBLE_EQ(t.step, 0.002);
  EXPECT_EQ(t.subdivisions, 4);
}

TEST(AxisTicks, FirstTickIsTheLowestMultipleInsideAndTheLastStaysBelowTheLimit) {
  TickSpec t;
  computeTicks(t, 4.9, 6.1);  // span 1.2: step 0.2
  EXPECT_DOUBLE_EQ(t.step, 0.2);
  std::vector<double> v = t.majorValues();
  ASSERT_EQ(v.size(), 6u);
  EXPECT_DOUBLE_EQ(v.front(), 5.0);
  EXPECT_DOUBLE_EQ(v.back(), 6.0);
}

TEST(AxisTicks, TickOnZeroIsExactlyZero) {
  TickSpec t;
  computeTicks(t, -1, 1);
  std::vector<double> v = t.majorValues();
  ASSERT_EQ(v.size(), 5u);
  EXPECT_EQ(v[2], 0.0);
  EXPECT_EQ(tickLabel(v[2]), "0");
}

TEST(AxisTicks, LogarithmicDecades) {
  TickSpec t;
  t.linear = false;
  computeTicks(t, 1, 1000);
  EXPECT_EQ(t.subdivisions, -1);
  EXPECT_EQ(t.majorValues(), (std::vector<double>{1, 10, 100, 1000}));
  std::vector<double> minor = t.minorValues(1, 1000);
  ASSERT_EQ(minor.size(), 24u);  // 2..9 in each of the three decades
  EXPECT_DOUBLE_EQ(minor.front(), 2);
  EXPECT_DOUBLE_EQ(minor.back(), 900);
}

TEST(AxisTicks, ManyDecadesStepByPowers) {
  TickSpec t;
  t.linear = false;
  computeTicks(t, 1e-5, 1e10);  // 15 decades: factor 1e3, 7 ticks
  EXPECT_EQ(t.count, 7);
  EXPECT_DOUBLE_EQ(t.step, 1000);
  EXPECT_EQ(t.subdivisions, 3);
  EXPECT_NEAR(t.majorValues()[1] / 1e-2, 1.0, 1e-12);
}

TEST(AxisTicks, NarrowLogarithmicAxisUsesLinearTicks) {
  TickSpec t;
  t.linear = false;
  computeTicks(t, 2, 8);
  EXPECT_DOUBLE_EQ(t.step, 1);
  EXPECT_DOUBLE_EQ(t.first, 2);
}

TEST(AxisTicks, NonPositiveLogarithmicLimitsAreReplaced) {
  TickSpec t;
  t.linear = false;
  computeTicks(t, 0, 100);  // lower limit 1e-18: 20 decades
  EXPECT_EQ(t.count, 7);
  EXPECT_DOUBLE_EQ(t.step, 1e4);
}

TEST(AxisTicks, LabelsInTheShortGeneralFormat) {
  EXPECT_EQ(tickLabel(100000), "1e5");
  EXPECT_EQ(tickLabel(0.0000025), "2.5e-6");
  EXPECT_EQ(tickLabel(0.5), "0.5");
  EXPECT_EQ(tickLabel(-3), "-3");
  EXPECT_EQ(tickLabel(1000), "1000");
  EXPECT_EQ(tickLabel(12340), "1.234e4");
  EXPECT_EQ(tickLabel(1e-10), "1e-10");
  EXPECT_EQ(tickLabel(2e100), "2e100");
  EXPECT_EQ(tickLabel(0.2 * 3), "0.6");
}

TEST(AxisTicks, DegenerateRangesGiveNoEndlessLoop) {
  TickSpec t;
  computeTicks(t, 3, 3);
  EXPECT_LE(t.count, 1);
  computeTicks(t, 0, HUGE_VAL);  // infinite span
  EXPECT_LE(t.majorValues().size(), 1u);
}

}  // namespace
}  // namespace zirbin::graphics
