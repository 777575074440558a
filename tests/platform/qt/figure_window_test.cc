// Figure windows on the desktop, driven through the real widgets: what a window shows
// against the PNG of the same figure, mouse and key events calling the callbacks in data
// units, dragging, controls, menus, getclick answered by a click, focus and closing.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <variant>

#include <QComboBox>
#include <QFocusEvent>
#include <QImage>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

#include "graphics/display_list.h"
#include "platform/qt/desktop_fixture.h"
#include "platform/qt/figure_events_queue.h"
#include "platform/qt/figure_window.h"

namespace zirbin::platform::qt {
namespace {

using graphics::DisplayList;

class FigureWindowTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    dir_ = state_.path();
  }
  // The visible window of figure n of console `console` once it shows a display list.
  FigureWindow* figureWindow(int n = 1, int console = 0) {
    FigureWindow* found = nullptr;
    waitFor([&] {
      for (FigureWindow* f : figureWindows(console)) {
        if (f->isVisible() && f->windowTitle() == QString("Figure %1").arg(n) &&
            f->canvas()->displayList() != nullptr)
          found = f;
      }
      return found != nullptr;
    });
    return found;
  }
  // The figure windows of a console, shown or not.
  std::vector<FigureWindow*> figureWindows(int console = 0) {
    std::vector<FigureWindow*> out;
    for (QWidget* child : window(console).findChildren<QWidget*>()) {
      if (auto* f = dynamic_cast<FigureWindow*>(child)) out.push_back(f);
    }
    return out;
  }
  // Writes a script of function definitions and brings it in with `use`.
  void define(const std::string& name, const std::string& text) {
    std::ofstream(dir_ + "/" + name + ".zrb") << text;
    type("use " + dir_ + "/" + name);
  }
  // The value of an expression as the console shows it.
  std::string show(const std::string& expression) {
    type(expression);
    return lastLine(0, 0);
  }
  // The frames the window's list draws, in order.
  static std::vector<graphics::FrameClip> framesOf(const FigureWindow* w) {
    std::vector<graphics::FrameClip> out;
    for (const DisplayList::Call& c : w->canvas()->displayList()->calls) {
      if (const auto* b = std::get_if<DisplayList::BeginFrame>(&c)) out.push_back(b->clip);
    }
    return out;
  }
  // The pixel of data point (x, y) in a frame whose limits are 0..10 on both axes, as the
  // window shows it.
  static QPoint pixelOf(const FigureWindow* w, double x, double y, size_t frame = 0) {
    graphics::PixelRect a = framesOf(w).at(frame).plotArea;
    return QPoint(static_cast<int>(a.left + (a.right - a.left) * x / 10 + 0.5),
                  static_cast<int>(a.bottom + (a.top - a.bottom) * y / 10 + 0.5));
  }
  // The mouse moves over the canvas with `buttons` held.
  static void moveTo(FigureWindow* w, QPoint p, Qt::MouseButtons buttons) {
    QMouseEvent move(QEvent::MouseMove, QPointF(p), w->canvas()->mapToGlobal(QPointF(p)),
                     Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w->canvas(), &move);
  }
  // Lets the window's events reach the interpreter and their callbacks run.
  void handled() {
    QApplication::processEvents();
    settle();
    QApplication::processEvents();
  }
  // Waits for the window to show a list other than `old`.
  bool newList(FigureWindow* w, const DisplayList* old) {
    return waitFor([&] { return w->canvas()->displayList() != old; });
  }

  std::string dir_;
};

// The callback stores its arguments in the globals seen and extra.
std::string recorder(const char* name) {
  char text[256];
  std::snprintf(text, sizeof text,
                "function r = %s(p, q)\n global seen\n global extra\n seen = p;\n extra = q;\n"
                " r = 1;\nend\n",
                name);
  return text;
}

// How many pixels of two pictures of the same size differ visibly.
long differingPixels(const QImage& a, const QImage& b) {
  long differing = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                        std::abs(qBlue(p) - qBlue(q))});
      if (d > 96) ++differing;
    }
  }
  return differing;
}

