// The screen side of a figure as the interpreter thread sees it: after a change it renders
// the figure into a display list and hands it to the figure's window on the GUI thread;
// window requests (raise, move, menus, controls) travel the same way. The GUI thread never
// reads the figure model.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include <QPointer>

#include "graphics/figure.h"
#include "platform/qt/figure_window.h"

namespace zirbin::platform::qt {

class QtFigureView;

// The views of one owner's figures (a console, or the terminal), on the interpreter thread:
// the owner shows the changed ones after each command and in its waits.
class FigureViews {
 public:
  FigureViews() = default;
  FigureViews(const FigureViews&) = delete;
  FigureViews& operator=(const FigureViews&) = delete;

  void add(QtFigureView* view) { views_.push_back(view); }
  void remove(QtFigureView* view) { std::erase(views_, view); }
  bool empty() const { return views_.empty(); }
  // Sends the changed figures to their windows.
  void showChanged();
  // Closes every figure shown here (their views leave the list as they go).
  void closeFigures();

 private:
  std::vector<QtFigureView*> views_;
};

// GUI thread: the window a new figure window belongs to (it is deleted with it), null for
// a window of its own; false when the owner is gone and no window is to be made.
using FigureWindowParent = std::function<bool(QWidget*& parent)>;

// What the interpreter-thread view and the GUI-thread window share.
struct FigureWindowLink {
  QPointer<FigureWindow> window;  // GUI thread only; null until made and once closed
  // The usable screen size as the GUI thread saw it when the window opened (figpos).
  std::atomic<int> screenWidth{1920};
  std::atomic<int> screenHeight{1080};
};

class QtFigureView : public graphics::FigureView {
 public:
  // Interpreter thread. Opens the window of `figure` on the GUI thread, a window of what
  // `parent` gives; its events go to `sink`. The view is in `views` while it lives.
  QtFigureView(graphics::Figure& figure, FigureViews& views, FigureWindowParent parent,
               FigureEventSink sink);
  // Interpreter thread: the figure is gone; its window closes.
  ~QtFigureView() override;
  QtFigureView(const QtFigureView&) = delete;
  QtFigureView& operator=(const QtFigureView&) = delete;

  void redrawFrame(graphics::Frame& frame) override;
  void drawItem(graphics::Frame& frame, size_t index) override;
  void raise() override;
  void moveTo(const graphics::PixelRect& screenRect) override;
  int screenWidth() const override { return link_->screenWidth; }
  int screenHeight() const override { return link_->screenHeight; }
  // The window's messages are its own thread's business: this only shows the changes.
  void pumpMessages() override { show(); }
  void setMenus(const std::vector<graphics::FigureMenu>& menus) override;
  std::unique_ptr<graphics::ChildControl> createControl(const graphics::PlotableButton& button) override;

  // Sends a new display list when the figure changed since the last one.
  void show();
  int figureNumber() const { return figure_.number(); }

 private:
  // A change: shown at once when the window has not been sent a list for a while (a loop
  // that plots is seen moving), else at the next show().
  void changed();
  void publish();

  graphics::Figure& figure_;
  FigureViews& views_;
  std::shared_ptr<FigureWindowLink> link_ = std::make_shared<FigureWindowLink>();
  bool dirty_ = true;
  std::chrono::steady_clock::time_point lastPublish_{};
};

}  // namespace zirbin::platform::qt
