// The figure window procedure: each window event's effect on the figure model.
#include "graphics/figure_interaction.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zirbin::graphics {

namespace {

using session::FigureEvent;
using session::FigureEventKind;

// Key codes up to this wait for no character message: they call onKeyDown at once
// (function and cursor keys); higher codes come back as characters.
constexpr int kLastNonCharacterKey = 64;

struct Where {
  Frame* frame;
  double x;
  double y;
};

Where where(Figure& figure, int px, int py) {
  Frame& f = frameAt(figure, px, py);
  return {&f, f.unmapX(px), f.unmapY(py)};
}

// Calls a callback at the mouse position; then the frame under the mouse becomes current.
// The figure is looked up again afterwards: the callback may have closed it.
void callAt(const std::string& name, const FigureEvent& event, FigureCallbacks& callbacks,
            const std::vector<double>& second = {}) {
  Figure* fig = figures().find(event.figure);
  if (fig == nullptr) return;
  Where w = where(*fig, event.x, event.y);
  callbacks.call(name, w.x, w.y, second);
  fig = figures().find(event.figure);
  if (fig == nullptr) return;
  int index = frameAt(*fig, event.x, event.y).number();
  if (static_cast<size_t>(index) < fig->frameCount()) fig->setCurrentFrame(static_cast<size_t>(index));
}

// The dragable list after items were removed names items that are gone: it is dropped.
bool checkDragables(Figure& fig, FigureCallbacks& callbacks) {
  if (!fig.dragablesInvalid) return true;
  fig.dragables.clear();
  fig.dragablesInvalid = false;
  callbacks.note("The list of dragable items has become invalid.");
  return false;
}

Plotable* itemOf(Figure& fig, int id, Frame** frame = nullptr) {
  auto f = static_cast<size_t>(id / kItemIdFrameFactor);
  auto i = static_cast<size_t>(id % kItemIdFrameFactor);
  if (id < 0 || f >= fig.frameCount() || i >= fig.frame(f).itemCount()) return nullptr;
  if (frame) *frame = &fig.frame(f);
  return &fig.frame(f).item(i);
}

bool hits(Frame& frame, const Plotable& item, int px, int py) {
  double x, y;
  itemPosition(item, x, y);
  int ix = frame.mapX(x), iy = frame.mapY(y);
  if (ix != kNoPixel && iy != kNoPixel && std::abs(ix - px) <= kDragHitTolerance &&
      std::abs(iy - py) <= kDragHitTolerance)
    return true;
  double dx = frame.unmapX(px), dy = frame.unmapY(py);
  if (const auto* box = dynamic_cast<const Box*>(&item)) {
    return dx >= std::min(box->x, box->x + box->w) && dx <= std::max(box->x, box->x + box->w) &&
           dy >= std::min(box->y, box->y + box->h) && dy <= std::max(box->y, box->y + box->h);
  }
  if (const auto* c = dynamic_cast<const MyCircle*>(&item)) {
    int edge = frame.mapX(c->x + c->r);
    if (ix == kNoPixel || iy == kNoPixel || edge == kNoPixel) return false;
    double r = std::abs(edge - ix), ex = px - ix, ey = py - iy;
    return ex * ex + ey * ey <= r * r;
  }
  return false;
}

// The first dragable item under the mouse, frames searched in order; 0 when none.
int pickDragable(Figure& fig, int px, int py) {
  for (size_t f = 0; f < fig.frameCount(); ++f) {
    for (const DragableItem& d : fig.dragables) {
      Frame* frame = nullptr;
      Plotable* item = itemOf(fig, d.id, &frame);
      if (item != nullptr && frame == &fig.frame(f) && hits(*frame, *item, px, py)) return d.id;
    }
  }
  return 0;
}

// Moves the dragged item to the mouse, held inside its region, and shows its frame again.
// Returns false when the item is no longer there.
bool dragTo(Figure& fig, int id, int px, int py) {
  const DragableItem* d = nullptr;
  for (const DragableItem& e : fig.dragables) {
    if (e.id == id) d = &e;
  }
  Frame* frame = nullptr;
  Plotable* item = itemOf(fig, id, &frame);
  if (d == nullptr || item == nullptr) return false;
  double nx = std::clamp(frame->unmapX(px), std::min(d->x, d->x + d->w), std::max(d->x, d->x + d->w));
  double ny = std::clamp(frame->unmapY(py), std::min(d->y, d->y + d->h), std::max(d->y, d->y + d->h));
  if (!std::isfinite(nx) || !std::isfinite(ny)) return true;
  double ox, oy;
  itemPosition(*item, ox, oy);
  item->move(nx - ox, ny - oy);
  frame->showAgain();
  return true;
}

FigureEvent atMouse(const FigureEvent& e);

void mouseMove(Figure& fig, const FigureEvent& e, FigureCallbacks& callbacks) {
  MouseState& m = mouseState();
  if (!m.left) {
    callAt("onMove", e, callbacks);
    return;
  }
  if (m.dragged == 0) {
    callAt("onDrag", e, callbacks);
    return;
  }
  if (!checkDragables(fig, callbacks) || !dragTo(fig, m.dragged, e.x, e.y)) {
    m.dragged = 0;
    return;
  }
  callAt("onDragable", e, callbacks);
}

void leftDown(Figure& fig, const FigureEvent& e, FigureCallbacks& callbacks) {
  MouseState& m = mouseState();
  m.left = true;
  m.clicked = true;
  ++m.clicks;
  Where w = where(fig, e.x, e.y);
  m.pressX = w.x;
  m.pressY = w.y;
  m.dragged = checkDragables(fig, callbacks) ? pickDragable(fig, e.x, e.y) : 0;
  if (m.dragged != 0) callAt("onDragable", e, callbacks);
  callAt("onLDown", e, callbacks);
}

// A control's state after the user changed it, as the model keeps it.
void updateControl(PlotableButton& b, const FigureEvent& e) {
  switch (b.controlKind) {
    case ControlKind::kPushButton:
      b.state += 1;
      break;
    case ControlKind::kEditBox: {
      b.text = e.text;
      char* end = nullptr;
      double v = std::strtod(e.text.c_str(), &end);
      while (end != nullptr && *end == ' ') ++end;
      b.state = (!e.text.empty() && end != nullptr && *end == 0) ? v : NAN;
      break;
    }
    case ControlKind::kComboBox:
      b.state = e.value;
      if (!e.text.empty()) b.text = e.text;
      break;
    case ControlKind::kStaticText:
      break;
  }
}

PlotableButton* controlOf(Figure& fig, int number) {
  for (size_t f = 0; f < fig.frameCount(); ++f) {
    Frame& frame = fig.frame(f);
    for (size_t i = 0; i < frame.itemCount(); ++i) {
      auto* b = dynamic_cast<PlotableButton*>(&frame.item(i));
      if (b != nullptr && b->number == number) return b;
    }
  }
  return nullptr;
}

void command(Figure& fig, const FigureEvent& e, FigureCallbacks& callbacks) {
  MouseState& m = mouseState();
  if (e.code >= kFirstMenuCommand) {
    const std::string* text = fig.menuCommand(e.code);
    if (text == nullptr) return;
    m.clicked = true;
    callbacks.typeCommand(*text);
    return;
  }
  PlotableButton* b = controlOf(fig, e.code);
  if (b == nullptr) return;
  updateControl(*b, e);
  m.clicked = true;
  m.control = {static_cast<double>(b->number), b->state};
  callAt("onButton", e, callbacks, m.control);
}

// A key event placed where the mouse last was: keys call back at the mouse position.
FigureEvent atMouse(const FigureEvent& e) {
  FigureEvent at = e;
  at.x = mouseState().x;
  at.y = mouseState().y;
  return at;
}

}  // namespace

