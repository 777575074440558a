// Recording a figure into a display list, and replaying it.
#include "graphics/display_list.h"

#include <algorithm>

#include "graphics/figure.h"

namespace zirbin::graphics {

namespace {

template <class... Fs>
struct Overloaded : Fs... {
  using Fs::operator()...;
};
template <class... Fs>
Overloaded(Fs...) -> Overloaded<Fs...>;

}  // namespace

void DisplayListSurface::polyline(std::span<const Point> points) {
  size_t first = list_.points.size();
  std::vector<Point>& out = list_.points;
  size_t i = 0;
  while (i < points.size()) {
    // A run of points in the same column: first, lowest, highest, last, in their order.
    size_t j = i + 1;
    size_t lo = i, hi = i;
    while (j < points.size() && points[j].x == points[i].x) {
      if (points[j].y < points[lo].y) lo = j;
      if (points[j].y > points[hi].y) hi = j;
      ++j;
    }
    size_t last = j - 1;
    size_t keep[] = {i, std::min(lo, hi), std::max(lo, hi), last};
    size_t previous = points.size();
    for (size_t k : keep) {
      if (k != previous) out.push_back(points[k]);
      previous = k;
    }
    i = j;
  }
  size_t count = out.size() - first;
  if (count == 1) out.push_back(out.back());  // a line that stays on one point
  list_.calls.emplace_back(DisplayList::Polyline{first, out.size() - first});
}

void DisplayListSurface::polygon(std::span<const Point> points) {
  size_t first = list_.points.size();
  list_.points.insert(list_.points.end(), points.begin(), points.end());
  list_.calls.emplace_back(DisplayList::Polygon{first, points.size()});
}

void DisplayListSurface::image(int left, int top, int width, int height, std::span<const Rgb> pixels,
                               Rgb transparent) {
  size_t first = list_.pixels.size();
  list_.pixels.insert(list_.pixels.end(), pixels.begin(), pixels.end());
  list_.calls.emplace_back(DisplayList::Image{left, top, width, height, first, transparent});
}

void DisplayList::replay(DrawSurface& s) const {
  std::span<const Point> all(points);
  for (const Call& call : calls) {
    std::visit(Overloaded{
                   [&](const BeginFrame& c) { s.beginFrame(c.clip); },
                   [&](const EndFrame&) { s.endFrame(); },
                   [&](const Erase& c) { s.eraseRect(c.r, c.colour); },
                   [&](const BeginStyle& c) { s.beginStyle(c.style, c.filled); },
                   [&](const EndStyle&) { s.endStyle(); },
                   [&](const Clipping& c) { s.setClipping(c.on); },
                   [&](const Polyline& c) { s.polyline(all.subspan(c.first, c.count)); },
                   [&](const Polygon& c) { s.polygon(all.subspan(c.first, c.count)); },
                   [&](const Rectangle& c) { s.rectangle(c.left, c.top, c.width, c.height); },
                   [&](const Bar& c) { s.bar(c.left, c.top, c.width, c.baseline); },
                   [&](const Circle& c) { s.circle(c.cx, c.cy, c.r); },
                   [&](const Text& c) { s.text(c.run); },
                   [&](const Image& c) {
                     s.image(c.left, c.top, c.width, c.height,
                             std::span<const Rgb>(pixels).subspan(
                                 c.first, static_cast<size_t>(c.width) * c.height),
                             c.transparent);
                   },
               },
               call);
  }
}

std::shared_ptr<const DisplayList> renderDisplayList(Figure& figure) {
  auto list = std::make_shared<DisplayList>();
  list->width = figure.clientRect().width();
  list->height = figure.clientRect().height();
  DisplayListSurface surface(*list);
  figure.redrawAll(surface);
  return list;
}

}  // namespace zirbin::graphics
