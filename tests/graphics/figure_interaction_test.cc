// The figure window procedure through a session: window events call the user's callbacks
// with positions in data units, drag items inside their regions, run menu commands and
// answer the waiting built-ins.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "graphics/figure.h"
#include "graphics/figure_interaction.h"
#include "graphics/image_files.h"
#include "graphics/svg_export.h"
#include "gui/plain_text.h"
#include "base/host.h"
#include "session/interpreter_session.h"
#include "values/value.h"
#include "session/line_output.h"

namespace zirbin::graphics {
namespace {

using session::FigureEvent;
using session::FigureEventKind;
using Lines = std::vector<std::string>;

using testing::LineOutput;

class FigureEvents : public ::testing::Test {
 protected:
  FigureEvents() : session_(host_, output_, true) {
    figures().close(0);
    mouseState() = MouseState();
  }
  ~FigureEvents() override { figures().close(0); }

  Lines typed(const std::string& line) {
    output_.lines.clear();
    session_.submitInput(line, session::kTypedMode);
    output_.flush();
    return output_.lines;
  }
  void define(const std::string& text) {
    ASSERT_TRUE(session_.submitInput(text, 'p')) << (output_.flush(), output_.lines.back());
  }
  // Queues events and handles them as between commands; returns the console lines.
  Lines events(std::vector<FigureEvent> list) {
    for (FigureEvent& e : list) host_.figureEvents.push_back(e);
    output_.lines.clear();
    session_.handleFigureEvents();
    output_.flush();
    return output_.lines;
  }
  static FigureEvent at(FigureEventKind kind, int x, int y, int figure = 1) {
    FigureEvent e;
    e.kind = kind;
    e.figure = figure;
    e.x = x;
    e.y = y;
    return e;
  }
  static FigureEvent command(int code, double value = 0, std::string text = "") {
    FigureEvent e;
    e.kind = FigureEventKind::kCommand;
    e.figure = 1;
    e.code = code;
    e.value = value;
    e.text = std::move(text);
    return e;
  }
  std::vector<double> global(const std::string& name) {
    const values::Value* v = session_.workspace().findGlobal(name);
    std::vector<double> out;
    for (int i = 0; v && i < v->size; ++i) out.push_back(static_cast<const double*>(v->rawData())[i]);
    return out;
  }
  Frame& frame() { return figures().requireCurrent().currentFrame(); }

