// Figures shown in windows: display lists sent from the interpreter thread to the GUI.
#include "platform/qt/figure_view.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>

#include "graphics/display_list.h"
#include "platform/qt/interpreter_thread.h"

namespace zirbin::platform::qt {

namespace {

// A figure that keeps changing inside one command is sent to its window at most this
// often (about 30 frames a second); the rest waits for the command's end or a wait.
constexpr auto kLiveRedrawInterval = std::chrono::milliseconds(33);

// A control's position requests, sent to its window.
class ControlProxy : public graphics::ChildControl {
 public:
  ControlProxy(std::shared_ptr<FigureWindowLink> link, int number)
      : link_(std::move(link)), number_(number) {}
  void reposition(const graphics::PixelRect& r) override {
    if (r == last_) return;
    last_ = r;
    runOnGui([link = link_, n = number_, r] {
      if (link->window) link->window->placeControl(n, r);
    });
  }

 private:
  std::shared_ptr<FigureWindowLink> link_;
  int number_;
  graphics::PixelRect last_{-1, -1, -1, -1};
};

}  // namespace

void FigureViews::showChanged() {
  for (QtFigureView* view : views_) view->show();
}

void FigureViews::closeFigures() {
  std::vector<int> numbers;
  for (QtFigureView* view : views_) numbers.push_back(view->figureNumber());
  for (int n : numbers) graphics::figures().close(n);
}

QtFigureView::QtFigureView(graphics::Figure& figure, FigureViews& views, FigureWindowParent parent,
                           FigureEventSink sink)
    : figure_(figure), views_(views) {
  views_.add(this);
  int number = figure.number(), w = figure.clientRect().width(), h = figure.clientRect().height();
  runOnGui([link = link_, parent = std::move(parent), number, w, h, sink = std::move(sink)] {
    QWidget* owner = nullptr;
    if (!parent(owner)) return;
    if (QScreen* s = QGuiApplication::primaryScreen()) {
      link->screenWidth = s->availableGeometry().width();
      link->screenHeight = s->availableGeometry().height();
    }
    auto* window = new FigureWindow(number, w, h, sink, owner);
    link->window = window;
    window->show();
  });
}

QtFigureView::~QtFigureView() {
  views_.remove(this);
  runOnGui([link = link_] {
    if (link->window) {
      link->window->closeQuietly();
      link->window->deleteLater();
    }
  });
}

void QtFigureView::changed() {
  dirty_ = true;
  if (std::chrono::steady_clock::now() - lastPublish_ >= kLiveRedrawInterval) publish();
}

void QtFigureView::show() {
  if (dirty_) publish();
}

void QtFigureView::publish() {
  dirty_ = false;
  std::shared_ptr<const graphics::DisplayList> list = graphics::renderDisplayList(figure_);
  lastPublish_ = std::chrono::steady_clock::now();
  runOnGui([link = link_, list = std::move(list)] {
    if (link->window) link->window->canvas()->setDisplayList(list);
  });
}

void QtFigureView::redrawFrame(graphics::Frame&) { changed(); }

void QtFigureView::drawItem(graphics::Frame&, size_t) { changed(); }

void QtFigureView::raise() {
  show();
  runOnGui([link = link_] {
    if (link->window) {
      link->window->show();
      link->window->raise();
    }
  });
}

void QtFigureView::moveTo(const graphics::PixelRect& r) {
  runOnGui([link = link_, r] {
    if (link->window) {
      // The window's frame goes to the corner; the size is its client area's.
      link->window->move(r.left, r.top);
      link->window->resize(std::max(r.width(), 1), std::max(r.height(), 1));
      link->window->show();
    }
  });
}

void QtFigureView::setMenus(const std::vector<graphics::FigureMenu>& menus) {
  runOnGui([link = link_, menus] {
    if (link->window) link->window->setMenus(menus);
  });
}

std::unique_ptr<graphics::ChildControl> QtFigureView::createControl(const graphics::PlotableButton& b) {
  runOnGui([link = link_, n = b.number, kind = b.controlKind, text = b.text, entries = b.entries] {
    if (link->window) link->window->addControl(n, kind, text, entries);
  });
  return std::make_unique<ControlProxy>(link_, b.number);
}

}  // namespace zirbin::platform::qt
