// Figure windows' speed on the offscreen desktop, through the real threads and windows: a
// curve of a million points from the typed `plot` to the end of its window's first paint,
// one resize to the end of the repaint at the new size, the longest time the GUI thread
// did not get to its timer meanwhile, and a drag at 60 mouse moves a second of an item with
// an onDragable callback (how far the window's picture lags behind the mouse). Last, the
// GUI thread's paint of the reduced display list against painting every sample.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <variant>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include "files/temp_dir.h"
#include "graphics/display_list.h"
#include "platform/qt/desktop_app.h"
#include "platform/qt/figure_window.h"
#include "platform/qt/qpainter_surface.h"

using Clock = std::chrono::steady_clock;
using zirbin::graphics::DisplayList;
using zirbin::platform::qt::DesktopApp;
using zirbin::platform::qt::FigureCanvas;
using zirbin::platform::qt::FigureWindow;

namespace {

double ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

// The pixel of the first circle the list draws.
int circleX(const DisplayList* list) {
  if (list == nullptr) return -1;
  for (const DisplayList::Call& c : list->calls) {
    if (const auto* k = std::get_if<DisplayList::Circle>(&c)) return k->cx;
  }
  return -1;
}

// Watches the GUI thread: the longest gap between two ticks of a 1 ms timer, and the end
// of every paint of a figure canvas.
class Watch : public QObject {
 public:
  Watch() {
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      Clock::time_point now = Clock::now();
      Sched sched = readSched();
      double gap = ms(last_, now);
      if (measuring && gap > longest) {
        longest = gap;
        longestCpu = (sched.cpuNs - lastSched_.cpuNs) / 1e6;
        longestQueued = (sched.waitNs - lastSched_.waitNs) / 1e6;
      }
      last_ = now;
      lastSched_ = sched;
    });
    timer_.start();
    qApp->installEventFilter(this);
  }
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::Paint && dynamic_cast<FigureCanvas*>(object) != nullptr) {
      auto* canvas = static_cast<FigureCanvas*>(object);
      // Runs once the paint event has been handled.
      QTimer::singleShot(0, [this, canvas] {
        lastPaint = Clock::now();
        paintedList = canvas->displayList();
        paintedWidth = paintedList ? paintedList->width : 0;
        paintedPoints = paintedList ? paintedList->points.size() : 0;
        paintedCircle = circleX(paintedList);
        ++paints;
      });
    }
    return false;
  }
  void startMeasuring() {
    last_ = Clock::now();
    lastSched_ = readSched();
    longest = longestCpu = longestQueued = 0;
    measuring = true;
  }
  // The longest gap, split into the GUI thread's own work, its wait for a processor (the
  // machine is shared) and the rest (sleeping or blocked).
  std::string gap() const {
    char text[160];
    std::snprintf(text, sizeof text, "%.1f ms (working %.1f, waiting for a CPU %.1f, other %.1f)",
                  longest, longestCpu, longestQueued,
                  std::max(0.0, longest - longestCpu - longestQueued));
    return text;
  }

  bool measuring = false;
  double longest = 0;
  double longestCpu = 0;
  double longestQueued = 0;
  Clock::time_point lastPaint;
  // What the last paint showed. The list itself may be gone since: compare, never read.
  const DisplayList* paintedList = nullptr;
  int paintedWidth = 0;
  size_t paintedPoints = 0;
  int paintedCircle = -1;
  long paints = 0;

 private:
  // The GUI thread's time on a processor and waiting for one (Linux schedstat).
  struct Sched {
    double cpuNs = 0;
    double waitNs = 0;
  };
  static Sched readSched() {
    Sched s;
    std::ifstream("/proc/thread-self/schedstat") >> s.cpuNs >> s.waitNs;
    return s;
  }

  QTimer timer_;
  Clock::time_point last_ = Clock::now();
  Sched lastSched_;
};

template <class Done>
void until(Done done) {
  const Clock::time_point end = Clock::now() + std::chrono::seconds(60);
  while (!done() && Clock::now() < end) QApplication::processEvents(QEventLoop::AllEvents, 1);
}

void settle(DesktopApp& app) {
  until([&] { return app.interpreter().idle() && app.primary().pendingCommands() == 0; });
  QApplication::processEvents();
  // Closed figures' windows go now, not at the next return to an event loop.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void type(DesktopApp& app, const std::string& line) {
  app.primary().submit(line, 't');
}