  session::HeadlessHost host_;
  LineOutput output_{/*plain=*/true};
  session::InterpreterSession session_;
  // The test looks at the session's figures between its commands.
  session::RunContextScope inSession_{session_.context()};
};

// A callback that stores its two arguments in the globals `seen` and `extra`.
std::string recorder(const std::string& name) {
  return "function r = " + name + "(p, q)\r global seen\r global extra\r seen = p;\r extra = q;\r"
         " r = 1;\rend\r";
}

TEST_F(FigureEvents, LeftClickCallsOnLDownWithDataUnitsOfTheFrameUnderTheMouse) {
  typed("seen = [0 0]; extra = 0;");
  define(recorder("onLDown"));
  typed("subplot([1 2]); axis([0 1 0 1]); subplot([2 2]); plot([0 10], [0 10]);");
  typed("axis([0 10 0 10]); subplot([1 2]);");
  Figure& fig = figures().requireCurrent();
  Frame& lower = fig.frame(1);
  int px = lower.mapX(5), py = lower.mapY(2.5);
  EXPECT_EQ(events({at(FigureEventKind::kLeftDown, px, py)}), Lines{});
  std::vector<double> seen = global("seen");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_NEAR(seen[0], 5, 0.1);
  EXPECT_NEAR(seen[1], 2.5, 0.1);
  EXPECT_TRUE(global("extra").empty());
  EXPECT_EQ(fig.currentFrameIndex(), 1u);
  EXPECT_EQ(typed("getmouse([3 5])"), Lines{" 1 1"});
}

TEST_F(FigureEvents, WithoutOnLDownAClickOnlyMakesTheFrameCurrent) {
  typed("subplot([1 2]); subplot([2 2]); plot([0 1], [0 1]); subplot([1 2]);");
  Figure& fig = figures().requireCurrent();
  size_t items = fig.frame(1).itemCount();
  PixelRect r = fig.frame(1).frameRect();
  EXPECT_EQ(events({at(FigureEventKind::kLeftDown, r.left + 10, r.bottom - 10),
                    at(FigureEventKind::kLeftUp, r.left + 10, r.bottom - 10)}),
            Lines{});
  EXPECT_EQ(fig.currentFrameIndex(), 1u);
  EXPECT_EQ(fig.frame(1).itemCount(), items);  // nothing was drawn or removed
}

TEST_F(FigureEvents, EveryMouseCallbackIsCalledOnItsEvent) {
  typed("names = 0;");
  for (const char* name : {"onLUp", "onLDouble", "onRDown", "onRUp", "onMove", "onDrag"}) {
    define("function r = " + std::string(name) + "(p, q)\r global names\r names = [names " +
           std::to_string(name[3]) + "];\r r = 1;\rend\r");
  }
  typed("plot([0 1], [0 1]);");
  events({at(FigureEventKind::kMouseMove, 100, 100), at(FigureEventKind::kLeftDown, 100, 100),
          at(FigureEventKind::kMouseMove, 110, 100), at(FigureEventKind::kLeftUp, 110, 100),
          at(FigureEventKind::kLeftDouble, 110, 100), at(FigureEventKind::kRightDown, 110, 100),
          at(FigureEventKind::kRightUp, 110, 100)});
  // Each callback by the fourth letter of its name.
  EXPECT_EQ(global("names"), (std::vector<double>{0, 'o', 'r', 'U', 'D', 'D', 'U'}));
  EXPECT_EQ(typed("getmouse('D')"), Lines{"1"});
}

TEST_F(FigureEvents, ADraggedItemNeverLeavesItsRegion) {
  typed("seen = [0 0]; extra = 0;");
  define(recorder("onDragable"));
  typed("plot([0 10], [0 10]); axis([0 10 0 10]); id = text(5, 5, 'o');");
  typed("dragable(id, [4 4 2 3]);");
  Frame& f = frame();
  int px = f.mapX(5), py = f.mapY(5);
  events({at(FigureEventKind::kLeftDown, px, py)});
  EXPECT_EQ(typed("getmouse('i') == id"), Lines{"1"});
  for (auto [x, y] : std::vector<std::pair<int, int>>{{-500, -500}, {5000, 90}, {px + 3, py}, {0, 99999}}) {
    events({at(FigureEventKind::kMouseMove, x, y)});
    Plotable& item = f.item(f.itemCount() - 1);
    EXPECT_GE(item.x, 4);
    EXPECT_LE(item.x, 6);
    EXPECT_GE(item.y, 4);
    EXPECT_LE(item.y, 7);
  }
  std::vector<double> seen = global("seen");
  EXPECT_NEAR(seen[0], f.unmapX(0), 1e-9);  // the callback gets the mouse, not the item
  events({at(FigureEventKind::kLeftUp, 0, 99999)});
  EXPECT_EQ(typed("getmouse('i')"), Lines{"0"});
}

TEST_F(FigureEvents, RemovedItemsMakeTheDragableListInvalid) {
  typed("plot([0 10], [0 10]); id = text(5, 5, 'o'); dragable(id, [0 0 10 10]);");
  typed("wipe([]); plot([0 10], [0 10]);");
  Frame& f = frame();
  EXPECT_EQ(events({at(FigureEventKind::kLeftDown, f.mapX(5), f.mapY(5))}),
            Lines{"The list of dragable items has become invalid."});
  EXPECT_EQ(typed("getmouse('i')"), Lines{"0"});
}

TEST_F(FigureEvents, ButtonCommandCallsOnButtonWithNumberAndValue) {
  typed("seen = 0; extra = 0;");
  define(recorder("onButton"));
  typed("b = createButton('Go', [0.1 0.1 60 20]); e = createButton('', [0.5 0.1 60 20], 'edit');");
  EXPECT_EQ(typed("e = createButton('x', [0.5 0.1 60 20], 'edit');"), Lines{});
  events({command(1)});
  EXPECT_EQ(global("extra"), (std::vector<double>{1, 1}));
  events({command(2, 0, "2.5")});
  EXPECT_EQ(global("extra"), (std::vector<double>{2, 2.5}));
  EXPECT_EQ(typed("getmouse('f')"), Lines{" 2 2.5"});
  EXPECT_EQ(typed("getmouse('c')"), Lines{"1"});
}

TEST_F(FigureEvents, MenuEntryDrawsThePlotAsTypingItDoes) {
  typed("figure(1); menu('Plots', 'plot([1 2 3], [3 1 2])');");
  EXPECT_EQ(typed("getmouse(0)"), Lines{"0"});
  events({command(kFirstMenuCommand)});
  std::ostringstream viaMenu;
  writeFigureSvg(*figures().find(1), viaMenu);
  typed("close(0); figure(1); plot([1 2 3], [3 1 2]);");
  std::ostringstream typedPlot;
  writeFigureSvg(*figures().find(1), typedPlot);
  EXPECT_EQ(viaMenu.str(), typedPlot.str());
  EXPECT_EQ(typed("menu('A', 5)"), Lines{"in menu: wrong format (should be list or string matrix)"});
  EXPECT_EQ(typed("menu(['A';'B'], 'x')"),
            Lines{"in menu: number of menus does not match number of headings"});
  EXPECT_EQ(typed("menu('A', '')"), Lines{"in menu: invalid argument"});
}

TEST_F(FigureEvents, GetclickIsAnsweredByAClickAndFailsWithoutWindows) {
  EXPECT_EQ(typed("getclick(0)"), Lines{"in getclick: no figure open for mouse click"});
  typed("plot([0 10], [0 10]); axis([0 10 0 10]);");
  Frame& f = frame();
  host_.figureEvents.push_back(at(FigureEventKind::kMouseMove, f.mapX(2), f.mapY(3)));
  host_.figureEvents.push_back(at(FigureEventKind::kLeftDown, f.mapX(2), f.mapY(3)));
  EXPECT_EQ(typed("p = round(getclick(1))"), Lines{" 2 3"});
  host_.figureEvents.push_back(at(FigureEventKind::kLeftDown, f.mapX(4), f.mapY(5)));
  EXPECT_EQ(typed("p = round(getclick(0))"), Lines{" 4 5 1"});
  EXPECT_EQ(typed("getclick(1)"), Lines{"in getclick: no figure window to wait for here"});
}

TEST_F(FigureEvents, ACallbackCannotRunInsideItselfAndFailuresDoNotStopHandling) {
  typed("n = 0;");
  define("function r = onLDown(p, q)\r global n\r n = n + 1;\r r = getclick(1);\rend\r");
  typed("plot([0 1], [0 1]);");
  Lines out = events({at(FigureEventKind::kLeftDown, 50, 50), at(FigureEventKind::kLeftDown, 60, 60)});
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), "in onLDown: recursion not allowed in mouse function");
  EXPECT_EQ(global("n"), std::vector<double>{1});
  define("function r = onMove(p, q)\r r = p + [1 2 3];\rend\r");
  out = events({at(FigureEventKind::kLeftUp, 1, 1), at(FigureEventKind::kMouseMove, 1, 1),
                at(FigureEventKind::kMouseMove, 2, 2)});
  EXPECT_EQ(std::count(out.begin(), out.end(), "in onMove;"), 2) << ::testing::PrintToString(out);
}

