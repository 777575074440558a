// A display list: a figure's drawing calls recorded on the interpreter thread, to be
// replayed onto another surface (the screen) by a thread that never reads the figure.
#pragma once

#include <memory>
#include <variant>
#include <vector>

#include "graphics/draw_surface.h"

namespace zirbin::graphics {

class Figure;

// A recorded figure: the client size it was drawn for and its calls, in order.
class DisplayList {
 public:
  struct BeginFrame { FrameClip clip; };
  struct EndFrame {};
  struct Erase { PixelRect r; Rgb colour; };
  struct BeginStyle { PlotStyle style; bool filled; };
  struct EndStyle {};
  struct Clipping { bool on; };
  struct Polyline { size_t first, count; };  // points_[first, first + count)
  struct Polygon { size_t first, count; };
  struct Rectangle { int left, top, width, height; };
  struct Bar { int left, top, width, baseline; };
  struct Circle { int cx, cy, r; };
  struct Text { TextRun run; };
  struct Image { int left, top, width, height; size_t first; Rgb transparent; };
  using Call = std::variant<BeginFrame, EndFrame, Erase, BeginStyle, EndStyle, Clipping, Polyline,
                            Polygon, Rectangle, Bar, Circle, Text, Image>;

  int width = 0;
  int height = 0;
  std::vector<Call> calls;
  std::vector<Point> points;
  std::vector<Rgb> pixels;

  // Draws the recorded calls onto `surface`, in order.
  void replay(DrawSurface& surface) const;
};

// A surface that records into a display list. A polyline keeps, of each run of points in
// one pixel column, the first, the lowest, the highest and the last: a curve of a million
// samples becomes a few points per column and looks the same.
class DisplayListSurface : public DrawSurface {
 public:
  explicit DisplayListSurface(DisplayList& list) : list_(list) {}

  void beginFrame(const FrameClip& clip) override { list_.calls.emplace_back(DisplayList::BeginFrame{clip}); }
  void endFrame() override { list_.calls.emplace_back(DisplayList::EndFrame{}); }
  void eraseRect(const PixelRect& r, Rgb colour) override {
    list_.calls.emplace_back(DisplayList::Erase{r, colour});
  }
  void beginStyle(const PlotStyle& style, bool filled) override {
    list_.calls.emplace_back(DisplayList::BeginStyle{style, filled});
  }
  void endStyle() override { list_.calls.emplace_back(DisplayList::EndStyle{}); }
  void setClipping(bool on) override { list_.calls.emplace_back(DisplayList::Clipping{on}); }
  void polyline(std::span<const Point> points) override;
  void polygon(std::span<const Point> points) override;
  void rectangle(int left, int top, int width, int height) override {
    list_.calls.emplace_back(DisplayList::Rectangle{left, top, width, height});
  }
  void bar(int left, int top, int width, int baseline) override {
    list_.calls.emplace_back(DisplayList::Bar{left, top, width, baseline});
  }
  void circle(int cx, int cy, int r) override { list_.calls.emplace_back(DisplayList::Circle{cx, cy, r}); }
  void text(const TextRun& run) override { list_.calls.emplace_back(DisplayList::Text{run}); }
  void image(int left, int top, int width, int height, std::span<const Rgb> pixels,
             Rgb transparent) override;

 private:
  DisplayList& list_;
};

// The whole figure drawn into a new display list.
std::shared_ptr<const DisplayList> renderDisplayList(Figure& figure);

}  // namespace zirbin::graphics
