// The frame: mapping, automatic limits, items and the drawing pass.
#include "graphics/frame.h"

#include <algorithm>
#include <cmath>

#include "base/errors.h"
#include "base/run_context.h"
#include "graphics/figure.h"
#include "graphics/graphics_state.h"

namespace zirbin::graphics {

namespace {

// Rounds v to n significant digits; 0 stays 0.
double roundToDigits(double v, int n) {
  if (v == 0 || !std::isfinite(v)) return v;
  int e = static_cast<int>(std::floor(std::log10(std::fabs(v))));
  double scale = std::pow(10.0, n - 1 - e);
  return std::copysign(std::round(std::fabs(v) * scale) / scale, v);
}

AxisRange linearLimits(double lo, double hi, int n) {
  if (n == 2) {
    double d = (hi - lo) * 0.1;
    if (std::fabs(lo) > (hi - lo) * 0.01) lo -= d;
    if (std::fabs(hi) > (hi - lo) * 0.01) hi += d;
  }
  double tol = std::pow(10.0, 1 - n) * (hi - lo);
  double rlo = roundToDigits(lo, n);
  double rhi = roundToDigits(hi, n);
  if (lo > rlo && lo - rlo < tol) lo = rlo;
  if (rhi > hi && rhi - hi < tol) hi = rhi;
  if (lo * hi > 0 && hi - lo > 2 * std::min(std::fabs(lo), std::fabs(hi))) {
    if (lo > 0) {
      lo = 0;
    } else {
      hi = 0;
    }
  }
  if (!(hi > lo)) {
    double w = std::pow(10.0, -n);
    double oldLo = lo;
    lo -= w * (oldLo + 1) / 2;
    hi += w * (oldLo + 1) / 2;
  }
  return {lo, hi};
}

AxisRange logLimits(double lo, double hi, int n) {
  if (n == 2 && lo > 0 && hi / lo > 2) {
    hi *= 1.1;
    lo /= 1.1;
  }
  if (hi <= 0) return {0.1, 1.0};
  if (lo <= 0) return {hi * 1e-10, hi * 1.1};
  if (hi / lo < 5) {
    double l = lo / 1.3;
    double h = 1.3 * hi;
    return {std::min(roundToDigits(l, 1), l), std::max(roundToDigits(h, 1), h)};
  }
  return {std::pow(10.0, std::floor(std::log10(lo))), std::pow(10.0, std::ceil(std::log10(hi)))};
}

// The axis variable of a value: itself, or its natural logarithm on a logarithmic axis
// (NaN for a value that is not positive, which then has no position).
double axisVariable(double v, bool linear) {
  if (linear) return v;
  return v > 0 ? std::log(v) : std::nan("");
}

int toPixel(double p) {
  if (std::isnan(p)) return kNoPixel;
  return static_cast<int>(std::clamp(p, -double(kPixelLimit), double(kPixelLimit)));
}

// Scale and offset of one axis from its limits (replacing non-positive logarithmic limits)
// and pixel ends.
void mapAxis(double& lo, double& hi, bool linear, int p0, int p1, double& scale, double& offset) {
  if (!linear) {
    if (hi <= 0) hi = 1e-10;
    if (lo <= 0) lo = hi / 1e10;
  }
  double a = axisVariable(lo, linear);
  double b = axisVariable(hi, linear);
  double span = b - a;
  // Equal limits (only possible through exact limits) would divide by zero.
  if (!(span != 0) || !std::isfinite(span)) span = 1;
  scale = (p1 - p0) / span;
  offset = (p0 * b - p1 * a) / span;
  if (!std::isfinite(offset)) offset = p0;
}

}  // namespace

AxisRange autoLimits(double lo, double hi, int n, bool logarithmic) {
  return logarithmic ? logLimits(lo, hi, n) : linearLimits(lo, hi, n);
}

Frame::Frame(Figure& figure, Placement placement, int number)
    : figure_(&figure), placement_(placement), number_(number) {
  yTicks_.vertical = true;
  figure.writer().setSize(kFrameFontSize);
  items_.push_back(std::make_unique<BoxRel>(plotArea_.x, plotArea_.y, plotArea_.w, plotArea_.h));
  computeMapping();
}

Frame::~Frame() = default;

TextWriter& Frame::writer() const { return figure_->writer(); }

void Frame::setPlotArea(double x, double y, double w, double h) {
  ZB_ASSERT(!items_.empty(), "bug? in Frame::setPlotArea: empty plotable[]");
  if (w != 0 && h != 0) {
    plotArea_ = {x, y, w, h};
  } else if (h != 0) {
    plotArea_.y = y;
    plotArea_.h = h;
  } else if (w != 0) {
    plotArea_.x = x;
    plotArea_.w = w;
  }
  auto& box = static_cast<BoxRel&>(*items_[0]);
  box.x = plotArea_.x;
  box.y = plotArea_.y;
  box.w = plotArea_.w;
  box.h = plotArea_.h;
  computeMapping();
}

void Frame::setLimits(double xmin, double xmax, double ymin, double ymax) {
  AxisRange x = autoLimits(xmin, xmax, 3, !xLinear());
  AxisRange y = autoLimits(ymin, ymax, 2, !yLinear());
  setExactLimits(x.lo, x.hi, y.lo, y.hi);
}

void Frame::setExactLimits(double xmin, double xmax, double ymin, double ymax) {
  xmin_ = xmin;
  xmax_ = xmax;
  setExactYLimits(ymin, ymax);
}

void Frame::setExactYLimits(double ymin, double ymax) {
  ymin_ = ymin;
  ymax_ = ymax;
  computeMapping();
}

void Frame::setLogarithmic(bool xLog, bool yLog) {
  xTicks_.linear = !xLog;
  yTicks_.linear = !yLog;
}

void Frame::computeMapping() {
  const PixelRect& c = figure_->clientRect();
  double width = c.right - c.left;
  double height = c.top - c.bottom;  // negative: rows grow downward
  const Placement& f = placement_;
  const Placement& a = plotArea_;
  int p0 = static_cast<int>(c.left + (f.x + f.w * a.x) * width);
  int p1 = static_cast<int>(c.left + (f.x + f.w * (a.x + a.w)) * width);
  int q0 = static_cast<int>(c.bottom + (f.y + f.h * a.y) * height);
  int q1 = static_cast<int>(c.bottom + (f.y + f.h * (a.y + a.h)) * height);
  mapAxis(xmin_, xmax_, xLinear(), p0, p1, xScale_, xOffset_);
  mapAxis(ymin_, ymax_, yLinear(), q0, q1, yScale_, yOffset_);
  if (equal) {
    double sx = xScale_;
    double sy = yScale_;
    double m = std::min(sx, -sy);
    xScale_ = m;
    yScale_ = -m;
    xOffset_ += (xmax_ + xmin_) * (sx - m) / 2;
    yOffset_ += (ymax_ + ymin_) * (sy + m) / 2;
  }
  plotRect_ = {p0, q1, p1, q0};
  // A limit without a position (a NaN scale from degenerate limits) clips nothing there.
  auto edge = [](int pixel, int shift, int none) { return pixel == kNoPixel ? none : pixel + shift; };
  clipRect_ = {edge(mapX(xmin_), -1, -kPixelLimit), edge(mapY(ymax_), -1, -kPixelLimit),
               edge(mapX(xmax_), 1, kPixelLimit), edge(mapY(ymin_), 2, kPixelLimit)};
}

int Frame::mapX(double v) const { return toPixel(xOffset_ + xScale_ * axisVariable(v, xLinear())); }
int Frame::mapY(double v) const { return toPixel(yOffset_ + yScale_ * axisVariable(v, yLinear())); }

double Frame::unmapX(int p) const {
  double t = (p - xOffset_) / xScale_;
  return xLinear() ? t : std::exp(t);
}

double Frame::unmapY(int p) const {
  double t = (p - yOffset_) / yScale_;
  return yLinear() ? t : std::exp(t);
}

PixelRect Frame::frameRect() const {
  const PixelRect& c = figure_->clientRect();
  double width = c.right - c.left;
  double height = c.top - c.bottom;
  const Placement& f = placement_;
  return {static_cast<int>(c.left + f.x * width), static_cast<int>(c.bottom + (f.y + f.h) * height),
          static_cast<int>(c.left + (f.x + f.w) * width), static_cast<int>(c.bottom + f.y * height)};
}

FrameClip Frame::clip() const {
  FrameClip clip;
  clip.frame = frameRect();
  clip.plotArea = plotRect_;
  clip.number = number_;
  // The clamp rows, computed in the axis variable so that a logarithmic axis works too.
  double lo = axisVariable(ymin_, yLinear());
  double hi = axisVariable(ymax_, yLinear());
  double range = hi - lo;
  int a = toPixel(yOffset_ + yScale_ * (lo - 8 * range));
  int b = toPixel(yOffset_ + yScale_ * (hi + 8 * range));
  if (a == kNoPixel || b == kNoPixel) a = -kPixelLimit, b = kPixelLimit;
  clip.clampTop = std::min(a, b);
  clip.clampBottom = std::max(a, b);
  return clip;
}

Plotable& Frame::item(size_t index) const {
  if (index >= items_.size()) throw session::RuntimeError("invalid id: no such item in the frame");
  return *items_[index];
}

int Frame::addItem(std::unique_ptr<Plotable> item) {
  if (item->kind() == kKindText) {
    int anchor = static_cast<const TextLabel&>(*item).anchor;
    for (size_t i = 1; i < items_.size(); ++i) {
      Plotable& old = *items_[i];
      if (old.kind() == kKindText && old.x == item->x && old.y == item->y &&
          static_cast<const TextLabel&>(old).anchor == anchor) {
        items_[i] = std::move(item);
        if (graphicsState().textRedraw) {
          showAgain();
        } else {
          showItem(i);
        }
        return number_ * kItemIdFrameFactor + static_cast<int>(i);
      }
    }
  }
  items_.push_back(std::move(item));
  return number_ * kItemIdFrameFactor + static_cast<int>(items_.size() - 1);
}

void Frame::removeItems() {
  if (items_.size() > 1 && !figure_->dragables.empty()) figure_->dragablesInvalid = true;
  items_.resize(1);
}

AxisTicks* Frame::axisTicks() const {
  for (const auto& item : items_) {
    if (auto* ticks = dynamic_cast<AxisTicks*>(item.get())) return ticks;
  }
  return nullptr;
}

MainLabels& Frame::mainLabels() {
  for (const auto& item : items_) {
    if (auto* labels = dynamic_cast<MainLabels*>(item.get())) return *labels;
  }
  items_.push_back(std::make_unique<MainLabels>());
  return static_cast<MainLabels&>(*items_.back());
}

namespace {

// Holds the frame's surface for one drawing pass, also when an item's draw throws.
class DrawingPass {
 public:
  DrawingPass(DrawSurface*& slot, DrawSurface& surface, const FrameClip& clip)
      : slot_(slot), surface_(surface) {
    slot_ = &surface;
    surface.beginFrame(clip);
  }
  ~DrawingPass() {
    surface_.endFrame();
    slot_ = nullptr;
  }
  DrawingPass(const DrawingPass&) = delete;
  DrawingPass& operator=(const DrawingPass&) = delete;

 private:
  DrawSurface*& slot_;
  DrawSurface& surface_;
};

}  // namespace

void Frame::redraw(DrawSurface& surface) {
  computeMapping();
  DrawingPass pass(surface_, surface, clip());
  eraseBackground(surface);
  for (size_t i = 1; i < items_.size(); ++i) {
    if (items_[i]->visible) items_[i]->draw(*this);
  }
  // The plot-area box last, so that it lies on top.
  if (items_[0]->visible) items_[0]->draw(*this);
}

void Frame::drawItem(DrawSurface& surface, size_t index) {
  Plotable& p = item(index);
  if (!p.visible) return;
  DrawingPass pass(surface_, surface, clip());
  p.draw(*this);
}

void Frame::eraseBackground(DrawSurface& surface) { surface.eraseRect(frameRect(), background); }

void Frame::showAgain() {
  if (FigureView* view = figure_->view()) view->redrawFrame(*this);
}

void Frame::showItem(size_t index) {
  if (FigureView* view = figure_->view()) view->drawItem(*this, index);
}

DrawSurface& Frame::surface() const {
  ZB_ASSERT(surface_ != nullptr, "frame drawn outside a drawing pass");
  return *surface_;
}

}  // namespace zirbin::graphics
