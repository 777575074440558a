// Drawing the plot items: curves and markers, error bars, points, bars, boxes, circles,
// bitmaps and controls. Text labels and axes are in labels.cc and axis_drawing.cc.
#include "graphics/plotables.h"

#include <algorithm>
#include <cmath>

#include "graphics/figure.h"
#include "graphics/frame.h"
#include "base/errors.h"

namespace zirbin::graphics {

namespace {

PlotStyle curveStyle(std::string_view styleString) {
  PlotStyle s;
  s.colour = kCurveColour;
  s.width = kCurveWidth;
  applyStyleString(styleString, s);
  return s;
}

bool hasPosition(const Point& p) { return p.x != kNoPixel && p.y != kNoPixel; }

void stroke(DrawSurface& s, Point a, Point b) {
  Point line[2] = {a, b};
  s.polyline(line);
}

// Draws marker `m` of size `size` at p; `halfHeight` is the error bar's half-height.
void drawMarker(Frame& frame, char m, int size, Point p, int halfHeight = 0) {
  DrawSurface& s = frame.surface();
  int x = p.x, y = p.y, d = size;
  switch (m) {
    case '.':
      d = 1;
      [[fallthrough]];
    case '+':
      stroke(s, {x - d, y}, {x + d, y});
      stroke(s, {x, y - d}, {x, y + d});
      break;
    case 'x':
      stroke(s, {x - d, y - d}, {x + d, y + d});
      stroke(s, {x - d, y + d}, {x + d, y - d});
      break;
    case 'o': s.circle(x, y, d); break;
    case 's': {
      Point square[5] = {{x - d, y - d}, {x + d, y - d}, {x + d, y + d}, {x - d, y + d}, {x - d, y - d}};
      s.polyline(square);
      break;
    }
    case 't': {
      Point triangle[4] = {{x, y - d}, {x + d, y + d}, {x - d, y + d}, {x, y - d}};
      s.polyline(triangle);
      break;
    }
    case '|': stroke(s, {x, y - d}, {x, y + d}); break;
    case '_': stroke(s, {x - d, y}, {x + d, y}); break;
    case '!': {
      int zero = frame.mapY(0);
      stroke(s, {x, y}, {x, zero == kNoPixel ? frame.plotRect().bottom : zero});
      break;
    }
    case '~':
      stroke(s, {x, y - halfHeight}, {x, y + halfHeight});
      stroke(s, {x - d, y - halfHeight}, {x + d, y - halfHeight});
      stroke(s, {x - d, y + halfHeight}, {x + d, y + halfHeight});
      break;
    default: throw session::RuntimeError("unrecognized marker character");
  }
}

// The markers of all placed points in one style group with a solid pen.
void drawMarkers(Frame& frame, const PlotStyle& style, char marker, int size,
                 const std::vector<Point>& points) {
  PlotStyle solid = style;
  solid.lineStyle = kLineSolid;
  DrawSurface& s = frame.surface();
  s.beginStyle(solid, false);
  for (const Point& p : points) {
    if (hasPosition(p)) drawMarker(frame, marker, size, p);
  }
  s.endStyle();
}

}  // namespace

Curve::Curve(std::vector<double> xs, std::vector<double> ys, std::string_view styleString)
    : xs(std::move(xs)), ys(std::move(ys)) {
  style = curveStyle(styleString);
  MarkerSpec m = markerOfStyle(styleString);
  marker = m.marker;
  markerSize = m.size;
  filled = styleIsFilled(styleString);
}

bool Curve::setStyleString(std::string_view s) {
  applyStyleString(s, style);
  MarkerSpec m = markerOfStyle(s);
  marker = m.marker;
  markerSize = m.size;
  filled = styleIsFilled(s);
  return true;
}

void Curve::setData(std::vector<double> newXs, std::vector<double> newYs) {
  ZB_ASSERT(newXs.size() == newYs.size(), "curve samples of different lengths");
  xs = std::move(newXs);
  ys = std::move(newYs);
}

void Curve::move(double dx, double dy) {
  for (double& v : xs) v += dx;
  for (double& v : ys) v += dy;
}

void Curve::draw(Frame& frame) {
  points_.resize(xs.size());
  for (size_t i = 0; i < xs.size(); ++i) points_[i] = {frame.mapX(xs[i]), frame.mapY(ys[i])};
  DrawSurface& s = frame.surface();
  s.setClipping(true);
  if (style.line) {
    // Points without a position (NaN, or not positive on a logarithmic axis) break the
    // line into runs; each run of two or more points is drawn.
    // The runs are pieces of points_ itself: a long curve is not copied at each redraw.
    std::vector<std::span<const Point>> runs;
    size_t start = 0;
    for (size_t i = 0; i <= points_.size(); ++i) {
      if (i < points_.size() && hasPosition(points_[i])) continue;
      if (i - start >= 2) runs.emplace_back(points_.data() + start, i - start);
      start = i + 1;
    }
    if (!runs.empty()) {
      s.beginStyle(style, false);
      for (const auto& run : runs) s.polyline(run);
      s.endStyle();
    }
  }
  if (marker) drawMarkers(frame, style, marker, markerSize, points_);
  if (filled) {
    std::vector<Point> shape;
    std::copy_if(points_.begin(), points_.end(), std::back_inserter(shape), hasPosition);
    if (shape.size() >= 2) {
      s.beginStyle(style, true);
      s.polygon(shape);
      s.endStyle();
    }
  }
  s.setClipping(false);
}

ErrorBars::ErrorBars(std::vector<double> xs, std::vector<double> ys, std::vector<double> dys,
                     double commonDy, std::string_view styleString)
    : Curve(std::move(xs), std::move(ys), styleString.empty() ? kErrorBarsStyle : styleString),
      dys(std::move(dys)),
      commonDy(commonDy) {
  ZB_ASSERT(this->dys.empty() || this->dys.size() == this->xs.size(), "error bars of wrong size");
}

void ErrorBars::draw(Frame& frame) {
  DrawSurface& s = frame.surface();
  PlotStyle solid = style;
  solid.lineStyle = kLineSolid;
  s.setClipping(true);
  s.beginStyle(solid, false);
  for (size_t i = 0; i < xs.size(); ++i) {
    Point p{frame.mapX(xs[i]), frame.mapY(ys[i])};
    double dy = dys.empty() ? commonDy : dys[i];
    int half;
    if (frame.yLinear()) {
      half = static_cast<int>(std::clamp(std::fabs(dy * frame.yScale()), 0.0, double(kPixelLimit)));
    } else {
      // On a logarithmic axis the bar runs between the rows of y - dy and y + dy.
      int top = frame.mapY(ys[i] + dy);
      half = top == kNoPixel ? 0 : std::abs(p.y - top);
    }
    if (hasPosition(p) && std::isfinite(dy)) drawMarker(frame, '~', markerSize, p, half);
  }
  s.endStyle();
  s.setClipping(false);
  if (marker) {
    points_.resize(xs.size());
    for (size_t i = 0; i < xs.size(); ++i) points_[i] = {frame.mapX(xs[i]), frame.mapY(ys[i])};
    s.setClipping(true);
    drawMarkers(frame, style, marker, markerSize, points_);
    s.setClipping(false);
  }
}

SinglePoint::SinglePoint(double px, double py, std::string_view styleString) {
  x = px;
  y = py;
  style = curveStyle(styleString);
  MarkerSpec m = markerOfStyle(styleString);
  if (m.marker) marker = m.marker;
  markerSize = m.size;
}

bool SinglePoint::setStyleString(std::string_view s) {
  applyStyleString(s, style);
  MarkerSpec m = markerOfStyle(s);
  if (m.marker) marker = m.marker;
  markerSize = m.size;
  return true;
}

void SinglePoint::draw(Frame& frame) {
  Point p{frame.mapX(x), frame.mapY(y)};
  if (!hasPosition(p)) return;
  frame.surface().setClipping(true);
  drawMarkers(frame, style, marker, markerSize, {p});
  frame.surface().setClipping(false);
}

BarChart::BarChart(std::vector<double> xs, std::vector<double> heights, double commonWidth,
                   std::vector<double> widths, std::string_view styleString)
    : xs(std::move(xs)), heights(std::move(heights)), commonWidth(commonWidth), widths(std::move(widths)) {
  ZB_ASSERT(this->xs.size() == this->heights.size(), "bar chart of different lengths");
  style.colour = kLabelColour;
  style.width = kCurveWidth;
  applyStyleString(styleString, style);
}

void BarChart::draw(Frame& frame) {
  int baseline = frame.mapY(0);
  if (baseline == kNoPixel) baseline = frame.plotRect().bottom;
  DrawSurface& s = frame.surface();
  s.beginStyle(style, true);
  for (size_t i = 0; i < xs.size(); ++i) {
    double w = widths.size() == xs.size() ? widths[i] : commonWidth;
    double pixels = std::clamp(w * frame.xScale(), -double(kPixelLimit), double(kPixelLimit));
    int width = std::isnan(pixels) ? 0 : static_cast<int>(pixels);
    int centre = frame.mapX(xs[i]);
    int top = frame.mapY(heights[i]);
    if (centre == kNoPixel || top == kNoPixel) continue;
    s.bar(centre - width / 2, top, width, baseline);
  }
  s.endStyle();
}

Box::Box(double bx, double by, double bw, double bh, std::string_view styleString)
    : w(bw), h(bh), filled(styleIsFilled(styleString)) {
  x = bx;
  y = by;
}

void Box::draw(Frame& frame) {
  int left = frame.mapX(x), right = frame.mapX(x + w);
  int top = frame.mapY(y + h), bottom = frame.mapY(y);
  if (left == kNoPixel || right == kNoPixel || top == kNoPixel || bottom == kNoPixel) return;
  DrawSurface& s = frame.surface();
  s.beginStyle(style, filled);
  s.rectangle(std::min(left, right), std::min(top, bottom), std::abs(right - left), std::abs(bottom - top));
  s.endStyle();
}

BoxRel::BoxRel(double bx, double by, double bw, double bh) : w(bw), h(bh) {
  x = bx;
  y = by;
  style.width = 1;  // the plot-area line is drawn with the thin black stock pen
}

void BoxRel::draw(Frame& frame) {
  // The same arithmetic as the frame's plot-area rectangle, so that the two coincide.
  const PixelRect& c = frame.figure().clientRect();
  const Placement& f = frame.placement();
  double cw = c.right - c.left;
  double ch = c.top - c.bottom;
  int left = static_cast<int>(c.left + (f.x + f.w * x) * cw);
  int right = static_cast<int>(c.left + (f.x + f.w * (x + w)) * cw);
  int bottom = static_cast<int>(c.bottom + (f.y + f.h * y) * ch);
  int top = static_cast<int>(c.bottom + (f.y + f.h * (y + h)) * ch);
  DrawSurface& s = frame.surface();
  s.beginStyle(style, false);
  s.rectangle(left, top, right - left, bottom - top);
  s.endStyle();
}

MyCircle::MyCircle(double cx, double cy, double radius, std::string_view styleString)
    : r(radius), filled(styleIsFilled(styleString)) {
  x = cx;
  y = cy;
  applyStyleString(styleString, style);
}

bool MyCircle::setStyleString(std::string_view s) {
  applyStyleString(s, style);
  filled = styleIsFilled(s);
  return true;
}

void MyCircle::draw(Frame& frame) {
  int cx = frame.mapX(x), cy = frame.mapY(y), edge = frame.mapX(x + r);
  if (cx == kNoPixel || cy == kNoPixel || edge == kNoPixel) return;
  DrawSurface& s = frame.surface();
  s.beginStyle(style, filled);
  s.circle(cx, cy, std::abs(edge - cx));
  s.endStyle();
}

MyBitmap::MyBitmap(double bx, double by, int w, int h, std::vector<Rgb> px, Rgb transparentColour)
    : width(w), height(h), pixels(std::move(px)), transparent(transparentColour) {
  ZB_ASSERT(pixels.size() == static_cast<size_t>(w) * static_cast<size_t>(h), "bitmap size");
  x = bx;
  y = by;
}

void MyBitmap::draw(Frame& frame) {
  int left = frame.mapX(x), top = frame.mapY(y);
  if (left == kNoPixel || top == kNoPixel) return;
  frame.surface().image(left, top, width, height, pixels, transparent);
}

PixelRect PlotableButton::rectIn(const Frame& frame) const {
  PixelRect f = frame.frameRect();
  int left = static_cast<int>(f.left + x * f.width());
  int top = static_cast<int>(f.bottom + y * (f.top - f.bottom)) - h;
  return {left, top, left + w, top + h};
}

void PlotableButton::draw(Frame& frame) {
  if (control) control->reposition(rectIn(frame));
}

}  // namespace zirbin::graphics