TEST_F(FigureWindowTest, WindowShowsWhatPrintWritesAsPng) {
  type("plot(0:0.1:10, sin(0:0.1:10), 'r2'); text(5, 0.5, 'peak'); title('Sine {$a}^2');"
       " xlabel('time'); circle([2 0 0.5], 'b#b'); text(8, -0.5, 'x_1^2', 'sw');");
  FigureWindow* w = figureWindow();
  ASSERT_NE(w, nullptr);
  std::string png = dir_ + "/same.png";
  type("print('" + png + "');");
  QImage printed(QString::fromStdString(png));
  ASSERT_FALSE(printed.isNull());
  QImage shown = w->canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  // Kept for a look beside the printed picture.
  shown.save(QString(ZIRBIN_BIN_DIR) + "/../figure_window.png");
  ASSERT_EQ(shown.size(), printed.size());
  printed = printed.convertToFormat(QImage::Format_RGB32);
  // Font rasterising and anti-aliasing differ a little between the two painters.
  long differing = differingPixels(shown, printed);
  EXPECT_LT(differing, shown.width() * shown.height() / 200) << differing;
}

TEST_F(FigureWindowTest, MouseAndKeysCallTheCallbacksInDataUnits) {
  type("seen = [0 0]; extra = 0;");
  define("cbdown", recorder("onLDown"));
  type("plot([0 10], [0 10]); axis([0 10 0 10]);");
  FigureWindow* w = figureWindow();
  ASSERT_NE(w, nullptr);
  QTest::mouseClick(w->canvas(), Qt::LeftButton, {}, pixelOf(w, 4, 6));
  handled();
  EXPECT_EQ(show("round(seen)"), " 4 6");
  EXPECT_EQ(show("isempty(extra)"), "1");
  define("cbright", recorder("onRDown"));
  QTest::mouseClick(w->canvas(), Qt::RightButton, {}, pixelOf(w, 7, 2));
  handled();
  EXPECT_EQ(show("round(seen)"), " 7 2");
  define("cbrightup", recorder("onRUp"));
  QTest::mousePress(w->canvas(), Qt::RightButton, {}, pixelOf(w, 8, 1));
  handled();
  EXPECT_EQ(show("getmouse('r')"), "1");
  QTest::mouseRelease(w->canvas(), Qt::RightButton, {}, pixelOf(w, 8, 2));
  handled();
  EXPECT_EQ(show("round(seen)"), " 8 2");
  EXPECT_EQ(show("getmouse('r')"), "0");
  define("cbmove", recorder("onMove"));
  moveTo(w, pixelOf(w, 1, 9), Qt::NoButton);
  handled();
  EXPECT_EQ(show("round(seen)"), " 1 9");
  define("cbdouble", recorder("onLDouble"));
  QTest::mouseDClick(w->canvas(), Qt::LeftButton, {}, pixelOf(w, 3, 3));
  handled();
  EXPECT_EQ(show("round(seen)"), " 3 3");
  EXPECT_EQ(show("getmouse('D')"), "1");
  define("cbkey", "function r = onKeyDown(p, q)\n global seen\n seen = [seen getmouse('k')];\n"
                  " r = 1;\nend\n");
  type("seen = [];");
  QTest::keyClick(w->canvas(), Qt::Key_Left);
  QTest::keyClick(w->canvas(), Qt::Key_Q);
  handled();
  // A cursor key calls at its key; a letter at its character.
  EXPECT_EQ(show("seen"), " 37 113");
  EXPECT_EQ(show("getmouse('k')"), "0");
}

