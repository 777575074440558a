// Display lists: a figure recorded on one thread and replayed on another draws what the
// figure draws directly, with long curves reduced to a few points per pixel column.
#include "graphics/display_list.h"

#include <gtest/gtest.h>

#include <cmath>

#include "graphics/figure.h"
#include "graphics/recording_surface.h"

namespace zirbin::graphics {
namespace {

std::vector<Point> recordPolyline(const std::vector<Point>& points) {
  DisplayList list;
  DisplayListSurface surface(list);
  surface.polyline(points);
  const auto& call = std::get<DisplayList::Polyline>(list.calls.at(0));
  return {list.points.begin() + static_cast<long>(call.first),
          list.points.begin() + static_cast<long>(call.first + call.count)};
}

TEST(DisplayList, APolylineKeepsFirstLowestHighestAndLastOfEachColumn) {
  // Column 5 visits 9, 2, 7, 1 and ends at 4; column 6 is one point.
  EXPECT_EQ(recordPolyline({{5, 9}, {5, 2}, {5, 7}, {5, 1}, {5, 4}, {6, 3}}),
            (std::vector<Point>{{5, 9}, {5, 1}, {5, 4}, {6, 3}}));
  // The highest row before the lowest keeps their order along the line.
  EXPECT_EQ(recordPolyline({{1, 5}, {1, 8}, {1, 0}, {1, 5}}),
            (std::vector<Point>{{1, 5}, {1, 8}, {1, 0}, {1, 5}}));
  // A line staying on one point is still a line of two.
  EXPECT_EQ(recordPolyline({{3, 3}, {3, 3}}), (std::vector<Point>{{3, 3}, {3, 3}}));
}

TEST(DisplayList, ReplayDrawsWhatTheFigureDrawsDirectly) {
  Figure figure(1);
  Frame& frame = figure.currentFrame();
  frame.setExactLimits(0, 10, -1, 1);
  std::vector<double> xs, ys;
  for (int i = 0; i <= 40; ++i) {
    xs.push_back(i / 4.0);
    ys.push_back(std::sin(i / 4.0));
  }
  frame.addItem(std::make_unique<Curve>(xs, ys, "r2"));
  frame.addItem(std::make_unique<MyCircle>(5, 0, 0.5, "b#b"));
  frame.addItem(std::make_unique<TextLabel>(5, 0.5, "peak {$a}^2", "n", ""));

  RecordingSurface direct;
  figure.redrawAll(direct);
  std::shared_ptr<const DisplayList> list = renderDisplayList(figure);
  EXPECT_EQ(list->width, figure.clientRect().width());
  EXPECT_EQ(list->height, figure.clientRect().height());
  RecordingSurface replayed;
  list->replay(replayed);
  // A curve of fewer samples than pixel columns keeps every point.
  EXPECT_EQ(replayed.calls, direct.calls);
}

TEST(DisplayList, AMillionSamplesBecomeAFewPointsPerColumn) {
  Figure figure(1);
  std::vector<double> xs(1000000), ys(1000000);
  for (size_t i = 0; i < xs.size(); ++i) {
    xs[i] = static_cast<double>(i);
    ys[i] = std::sin(i / 1000.0) + ((i * 7919) % 13) / 13.0;
  }
  Frame& frame = figure.currentFrame();
  frame.setExactLimits(0, 1e6, -1, 2);
  frame.addItem(std::make_unique<Curve>(xs, ys, ""));
  std::shared_ptr<const DisplayList> list = renderDisplayList(figure);
  const int columns = figure.clientRect().width();
  EXPECT_LE(list->points.size(), static_cast<size_t>(4 * columns + 64));
  EXPECT_GE(list->points.size(), static_cast<size_t>(columns / 2));
}

}  // namespace
}  // namespace zirbin::graphics
