// The screen's drawing surface: figure drawing calls painted with QPainter, by the same
// rules as the PNG surface (clipping to the plot area, text aligned by its anchor code, the
// serif face), so that a window shows what `print` writes.
#pragma once

#include <QFont>
#include <QPen>

#include "graphics/draw_surface.h"

class QPainter;

namespace zirbin::platform::qt {

class QPainterSurface : public graphics::DrawSurface {
 public:
  // Paints through `painter`, which must stay active while the surface is used.
  explicit QPainterSurface(QPainter& painter);
  QPainterSurface(const QPainterSurface&) = delete;
  QPainterSurface& operator=(const QPainterSurface&) = delete;

  void beginFrame(const graphics::FrameClip& clip) override;
  void endFrame() override;
  void eraseRect(const graphics::PixelRect& r, graphics::Rgb colour) override;
  void beginStyle(const graphics::PlotStyle& style, bool filled) override;
  void endStyle() override;
  void setClipping(bool on) override;
  void polyline(std::span<const graphics::Point> points) override;
  void polygon(std::span<const graphics::Point> points) override;
  void rectangle(int left, int top, int width, int height) override;
  void bar(int left, int top, int width, int baseline) override;
  void circle(int cx, int cy, int r) override;
  void text(const graphics::TextRun& run) override;
  void image(int left, int top, int width, int height, std::span<const graphics::Rgb> pixels,
             graphics::Rgb transparent) override;

 private:
  QPainter& painter_;
  graphics::FrameClip clip_;
  graphics::PlotStyle style_;
  bool filled_ = false;
  bool clipping_ = false;
};

}  // namespace zirbin::platform::qt
