// A figure window: it shows the display list the interpreter last rendered for its figure
// (scaled while a new one for a changed size is on its way), holds the figure's menus and
// child controls, and reports mouse, key, control, menu, size, focus and close events.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QSize>
#include <QWidget>

#include "graphics/display_list.h"
#include "graphics/figure.h"
#include "base/figure_event.h"

class QMenuBar;

namespace zirbin::platform::qt {

// Where a window's events go (GUI thread).
using FigureEventSink = std::function<void(const session::FigureEvent&)>;

// The drawing area of a figure window: its size is the figure's client area.
class FigureCanvas : public QWidget {
 public:
  // A canvas of width x height pixels; it reports sizes other than the last one reported.
  FigureCanvas(int figure, int width, int height, FigureEventSink sink, QWidget* parent);

  void setDisplayList(std::shared_ptr<const graphics::DisplayList> list);
  const graphics::DisplayList* displayList() const { return list_.get(); }
  // Replays the list at the canvas's size into `painter` (paint events and tests).
  void paintList(QPainter& painter);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  void send(session::FigureEventKind kind, int x = 0, int y = 0, int code = 0);

  int figure_;
  QSize reported_;  // the size the interpreter last heard of
  FigureEventSink sink_;
  std::shared_ptr<const graphics::DisplayList> list_;
};

class FigureWindow : public QWidget {
 public:
  // A window titled "Figure " + number, its canvas width x height pixels; a window of its
  // own beside `owner` (the console), which deletes it when it goes. Shown without taking
  // the keyboard focus from the console.
  FigureWindow(int number, int width, int height, FigureEventSink sink, QWidget* owner);
  ~FigureWindow() override;

  FigureCanvas* canvas() const { return canvas_; }
  void setMenus(const std::vector<graphics::FigureMenu>& menus);
  // Child controls by their command number.
  void addControl(int number, graphics::ControlKind kind, const std::string& text,
                  const std::vector<std::string>& entries);
  void placeControl(int number, const graphics::PixelRect& r);
  QWidget* control(int number) const;
  // The window is being closed by the interpreter (`close`): no close event is sent.
  void closeQuietly();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // The window became the active one: its figure and console become current.
  void focused();
  void command(int number, double value, const std::string& text);

  int number_;
  FigureEventSink sink_;
  QMenuBar* menuBar_;
  FigureCanvas* canvas_;
  std::map<int, QWidget*> controls_;
  bool quiet_ = false;
};

}  // namespace zirbin::platform::qt
