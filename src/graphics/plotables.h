// The plot items of a frame: the Plotable base and its classes (curves, points, error bars,
// bar charts, text labels, axis titles, axis ticks, boxes, circles, bitmaps, controls).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "graphics/draw_surface.h"
#include "graphics/plot_style.h"

namespace zirbin::graphics {

class Frame;

// The kinds that built-ins and the user see (`Plotable::kind`).
inline constexpr int kKindOther = 0;
inline constexpr int kKindCurve = 1;
inline constexpr int kKindText = 2;
inline constexpr int kKindMainLabels = 3;
inline constexpr int kKindPoint = 4;
inline constexpr int kKindCircle = 5;
inline constexpr int kKindBox = 6;
inline constexpr int kKindButton = 7;

class Plotable {
 public:
  Plotable() = default;
  Plotable(const Plotable&) = delete;
  Plotable& operator=(const Plotable&) = delete;
  virtual ~Plotable() = default;

  // Draws the item on frame.surface(). REQUIRES: inside a drawing pass of `frame`.
  virtual void draw(Frame& frame) = 0;
  // Moves the item by (dx, dy) data units.
  virtual void move(double dx, double dy) {
    x += dx;
    y += dy;
  }
  virtual int kind() const { return kKindOther; }
  // One double, the item's y; a control gives its state.
  virtual std::vector<double> value() const { return {y}; }
  // Applies a new style string (`replot` with a string); false when the item's class
  // takes no style string (its style is then unchanged).
  virtual bool setStyleString(std::string_view s) {
    (void)s;
    return false;
  }

  double x = 0;  // data units; the meaning depends on the class
  double y = 0;
  PlotStyle style;
  bool visible = true;  // invisible items are skipped by the drawing pass
};

// The default style of curves and points: dark green (0,100,0), solid, width 2.
inline constexpr Rgb kCurveColour = rgb(0, 100, 0);
inline constexpr int kCurveWidth = 2;
// The default style of bar charts and text labels: dark blue (0,0,100).
inline constexpr Rgb kLabelColour = rgb(0, 0, 100);
inline constexpr int kLabelFontSize = 20;

// A polyline through samples, with optional markers and fill. The style string sets the
// style, the marker and `filled` ("#").
class Curve : public Plotable {
 public:
  Curve(std::vector<double> xs, std::vector<double> ys, std::string_view styleString);
  void draw(Frame& frame) override;
  void move(double dx, double dy) override;
  int kind() const override { return kKindCurve; }
  // Style, marker and fill from the string.
  bool setStyleString(std::string_view s) override;
  // Replaces the samples. REQUIRES: xs.size() == ys.size().
  void setData(std::vector<double> xs, std::vector<double> ys);

  std::vector<double> xs;
  std::vector<double> ys;
  char marker = 0;  // 0: none
  int markerSize = kDefaultMarkerSize;
  bool filled = false;

 protected:
  std::vector<Point> points_;  // scratch: the samples in pixels
};

// Vertical error bars at the samples of a curve: one dy per point, or one common dy.
class ErrorBars : public Curve {
 public:
  // REQUIRES: dys empty (use commonDy) or dys.size() == xs.size().
  ErrorBars(std::vector<double> xs, std::vector<double> ys, std::vector<double> dys,
            double commonDy, std::string_view styleString);
  void draw(Frame& frame) override;

  std::vector<double> dys;
  double commonDy = 0;
};

// The default style string of error bars.
inline constexpr std::string_view kErrorBarsStyle = "g1";

// One marker at (x, y). Without a marker in the style string the marker is "+".
class SinglePoint : public Plotable {
 public:
  SinglePoint(double x, double y, std::string_view styleString);
  void draw(Frame& frame) override;
  int kind() const override { return kKindPoint; }
  bool setStyleString(std::string_view s) override;

  char marker = '+';
  int markerSize = kDefaultMarkerSize;
};

// Bars standing on y = 0, one per x value, with a common width or one width per bar (data
// units).
class BarChart : public Plotable {
 public:
  // REQUIRES: heights.size() == xs.size(); widths empty or of the same size.
  BarChart(std::vector<double> xs, std::vector<double> heights, double commonWidth,
           std::vector<double> widths, std::string_view styleString);
  void draw(Frame& frame) override;

  std::vector<double> xs;
  std::vector<double> heights;
  double commonWidth = 1;
  std::vector<double> widths;
};

// The default style string of `barchart`: white outline, blue fill, width 1.
inline constexpr std::string_view kBarChartStyle = "w#b 1";

// A text in figure markup at (x, y) (data units, or frame fractions when `relative`), with
// an anchor code (placement.h) and a rotation of 0 or 90 degrees. The style's width is the
// font size.
class TextLabel : public Plotable {
 public:
  TextLabel(double x, double y, std::string text, std::string_view placement,
            std::string_view styleString, bool relative = false);
  void draw(Frame& frame) override;
  int kind() const override { return kKindText; }
  bool setStyleString(std::string_view s) override {
    applyStyleString(s, style);
    return true;
  }
  // Draws the label at a pixel point.
  void drawAt(Frame& frame, int px, int py) const;

