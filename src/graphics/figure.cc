// Figures, their frames, and the figure registry.
#include "graphics/figure.h"

#include <algorithm>

#include "base/errors.h"

namespace zirbin::graphics {

PixelRect placeOnScreen(double x, double y, double w, double h, int screenWidth, int screenHeight) {
  double W = screenWidth;
  double H = screenHeight;
  double left, width, top, height;
  if (x <= 1 && w <= 1) {
    left = x * W;
    width = w * W;
  } else {
    left = x;
    width = w;
  }
  if (y <= 1 && h <= 1) {
    top = (1 - y) * H - h * H;
    height = h * H;
  } else {
    top = H - y - h;
    height = h;
  }
  int l = static_cast<int>(left);
  int t = static_cast<int>(top);
  return {l, t, l + static_cast<int>(width), t + static_cast<int>(height)};
}

Figure::Figure(int number)
    : number_(number), writer_("Times New Roman", headlessMetrics(FontFace::kSerif)) {
  frames_.push_back(std::make_unique<Frame>(*this, kWholeWindow, 0));
}

Figure::~Figure() = default;

void Figure::setClientRect(const PixelRect& r) {
  client_ = r;
  for (auto& f : frames_) f->computeMapping();
}

void Figure::setCurrentFrame(size_t index) {
  ZB_ASSERT(index < frames_.size(), "frame index out of range");
  current_ = index;
}

size_t Figure::selectFrame(const Placement& placement) {
  for (size_t i = 0; i < frames_.size(); ++i) {
    if (frames_[i]->placement() == placement) {
      current_ = i;
      return i;
    }
  }
  if (frames_.size() == 1 && frames_[0]->placement() == kWholeWindow) {
    frames_[0] = std::make_unique<Frame>(*this, placement, 0);
    current_ = 0;
  } else {
    frames_.push_back(std::make_unique<Frame>(*this, placement, static_cast<int>(frames_.size())));
    current_ = frames_.size() - 1;
  }
  return current_;
}

bool Figure::wipe(int n, Rgb colour) {
  if (n >= 0) {
    if (static_cast<size_t>(n) >= frames_.size()) return false;
    Frame& f = *frames_[n];
    f.removeItems();
    f.background = colour;
    current_ = n;
    f.showAgain();
    return true;
  }
  if (!dragables.empty()) dragablesInvalid = true;
  if (frames_.size() > 1) {
    frames_.clear();
    frames_.push_back(std::make_unique<Frame>(*this, kWholeWindow, 0));
  } else {
    frames_[0]->removeItems();
  }
  if (n != -2) frames_[0]->background = colour;
  current_ = 0;
  showAgain();
  return true;
}

const std::string* Figure::menuCommand(int command) const {
  int k = command - kFirstMenuCommand;
  for (const FigureMenu& m : menus) {
    if (k >= 0 && k < static_cast<int>(m.entries.size())) return &m.entries[k];
    k -= static_cast<int>(m.entries.size());
  }
  return nullptr;
}

void Figure::place(double x, double y, double w, double h) {
  if (!view_) return;
  view_->moveTo(placeOnScreen(x, y, w, h, view_->screenWidth(), view_->screenHeight()));
}

void Figure::pumpMessages() {
  pumping_ = !pumping_;
  if (view_) view_->pumpMessages();
  pumping_ = !pumping_;
}

void Figure::redrawAll(DrawSurface& surface) {
  for (auto& f : frames_) f->redraw(surface);
}

void Figure::showAgain() {
  for (auto& f : frames_) f->showAgain();
}

int FigureRegistry::figure(int n) {
  if (n < -1 || n > kMaxFigureNumber) session::checkFailed("figure", "number must be between 0 and 128");
  if (n == -1) {
    if (current_) {
      if (current_->view()) current_->view()->raise();
      return current_->number();
    }
    if (!figures_.empty()) return figure(figures_.front()->number());
    n = 0;
  }
  if (n == 0) {
    // With all numbers in use, the current figure (or the last opened) is reused.
    n = 1;
    while (n <= kMaxFigureNumber && find(n)) ++n;
    if (n > kMaxFigureNumber) n = current_ ? current_->number() : figures_.back()->number();
  }
  Figure* f = find(n);
  if (!f) f = &open(n);
  current_ = f;
  if (f->view()) f->view()->raise();
  return n;
}

Figure& FigureRegistry::open(int number) {
  auto figure = std::make_unique<Figure>(number);
  if (const ViewFactory& factory = viewFactory()) {
    std::unique_ptr<FigureView> view = factory(*figure);
    if (!view) throw session::RuntimeError("Graphics or memory problem: could not open a window");
    figure->setView(std::move(view));
  }
  figures_.push_back(std::move(figure));
  return *figures_.back();
}

int FigureRegistry::close(int n) {
  if (n < 1) {
    figures_.clear();
    current_ = nullptr;
    return n;
  }
  auto it = std::find_if(figures_.begin(), figures_.end(),
                         [n](const auto& f) { return f->number() == n; });
  if (it == figures_.end()) return 0;
  if (current_ == it->get()) current_ = nullptr;
  figures_.erase(it);
  return n;
}

Figure& FigureRegistry::requireCurrent() const {
  if (!current_) throw session::RuntimeError("a figure is required but none was found");
  return *current_;
}

FigureRegistry::ViewFactory& FigureRegistry::viewFactory() {
  static ViewFactory factory;
  return factory;
}

Figure* FigureRegistry::find(int number) const {
  for (const auto& f : figures_) {
    if (f->number() == number) return f.get();
  }
  return nullptr;
}

}  // namespace zirbin::graphics
