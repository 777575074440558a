// The figure built-ins: figure, close, subplot, figpos, wipe, axis, replot, replot_move,
// fix, unfix, update, grid, useColour and print (a figure written as SVG or PNG).
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "builtins/families.h"
#include "builtins/plot_support.h"
#include "builtins/routine_support.h"
#include "files/path_list.h"
#include "graphics/axis_ticks.h"
#include "graphics/colour_table.h"
#include "graphics/plotables.h"
#include "graphics/svg_export.h"
#include "values/math_kernels.h"
#include "values/value.h"

namespace zirbin::builtins {

namespace {

using graphics::Figure;
using graphics::figures;
using graphics::Frame;
using session::checkFailed;

// ---- figure, close

// figure(n), n in -1..128; an empty argument opens the lowest free number.
int figure(const Value& v) {
  if (v.size == 0) return figures().figure(0);
  double n = v.size == 1 ? v.getDouble() : NAN;
  if (!(n >= -1 && n <= graphics::kMaxFigureNumber))
    checkFailed("figure", "number must be between 0 and 128");
  return figures().figure(static_cast<int>(n));
}

int close(int n) { return figures().close(n); }

// ---- subplot

// Every number of a subplot argument is below this.
constexpr double kSubplotLimit = 101;

// A standard layout: up to `maxFrames` frames stand in `cols` columns and `rows` rows
// (rows 0: (n + 4) div 4 rows, for more than 16 frames).
struct StandardLayout {
  int maxFrames;
  int cols;
  int rows;
};

constexpr StandardLayout kLayouts[] = {
    {1, 1, 1}, {2, 1, 2}, {3, 1, 3}, {4, 2, 2}, {6, 2, 3}, {9, 3, 3}, {12, 3, 4}, {16, 4, 4},
};
constexpr int kWideLayoutCols = 4;

// Cell k (1-based, row by row from the top left) of a grid of rows x cols.
graphics::Placement gridCell(int rows, int cols, int k) {
  return {static_cast<double>((k - 1) % cols) / cols, static_cast<double>(rows - 1 - (k - 1) / cols) / rows,
          1.0 / cols, 1.0 / rows};
}

[[noreturn]] void badSubplot() { checkFailed("subplot", "invalid specification"); }

// Cell k of the standard layout for n frames. Cells beyond the layout are refused.
graphics::Placement standardCell(int k, int n) {
  int cols = kWideLayoutCols, rows = (n + 4) / 4;
  for (const StandardLayout& layout : kLayouts) {
    if (n <= layout.maxFrames) {
      cols = layout.cols;
      rows = layout.rows;
      break;
    }
  }
  if (k < 1 || k > cols * rows) badSubplot();
  return gridCell(rows, cols, k);
}

// subplot(k), subplot([k, n]), subplot([rows, cols, k]), subplot([x0, x1, y0, y1]).
// Sizes and cells outside their grid, and empty rectangles, are refused as invalid.
int subplot(const Value& v) {
  std::vector<double> s = doublesOf(v);
  for (double d : s) {
    if (!(d < kSubplotLimit) || !std::isfinite(d)) badSubplot();
  }
  if (s.size() > 4) checkFailed("subplot", "too many parameters");
  if (s.empty()) badSubplot();
  Figure& fig = figureOnDemand();
  graphics::Placement place;
  if (s.size() == 1) {
    double k = s[0];
    if (k >= 1 && k <= static_cast<double>(fig.frameCount()))
      fig.setCurrentFrame(static_cast<size_t>(k) - 1);
    return static_cast<int>(fig.currentFrameIndex()) + 1;
  }
  if (s.size() == 2) {
    if (s[1] < 0) badSubplot();
    place = standardCell(static_cast<int>(s[0]), static_cast<int>(s[1]));
  } else if (s.size() == 3) {
    int rows = static_cast<int>(s[0]), cols = static_cast<int>(s[1]), k = static_cast<int>(s[2]);
    if (rows < 1 || cols < 1 || k < 1 || k > rows * cols) badSubplot();
    place = gridCell(rows, cols, k);
  } else {
    if (!(s[1] > s[0]) || !(s[3] > s[2])) badSubplot();
    place = {s[0], s[2], s[1] - s[0], s[3] - s[2]};
  }
  return static_cast<int>(fig.selectFrame(place)) + 1;
}

// ---- figpos, wipe

// figpos([x, y, w, h]): places the window; gives the figure number.
void figpos(Value& argument, Value& result) {
  std::vector<double> s = doublesOf(argument);
  if (s.size() > 4) checkFailed("figpos", "too many parameters");
  if (s.size() < 4) checkFailed("figpos", "invalid specification");
  Figure& fig = figureOnDemand();
  fig.place(s[0], s[1], s[2], s[3]);
  result.assignInt(fig.number());
}

// wipe([]), wipe(c), wipe([n, c]): clears every frame, or frame n, with the colour of
// letter c; gives the letter (empty without one).
void wipe(Value& argument, Value& result) {
  std::vector<double> s = doublesOf(argument);
  if (s.size() > 2) checkFailed("wipe", "invalid number of parameters");
  Figure& fig = figureOnDemand();
  if (s.empty()) {
    fig.wipe(-2, graphics::kWhite);
    result.assignString("");
    return;
  }
  char letter = static_cast<char>(values::truncateToInt(s.back()));
  graphics::Rgb colour = graphics::colourTable().colourOf(letter);
  if (s.size() == 1) {
    fig.wipe(-1, colour);
  } else {
    double n = s[0];
    // Frame numbers count from 1; anything else names no frame.
    if (!(n >= 1) || !fig.wipe(static_cast<int>(std::min(n, 1e9)) - 1, colour))
      checkFailed("wipe", "invalid subplot number");
  }
  result.assignString(std::string(1, letter));
}

// ---- axis

// Mode bits of `axis`: the AxisTicks item shown, equal scales, the plot-area box hidden,
// the plot area taking the whole frame.
constexpr int kAxisVisible = 0x001;
constexpr int kAxisEqual = 0x100;
constexpr int kAxisNoBox = 0x200;
constexpr int kAxisFull = 0x400;

struct AxisWord {
  const char* word;
  int mode;
};
constexpr AxisWord kAxisWords[] = {
    {"on", kAxisVisible},
    {"off", 0},
    {"equal", kAxisEqual | kAxisVisible},
    {"full", kAxisFull | kAxisVisible},
};

graphics::AxisTicks& ticksOf(Frame& frame) {
  if (graphics::AxisTicks* t = frame.axisTicks()) return *t;
  frame.addItem(std::make_unique<graphics::AxisTicks>(graphics::kAxisDefaultMode,
                                                      graphics::kAxisDefaultMode));
  return *frame.axisTicks();
}

void applyMode(Frame& frame, int m) {
  ticksOf(frame).visible = (m & kAxisVisible) != 0;
  if (m != 0) {
    frame.equal = (m & kAxisEqual) != 0;
    frame.item(0).visible = (m & kAxisNoBox) == 0;
    if (m & kAxisFull) frame.setPlotArea(0, 0, 1, 1);
  }
  frame.computeMapping();
}

// The current frame for `axis`: a new figure gets axes and keeps its limits fixed.
Frame& axisFrame() {
  bool fresh = figures().current() == nullptr;
  Frame& frame = frameOnDemand();
  if (fresh) {
    ticksOf(frame);
    frame.fix = true;
  }
  return frame;
}

bool increasing(double lo, double hi) { return std::isfinite(lo) && std::isfinite(hi) && lo < hi; }

// The axis mode words of [xbits, ybits, mode]; a bit 0x400 gives the plot area the whole
// frame in that direction.
void applyModeWords(Frame& frame, int xBits, int yBits) {
  graphics::AxisTicks* t = frame.axisTicks();
  if (t == nullptr && (xBits != 0 || yBits != 0)) {
    frame.addItem(std::make_unique<graphics::AxisTicks>(xBits, yBits));
    t = frame.axisTicks();
  }
  if (t != nullptr) {
    t->xMode = xBits;
    t->yMode = yBits;
  }
  if (xBits & graphics::kAxisFullFrame) frame.setPlotArea(0, 0, 1, 0);
  if (yBits & graphics::kAxisFullFrame) frame.setPlotArea(0, 0, 0, 1);
}

// The current frame's limits as [xmin, xmax, ymin, ymax].
void assignLimits(const Frame& frame, Value& result) {
  double* out = shapeDoubles(result, 1, 4);
  out[0] = frame.xmin();
  out[1] = frame.xmax();
  out[2] = frame.ymin();
  out[3] = frame.ymax();
}

void axisWord(const std::string& word) {
  for (const AxisWord& w : kAxisWords) {
    if (word == w.word) {
      Frame& frame = axisFrame();
      applyMode(frame, w.mode);
      frame.showAgain();
      return;
    }
  }
  checkFailed("axis", "unrecognized string");
}

// axis([]) gives the limits; axis(word), axis(numbers) or axis(n1, ..., n4) change the
// axes; every form gives the limits afterwards.
void axis(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  const Value& first = args.value(0);
  if (args.count() == 1 && first.size == 0) {
    if (figures().current() == nullptr) checkFailed("axis", "there is no open figure");
  } else if (args.count() == 1 && first.isChar()) {
    axisWord(first.toString());
  } else {
    std::vector<double> limits;
    if (args.count() == 1) {
      limits = doublesOf(first);
    } else {
      for (int i = 0; i < args.count(); ++i) {
        if (args.value(i).size != 1) checkFailed("axis", "non-scalar argument(s)");
        limits.push_back(args.value(i).getDouble());
      }
    }
    axisNumbers(limits);
  }
  assignLimits(figures().current()->currentFrame(), result);
}

// ---- replot, replot_move

// An item named by its id: the frame (id div 65536) and the item's index.
struct ItemRef {
  size_t frame;
  size_t index;
};

// The item `id` names in `fig`, or nothing.
std::optional<ItemRef> findItem(const Figure& fig, double id) {
  if (!(id >= 0) || !std::isfinite(id)) return std::nullopt;
  auto whole = static_cast<long long>(id);
  auto frame = static_cast<size_t>(whole / graphics::kItemIdFrameFactor);
  auto index = static_cast<size_t>(whole % graphics::kItemIdFrameFactor);
  if (frame >= fig.frameCount() || index >= fig.frame(frame).itemCount()) return std::nullopt;
  return ItemRef{frame, index};
}

// The position of replot's new data for a point or text: (x, y) as two scalars or one
// vector of two; false when the data have another form.
bool newPosition(const BuiltinArgs& args, double& x, double& y) {
  if (args.count() == 3 && args.value(1).size == 1 && args.value(2).size == 1) {
    x = args.value(1).getDouble();
    y = args.value(2).getDouble();
    return true;
  }
  if (args.count() == 2 && args.value(1).size == 2) {
    std::vector<double> xy = doublesOf(args.value(1));
    x = xy[0];
    y = xy[1];
    return true;
  }
  return false;
}

// New samples for a curve: (x, y), or y alone over the curve's x.
void replaceCurveData(const BuiltinArgs& args, graphics::Curve& curve) {
  std::vector<double> ys = doublesOf(args.value(args.count() - 1));
  std::vector<double> xs = args.count() == 3 ? doublesOf(args.value(1)) : curve.xs;
  if (xs.size() != ys.size()) checkFailed("replot", "non-matching x,y sizes");
  auto* bars = dynamic_cast<graphics::ErrorBars*>(&curve);
  if (bars != nullptr && !bars->dys.empty() && bars->dys.size() != xs.size())
    checkFailed("replot", "non-matching x,y sizes");
  curve.setData(std::move(xs), std::move(ys));
}

// The item gets new data by its kind.
void replaceItemData(const BuiltinArgs& args, graphics::Plotable& item) {
  for (int i = 1; i < args.count(); ++i) {
    if (args.value(i).isChar()) checkFailed("replot", "invalid syntax");
  }
  double x = 0, y = 0;
  switch (item.kind()) {
    case graphics::kKindCurve:
      replaceCurveData(args, static_cast<graphics::Curve&>(item));
      return;
    case graphics::kKindPoint:
    case graphics::kKindText:
      if (!newPosition(args, x, y)) {
        checkFailed("replot", item.kind() == graphics::kKindPoint
                                  ? "x,y must be scalar for a single point"
                                  : "invalid syntax");
      }
      item.x = x;
      item.y = y;
      return;
    case graphics::kKindBox: {
      if (args.count() != 2 || args.value(1).size != 4)
        checkFailed("replot", "a box must be indicated by [x,y,w,h]");
      std::vector<double> b = doublesOf(args.value(1));
      auto& box = static_cast<graphics::Box&>(item);
      box.x = b[0];
      box.y = b[1];
      box.w = b[2];
      box.h = b[3];
      return;
    }
    default:
      checkFailed("replot", "the plot item is not a curve, point, box or text");
  }
}

// replot(): every frame again; replot(f): frame f current and again; replot(id, style):
// a new style for the item; replot(id, data...): new data for the item.
void replot(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  Figure* fig = figures().current();
  if (fig == nullptr) checkFailed("replot", "there is no figure");
  if (args.count() == 0) {
    fig->showAgain();
    result.assignInt(fig->number());
    return;
  }
  const Value& idValue = args.value(0);
  if (idValue.size != 1) checkFailed("replot", "non-scalar id");
  double id = idValue.getDouble();
  if (args.count() == 1) {
    if (!(id >= 1 && id <= static_cast<double>(fig->frameCount())))
      checkFailed("replot", "invalid frame id");
    fig->setCurrentFrame(static_cast<size_t>(id) - 1);
    fig->currentFrame().showAgain();
    result.assignInt(static_cast<int>(id));
    return;
  }
  std::optional<ItemRef> ref = findItem(*fig, id);
  if (!ref) checkFailed("replot", "id not recognized");
  fig->setCurrentFrame(ref->frame);
  Frame& frame = fig->currentFrame();
  graphics::Plotable& item = frame.item(ref->index);
  if (args.count() == 2 && args.value(1).isChar()) {
    if (!item.setStyleString(args.value(1).toString())) checkFailed("replot", "failed");
  } else {
    replaceItemData(args, item);
  }
  frame.showAgain();
  result.assignInt(static_cast<int>(id));
}

// replot_move(ids, [dx, dy]): moves each item; gives the ids.
void replotMove(Value& first, const Value* second, Value& result) {
  if (second == nullptr || second->size != 2 || first.size == 0)
    checkFailed("replot_move", "missing id or invalid dxy");
  Figure& fig = figures().requireCurrent();
  std::vector<double> d = doublesOf(*second);
  std::vector<ItemRef> refs;
  for (double id : doublesOf(first)) {
    std::optional<ItemRef> ref = findItem(fig, id);
    if (!ref) checkFailed("replot_move", "missing id or invalid dxy");
    refs.push_back(*ref);
  }
  for (const ItemRef& r : refs) fig.frame(r.frame).item(r.index).move(d[0], d[1]);
  for (const ItemRef& r : refs) fig.frame(r.frame).showAgain();
  copyUnlessSame(first, result);
}

// ---- fix, unfix, update, grid

double fix() {
  Frame& frame = frameOnDemand();
  bool was = frame.fix;
  frame.fix = true;
  return was ? 1 : 0;
}

double unfix() {
  Frame& frame = frameOnDemand();
  bool was = frame.fix;
  frame.fix = false;
  return was ? 1 : 0;
}

double update() {
  if (Figure* fig = figures().current()) {
    fig->showAgain();
    fig->pumpMessages();
  }
  pumpFigureEvents();
  return 1;
}

int grid(int level) {
  Frame& frame = frameOnDemand();
  frame.xTicks().gridLevel = level;
  frame.yTicks().gridLevel = level;
  frame.showAgain();
  return level;
}

// ---- useColour, print

// useColour([r, g, b]) defines the letter "u", useColour([r, g, b, a]) the letter "U"
// (the fourth value is not used); gives the letter.
void useColour(Value& argument, Value& result) {
  std::vector<double> c = doublesOf(argument);
  if (c.size() != 3 && c.size() != 4) checkFailed("useColour", "rgb must be 3 or 4 values");
  auto channel = [](double x) { return values::truncateToInt(x) & 0xff; };
  char letter = c.size() == 3 ? 'u' : 'U';
  graphics::colourTable().set(letter, graphics::rgb(channel(c[0]), channel(c[1]), channel(c[2])));
  result.assignString(std::string(1, letter));
}

// print(name): the current figure as SVG, PNG or PDF by the name's extension (".svg" added
// when it has none); gives the full path. The figure and the extension are checked first,
// so that a failed print leaves no empty file.
void print(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  Figure& fig = figures().requireCurrent();
  files::PathList paths;
  std::string path = paths.resolveFile(args.value(0).toString(), false, "svg", "print");
  graphics::printFigure(fig, path);
  result.assignString(path);
}

constexpr BuiltinEntry kEntries[] = {
    {"close", BuiltinKind::ElementWise, kIntResult, close},
    {"grid", BuiltinKind::ElementWise, kIntResult, grid},
    {"replot_move", BuiltinKind::TwoArg, kDoubleResult, replotMove},
    {"fix", BuiltinKind::NoArgScalar, kDoubleResult, fix},
    {"unfix", BuiltinKind::NoArgScalar, kDoubleResult, unfix},
    {"update", BuiltinKind::NoArgScalar, kDoubleResult, update},
    {"figure", BuiltinKind::ValueToScalar, kIntResult, figure},
    {"subplot", BuiltinKind::ValueToScalar, kIntResult, subplot},
    {"figpos", BuiltinKind::ValueToValue, kIntResult, figpos},
    {"wipe", BuiltinKind::ValueToValue, kIntResult, wipe},
    {"useColour", BuiltinKind::ValueToValue, kIntResult, useColour},
    {"replot", BuiltinKind::General, kIntResult, replot, 0, 3},
    {"print", BuiltinKind::General, kIntResult, print, 1, 1},
    {"axis", BuiltinKind::General, kDoubleResult, axis, 1, 4},
};

}  // namespace

void axisNumbers(const std::vector<double>& limits) {
  size_t n = limits.size();
  if (n == 0 || n > 4) checkFailed("axis", "does not take " + std::to_string(n) + " arguments");
  bool valid = true;
  for (double d : limits) valid = valid && std::isfinite(d);
  if (n == 2) valid = valid && increasing(limits[0], limits[1]);
  if (n == 4) valid = valid && increasing(limits[0], limits[1]) && increasing(limits[2], limits[3]);
  if (!valid) checkFailed("axis", "invalid axis limits");
  Frame& frame = axisFrame();
  auto word = [](double d) { return values::truncateToInt(d); };
  switch (n) {
    case 1: applyMode(frame, word(limits[0])); break;
    case 2: frame.setExactYLimits(limits[0], limits[1]); break;
    case 3:
      applyModeWords(frame, word(limits[0]), word(limits[1]));
      applyMode(frame, word(limits[2]));
      break;
    default: frame.setExactLimits(limits[0], limits[1], limits[2], limits[3]); break;
  }
  frame.showAgain();
}

void registerFigureCommands(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
