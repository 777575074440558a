// The SVG writer: a drawing surface that writes each primitive as SVG elements to a stream.
#pragma once

#include <ostream>

#include "graphics/draw_surface.h"

namespace zirbin::graphics {

// Writes SVG elements for the drawing calls, in the forms the figure files use:
// a clip path "myClip"+i per frame, a style group around each stroked or filled item,
// two-point lines as `line` elements and longer ones as `polyline`s clipped to the plot
// area with their rows clamped to the frame's clamp rows (no comma after the last point), boxes and bars as `rect`s, text
// in a text-style group (always black). The stream is not owned.
class SvgSurface : public DrawSurface {
 public:
  explicit SvgSurface(std::ostream& out) : out_(out) {}
  SvgSurface(const SvgSurface&) = delete;
  SvgSurface& operator=(const SvgSurface&) = delete;

  // The document's opening lines for a window client area of width x height pixels, and
  // its closing line.
  void writeProlog(int width, int height);
  void writeEpilog();

  void beginFrame(const FrameClip& clip) override;
  void endFrame() override {}
  void eraseRect(const PixelRect&, Rgb) override {}
  void beginStyle(const PlotStyle& style, bool filled) override;
  void endStyle() override;
  void setClipping(bool) override {}
  void polyline(std::span<const Point> points) override;
  void polygon(std::span<const Point> points) override;
  void rectangle(int left, int top, int width, int height) override;
  void bar(int left, int top, int width, int baseline) override;
  void circle(int cx, int cy, int r) override;
  void text(const TextRun& run) override;

 private:
  void writePoints(std::span<const Point> points);
  void writeTextElement(const TextPiece& piece, int rotation);

  std::ostream& out_;
  FrameClip clip_;
};

}  // namespace zirbin::graphics
