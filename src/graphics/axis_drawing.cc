// Drawing the axes of a frame: grid lines, zero lines, tick marks and tick labels.
#include <cmath>

#include "graphics/figure.h"
#include "graphics/frame.h"
#include "graphics/plotables.h"
#include "graphics/text_writer.h"

namespace zirbin::graphics {

namespace {

constexpr int kMajorTickLength = 6;  // pixels, drawn into the plot area
constexpr int kMinorTickLength = 3;
constexpr int kXLabelGap = 5;  // tick labels below the plot area
constexpr int kYLabelGap = 7;  // tick labels left of the plot area
constexpr Rgb kZeroLineColour = rgb(10, 10, 10);
constexpr Rgb kLinearGridColour = rgb(173, 216, 230);
constexpr Rgb kLogGridColour = rgb(135, 206, 250);
// Tick values this far (of the span) outside the limits still count as inside.
constexpr double kInsideTolerance = 1e-9;

// One straight line across the plot area or a mark at its edge, at pixel `at` along the
// axis.
void drawLineAt(DrawSurface& s, const PixelRect& r, bool vertical, bool grid, int length, int at) {
  Point a, b;
  if (!vertical) {
    a = {at, r.bottom};
    b = {at, grid ? r.top : r.bottom - length};
  } else {
    a = {r.left, at};
    b = {grid ? r.right : r.left + length, at};
  }
  Point line[2] = {a, b};
  s.polyline(line);
}

// Pixel of an axis variable value t (the value or its logarithm).
int axisPixel(const Frame& f, bool vertical, double t) {
  double p = vertical ? f.yOffset() + f.yScale() * t : f.xOffset() + f.xScale() * t;
  if (!std::isfinite(p)) return kNoPixel;
  return static_cast<int>(p);
}

bool insidePlot(const PixelRect& r, bool vertical, int p) {
  if (p == kNoPixel) return false;
  return vertical ? p >= r.top - 1 && p <= r.bottom + 1 : p >= r.left - 1 && p <= r.right + 1;
}

std::vector<double> valuesWithin(const std::vector<double>& v, double lo, double hi) {
  double tol = std::fabs(hi - lo) * kInsideTolerance;
  std::vector<double> out;
  for (double t : v) {
    if (t >= lo - tol && t <= hi + tol) out.push_back(t);
  }
  return out;
}

// Marks or grid lines at explicit values (used for the uneven minor marks of decades).
void drawLinesAt(Frame& frame, const PlotStyle& style, bool vertical, bool grid, int length,
                 const std::vector<double>& values, bool linear) {
  if (values.empty()) return;
  DrawSurface& s = frame.surface();
  s.beginStyle(style, false);
  for (double v : values) {
    int p = axisPixel(frame, vertical, linear ? v : std::log(v));
    if (insidePlot(frame.plotRect(), vertical, p)) drawLineAt(s, frame.plotRect(), vertical, grid, length, p);
  }
  s.endStyle();
}

struct AxisView {
  bool vertical;
  int mode;
  double lo, hi;           // this axis's limits
  double otherLo, otherHi; // the other axis's limits
  bool otherLinear;
  TickSpec* ticks;
};

void drawTickLabels(Frame& frame, const AxisView& a, const std::vector<double>& majors) {
  TextWriter& w = frame.writer();
  w.setSize(kFrameFontSize);
  w.setColour(kBlack);
  const PixelRect& r = frame.plotRect();
  for (double v : majors) {
    if (!a.vertical) {
      int p = frame.mapX(v);
      if (insidePlot(r, false, p)) w.writeAt(frame.surface(), p, r.bottom + kXLabelGap, tickLabel(v), 9);
    } else {
      int p = frame.mapY(v);
      if (insidePlot(r, true, p)) w.writeAt(frame.surface(), r.left - kYLabelGap, p, tickLabel(v), 4);
    }
  }
}

// The major ticks as one equally spaced run in the axis variable, when they are.
struct MajorRun {
  bool even;
  double start;
  double spacing;
};

MajorRun majorRun(const TickSpec& t) {
  bool factors = !t.linear && t.minorStep2 != 0;
  if (t.linear) return {true, t.first, t.step};
  if (factors) return {true, std::log(t.first), std::log(t.step)};
  return {false, 0, 0};  // linear ticks on a logarithmic axis
}

void drawGrid(Frame& frame, const AxisView& a, const std::vector<double>& majors) {
  const TickSpec& t = *a.ticks;
  if (t.gridLevel <= 0 || !(a.mode & (kAxisTickMarks | kAxisGridOnly))) return;
  PlotStyle grid;
  grid.colour = t.linear ? kLinearGridColour : kLogGridColour;
  grid.width = 1;
  MajorRun m = majorRun(t);
  if (m.even) {
    Raster run(t.count, m.spacing, a.vertical, false, m.start);
    run.grid = true;
    run.style = grid;
    run.draw(frame);
  } else {
    drawLinesAt(frame, grid, a.vertical, true, 0, majors, t.linear);
  }
}

// The line where the other axis is zero, along this axis.
void drawZeroLine(Frame& frame, const AxisView& a) {
  if (!(a.mode & kAxisZeroLine) || !a.otherLinear || a.otherLo > 0 || a.otherHi < 0) return;
  PlotStyle zero;
  zero.colour = kZeroLineColour;
  zero.width = 1;
  DrawSurface& s = frame.surface();
  const PixelRect& r = frame.plotRect();
  s.beginStyle(zero, false);
  if (!a.vertical) {
    int row = frame.mapY(0);
    Point line[2] = {{r.left, row}, {r.right, row}};
    s.polyline(line);
  } else {
    int column = frame.mapX(0);
    Point line[2] = {{column, r.top}, {column, r.bottom}};
    s.polyline(line);
  }
  s.endStyle();
}

void drawTicks(Frame& frame, const AxisView& a, const std::vector<double>& majors) {
  const TickSpec& t = *a.ticks;
  if (a.mode & kAxisTickMarks) {
    MajorRun m = majorRun(t);
    if (m.even) {
      Raster(t.count, m.spacing, a.vertical, false, m.start).draw(frame);
    } else {
      drawLinesAt(frame, Raster(0, 0, a.vertical, false, 0).style, a.vertical, false,
                  kMajorTickLength, majors, t.linear);
    }
    drawLinesAt(frame, Raster(0, 0, a.vertical, true, 0).style, a.vertical, false, kMinorTickLength,
                t.minorValues(a.lo, a.hi), t.linear);
  }
  if (a.mode & kAxisTickLabels) drawTickLabels(frame, a, majors);
}

}  // namespace

Raster::Raster(int n, double step, bool isVertical, bool isMinor, double first)
    : count(n), spacing(step), vertical(isVertical), minor(isMinor), start(first) {
  style.width = 1;
}

void Raster::draw(Frame& frame) {
  if (count <= 0) return;
  DrawSurface& s = frame.surface();
  const PixelRect& r = frame.plotRect();
  int length = minor ? kMinorTickLength : kMajorTickLength;
  s.beginStyle(style, false);
  for (int k = 0; k < count; ++k) {
    int p = axisPixel(frame, vertical, start + k * spacing);
    if (insidePlot(r, vertical, p)) drawLineAt(s, r, vertical, grid, length, p);
  }
  s.endStyle();
}

void AxisTicks::draw(Frame& frame) {
  std::vector<AxisView> axes;
  if (xMode) {
    axes.push_back({false, xMode, frame.xmin(), frame.xmax(), frame.ymin(), frame.ymax(),
                    frame.yLinear(), &frame.xTicks()});
  }
  if (yMode) {
    axes.push_back({true, yMode, frame.ymin(), frame.ymax(), frame.xmin(), frame.xmax(),
                    frame.xLinear(), &frame.yTicks()});
  }
  std::vector<std::vector<double>> majors;
  for (const AxisView& a : axes) {
    computeTicks(*a.ticks, a.lo, a.hi);
    majors.push_back(valuesWithin(a.ticks->majorValues(), a.lo, a.hi));
  }
  // Both grids first, then the zero lines, then ticks and labels, so that no grid line
  // covers a zero line.
  for (size_t i = 0; i < axes.size(); ++i) drawGrid(frame, axes[i], majors[i]);
  for (const AxisView& a : axes) drawZeroLine(frame, a);
  for (size_t i = 0; i < axes.size(); ++i) drawTicks(frame, axes[i], majors[i]);
}

}  // namespace zirbin::graphics
