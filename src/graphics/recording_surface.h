// A drawing surface that records each call as a line of text, for tests and for checking
// what a figure would draw without drawing it.
#pragma once

#include <string>
#include <vector>

#include "graphics/draw_surface.h"

namespace zirbin::graphics {

// Each call appends one line to `calls`, for example "polyline 10,20 30,40",
// "style rgb(0,100,0) w2 solid line", "text a5 r0 [x 10,20 . rgb(0,0,0) 16]".
class RecordingSurface : public DrawSurface {
 public:
  RecordingSurface() = default;
  RecordingSurface(const RecordingSurface&) = delete;
  RecordingSurface& operator=(const RecordingSurface&) = delete;

  void beginFrame(const FrameClip& clip) override;
  void endFrame() override;
  void eraseRect(const PixelRect& r, Rgb colour) override;
  void beginStyle(const PlotStyle& style, bool filled) override;
  void endStyle() override;
  void setClipping(bool on) override;
  void polyline(std::span<const Point> points) override;
  void polygon(std::span<const Point> points) override;
  void rectangle(int left, int top, int width, int height) override;
  void bar(int left, int top, int width, int baseline) override;
  void circle(int cx, int cy, int r) override;
  void text(const TextRun& run) override;

  std::vector<std::string> calls;
  std::vector<TextRun> texts;  // every text run, whole
};

}  // namespace zirbin::graphics