TEST_F(FigureWindowTest, ADraggedItemNeverLeavesItsRegion) {
  define("cbdrag", recorder("onDragable"));
  type("seen = 0; plot([0 10], [0 10]); axis([0 10 0 10]); id = circle([5 5 0.2]);"
       " dragable(id, [4 4 2 2]);");
  FigureWindow* w = figureWindow();
  ASSERT_NE(w, nullptr);
  auto circleAt = [&]() -> QPoint {
    for (const DisplayList::Call& c : w->canvas()->displayList()->calls) {
      if (const auto* k = std::get_if<DisplayList::Circle>(&c)) return QPoint(k->cx, k->cy);
    }
    return QPoint(-1, -1);
  };
  QTest::mousePress(w->canvas(), Qt::LeftButton, {}, pixelOf(w, 5, 5));
  const double wild[][2] = {{9, 1}, {-20, 30}, {5.5, 4.5}, {100, -100}, {0, 10}};
  for (const auto& to : wild) {
    moveTo(w, pixelOf(w, to[0], to[1]), Qt::LeftButton);
    handled();
    QPoint c = circleAt(), lo = pixelOf(w, 4, 4), hi = pixelOf(w, 6, 6);
    EXPECT_GE(c.x(), lo.x() - 1) << to[0];
    EXPECT_LE(c.x(), hi.x() + 1) << to[0];
    EXPECT_LE(c.y(), lo.y() + 1) << to[1];
    EXPECT_GE(c.y(), hi.y() - 1) << to[1];
  }
  // The last move asked for (0, 10): the corner (4, 6) of the region. The callback is
  // given the mouse position.
  EXPECT_LE((circleAt() - pixelOf(w, 4, 6)).manhattanLength(), 2);
  EXPECT_EQ(show("round(seen)"), " 0 10");
  QTest::mouseRelease(w->canvas(), Qt::LeftButton, {}, pixelOf(w, 0, 10));
  handled();
  EXPECT_EQ(show("getmouse('i')"), "0");
}

TEST_F(FigureWindowTest, WithoutOnLDownAClickOnlyMakesItsFrameCurrent) {
  type("subplot(1, 2, 1); plot([0 10], [0 10]); axis([0 10 0 10]);"
       " subplot(1, 2, 2); plot([0 10], [0 10]); axis([0 10 0 10]); subplot(1, 2, 1);");
  FigureWindow* w = figureWindow();
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(framesOf(w).size(), 2u);
  size_t before = lines().size();
  QTest::mouseClick(w->canvas(), Qt::LeftButton, {}, pixelOf(w, 5, 5, 1));
  handled();
  EXPECT_EQ(lines().size(), before);
  const DisplayList* old = w->canvas()->displayList();
  type("text(5, 5, 'here');");
  ASSERT_TRUE(newList(w, old));
  // The label went to the clicked (right) frame.
  graphics::PixelRect right = framesOf(w).at(1).frame;
  bool inRight = false;
  for (const DisplayList::Call& c : w->canvas()->displayList()->calls) {
    if (const auto* t = std::get_if<DisplayList::Text>(&c)) {
      for (const graphics::TextPiece& p : t->run.pieces) {
        if (p.text == "here") inRight = p.x >= right.left && p.x < right.right;
      }
    }
  }
  EXPECT_TRUE(inRight);
}

TEST_F(FigureWindowTest, ButtonsAndComboBoxesCallOnButtonWithTheirPair) {
  type("seen = 0; extra = 0;");
  define("cbbutton", recorder("onButton"));
  type("b = createButton('Go', [0.1 0.1 60 24]); k = createButton(['one';'two'], [0.5 0.1 80 24]);"
       " e = createButton('12', [0.1 0.5 80 24], 'edit');");
  FigureWindow* w = figureWindow();
  ASSERT_NE(w, nullptr);
  handled();
  auto* button = qobject_cast<QPushButton*>(w->control(1));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), "Go");
  QTest::mouseClick(button, Qt::LeftButton);
  handled();
  EXPECT_EQ(show("extra"), " 1 1");
  EXPECT_EQ(show("getmouse('c')"), "1");
  auto* combo = qobject_cast<QComboBox*>(w->control(2));
  ASSERT_NE(combo, nullptr);
  ASSERT_EQ(combo->count(), 2);
  combo->setCurrentIndex(1);
  emit combo->activated(1);
  handled();
  EXPECT_EQ(show("extra"), " 2 2");
  auto* edit = qobject_cast<QLineEdit*>(w->control(3));
  ASSERT_NE(edit, nullptr);
  edit->setText("42.5");
  emit edit->editingFinished();
  handled();
  EXPECT_EQ(show("extra"), " 3 42.5");
}

