// The plot built-ins that put data into a frame: plot, semilogy, semilogx, loglog, fill,
// qplot, errbar, barchart, circle, text, title, xlabel and ylabel; the preparation of a
// frame for new data and the automatic colour sequence of curves.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/run_context.h"
#include "builtins/families.h"
#include "builtins/function_argument.h"
#include "builtins/plot_support.h"
#include "builtins/routine_support.h"
#include "graphics/axis_ticks.h"
#include "graphics/graphics_state.h"
#include "graphics/plotables.h"
#include "values/value.h"

namespace zirbin::builtins {

namespace {

using graphics::Frame;
using session::checkFailed;

// Plot modes: bit 0 asks for a logarithmic y axis, bit 1 for a logarithmic x axis.
constexpr int kLinear = 0;
constexpr int kLogY = 1;
constexpr int kLogX = 2;
constexpr int kLogLog = kLogX | kLogY;

// The colours of the second and third curve in a row over the same x range.
constexpr graphics::Rgb kSecondCurveColour = graphics::rgb(0, 0, 130);
constexpr graphics::Rgb kThirdCurveColour = graphics::rgb(170, 0, 0);

// The smallest and largest finite element; false when there is none.
bool finiteRange(const std::vector<double>& v, double& lo, double& hi) {
  bool any = false;
  for (double d : v) {
    if (!std::isfinite(d)) continue;
    if (!any || d < lo) lo = d;
    if (!any || d > hi) hi = d;
    any = true;
  }
  return any;
}

// Prepares the current frame (created on demand) for new data xs, ys: the axis kinds of
// `mode`; unless the frame is fixed, its items go, and the limits come from the finite
// data with a fresh AxisTicks item. Fails with "invalid x values" (for `context`) before
// changing anything when no x value is finite.
Frame& prepareFrame(const char* context, int mode, const std::vector<double>& xs,
                    const std::vector<double>& ys) {
  Frame& frame = frameOnDemand();
  double xlo = 0, xhi = 0, ylo = 0, yhi = 0;
  if (!frame.fix) {
    if (!finiteRange(xs, xlo, xhi)) checkFailed(context, "invalid x values");
    // Without a finite y value the y axis keeps the unit range.
    if (!finiteRange(ys, ylo, yhi)) ylo = 0, yhi = 1;
  }
  frame.setLogarithmic((mode & kLogX) != 0, (mode & kLogY) != 0);
  if (!frame.fix) {
    frame.equal = false;
    frame.removeItems();
    frame.setLimits(xlo, xhi, ylo, yhi);
    frame.addItem(std::make_unique<graphics::AxisTicks>(graphics::kAxisDefaultMode,
                                                        graphics::kAxisDefaultMode));
  }
  frame.computeMapping();
  return frame;
}

// Adds a prepared item and has it shown: the whole frame when it was cleared for the item,
// else the item alone. Returns its id.
int addAndShow(Frame& frame, std::unique_ptr<graphics::Plotable> item) {
  int id = frame.addItem(std::move(item));
  if (frame.fix) {
    frame.showItem(static_cast<size_t>(id % graphics::kItemIdFrameFactor));
  } else {
    frame.showAgain();
  }
  return id;
}

// Advances the automatic colour sequence for a curve over xs on a frame that is `fixed`,
// and gives a curve without a style string of its own the colour the sequence asks for.
void applyColourSequence(const std::vector<double>& xs, bool fixed, graphics::Curve* curve,
                         bool emptyStyle) {
  graphics::GraphicsState& state = graphics::graphicsState();
  double first = xs.size() >= 2 ? xs.front() : 0;
  double last = xs.size() >= 2 ? xs.back() : 0;
  if (xs.size() >= 2 && fixed && first == state.curveColourFirstX &&
      last == state.curveColourLastX) {
    ++state.curveColourCount;
  } else {
    state.curveColourCount = 0;
    state.curveColourFirstX = first;
    state.curveColourLastX = last;
  }
  if (curve == nullptr || !emptyStyle) return;
  if (state.curveColourCount == 1) curve->style.colour = kSecondCurveColour;
  if (state.curveColourCount == 2) curve->style.colour = kThirdCurveColour;
}

// One x, y pair with a style: a single point for one sample, else a curve.
int plotCurve(std::vector<double> xs, std::vector<double> ys, const std::string& style,
              int mode) {
  if (xs.size() != ys.size()) checkFailed("plot", "x and y data have different sizes");
  Frame& frame = prepareFrame("plot", mode, xs, ys);
  std::unique_ptr<graphics::Plotable> item;
  graphics::Curve* curve = nullptr;
  if (xs.size() == 1) {
    item = std::make_unique<graphics::SinglePoint>(xs[0], ys[0], style);
    applyColourSequence(xs, frame.fix, curve, style.empty());
  } else {
    // The samples move into the curve: a long curve is copied no more than it must be.
    auto c = std::make_unique<graphics::Curve>(std::move(xs), std::move(ys), style);
    curve = c.get();
    item = std::move(c);
    applyColourSequence(curve->xs, frame.fix, curve, style.empty());
  }
  return addAndShow(frame, std::move(item));
}

// The numbers 1..n.
std::vector<double> indexRange(int n) {
  std::vector<double> v(static_cast<size_t>(std::max(n, 0)));
  for (int i = 0; i < n; ++i) v[i] = i + 1;
  return v;
}

// Each column of y against x (y against its index when x is empty); a row vector y is one
// column. Later columns keep the limits the first one set. Returns the ids.
std::vector<int> plotXY(const Value& x, const Value& y, const std::string& style, int mode) {
  std::vector<double> ys = doublesOf(y);
  int rows = y.nrow;
  if (y.nrow == 1 || y.isVector()) rows = y.size;
  std::vector<double> xs = x.size == 0 ? indexRange(rows) : doublesOf(x);
  if (static_cast<int>(xs.size()) != rows) checkFailed("plot", "x and y sizes don't match");
  if (rows == 0) checkFailed("plot", "invalid x values");
  std::vector<int> ids;
  for (int first = 0; first < y.size; first += rows) {
    // The last column takes the data itself; the others copies.
    bool last = first + rows >= y.size;
    std::vector<double> column = last && first == 0
                                     ? std::move(ys)
                                     : std::vector<double>(ys.begin() + first, ys.begin() + first + rows);
    ids.push_back(plotCurve(last ? std::move(xs) : xs, std::move(column), style, mode));
    frameOnDemand().fix = true;
  }
  return ids;
}

// A style made a fill style: "" becomes "#", a leading "^" is followed by "#", any other
// style not starting with "#" gets one in front.
std::string fillStyle(const std::string& style) {
  if (style.empty()) return "#";
  if (style[0] == '#') return style;
  if (style[0] == '^') return "^#" + style.substr(1);
  return "#" + style;
}

bool isText(const BuiltinArgs& args, int i) {
  return !args.isFunction(i) && args.value(i).isChar();
}

// The string arguments from `i` on, joined by single spaces; `i` is left after them.
std::string joinedStyle(const BuiltinArgs& args, int& i) {
  std::string style;
  for (bool first = true; i < args.count() && isText(args, i); ++i, first = false) {
    if (!first) style += ' ';
    style += args.value(i).toString();
  }
  return style;
}

// Sample points of a function plot: two limits give this many points, both included.
constexpr int kFunctionSamples = 501;

// A function reference (argument 0) sampled over argument 1 (two limits, or the sample
// points themselves) and plotted as a curve with `style`.
int plotFunction(const BuiltinArgs& args, const std::string& style, int mode) {
  std::unique_ptr<FunctionArgument> f = functionArgument(args, 0, "requires a function argument");
  f->requireSingleParameter();
  if (args.count() < 2) args.fail("invalid argument");
  std::vector<double> xs;
  if (args.value(1).size == 2) {
    Range r = finiteRange(args, 1);
    for (int i = 0; i < kFunctionSamples; ++i)
      xs.push_back(r.lower + (r.upper - r.lower) * i / (kFunctionSamples - 1));
    xs.back() = r.upper;
  } else {
    xs = numbersOf(args, 1);
  }
  DoubleValue points, values;
  double* p = shapeDoubles(points, 1, static_cast<int64_t>(xs.size()));
  std::copy(xs.begin(), xs.end(), p);
  f->over(points, values);
  return plotCurve(std::move(xs), doublesOf(values), style, mode);
}

// The function form of plot: a reference, a range and style strings only.
void plotFunctionForm(BuiltinArgs& args, Value& result, int mode, bool fill) {
  int numeric = 0;
  for (int i = 1; i < args.count(); ++i) {
    if (!isText(args, i)) ++numeric;
  }
  if (numeric > 1) checkFailed("plot", "too many arguments");
  int i = 2;
  std::string style = joinedStyle(args, i);
  if (i < args.count()) checkFailed("plot", "style argument must be a string");
  if (args.count() >= 2 && isText(args, 1)) checkFailed("plot", "invalid argument");
  result.assignInt(plotFunction(args, fill ? fillStyle(style) : style, mode));
}

// plot and its relatives: groups of (y), (x, y), each followed by style strings; a lone
// two-element number at the end sets the y limits.
void plotGroups(BuiltinArgs& args, Value& result, int mode, bool fill) {
  Frame& frame = frameOnDemand();
  FixGuard keepFix(frame);
  if (args.isFunction(0)) {
    plotFunctionForm(args, result, mode, fill);
    return;
  }
  std::vector<int> ids;
  int i = 0;
  while (i < args.count()) {
    const Value& a = args.value(i);
    if (a.isChar()) checkFailed("plot", "invalid argument");
    int next = i + 1;
    if (next == args.count() && i > 0) {
      if (a.size != 2) checkFailed("plot", "missing y data");
      std::vector<double> limits = doublesOf(a);
      axisNumbers(limits);
      break;
    }
    values::IntValue noX;
    const Value* x = &noX;
    const Value* y = &a;
    if (next < args.count() && !isText(args, next)) {
      x = &a;
      y = &args.value(next);
      ++next;
    }
    int after = next;
    std::string style = joinedStyle(args, after);
    if (x == &noX && after < args.count()) checkFailed("plot", "missing y data");
    if (fill) style = fillStyle(style);
    for (int id : plotXY(*x, *y, style, mode)) ids.push_back(id);
    i = after;
  }
  assignIds(result, ids);
}

void plot(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  plotGroups(args, result, kLinear, false);
}

void semilogy(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  plotGroups(args, result, kLogY, false);
}

void semilogx(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  plotGroups(args, result, kLogX, false);
}

void loglog(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  plotGroups(args, result, kLogLog, false);
}

void fill(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  plotGroups(args, result, kLinear, true);
}

// fplot(\f, range, style): the function over 501 points from the lower to the upper
// limit, or over the given sample points.
void fplot(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  std::string style;
  if (args.count() == 3) {
    if (!isText(args, 2)) checkFailed("fplot", "style argument must be a string");
    style = args.value(2).toString();
  }
  result.assignInt(plotFunction(args, style, kLinear));
}

// qplot(m): column 2 against column 1 of a two-column matrix, or row 2 against row 1.
int qplot(const Value& m) {
  if (m.valueType() == values::LIST_VAL) checkFailed("qplot", "invalid use of a list");
  if (m.valueType() == values::COMPLEX_VAL)
    checkFailed("qplot", "plot function requires real numbers");
  std::vector<double> d = doublesOf(m);
  std::vector<double> xs, ys;
  if (m.ncol() == 2) {
    xs.assign(d.begin(), d.begin() + m.nrow);
    ys.assign(d.begin() + m.nrow, d.end());
  } else if (m.nrow == 2) {
    for (size_t k = 0; k + 1 < d.size(); k += 2) {
      xs.push_back(d[k]);
      ys.push_back(d[k + 1]);
    }
  } else {
    checkFailed("qplot", "requires either 2 rows or 2 columns");
  }
  return plotCurve(std::move(xs), std::move(ys), "", kLinear);
}

// errbar(x, y, dy): error bars of one common dy or one dy per point.
void errbar(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  std::vector<double> xs = doublesOf(args.value(0));
  std::vector<double> ys = doublesOf(args.value(1));
  std::vector<double> dys = doublesOf(args.value(2));
  if (xs.size() != ys.size()) checkFailed("errorbars", "x and y data have different sizes");
  if (dys.size() != 1 && dys.size() != xs.size())
    checkFailed("errorbars", "wrong number of dy values");
  // The limits take in the whole bars, not only their centres.
  std::vector<double> ends;
  for (size_t i = 0; i < ys.size(); ++i) {
    double dy = std::fabs(dys.size() == 1 ? dys[0] : dys[i]);
    ends.push_back(ys[i] - dy);
    ends.push_back(ys[i] + dy);
  }
  Frame& frame = prepareFrame("errorbars", kLinear, xs, ends);
  double common = dys.size() == 1 ? dys[0] : 0;
  if (dys.size() == 1) dys.clear();
  auto bars = std::make_unique<graphics::ErrorBars>(std::move(xs), std::move(ys), std::move(dys),
                                                    common, graphics::kErrorBarsStyle);
  result.assignInt(addAndShow(frame, std::move(bars)));
}

// The common bar width when none is given: 0.8 of the smallest gap between bars (0.8 for
// a single bar), so that neighbouring bars stand apart.
constexpr double kBarWidthShare = 0.8;

double defaultBarWidth(std::vector<double> xs) {
  std::sort(xs.begin(), xs.end());
  double gap = 0;
  for (size_t i = 1; i < xs.size(); ++i) {
    double d = xs[i] - xs[i - 1];
    if (d > 0 && std::isfinite(d) && (gap == 0 || d < gap)) gap = d;
  }
  return kBarWidthShare * (gap > 0 ? gap : 1);
}

// barchart(x, heights, widths or style): the third argument is a style when it is a
// string, else one common width or one width per bar.
void barchart(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  std::vector<double> xs = doublesOf(args.value(0));
  std::vector<double> hs = doublesOf(args.value(1));
  if (xs.size() != hs.size()) checkFailed("barchart", "x and y have different sizes");
  std::string style(graphics::kBarChartStyle);
  std::vector<double> widths;
  double common = defaultBarWidth(xs);
  if (args.count() == 3 && args.value(2).isChar()) {
    style = args.value(2).toString();
  } else if (args.count() == 3) {
    widths = doublesOf(args.value(2));
    if (widths.size() == 1) {
      common = widths[0];
      widths.clear();
    } else if (widths.size() != xs.size()) {
      checkFailed("barchart", "width array has the wrong size");
    }
  }
  // The limits take in the whole bars and their base line y = 0.
  std::vector<double> xEnds, yEnds{0};
  for (size_t i = 0; i < xs.size(); ++i) {
    double half = std::fabs(widths.empty() ? common : widths[i]) / 2;
    xEnds.push_back(xs[i] - half);
    xEnds.push_back(xs[i] + half);
    yEnds.push_back(hs[i]);
  }
  Frame& frame = prepareFrame("barchart", kLinear, xEnds, yEnds);
  auto bars = std::make_unique<graphics::BarChart>(std::move(xs), std::move(hs), common,
                                                   std::move(widths), style);
  result.assignInt(addAndShow(frame, std::move(bars)));
}

// circle([x, y, r], style) or circle([x, y], r). The second argument arrives as doubles;
// a style string keeps its string kind.
void circle(Value& first, const Value* second, Value& result) {
  std::vector<double> a = doublesOf(first);
  double r = 0;
  std::string style;
  if (second != nullptr && !second->isChar()) {
    if (a.size() != 2) checkFailed("circle", "xy argument must have size 2");
    if (second->size != 1) checkFailed("circle", "xyr argument must have size 3");
    r = second->getDouble();
  } else {
    if (a.size() != 3) checkFailed("circle", "xyr argument must have size 3");
    r = a[2];
    if (second != nullptr) style = second->toString();
  }
  Frame& frame = frameOnDemand();
  auto c = std::make_unique<graphics::MyCircle>(a[0], a[1], r, style);
  int id = frame.addItem(std::move(c));
  frame.showItem(static_cast<size_t>(id % graphics::kItemIdFrameFactor));
  result.assignDouble(id);
}

// A label text longer than two characters holding a backslash is shown literally.
std::string labelText(std::string text) {
  if (text.size() > 2 && text.find('\\') != std::string::npos && text.compare(0, 2, "{;") != 0)
    text = "{;" + text;
  return text;
}

// text(x, y, text, placement, style) or text([x, y], text, placement, style).
void text(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  const Value& at = args.value(0);
  double x = 0, y = 0;
  int next = 1;
  if (at.isChar() || (at.size != 1 && at.size != 2)) {
    checkFailed("text", "coords neither scalar nor size 2");
  }
  if (at.size == 2) {
    std::vector<double> xy = doublesOf(at);
    x = xy[0];
    y = xy[1];
  } else {
    const Value& second = args.value(1);
    if (second.isChar()) checkFailed("text", "missing text or muddled x placement");
    if (second.size == 2) checkFailed("text", "text(id,xy) not yet implemented. Maybe try replot?");
    if (second.size != 1) checkFailed("text", "non-scalar y");
    x = at.getDouble();
    y = second.getDouble();
    next = 2;
  }
  // The text, then optional placement and style strings, and nothing else.
  if (next >= args.count() || args.count() - next > 3) {
    checkFailed("text", "missing text or muddled x placement");
  }
  for (int i = next; i < args.count(); ++i) {
    if (!args.value(i).isChar()) checkFailed("text", "missing text or muddled x placement");
  }
  std::string placement = next + 1 < args.count() ? args.value(next + 1).toString() : "";
  std::string style = next + 2 < args.count() ? args.value(next + 2).toString() : "";
  Frame& frame = frameOnDemand();
  size_t before = frame.itemCount();
  int id = frame.addItem(std::make_unique<graphics::TextLabel>(
      x, y, labelText(args.value(next).toString()), placement, style));
  // A label that replaced another has already been shown.
  if (frame.itemCount() > before) frame.showItem(static_cast<size_t>(id % graphics::kItemIdFrameFactor));
  result.assignInt(id);
}

// title, xlabel, ylabel: one of the frame's titles, with an optional style; gives the text.
void setMainLabel(BuiltinArgs& args, Value& result, graphics::TextLabel graphics::MainLabels::*which) {
  Frame& frame = frameOnDemand();
  std::string text = args.value(0).toString();
  graphics::TextLabel& label = frame.mainLabels().*which;
  label.text = text;
  graphics::PlotStyle style;
  style.colour = graphics::kLabelColour;
  style.width = graphics::kLabelFontSize;
  if (args.count() == 2) graphics::applyStyleString(args.value(1).toString(), style);
  label.style = style;
  frame.showAgain();
  result.assignString(text);
}

void title(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  setMainLabel(args, result, &graphics::MainLabels::title);
}

void xlabel(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  setMainLabel(args, result, &graphics::MainLabels::xLabel);
}

void ylabel(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  setMainLabel(args, result, &graphics::MainLabels::yLabel);
}

// Where the fit's text lines stand, in fractions of the frame, and how far apart: the
// first line stands below the title, which a long "a = " line would otherwise cross.
constexpr double kFitTextX = 0.13;
constexpr double kFitTextTop = 0.85;
constexpr double kFitTextStep = 0.06;

}  // namespace

void showLineFit(const std::vector<double>& x, const std::vector<double>& y, double a, double b,
                 const std::vector<std::string>& lines) {
  FixGuard keepFix(frameOnDemand());
  plotCurve(x, y, "b+", kLinear);
  double lo = 0, hi = 0;
  finiteRange(x, lo, hi);
  Frame& frame = frameOnDemand();
  frame.fix = true;
  plotCurve({lo, hi}, {a + b * lo, a + b * hi}, "r", kLinear);
  frame.mainLabels().title.text = "Data and fitted line y = a + b x";
  double at = kFitTextTop;
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    frame.addItem(std::make_unique<graphics::TextLabel>(kFitTextX, at, line, "e", "", true));
    at -= kFitTextStep;
  }
  frame.showAgain();
}