FigureWindow* figureWindow(DesktopApp& app) {
  for (QWidget* child : app.primary().window()->findChildren<QWidget*>()) {
    if (auto* f = dynamic_cast<FigureWindow*>(child); f && f->isVisible()) return f;
  }
  return nullptr;
}

// The GUI thread's share of a paint: the best of five replays into an image.
double paintAll(const DisplayList& list) {
  QImage image(list.width, list.height, QImage::Format_RGB32);
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    Clock::time_point t0 = Clock::now();
    QPainter painter(&image);
    painter.fillRect(image.rect(), Qt::white);
    zirbin::platform::qt::QPainterSurface surface(painter);
    list.replay(surface);
    painter.end();
    best = std::min(best, ms(t0, Clock::now()));
  }
  return best;
}

// A drag of the circle at 60 moves a second for two seconds, the mouse sweeping across
// the plot: for each move, how long until a painted picture shows the circle there.
void drag(DesktopApp& app, Watch& watch, const char* what) {
  FigureWindow* w = figureWindow(app);
  FigureCanvas* canvas = w->canvas();
  const zirbin::graphics::PixelRect area = [&] {
    for (const DisplayList::Call& c : canvas->displayList()->calls) {
      if (const auto* b = std::get_if<DisplayList::BeginFrame>(&c)) return b->clip.plotArea;
    }
    return zirbin::graphics::PixelRect{};
  }();
  const int y = (area.top + area.bottom) / 2;
  const int from = area.left + 10, to = area.right - 10;
  QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(circleX(canvas->displayList()), y));
  settle(app);
  constexpr int kMoves = 120;
  std::vector<double> lags;
  double worst = 0;
  watch.startMeasuring();
  Clock::time_point start = Clock::now();
  std::vector<std::pair<int, Clock::time_point>> sent;
  for (int i = 0; i < kMoves; ++i) {
    Clock::time_point due = start + std::chrono::microseconds(16667 * i);
    until([&] { return Clock::now() >= due; });
    int x = from + (to - from) * (i % 60) / 59;
    QMouseEvent move(QEvent::MouseMove, QPointF(x, y), canvas->mapToGlobal(QPointF(x, y)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &move);
    sent.emplace_back(x, Clock::now());
    // Each painted picture answers every move sent before it whose position it shows.
    int shown = watch.paintedCircle;
    while (!sent.empty() && std::abs(shown - sent.front().first) <= 1 && watch.lastPaint > sent.front().second) {
      double lag = ms(sent.front().second, watch.lastPaint);
      lags.push_back(lag);
      sent.erase(sent.begin());
    }
    // Moves overtaken by a later one that was shown are merged away, as intended.
    for (size_t k = 1; k < sent.size(); ++k) {
      if (std::abs(shown - sent[k].first) <= 1 && watch.lastPaint > sent[k].second) {
        sent.erase(sent.begin(), sent.begin() + static_cast<long>(k));
        break;
      }
    }
  }
  int last = sent.empty() ? -1 : sent.back().first;
  Clock::time_point lastSent = sent.empty() ? Clock::now() : sent.back().second;
  until([&] { return sent.empty() || (watch.paintedCircle == last && watch.lastPaint > lastSent); });
  double finalLag = sent.empty() ? 0 : ms(lastSent, watch.lastPaint);
  watch.measuring = false;
  for (double l : lags) worst = std::max(worst, l);
  double mean = 0;
  for (double l : lags) mean += l / static_cast<double>(lags.size());
  std::printf("drag %s: %d moves in %.0f ms; picture behind the mouse: mean %.1f ms, worst %.1f ms, "
              "after the last move %.1f ms; longest GUI-thread gap %s\n",
              what, kMoves, ms(start, Clock::now()), mean, worst, finalLag, watch.gap().c_str());
  QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(last, y));
  settle(app);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  zirbin::testing::TempDir state;
  zirbin::testing::EnvironmentGuard home("ZIRBIN_HOME", state.path());
  QApplication qt(argc, argv);
  DesktopApp app({});
  settle(app);
  Watch watch;

  // What the machine charges for memory a curve of a million samples needs fresh: its x and
  // y copies and its pixel points, 24 MB touched for the first time (on a virtual machine
  // with costly page faults this dominates the figures below).
  {
    Clock::time_point m0 = Clock::now();
    for (int i = 0; i < 3; ++i) {
      std::vector<double> fresh(1000000);
      for (size_t k = 0; k < fresh.size(); k += 512) fresh[k] = 1;
      if (fresh[512] != 1) return 1;
    }
    std::printf("first touch of 24 MB (3 x 1e6 doubles): %.1f ms\n", ms(m0, Clock::now()));
  }
  type(app, "x = 1:1000000; y = sin(x / 10000) + rand(1, 1000000) / 10;");
  settle(app);
  watch.startMeasuring();
  Clock::time_point t0 = Clock::now();
  type(app, "cv = plot(x, y);");
  // The first paint that shows the curve.
  until([&] {
    return watch.lastPaint > t0 && watch.paintedPoints > 1000;
  });
  double first = ms(t0, watch.lastPaint);
  settle(app);
  std::printf("plot of 1e6 points to the end of the window's first paint: %.1f ms; longest "
              "GUI-thread gap %s; list of %zu calls, %zu points, replayed in %.1f ms\n", first,
              watch.gap().c_str(), figureWindow(app)->canvas()->displayList()->calls.size(),
              figureWindow(app)->canvas()->displayList()->points.size(),
              paintAll(*figureWindow(app)->canvas()->displayList()));

  // "--plot-only" stops here (for profiling the plot alone).
  if (argc > 1 && std::string(argv[1]) == "--plot-only") return 0;

  FigureWindow* w = figureWindow(app);
  const DisplayList* before = w->canvas()->displayList();
  watch.startMeasuring();
  Clock::time_point r0 = Clock::now();
  w->resize(800, 600);
  until([&] {
    return watch.paintedList != before && watch.paintedWidth == 800 && watch.lastPaint > r0;
  });
  std::printf("resize to 800 x 600 to the end of the repaint at that size: %.1f ms; longest "
              "GUI-thread gap %s\n", ms(r0, watch.lastPaint), watch.gap().c_str());

  // The GUI thread while the interpreter computes and redraws for two seconds.
  watch.startMeasuring();
  Clock::time_point c0 = Clock::now();
  type(app, "tic; k = 0; while toc() < 2000: {k += 1; replot_move(cv, [0 0.001]);}");
  settle(app);
  std::printf("2 s of a loop redrawing the 1e6-point curve: longest GUI-thread gap %s "
              "(%.0f ms in all, %ld paints)\n", watch.gap().c_str(), ms(c0, Clock::now()), watch.paints);

  const std::string callback = state.path() + "/ondrag.zrb";
  std::ofstream(callback) << "function r = onDragable(p, q)\n global last\n last = p;\n r = 1;\nend\n";
  type(app, "use " + state.path() + "/ondrag");
  type(app, "close(0); plot([0 10], [0 10]); axis([0 10 0 10]); id = circle([5 5 0.3]);"
            " dragable(id, [0 0 10 10]);");
  settle(app);
  until([&] { return figureWindow(app) != nullptr && figureWindow(app)->canvas()->displayList(); });
  drag(app, watch, "of a circle");
  type(app, "plot(x / 1e5, y + 5); axis([0 10 0 10]); id = circle([5 5 0.3]); dragable(id, [0 0 10 10]);");
  settle(app);
  drag(app, watch, "of a circle over the 1e6-point curve");

  // The GUI thread's paint: the reduced list against every sample.
  type(app, "close(0); plot(x, y);");
  settle(app);
  until([&] { return figureWindow(app) != nullptr && figureWindow(app)->canvas()->displayList(); });
  const DisplayList& reduced = *figureWindow(app)->canvas()->displayList();
  double replay = paintAll(reduced);
  DisplayList all = reduced;
  all.points.clear();
  all.calls.clear();
  for (const DisplayList::Call& c : reduced.calls) {
    if (const auto* p = std::get_if<DisplayList::Polyline>(&c); p && p->count > 1000) {
      // Every sample: the million points as the curve maps them, one per x.
      size_t first = all.points.size();
      for (int i = 0; i < 1000000; ++i) {
        const auto& a = reduced.points[p->first + (static_cast<size_t>(i) * p->count) / 1000000];
        all.points.push_back(a);
      }
      all.calls.emplace_back(DisplayList::Polyline{first, all.points.size() - first});
    } else if (const auto* q = std::get_if<DisplayList::Polyline>(&c)) {
      size_t first = all.points.size();
      all.points.insert(all.points.end(), reduced.points.begin() + static_cast<long>(q->first),
                        reduced.points.begin() + static_cast<long>(q->first + q->count));
      all.calls.emplace_back(DisplayList::Polyline{first, q->count});
    } else {
      all.calls.push_back(c);
    }
  }
  std::printf("GUI paint of the 1e6-point figure: %.1f ms from the reduced list (%zu points), "
              "%.1f ms painting 1e6 points\n", replay, reduced.points.size(), paintAll(all));
  return 0;
}
