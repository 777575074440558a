// A frame: one rectangular region of a figure window with its own limits, data-to-pixel
// mapping, axes and list of plot items; and autoLimits, the automatic choice of limits.
#pragma once

#include <limits>
#include <memory>
#include <vector>

#include "graphics/axis_ticks.h"
#include "graphics/draw_surface.h"
#include "graphics/plotables.h"

namespace zirbin::graphics {

class Figure;
class TextWriter;

// A rectangle in fractions of an enclosing rectangle, y measured upward from its bottom.
struct Placement {
  double x = 0;
  double y = 0;
  double w = 1;
  double h = 1;
  bool operator==(const Placement&) const = default;
};

inline constexpr Placement kWholeWindow{0, 0, 1, 1};
inline constexpr Placement kDefaultPlotArea{0.1, 0.15, 0.85, 0.83};

// The user's id of an item: frame number * 65536 + item index.
inline constexpr int kItemIdFrameFactor = 65536;

struct AxisRange {
  double lo = 0;
  double hi = 1;
  bool operator==(const AxisRange&) const = default;
};

// Turns a data range into axis limits; n is 3 for the x axis and 2 for the y axis.
// Linear: the y range is padded by 10 % at an end away from zero; ends close to a value
// rounded to n significant digits are rounded outward; a same-signed range wider than
// twice its smaller magnitude is extended to zero; an empty range is widened by 10^-n.
// Logarithmic: the y range is widened by 1.1 when it spans a factor 2; non-positive ends
// are replaced; a range below a factor 5 is widened by 1.3 and rounded to one digit,
// otherwise extended to whole decades.
AxisRange autoLimits(double lo, double hi, int n, bool logarithmic);

class Frame {
 public:
  // A frame of `figure` (which must outlive it) at `placement` in the window, with number
  // `number` (its index in the figure). Item 0, the plot-area box, is created here.
  Frame(Figure& figure, Placement placement, int number);
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;
  ~Frame();

  Figure& figure() const { return *figure_; }
  TextWriter& writer() const;
  int number() const { return number_; }
  const Placement& placement() const { return placement_; }
  const Placement& plotArea() const { return plotArea_; }

  // Replaces the plot area: all four values when w and h are non-zero, only y and h when
  // only h is, only x and w when only w is; updates item 0 and the mapping.
  void setPlotArea(double x, double y, double w, double h);

  // Limits through autoLimits, then the mapping.
  void setLimits(double xmin, double xmax, double ymin, double ymax);
  // Limits exactly as given (`axis` with numbers), then the mapping.
  void setExactLimits(double xmin, double xmax, double ymin, double ymax);
  void setExactYLimits(double ymin, double ymax);
  double xmin() const { return xmin_; }
  double xmax() const { return xmax_; }
  double ymin() const { return ymin_; }
  double ymax() const { return ymax_; }

  // Axis kinds (kept in the TickSpecs); the mapping is not recomputed.
  void setLogarithmic(bool xLog, bool yLog);
  bool xLinear() const { return xTicks_.linear; }
  bool yLinear() const { return yTicks_.linear; }
  TickSpec& xTicks() { return xTicks_; }
  TickSpec& yTicks() { return yTicks_; }

  // Recomputes scales and offsets from the client rectangle, placement, plot area and
  // limits (non-positive limits of a logarithmic axis are replaced and stored), applies
  // `equal`, and rebuilds the plot-area and clip rectangles.
  void computeMapping();
  // Pixel = trunc(offset + scale * t), t the value or its natural logarithm on a
  // logarithmic axis. Values far outside the window are held at +-kPixelLimit; a value
  // that has no position (NaN, or not positive on a logarithmic axis) gives kNoPixel.
  int mapX(double v) const;
  int mapY(double v) const;
  double unmapX(int p) const;
  double unmapY(int p) const;
  double xScale() const { return xScale_; }
  double yScale() const { return yScale_; }
  double xOffset() const { return xOffset_; }
  double yOffset() const { return yOffset_; }

  bool fix = false;    // new data keeps the limits (`fix`, `unfix`)
  bool equal = false;  // both axes use the same pixels per data unit (`axis("equal")`)
  Rgb background = kWhite;

  // The frame's rectangle in the window, the plot area in pixels (-1 until first
  // computed) and the clip rectangle of the plot area.
  PixelRect frameRect() const;
  const PixelRect& plotRect() const { return plotRect_; }
  const PixelRect& clipRect() const { return clipRect_; }
  // The clip number, plot area and clamp rows handed to surfaces.
  FrameClip clip() const;

  // Items. An item's index is its position; item 0 is the plot-area box.
  size_t itemCount() const { return items_.size(); }
  // REQUIRES nothing: an index past the end raises "invalid id: no such item in the frame".
  Plotable& item(size_t index) const;
  std::vector<double> itemValue(size_t index) const { return item(index).value(); }
  // Appends an item and returns its id. A text label replaces an existing label with the
  // same x, y and anchor code (keeping its id) and has the frame shown again: whole when the
  // text-redraw setting is on, else only the label. Other items are not drawn here.
  int addItem(std::unique_ptr<Plotable> item);
  // Destroys every item except the plot-area box.
  void removeItems();
  // The frame's AxisTicks item, or null.
  AxisTicks* axisTicks() const;
  // The frame's title and axis titles, appended as a new item when the frame has none.
  MainLabels& mainLabels();

  // The drawing pass: computeMapping, erase, items 1..n-1 (visible ones) and item 0 last.
  void redraw(DrawSurface& surface);
  // A short drawing pass of one item, as when it was just added.
  void drawItem(DrawSurface& surface, size_t index);
  // Fills the frame's rectangle with the background colour.
  void eraseBackground(DrawSurface& surface);
  // Asks the figure's window (if any) to show the frame again, or only item `index`.
  void showAgain();
  void showItem(size_t index);

  // The surface of the running drawing pass. REQUIRES: inside redraw or drawItem.
  DrawSurface& surface() const;

 private:
  Figure* figure_;
  std::vector<std::unique_ptr<Plotable>> items_;
  Placement placement_;
  Placement plotArea_ = kDefaultPlotArea;
  int number_;
  double xmin_ = 0, xmax_ = 1, ymin_ = 0, ymax_ = 1;
  double xOffset_ = 0, xScale_ = 1, yOffset_ = 0, yScale_ = 1;
  TickSpec xTicks_;
  TickSpec yTicks_;
  PixelRect plotRect_{-1, -1, -1, -1};
  PixelRect clipRect_{-1, -1, -1, -1};
  DrawSurface* surface_ = nullptr;
};

// Pixel coordinates are held within this bound so that far-off data stays finite.
inline constexpr int kPixelLimit = 1 << 28;
// The pixel of a value without a position; items leave such points out, surfaces never
// receive it.
inline constexpr int kNoPixel = std::numeric_limits<int>::min();

}  // namespace zirbin::graphics