TEST_F(FigureEvents, KeysFocusSizeAndClose) {
  typed("k = 0;");
  define("function r = onKeyDown(p, q)\r global k\r k = [k getmouse('k')];\r r = 1;\rend\r");
  typed("figure(1); plot([0 1], [0 1]); figure(2);");
  FigureEvent key = at(FigureEventKind::kKeyDown, 0, 0);
  key.code = 37;  // a cursor key: no character follows
  FigureEvent letter = at(FigureEventKind::kKeyDown, 0, 0);
  letter.code = 65;
  FigureEvent ch = at(FigureEventKind::kChar, 0, 0);
  ch.code = 'a';
  EXPECT_EQ(events({key, letter, ch}), Lines{});
  EXPECT_EQ(global("k"), (std::vector<double>{0, 37, 'a'}));
  EXPECT_EQ(typed("getkeyb"), Lines{"97"});
  events({at(FigureEventKind::kKeyUp, 0, 0)});
  EXPECT_EQ(typed("getkeyb"), Lines{"0"});
  events({at(FigureEventKind::kFocus, 0, 0)});
  EXPECT_EQ(figures().current()->number(), 1);
  events({at(FigureEventKind::kSize, 300, 200)});
  EXPECT_EQ(figures().find(1)->clientRect(), (PixelRect{0, 0, 300, 200}));
  events({at(FigureEventKind::kClose, 0, 0)});
  EXPECT_EQ(figures().find(1), nullptr);
  EXPECT_EQ(figures().count(), 1u);
  events({at(FigureEventKind::kLeftDown, 5, 5)});  // a closed figure's late event
}

