// The drawing-surface interface that frames and plot items draw through, in pixel
// coordinates: the SVG writer, the recording surface of the tests, and later the screen
// and PNG surfaces implement it.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "graphics/colour_table.h"
#include "graphics/plot_style.h"

namespace zirbin::graphics {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// A pixel rectangle; `right` and `bottom` lie just outside it, as in window client areas.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const PixelRect&) const = default;
};

// What a frame tells the surface before it draws: its rectangle in the window, the
// plot-area clip rectangle with its clip number, and the rows between which polyline
// points stay (the data range widened by 8 times its height on each side).
struct FrameClip {
  PixelRect frame;
  PixelRect plotArea;
  int number = 0;
  int clampTop = 0;     // the row of ymax + 8 (ymax - ymin): the smallest row kept
  int clampBottom = 0;  // the row of ymin - 8 (ymax - ymin): the largest row kept
};

// One piece of a text, already placed: the writer has cut the markup into pieces, chosen
// each piece's font and position, and converted Symbol-font letters to UTF-8.
struct TextPiece {
  std::string text;  // UTF-8
  int x = 0;         // the piece's anchor point, aligned as the run's anchor code says
  int y = 0;
  char kind = '.';   // the font kind of the markup (".", "*", "/", "=", "$", "^", "_", ...)
  Rgb colour = kBlack;
  int size = 16;     // the font size in pixels before the 75 % of sub- and superscripts
  bool operator==(const TextPiece&) const = default;
};

// A whole text drawn at one anchor. Anchor code = 4 * row + column: row 0, 1, 2 puts the
// text above (baseline on the point), centred on, or below the point; column 0, 1, 2 puts
// it left of (ending at), centred on, or right of (starting at) the point. A rotation of
// 90 turns the text counter-clockwise about each piece's point.
struct TextRun {
  std::vector<TextPiece> pieces;
  int anchor = 10;
  int rotation = 0;
};

class DrawSurface {
 public:
  virtual ~DrawSurface() = default;

  // A frame starts and ends drawing onto the surface. The SVG writer writes the clip path.
  virtual void beginFrame(const FrameClip& clip) = 0;
  virtual void endFrame() = 0;
  // Fills a rectangle with a background colour (screen only: files keep no background).
  virtual void eraseRect(const PixelRect& r, Rgb colour) = 0;

  // Every stroked or filled item draws between beginStyle and endStyle; with `filled` the
  // shapes are filled with style.fill. Calls do not nest.
  virtual void beginStyle(const PlotStyle& style, bool filled) = 0;
  virtual void endStyle() = 0;
  // Clipping to the plot area for the following shapes (markers and curves on the screen).
  virtual void setClipping(bool on) = 0;

  // A connected line through the points. REQUIRES: at least two points.
  virtual void polyline(std::span<const Point> points) = 0;
  // A closed polygon filled with the fill colour, clipped to the plot area.
  virtual void polygon(std::span<const Point> points) = 0;
  // A box outline (filled when the style is), top-left corner and size.
  virtual void rectangle(int left, int top, int width, int height) = 0;
  // One bar of a bar chart from row `top` to the baseline row (either may be the larger),
  // `width` pixels wide from `left`; filled with the fill colour and outlined. The screen
  // draws the rectangle (left, top) to (left + width + 1, baseline).
  virtual void bar(int left, int top, int width, int baseline) = 0;
  virtual void circle(int cx, int cy, int r) = 0;
  virtual void text(const TextRun& run) = 0;
  // An image with its top left corner at (left, top), rows from the top, leaving out the
  // `transparent` pixels. Figure files hold no images, so the default draws nothing.
  virtual void image(int left, int top, int width, int height, std::span<const Rgb> pixels,
                     Rgb transparent) {
    (void)left, (void)top, (void)width, (void)height, (void)pixels, (void)transparent;
  }
};

}  // namespace zirbin::graphics
