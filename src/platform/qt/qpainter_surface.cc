// Painting figures with QPainter.
#include "platform/qt/qpainter_surface.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <vector>

namespace zirbin::platform::qt {

namespace {

using graphics::Rgb;

constexpr double kScriptScale = 0.75;  // sub- and superscript fonts
// "Times New Roman" of the figures is served by Liberation Serif.
constexpr const char* kFace = "Liberation Serif";
// The points of one stroked piece of a long polyline (see polyline()).
constexpr size_t kPolylinePiece = 16;

QColor colourOf(Rgb c) { return QColor(graphics::redOf(c), graphics::greenOf(c), graphics::blueOf(c)); }

// Odd line widths are centred on pixel centres, so that thin lines stay sharp.
QPointF shifted(const graphics::Point& p, double d) { return QPointF(p.x + d, p.y + d); }

}  // namespace

QPainterSurface::QPainterSurface(QPainter& painter) : painter_(painter) {
  painter_.setRenderHint(QPainter::Antialiasing, true);
}

void QPainterSurface::beginFrame(const graphics::FrameClip& clip) { clip_ = clip; }

void QPainterSurface::endFrame() {
  if (clipping_) setClipping(false);
}

void QPainterSurface::eraseRect(const graphics::PixelRect& r, Rgb colour) {
  painter_.fillRect(QRect(r.left, r.top, r.width(), r.height()), colourOf(colour));
}

void QPainterSurface::beginStyle(const graphics::PlotStyle& style, bool filled) {
  style_ = style;
  filled_ = filled;
  QPen pen(colourOf(style.colour));
  pen.setWidthF(std::max(style.width, 1));
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  switch (style.lineStyle) {
    case graphics::kLineDashed: pen.setDashPattern({6.0 / pen.widthF(), 4.0 / pen.widthF()}); break;
    case graphics::kLineDotted: pen.setDashPattern({1.0 / pen.widthF(), 3.0 / pen.widthF()}); break;
    case graphics::kLineDashDot:
      pen.setDashPattern({6.0 / pen.widthF(), 3.0 / pen.widthF(), 1.0 / pen.widthF(), 3.0 / pen.widthF()});
      break;
    default: break;
  }
  painter_.setPen(pen);
  painter_.setBrush(filled ? QBrush(colourOf(style.fill)) : QBrush(Qt::NoBrush));
}

void QPainterSurface::endStyle() {
  painter_.setPen(Qt::NoPen);
  painter_.setBrush(Qt::NoBrush);
}

void QPainterSurface::setClipping(bool on) {
  if (on == clipping_) return;
  clipping_ = on;
  if (on) {
    // The clip region of the plot area: one pixel around it, two below.
    const graphics::PixelRect& a = clip_.plotArea;
    painter_.save();
    painter_.setClipRect(QRect(a.left - 1, a.top - 1, a.width() + 2, a.height() + 3));
  } else {
    painter_.restore();
  }
}

void QPainterSurface::polyline(std::span<const graphics::Point> points) {
  double d = style_.width % 2 == 1 ? 0.5 : 0.0;
  std::vector<QPointF> q;
  q.reserve(points.size());
  for (const graphics::Point& p : points) q.push_back(shifted(p, d));
  QBrush brush = painter_.brush();
  painter_.setBrush(Qt::NoBrush);
  // A wide pen strokes a polyline as one outline, whose filling costs grow much faster than
  // its length when the line folds over itself (a noisy curve of many samples); pieces
  // joined at shared points look the same with round caps and joins and stay fast.
  for (size_t start = 0; start + 1 < q.size(); start += kPolylinePiece) {
    size_t n = std::min(kPolylinePiece + 1, q.size() - start);
    painter_.drawPolyline(q.data() + start, static_cast<int>(n));
  }
  painter_.setBrush(brush);
}

void QPainterSurface::polygon(std::span<const graphics::Point> points) {
  QPolygon q;
  for (const graphics::Point& p : points) q << QPoint(p.x, p.y);
  QBrush brush = painter_.brush();
  painter_.setBrush(colourOf(style_.fill));
  painter_.drawPolygon(q);
  painter_.setBrush(brush);
}

void QPainterSurface::rectangle(int left, int top, int width, int height) {
  double d = style_.width % 2 == 1 ? 0.5 : 0.0;
  painter_.drawRect(QRectF(left + d, top + d, width, height));
}

void QPainterSurface::bar(int left, int top, int width, int baseline) {
  double d = style_.width % 2 == 1 ? 0.5 : 0.0;
  QBrush brush = painter_.brush();
  painter_.setBrush(colourOf(style_.fill));
  painter_.drawRect(QRectF(left + d, std::min(top, baseline) + d, width, std::abs(baseline - top)));
  painter_.setBrush(brush);
}

void QPainterSurface::circle(int cx, int cy, int r) {
  painter_.drawEllipse(QPointF(cx, cy), r, r);
}

void QPainterSurface::text(const graphics::TextRun& run) {
  int row = std::clamp(run.anchor / 4, 0, 2);
  int column = std::clamp(run.anchor % 4, 0, 2);
  for (const graphics::TextPiece& p : run.pieces) {
    bool script = p.kind == '^' || p.kind == '_';
    QFont font(kFace);
    font.setPixelSize(std::max(1, static_cast<int>(p.size * (script ? kScriptScale : 1.0))));
    font.setBold(p.kind == '*');
    font.setItalic(p.kind == '/');
    font.setUnderline(p.kind == '=');
    QFontMetricsF m(font);
    QString s = QString::fromUtf8(p.text.data(), static_cast<qsizetype>(p.text.size()));
    double advance = m.horizontalAdvance(s);
    double dx = column == 0 ? -advance : column == 1 ? -advance / 2 : 0;
    double dy = row == 0 ? 0 : row == 1 ? (m.ascent() - m.descent()) / 2 : m.ascent();
    painter_.save();
    painter_.translate(p.x, p.y);
    if (run.rotation != 0) painter_.rotate(-run.rotation);
    painter_.setFont(font);
    painter_.setPen(colourOf(p.colour));
    painter_.drawText(QPointF(dx, dy), s);
    painter_.restore();
  }
}

void QPainterSurface::image(int left, int top, int width, int height,
                            std::span<const graphics::Rgb> pixels, graphics::Rgb transparent) {
  if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * height) return;
  QImage img(width, height, QImage::Format_ARGB32);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < width; ++x) {
      Rgb c = pixels[static_cast<size_t>(y) * width + x];
      row[x] = c == transparent ? qRgba(0, 0, 0, 0)
                                : qRgb(graphics::redOf(c), graphics::greenOf(c), graphics::blueOf(c));
    }
  }
  painter_.drawImage(QPoint(left, top), img);
}

}  // namespace zirbin::platform::qt