TEST_F(FigureWindowTest, AMenuEntryDrawsWhatTypingItsCommandDraws) {
  const std::string command = "plot([1 2 3], [3 1 2], 'r2')";
  type("figure(1); menu('Plots', \"" + command + "\"); figure(2); menu('Plots', 'title(1)');");
  FigureWindow* w1 = figureWindow(1);
  FigureWindow* w2 = figureWindow(2);
  ASSERT_NE(w1, nullptr);
  ASSERT_NE(w2, nullptr);
  handled();
  QList<QAction*> menus = w1->findChild<QMenuBar*>()->actions();
  ASSERT_EQ(menus.size(), 1);
  const DisplayList* old = w1->canvas()->displayList();
  menus[0]->menu()->actions()[0]->trigger();
  // The entry types its command into the console, which then runs it: wait for its echo.
  waitFor([&] { return lastLine(0, 1) == "> " + command; });
  handled();
  EXPECT_EQ(lastLine(0, 1), "> " + command);
  ASSERT_TRUE(newList(w1, old));
  old = w2->canvas()->displayList();
  type("figure(2); " + command);
  ASSERT_TRUE(newList(w2, old));
  const DisplayList& a = *w1->canvas()->displayList();
  const DisplayList& b = *w2->canvas()->displayList();
  EXPECT_EQ(a.width, b.width);
  EXPECT_EQ(a.height, b.height);
  EXPECT_EQ(a.calls.size(), b.calls.size());
  EXPECT_EQ(a.points, b.points);
}

TEST_F(FigureWindowTest, GetclickIsAnsweredByAClick) {
  EXPECT_EQ(show("getclick(0)"), "in getclick: no figure open for mouse click");
  type("plot([0 10], [0 10]); axis([0 10 0 10]);");
  FigureWindow* w = figureWindow();
  ASSERT_NE(w, nullptr);
  QPoint at = pixelOf(w, 3, 7);
  QTest::keyClicks(&console(), "p = round(getclick(1))");
  QTest::keyClick(&console(), Qt::Key_Return);
  QTest::qWait(100);
  EXPECT_FALSE(app().interpreter().idle());
  QTest::mouseClick(w->canvas(), Qt::LeftButton, {}, at);
  settle();
  EXPECT_EQ(lastLine(0, 0), " 3 7");
}

TEST_F(FigureWindowTest, AResizeBringsAListOfTheNewSize) {
  type("plot(1:10, sin(1:10));");
  FigureWindow* w = figureWindow();
  ASSERT_NE(w, nullptr);
  const DisplayList* old = w->canvas()->displayList();
  w->resize(400, 300);
  ASSERT_TRUE(waitFor([&] {
    const DisplayList* l = w->canvas()->displayList();
    return l != old && l->width == w->canvas()->width() && l->height == w->canvas()->height();
  }));
  EXPECT_EQ(w->canvas()->width(), 400);
}

TEST_F(FigureWindowTest, FocusMakesTheFigureCurrent) {
  type("figure(1); figure(2);");
  FigureWindow* w = figureWindow(1);
  ASSERT_NE(w, nullptr);
  QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
  QApplication::sendEvent(w->canvas(), &in);
  handled();
  EXPECT_EQ(show("figure(-1)"), "1");
}

TEST_F(FigureWindowTest, ClosingTheWindowRemovesTheFigure) {
  type("figure(1); figure(2);");
  FigureWindow* w = figureWindow(1);
  ASSERT_NE(w, nullptr);
  w->close();
  handled();
  EXPECT_EQ(show("close(1)"), "0");
  EXPECT_EQ(show("close(2)"), "2");
  EXPECT_TRUE(waitFor([&] {
    for (FigureWindow* f : figureWindows()) {
      if (f->isVisible()) return false;
    }
    return true;
  }));

}