namespace {

constexpr BuiltinKind kGeneral = BuiltinKind::General;

constexpr BuiltinEntry kEntries[] = {
    {"plot", kGeneral, kIntResult, plot, 1, kNoUpperBound},
    {"loglog", kGeneral, kIntResult, loglog, 1, kNoUpperBound},
    {"semilogx", kGeneral, kIntResult, semilogx, 1, kNoUpperBound},
    {"semilogy", kGeneral, kIntResult, semilogy, 1, kNoUpperBound},
    {"errbar", kGeneral, kIntResult, errbar, 3, 3},
    {"barchart", kGeneral, kIntResult, barchart, 2, 3},
    {"text", kGeneral, kIntResult, text, 2, 5},
    {"title", kGeneral, kIntResult, title, 1, 2},
    {"xlabel", kGeneral, kIntResult, xlabel, 1, 2},
    {"ylabel", kGeneral, kIntResult, ylabel, 1, 2},
    {"fill", kGeneral, kIntResult, fill, 2, kNoUpperBound},
    {"fplot", kGeneral, kIntResult, fplot, 1, 3},
    {"qplot", BuiltinKind::ValueToScalar, kIntResult, qplot},
    {"circle", BuiltinKind::TwoArg, kDoubleResult, circle},
};

}  // namespace

void registerPlotCommands(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
