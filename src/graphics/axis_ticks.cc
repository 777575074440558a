// Tick positions for linear and logarithmic axes, and tick labels.
#include "graphics/axis_ticks.h"

#include <cmath>
#include <cstdio>

namespace zirbin::graphics {

namespace {

constexpr double kFirstTickTolerance = 1e-6;    // of the span, below the lower limit
constexpr double kCountSlack = 1.0000000001;    // lets a tick on the upper limit count
constexpr double kLogLowestUpper = 1e-50;       // a non-positive upper log limit
constexpr double kLogLowerFactor = 1e-20;       // a non-positive lower log limit, of upper
constexpr int kWideLogTicks = 7;                // ticks of an axis of ten or more decades
constexpr int kMaxTicks = 10000;                // guards against absurd limits

// Fills linear ticks for lo..hi.
void linearTicks(TickSpec& s, double lo, double hi) {
  double span = hi - lo;
  s.subdivisions = 5;
  s.count = 0;
  if (!(span > 0) || !std::isfinite(span)) {
    s.first = lo;
    s.step = 1;
    s.minorStep = s.minorStep2 = 0.2;
    s.count = std::isfinite(lo) ? 1 : 0;
    return;
  }
  int e = static_cast<int>(std::floor(std::log10(span)));
  double unit = std::pow(10.0, e);
  int d = static_cast<int>(std::lround(span / unit));
  if (d >= 10) {
    d = 1;
    unit *= 10;
  }
  if (d <= 1) {
    s.step = 0.2 * unit;
    s.subdivisions = 4;
  } else if (d <= 3) {
    s.step = 0.5 * unit;
  } else if (d <= 7) {
    s.step = unit;
  } else {
    s.step = 2 * unit;
    s.subdivisions = 4;
  }
  double firstIndex = std::ceil((lo - kFirstTickTolerance * span) / s.step);
  s.first = firstIndex * s.step;
  double count = std::ceil(span * kCountSlack / s.step);
  if (count > kMaxTicks) count = kMaxTicks;
  s.count = static_cast<int>(count);
  if (s.count > 0 && (firstIndex + s.count - 1) * s.step > hi + kFirstTickTolerance * span) --s.count;
  s.minorStep = s.minorStep2 = s.step / s.subdivisions;
}

}  // namespace

void computeTicks(TickSpec& s, double lo, double hi) {
  if (s.linear) {
    linearTicks(s, lo, hi);
    return;
  }
  if (!(hi > 0)) hi = kLogLowestUpper;
  if (!(lo > 0)) lo = hi * kLogLowerFactor;
  double ratio = std::log10(hi / lo);
  int decades = std::isfinite(ratio) ? static_cast<int>(std::ceil(ratio)) : 0;
  s.first = std::pow(10.0, std::floor(std::log10(lo)));
  if (decades >= 10) {
    s.step = std::pow(10.0, decades / 5);
    s.count = kWideLogTicks;
    s.minorStep = 10;
    s.minorStep2 = 10;
    s.subdivisions = decades / 5;
  } else if (decades >= 2) {
    s.step = 10;
    s.count = decades + 1;
    s.minorStep = 2;
    s.minorStep2 = 1;
    s.subdivisions = -1;
  } else {
    linearTicks(s, lo, hi);
    // The ticks are plain values even though the axis is logarithmic.
    s.subdivisions = s.subdivisions > 0 ? s.subdivisions : 5;
    s.minorStep2 = 0;
  }
}

std::vector<double> TickSpec::majorValues() const {
  std::vector<double> v;
  bool factors = !linear && minorStep2 != 0;
  double firstIndex = std::round(first / step);
  for (int k = 0; k < count; ++k) {
    if (factors) {
      v.push_back(first * std::pow(step, k));
    } else {
      // Multiples of the step, so that a tick on zero is exactly zero.
      double t = (firstIndex + k) * step;
      v.push_back(std::fabs(t) < step * 1e-9 ? 0.0 : t);
    }
  }
  return v;
}

std::vector<double> TickSpec::minorValues(double lo, double hi) const {
  std::vector<double> v;
  auto keep = [&](double t) {
    if (t >= lo && t <= hi) v.push_back(t);
  };
  if (linear || minorStep2 == 0) {
    if (minorStep <= 0 || count <= 0) return v;
    double firstIndex = std::round(first / step);
    for (int k = -1; k <= count; ++k) {
      for (int m = 1; m < subdivisions; ++m) keep((firstIndex + k) * step + m * minorStep);
    }
  } else if (subdivisions == -1) {
    for (int k = 0; k < count; ++k) {
      double decade = first * std::pow(10.0, k);
      for (int m = 2; m <= 9; ++m) keep(m * decade);
    }
  } else {
    for (int k = 0; k < count; ++k) {
      for (int m = 1; m < subdivisions; ++m) keep(first * std::pow(step, k) * std::pow(10.0, m));
    }
  }
  return v;
}

std::string tickLabel(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.4g", value);
  std::string s = buffer;
  size_t e = s.find('e');
  if (e == std::string::npos) return s;
  if (e + 1 < s.size() && s[e + 1] == '+') s.erase(e + 1, 1);
  size_t digits = e + 1 < s.size() && s[e + 1] == '-' ? e + 2 : e + 1;
  if (digits + 1 < s.size() && s[digits] == '0') s.erase(digits, 1);
  return s;
}

}  // namespace zirbin::graphics