TEST_F(FigureWindowTest, ABitmapIsShownAndReadPixelByPixel) {
  QImage image(4, 3, QImage::Format_RGB32);
  image.fill(qRgb(10, 20, 30));
  image.setPixel(2, 1, qRgb(200, 100, 50));
  std::string file = dir_ + "/dots.png";
  ASSERT_TRUE(image.save(QString::fromStdString(file)));
  type("plot([0 10], [0 10]); id = loadBitmap('" + file + "', [5 5]);");
  FigureWindow* w = figureWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(show("getpixel(id, [3 2])"), " 200 100 50");
  bool drawn = false;
  for (const DisplayList::Call& c : w->canvas()->displayList()->calls) {
    if (const auto* i = std::get_if<DisplayList::Image>(&c)) drawn = i->width == 4 && i->height == 3;
  }
  EXPECT_TRUE(drawn);
}

TEST_F(FigureWindowTest, ReleaseAndDragCallbacksAndAFailingCallbackDoNotStopTheEvents) {
  type("seen = 0; count = 0;");
  define("cbup", recorder("onLUp"));
  define("cbdrag", "function r = onDrag(p, q)\n global count\n count = count + 1;\n r = 1;\nend\n");
  define("cbfail", "function r = onLDown(p, q)\n r = undefinedThing + 1;\nend\n");
  type("plot([0 10], [0 10]); axis([0 10 0 10]);");
  FigureWindow* w = figureWindow();
  ASSERT_NE(w, nullptr);
  QTest::mousePress(w->canvas(), Qt::LeftButton, {}, pixelOf(w, 2, 2));
  moveTo(w, pixelOf(w, 3, 3), Qt::LeftButton);
  handled();
  moveTo(w, pixelOf(w, 4, 4), Qt::LeftButton);
  QTest::mouseRelease(w->canvas(), Qt::LeftButton, {}, pixelOf(w, 5, 8));
  handled();
  EXPECT_EQ(show("round(seen)"), " 5 8") << "onLUp ran after the failing onLDown";
  EXPECT_EQ(show("count"), "2");
  bool reported = false;
  for (const std::string& line : lines()) reported = reported || line.find("undefinedThing") != std::string::npos;
  EXPECT_TRUE(reported);
}

TEST_F(FigureWindowTest, ACallbackThatWaitsForAClickDoesNotRunAgainInsideItself) {
  type("got = 0;");
  define("cbwait", "function r = onLDown(p, q)\n global got\n got = round(getclick(1));\n r = 1;\nend\n");
  type("plot([0 10], [0 10]); axis([0 10 0 10]);");
  FigureWindow* w = figureWindow();
  ASSERT_NE(w, nullptr);
  QTest::mouseClick(w->canvas(), Qt::LeftButton, {}, pixelOf(w, 1, 1));
  QTest::qWait(100);
  QTest::mouseClick(w->canvas(), Qt::LeftButton, {}, pixelOf(w, 6, 7));
  handled();
  EXPECT_EQ(show("got"), " 6 7");
  bool refused = false;
  for (const std::string& line : lines())
    refused = refused || line.find("recursion not allowed in mouse function") != std::string::npos;
  EXPECT_TRUE(refused);
}