TEST_F(FigureEvents, GetmouseIndicesAndTheirMessages) {
  typed("plot([0 1], [0 1]);");
  EXPECT_EQ(typed("setmouse([7 8 9]); getmouse('m')"), Lines{" 7 8 9"});
  EXPECT_EQ(typed("getmouse([10 1])"), Lines{"in getmouse: getmouse index invalid or used incorrectly"});
  EXPECT_EQ(typed("getmouse(14)"), Lines{"in getmouse: invalid index"});
  EXPECT_EQ(typed("getmouse([1 2; 3 4])"), Lines{"in getmouse: non-scalar argument"});
  EXPECT_EQ(typed("getmouse([3 4 5 8 9 12 13])"), Lines{" 0 0 0 0 0 0 0"});
  EXPECT_EQ(typed("dragable(1, [0 0 1])"), Lines{"in dragable: limits should have 4 columns"});
  EXPECT_EQ(typed("dragable([1 2], [0 0 1 1])"), Lines{"in dragable: limits.nrow must match id.size"});
  EXPECT_EQ(typed("dragable(99, [0 0 1 1])"), Lines{"in dragable: failed"});
  EXPECT_EQ(typed("createButton('')"), Lines{"in createButton: empty vector or string argument"});
  EXPECT_EQ(typed("createButton(3)"), Lines{"in createButton: plotted-item-button not yet implemented"});
  close(0);
}

// A 2 x 2 BMP of 24 bits: bottom row blue, white; top row red, green.
std::string smallBmp() {
  std::string b = "BM";
  auto put = [&b](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
  };
  put(54 + 16, 4); put(0, 4); put(54, 4);
  put(40, 4); put(2, 4); put(2, 4); put(1, 2); put(24, 2); put(0, 4); put(16, 4);
  put(0, 4); put(0, 4); put(0, 4); put(0, 4);
  std::string rows[] = {std::string("\xff\x00\x00\xff\xff\xff\x00\x00", 8),
                        std::string("\x00\x00\xff\x00\xff\x00\x00\x00", 8)};
  return b + rows[0] + rows[1];
}

