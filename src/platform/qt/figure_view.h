// The screen side of a figure as the interpreter thread sees it: after a change it renders
// the figure into a display list and hands it to the figure's window on the GUI thread;
// window requests (raise, move, menus, controls) travel the same way. The GUI thread never
// reads the figure model.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>

#include <QPointer>

#include "graphics/figure.h"
#include "platform/qt/figure_window.h"

namespace zirbin::platform::qt {

class ConsoleSession;
class QtHost;

// What the interpreter-thread view and the GUI-thread window share.
struct FigureWindowLink {
  QPointer<FigureWindow> window;  // GUI thread only; null until made and once closed
  // The usable screen size as the GUI thread saw it when the window opened (figpos).
  std::atomic<int> screenWidth{1920};
  std::atomic<int> screenHeight{1080};
};

class QtFigureView : public graphics::FigureView {
 public:
  // Interpreter thread. Opens the window of `figure` on the GUI thread, as a window of
  // `owner`'s console; its events go to `sink`. The view registers with the owner's host,
  // which shows the changed figures (host.showFigures()).
  QtFigureView(graphics::Figure& figure, ConsoleSession& owner, FigureEventSink sink);
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
  QtHost& host_;
  std::shared_ptr<FigureWindowLink> link_ = std::make_shared<FigureWindowLink>();
  bool dirty_ = true;
  std::chrono::steady_clock::time_point lastPublish_{};
};

}  // namespace zirbin::platform::qt