  std::string text;
  bool relative = false;
  int anchor = 5;
  int rotation = 0;
};

// The frame's title (top), x-axis title (bottom) and y-axis title (left, vertical).
class MainLabels : public Plotable {
 public:
  MainLabels();
  void draw(Frame& frame) override;
  int kind() const override { return kKindMainLabels; }

  TextLabel xLabel;
  TextLabel yLabel;
  TextLabel title;
};

// The axes of a frame: ticks, tick labels, grid and zero lines, by the two mode words.
class AxisTicks : public Plotable {
 public:
  AxisTicks(int xMode, int yMode) : xMode(xMode), yMode(yMode) {}
  void draw(Frame& frame) override;

  int xMode;
  int yMode;
};

// A rectangle x, y, w, h in data units ((x, y) its lower left corner).
class Box : public Plotable {
 public:
  Box(double x, double y, double w, double h, std::string_view styleString);
  void draw(Frame& frame) override;
  int kind() const override { return kKindBox; }

  double w = 0;
  double h = 0;
  bool filled = false;
};

// A rectangle in frame fractions: item 0 of every frame, the line around the plot area.
class BoxRel : public Plotable {
 public:
  BoxRel(double x, double y, double w, double h);
  void draw(Frame& frame) override;

  double w = 0;
  double h = 0;
  bool flag = true;
};

// A circle centred at (x, y) with radius r in x-axis data units.
class MyCircle : public Plotable {
 public:
  MyCircle(double x, double y, double r, std::string_view styleString);
  void draw(Frame& frame) override;
  int kind() const override { return kKindCircle; }
  bool setStyleString(std::string_view s) override;

  double r = 0;
  bool filled = false;
};

// An image placed with its top left corner at (x, y); pixels row by row from the top,
// 0x00BBGGRR, with `transparent` pixels left out.
class MyBitmap : public Plotable {
 public:
  MyBitmap(double x, double y, int width, int height, std::vector<Rgb> pixels, Rgb transparent);
  void draw(Frame& frame) override;

  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;
  Rgb transparent = kWhite;
  bool flag = true;
};

// A run of equally spaced tick marks or grid lines, made and drawn by AxisTicks only:
// `count` lines at start + k * spacing in the axis variable (the value, or its natural
// logarithm on a logarithmic axis).
class Raster : public Plotable {
 public:
  Raster(int count, double spacing, bool vertical, bool minor, double start);
  void draw(Frame& frame) override;

  int count = 0;
  double spacing = 0;
  bool vertical = false;  // lines of the y axis (horizontal marks)
  bool minor = false;     // short marks
  bool grid = false;      // lines across the plot area instead of marks
  double start = 0;
};

// The window-system control of a PlotableButton, supplied by the screen front end.
class ChildControl {
 public:
  virtual ~ChildControl() = default;
  // Moves the control to a pixel rectangle of the figure window.
  virtual void reposition(const PixelRect& r) = 0;
};

// A holder of a child control and its text.
class PlotableWithWindow : public Plotable {
 public:
  PlotableWithWindow(std::unique_ptr<ChildControl> control, std::string text)
      : control(std::move(control)), text(std::move(text)) {}

  std::unique_ptr<ChildControl> control;
  std::string text;
};

// The kinds of child control `createButton` makes.
enum class ControlKind { kPushButton, kEditBox, kStaticText, kComboBox };

// A push button, edit box, static text or combo box with its lower left corner at (x, y)
// in frame fractions, w by h pixels. The model keeps the control's state as the window
// last reported it (a command event), so that it is read without the window: `value` is
// the number of presses of a push button, the number an edit box holds (NaN when its text
// is not a number), the 1-based entry chosen in a combo box (0 before any).
class PlotableButton : public PlotableWithWindow {
 public:
  PlotableButton(ControlKind controlKind, std::string text, int number)
      : PlotableWithWindow(nullptr, std::move(text)), controlKind(controlKind), number(number) {}
  void draw(Frame& frame) override;
  int kind() const override { return kKindButton; }
  std::vector<double> value() const override { return {state}; }
  // The control's rectangle in the window's pixels.
  PixelRect rectIn(const Frame& frame) const;

  ControlKind controlKind;
  int number;                        // the command number (below 4096)
  std::vector<std::string> entries;  // a combo box's entries
  int w = 0;
  int h = 0;
  double state = 0;
};

}  // namespace zirbin::graphics