Frame& frameAt(Figure& figure, int x, int y) {
  for (size_t i = 0; i < figure.frameCount(); ++i) {
    PixelRect r = figure.frame(i).frameRect();
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return figure.frame(i);
  }
  return figure.currentFrame();
}

void itemPosition(const Plotable& item, double& x, double& y) {
  const auto* curve = dynamic_cast<const Curve*>(&item);
  if (curve != nullptr && !curve->xs.empty()) {
    x = curve->xs[0];
    y = curve->ys[0];
    return;
  }
  x = item.x;
  y = item.y;
}

void handleFigureEvent(const FigureEvent& e, FigureCallbacks& callbacks) {
  Figure* fig = figures().find(e.figure);
  if (fig == nullptr) return;
  MouseState& m = mouseState();
  switch (e.kind) {
    case FigureEventKind::kKeyDown:
      m.key = e.code;
      if (e.code <= kLastNonCharacterKey) callAt("onKeyDown", atMouse(e), callbacks);
      return;
    case FigureEventKind::kChar:
      m.key = e.code;
      callAt("onKeyDown", atMouse(e), callbacks);
      return;
    case FigureEventKind::kKeyUp:
      m.key = 0;
      return;
    case FigureEventKind::kSize:
      fig->setClientRect({0, 0, std::max(e.x, 1), std::max(e.y, 1)});
      fig->showAgain();
      return;
    case FigureEventKind::kFocus:
      callbacks.takeFocus();
      figures().makeCurrent(*fig);
      return;
    case FigureEventKind::kClose:
      if (m.figure == e.figure) m.dragged = 0;
      figures().close(e.figure);
      return;
    case FigureEventKind::kCommand:
      command(*fig, e, callbacks);
      return;
    default:
      break;
  }
  // The mouse events.
  m.figure = e.figure;
  m.x = e.x;
  m.y = e.y;
  switch (e.kind) {
    case FigureEventKind::kMouseMove:
      mouseMove(*fig, e, callbacks);
      break;
    case FigureEventKind::kLeftDown:
      leftDown(*fig, e, callbacks);
      break;
    case FigureEventKind::kLeftUp:
      m.left = false;
      m.dragged = 0;
      callAt("onLUp", e, callbacks);
      break;
    case FigureEventKind::kLeftDouble:
      m.doubleClicked = true;
      callAt("onLDouble", e, callbacks);
      break;
    case FigureEventKind::kRightDown:
      m.right = true;
      callAt("onRDown", e, callbacks);
      break;
    case FigureEventKind::kRightUp:
      m.right = false;
      callAt("onRUp", e, callbacks);
      break;
    default:
      break;
  }
}

}  // namespace zirbin::graphics