TEST_F(FigureEvents, BitmapsLoadAndAreReadAndCutPixelByPixel) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "zirbin_bitmap_test";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "small.bmp", std::ios::binary) << smallBmp();
  std::string bmp = (dir / "small.bmp").string(), png = (dir / "fig.png").string();
  EXPECT_EQ(typed("id = loadBitmap('" + bmp + "', [0 1]);"), Lines{});
  EXPECT_EQ(typed("getpixel(id, [1 1])"), Lines{" 255 0 0"});
  EXPECT_EQ(typed("getpixel(id, [2 2])"), Lines{" 255 255 255"});
  EXPECT_EQ(typed("getpixel(id, [1 2 3])"), Lines{"in getpixel: xy argument has the wrong size"});
  EXPECT_EQ(typed("getpixel(id + 99, [1 1])"), Lines{"in getpixel: id not recognized"});
  EXPECT_EQ(typed("s = snipImage(id, [2 1 1 2], 3); getpixel(s, [3 6])"), Lines{" 255 255 255"});
  EXPECT_EQ(typed("snipImage([1 2], [1 1 1 1])"), Lines{"in snipImage: id must be scalar"});
  EXPECT_EQ(typed("snipImage(id, [2 2 2 2])"), Lines{"in snipImage: invalid parameters"});
  EXPECT_EQ(typed("snipImage(id, [1 1 1 1], [1 2 3])"),
            Lines{"in snipImage: third argument must have 1 or 2 values"});
  EXPECT_EQ(typed("loadBitmap('" + (dir / "none.png").string() + "')"),
            Lines{"in loadBitmap: bitmap failed to load"});
  // A figure printed as PNG loads back with the pixels it was drawn with.
  typed("close(0); plot([0 1], [0 1], 'r3'); print('" + png + "');");
  std::optional<Image> img = readImageFile(png);
  ASSERT_TRUE(img.has_value());
  EXPECT_EQ(img->width, kDefaultClientWidth);
  EXPECT_EQ(typed("f = loadBitmap('" + png + "'); getpixel(f, [1 1])"), Lines{" 255 255 255"});
  EXPECT_EQ(typed("w = snipImage(0, [1 1 10 10]); getpixel(w, [5 5])"), Lines{" 255 255 255"});
  std::filesystem::remove_all(dir);
}

TEST_F(FigureEvents, PrintWritesPdfAndRefusesExtensionsItCannotWrite) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "zirbin_print_test";
  std::filesystem::create_directories(dir);
  typed("plot([0 1], [0 1]); text(0.5, 0.5, 'label');");
  EXPECT_EQ(typed("p = print('" + (dir / "f.PDF").string() + "');"), Lines{});
  std::ifstream in(dir / "f.PDF", std::ios::binary);
  std::string head(5, ' ');
  in.read(head.data(), 5);
  EXPECT_EQ(head, "%PDF-");
  EXPECT_EQ(typed("print('" + (dir / "f.jpg").string() + "')"),
            Lines{"in print: cannot write a figure as .jpg: use .svg, .png or .pdf"});
  EXPECT_FALSE(std::filesystem::exists(dir / "f.jpg"));
  std::filesystem::remove_all(dir);
}

TEST(ImageFiles, TruncatedAndForeignBytesAreRefused) {
  std::string bmp = smallBmp();
  EXPECT_TRUE(decodeImage(bmp).has_value());
  for (size_t n : {0u, 2u, 20u, 54u, 60u}) EXPECT_FALSE(decodeImage(bmp.substr(0, n)).has_value()) << n;
  EXPECT_FALSE(decodeImage("\x89PNG\r\n\x1a\n garbage").has_value());
  EXPECT_FALSE(decodeImage("\xff\xd8\xff\xe0 not a jpeg").has_value());
  std::string huge = bmp;
  huge[18] = '\xff'; huge[19] = '\xff'; huge[20] = '\xff'; huge[21] = '\x7f';
  EXPECT_FALSE(decodeImage(huge).has_value());
}

}  // namespace
}  // namespace zirbin::graphics
