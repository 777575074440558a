// A drawing surface that paints into an image with Cairo and writes it as PNG: `print`
// with a file name ending in ".png". No Cairo type appears outside png_surface.cc.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "graphics/draw_surface.h"

namespace zirbin::graphics {

class Figure;

// Paints the drawing calls into a width x height image on a white background, with the
// screen's rules: shapes are clipped to the plot area while clipping is on, text is
// aligned by its anchor code in a serif face.
class PngSurface : public DrawSurface {
 public:
  PngSurface(int width, int height);
  // A surface that writes a one-page PDF document of width x height points (one point per
  // pixel) to `pdf` as it is drawn; finishPdf completes it. `pdf` must outlive the surface.
  PngSurface(int width, int height, std::ostream& pdf);
  PngSurface(const PngSurface&) = delete;
  PngSurface& operator=(const PngSurface&) = delete;
  ~PngSurface() override;

  // Writes the image as PNG; returns false when the stream fails.
  bool writePng(std::ostream& out);
  // Completes the PDF document; returns false when writing failed.
  bool finishPdf();
  // The colour of one pixel (for tests), 0x00BBGGRR.
  Rgb pixel(int x, int y);

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
  void image(int left, int top, int width, int height, std::span<const Rgb> pixels,
             Rgb transparent) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Writes the figure as a PNG image of its client area to `path` (already completed).
// Failures: "cannot open " + path (for "print"), "writing to figure file failed".
void printFigurePng(Figure& figure, const std::string& path);
// The same as a PDF page of the client area's size (text and lines stay vectors).
void printFigurePdf(Figure& figure, const std::string& path);

}  // namespace zirbin::graphics