TEST_F(FigureWindowTest, AWindowShowsTheFigureWhileTheCommandStillRuns) {
  type("figure(1);");
  FigureWindow* w = figureWindow();
  ASSERT_NE(w, nullptr);
  QTest::keyClicks(&console(), "plot([0 10], [0 10]); pause(20); plot([0 10], [5 5]); update; pause(1500)");
  QTest::keyClick(&console(), Qt::Key_Return);
  // The horizontal line shows before the command ends.
  auto flat = [&] {
    const DisplayList* l = w->canvas()->displayList();
    for (const DisplayList::Call& c : l->calls) {
      if (const auto* p = std::get_if<DisplayList::Polyline>(&c); p && p->count == 2) {
        if (l->points[p->first].y == l->points[p->first + 1].y) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(waitFor(flat));
  EXPECT_FALSE(app().interpreter().idle());
  settle();
}

TEST_F(FigureWindowTest, FigposMovesAndSizesTheWindow) {
  type("figure(1); figpos(10, 20, 300, 200);");
  FigureWindow* w = figureWindow();
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(waitFor([&] { return w->width() == 300 && w->height() == 200; }));
  EXPECT_EQ(w->x(), 10);
  ASSERT_TRUE(waitFor([&] { return w->canvas()->displayList()->width == 300; }));
  EXPECT_EQ(w->canvas()->displayList()->height, 200);
}

TEST_F(FigureWindowTest, DebugtestMovesTheWindowBackAndForth) {
  type("figure(1);");
  FigureWindow* w = figureWindow();
  ASSERT_NE(w, nullptr);
  std::set<int> widths;
  QTest::keyClicks(&console(), "debugtest");
  QTest::keyClick(&console(), Qt::Key_Return);
  ASSERT_TRUE(waitFor([&] {
    widths.insert(w->width());
    return app().interpreter().idle() && app().primary().pendingCommands() == 0;
  }));
  settle();
  EXPECT_EQ(lastLine(0, 0), "0");
  EXPECT_TRUE(widths.count(300) == 1 && widths.count(190) == 1);
}

TEST_F(FigureWindowTest, AbortEndsAGetclickWait) {
  type("figure(1);");
  ASSERT_NE(figureWindow(), nullptr);
  QTest::keyClicks(&console(), "p = getclick(1)");
  QTest::keyClick(&console(), Qt::Key_Return);
  QTest::qWait(100);
  EXPECT_FALSE(app().interpreter().idle());
  app().primary().abort();
  settle();
  EXPECT_EQ(lastLine(0, 0), "execution interrupted");
}

TEST_F(FigureWindowTest, ASecondaryConsolesFiguresFollowItsFocusAndCloseWithIt) {
  type("figure(1);");
  app().launchSecondary();
  settle();
  ASSERT_EQ(app().consoles().size(), 2u);
  type("figure(5); plot([1 2], [2 1]);", 1);
  FigureWindow* w = figureWindow(5, 1);
  ASSERT_NE(w, nullptr) << "a window of the console that made the figure";
  for (FigureWindow* f : figureWindows(0)) EXPECT_NE(f->windowTitle(), "Figure 5");
  app().setCurrent(&app().primary());
  QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
  QApplication::sendEvent(w->canvas(), &in);
  handled();
  EXPECT_EQ(&app().current(), app().consoles()[1].get());
  window(1).close();
  ASSERT_TRUE(waitFor([this] { return app().consoles().size() == 1; }));
  settle();
  EXPECT_EQ(show("close(5)"), "0");
  EXPECT_EQ(show("close(1)"), "1");
}

TEST(FigureEventQueue, MovesMergeIntoTheLatestButNeverPastAnotherEvent) {
  using session::FigureEvent;
  using session::FigureEventKind;
  FigureEventQueue queue;
  auto event = [](FigureEventKind kind, int figure, int x) {
    FigureEvent e;
    e.kind = kind;
    e.figure = figure;
    e.x = x;
    return e;
  };
  queue.push(event(FigureEventKind::kMouseMove, 1, 1));
  queue.push(event(FigureEventKind::kMouseMove, 1, 2));
  queue.push(event(FigureEventKind::kMouseMove, 2, 3));
  queue.push(event(FigureEventKind::kLeftDown, 2, 4));
  queue.push(event(FigureEventKind::kMouseMove, 2, 5));
  std::vector<int> xs;
  while (std::optional<FigureEvent> e = queue.poll()) xs.push_back(e->x);
  EXPECT_EQ(xs, (std::vector<int>{2, 3, 4, 5}));
  // A wake ends a wait at once, with no event.
  queue.wake();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(queue.wait(5000).has_value());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
}

}  // namespace
}  // namespace zirbin::platform::qt
