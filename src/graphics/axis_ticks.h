// Axis ticks: the TickSpec of each axis of a frame, computeTicks for linear and logarithmic
// axes, and the tick-label format.
#pragma once

#include <string>
#include <vector>

namespace zirbin::graphics {

// Mode bits of an axis mode word (the AxisTicks item and `axis`).
inline constexpr int kAxisTickMarks = 0x04;
inline constexpr int kAxisZeroLine = 0x10;
inline constexpr int kAxisTickLabels = 0x20;
inline constexpr int kAxisGridOnly = 0x40;
inline constexpr int kAxisFullFrame = 0x400;
inline constexpr int kAxisDefaultMode = 0x3f;

// The ticks of one axis. On a linear axis tick k is first + k * step; on a logarithmic
// axis it is first * step^k (step a factor).
struct TickSpec {
  double first = 0;
  double step = 1;
  int count = 0;
  double minorStep = 0;   // linear: step / subdivisions; logarithmic: the minor factor
  double minorStep2 = 0;  // logarithmic decades: the second minor factor (1)
  int subdivisions = 0;   // minor steps per major step; -1: a mark at every integer
                          // multiple within each decade
  bool vertical = false;  // false for the x axis, true for the y axis
  int gridLevel = 1;      // grid lines are drawn when above 0 (`grid`)
  bool linear = true;     // false: logarithmic axis

  // The major tick values, in order.
  std::vector<double> majorValues() const;
  // The minor tick values between and around the major ones, within [lo, hi].
  std::vector<double> minorValues(double lo, double hi) const;
};

// Fills `ticks` for the axis limits lo..hi (ticks.linear says which rule).
// Linear: the span rounded to one significant digit d * 10^e gives the step (d = 1: 0.2,
// d = 2..3: 0.5, d = 4..7: 1, d >= 8: 2 times 10^e) and 4 or 5 subdivisions; the first tick
// is the lowest multiple of the step at or above lo (within 1e-6 of the span).
// Logarithmic: with D = ceil(log10(hi / lo)) decades, D >= 10 gives 7 ticks a factor
// 10^floor(D / 5) apart, 2 <= D <= 9 one tick per decade with marks at the integer
// multiples, D <= 1 the linear rule.
void computeTicks(TickSpec& ticks, double lo, double hi);

// A tick value in the general format with 4 significant digits, a "+" after the exponent's
// "e" and a single leading "0" of the exponent removed: 100000 gives "1e5".
std::string tickLabel(double value);

}  // namespace zirbin::graphics
