// Figure windows' speed: a curve of a million points from `plot` to the first paint of its
// window, one resize redraw, the GUI thread's share of each (replaying the display list),
// the same paint without the display list's column reduction, and the handling time of
// one drag event with an onDragable callback. Run offscreen: bench/qt/figure_paint.
#include <chrono>
#include <cstdio>
#include <string>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "graphics/display_list.h"
#include "graphics/figure.h"
#include "graphics/figure_interaction.h"
#include "platform/qt/qpainter_surface.h"
#include "base/console_output.h"
#include "base/host.h"
#include "session/interpreter_session.h"

namespace {

using Clock = std::chrono::steady_clock;
double ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

class NoOutput : public zirbin::session::ConsoleOutput {
 public:
  void print(const std::string&, bool, int) override {}
  void newLine() override {}
};

double paint(const zirbin::graphics::DisplayList& list) {
  QImage image(list.width, list.height, QImage::Format_RGB32);
  auto t0 = Clock::now();
  QPainter painter(&image);
  painter.fillRect(image.rect(), Qt::white);
  zirbin::platform::qt::QPainterSurface surface(painter);
  list.replay(surface);
  painter.end();
  return ms(t0, Clock::now());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  using namespace zirbin;
  session::HeadlessHost host;
  NoOutput output;
  session::InterpreterSession s(host, output, true);
  s.submitInput("x = 1:1000000; y = sin(x / 10000) + rand(1, 1000000) / 10;", session::kTypedMode);

  auto t0 = Clock::now();
  s.submitInput("plot(x, y);", session::kTypedMode);
  auto t1 = Clock::now();
  graphics::Figure& fig = *graphics::figures().current();
  std::shared_ptr<const graphics::DisplayList> list = graphics::renderDisplayList(fig);
  auto t2 = Clock::now();
  double gui = paint(*list);
  std::printf("plot to first paint: %.1f ms (plot %.1f, display list %.1f, GUI paint %.1f; %zu points kept)\n",
              ms(t0, t1) + ms(t1, t2) + gui, ms(t0, t1), ms(t1, t2), gui, list->points.size());

  auto r0 = Clock::now();
  fig.setClientRect({0, 0, 800, 600});
  std::shared_ptr<const graphics::DisplayList> resized = graphics::renderDisplayList(fig);
  auto r1 = Clock::now();
  double guiResize = paint(*resized);
  std::printf("resize redraw: %.1f ms (display list %.1f, GUI paint %.1f)\n", ms(r0, r1) + guiResize,
              ms(r0, r1), guiResize);

  // Before: every sample painted, as a surface without the column reduction would.
  QImage image(800, 600, QImage::Format_RGB32);
  auto p0 = Clock::now();
  {
    QPainter painter(&image);
    platform::qt::QPainterSurface surface(painter);
    fig.redrawAll(surface);
  }
  std::printf("the same paint of all 1e6 samples: %.1f ms\n", ms(p0, Clock::now()));

  // A drag: an item with an onDragable callback follows 120 mouse moves.
  s.submitInput("close(0); plot([0 10], [0 10]); id = text(5, 5, 'o'); dragable(id, [0 0 10 10]);",
                session::kTypedMode);
  s.submitInput("function r = onDragable(p, q)\r global last\r last = p;\r r = 1;\rend\r", 'p');
  graphics::Frame& f = graphics::figures().current()->frame(0);
  session::FigureEvent press{session::FigureEventKind::kLeftDown, graphics::figures().current()->number(),
                             f.mapX(5), f.mapY(5)};
  host.figureEvents.push_back(press);
  s.handleFigureEvents();
  auto d0 = Clock::now();
  constexpr int kMoves = 120;
  for (int i = 0; i < kMoves; ++i) {
    session::FigureEvent move = press;
    move.kind = session::FigureEventKind::kMouseMove;
    move.x += i % 50;
    host.figureEvents.push_back(move);
    s.handleFigureEvents();
    graphics::renderDisplayList(*graphics::figures().current());
  }
  double perEvent = ms(d0, Clock::now()) / kMoves;
  std::printf("drag with onDragable: %.2f ms per event (%.0f events/s possible)\n", perEvent,
              1000 / perEvent);
  return 0;
}
