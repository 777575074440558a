// The plot and figure built-ins as their callers see them: kinds and argument bounds, the
// items and limits they leave in the figure model, the colour sequence, subplot layouts,
// axis modes, and the SVG that print writes (against a golden file).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/run_context.h"
#include "builtin_call.h"
#include "engine/registry.h"
#include "graphics/figure.h"
#include "graphics/graphics_state.h"
#include "graphics/plotables.h"
#include "graphics/svg_export.h"

namespace zirbin::builtins::testing {
namespace {

namespace fs = std::filesystem;
using graphics::figures;

// Every test starts without figures and with a fresh colour sequence.
class PlotCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    figures().close(0);
    graphics::graphicsState().curveColourCount = 0;
    graphics::graphicsState().curveColourFirstX = graphics::graphicsState().curveColourLastX = 0;
  }
  void TearDown() override { figures().close(0); }

  static graphics::Frame& frame() { return figures().requireCurrent().currentFrame(); }
  template <class T>
  static T& itemOf(double id) {
    int n = static_cast<int>(id);
    graphics::Figure& fig = figures().requireCurrent();
    return dynamic_cast<T&>(fig.frame(n / graphics::kItemIdFrameFactor).item(n % graphics::kItemIdFrameFactor));
  }
};

struct KindEntry {
  const char* name;
  BuiltinKind kind;
  int resultType;
  int minArgs;
  int maxArgs;
};

TEST_F(PlotCommands, NamesHaveTheirKindsResultTypesAndBounds) {
  constexpr BuiltinKind G = BuiltinKind::General;
  const KindEntry expected[] = {
      {"close", BuiltinKind::ElementWise, kIntResult, 1, 1},
      {"grid", BuiltinKind::ElementWise, kIntResult, 1, 1},
      {"replot_move", BuiltinKind::TwoArg, kDoubleResult, 1, 2},
      {"circle", BuiltinKind::TwoArg, kDoubleResult, 1, 2},
      {"fix", BuiltinKind::NoArgScalar, kDoubleResult, 0, 0},
      {"unfix", BuiltinKind::NoArgScalar, kDoubleResult, 0, 0},
      {"update", BuiltinKind::NoArgScalar, kDoubleResult, 0, 0},
      {"figure", BuiltinKind::ValueToScalar, kIntResult, 1, 1},
      {"qplot", BuiltinKind::ValueToScalar, kIntResult, 1, 1},
      {"subplot", BuiltinKind::ValueToScalar, kIntResult, 1, 1},
      {"figpos", BuiltinKind::ValueToValue, kIntResult, 1, 1},
      {"wipe", BuiltinKind::ValueToValue, kIntResult, 1, 1},
      {"useColour", BuiltinKind::ValueToValue, kIntResult, 1, 1},
      {"plot", G, kIntResult, 1, -1},
      {"loglog", G, kIntResult, 1, -1},
      {"semilogx", G, kIntResult, 1, -1},
      {"semilogy", G, kIntResult, 1, -1},
      {"errbar", G, kIntResult, 3, 3},
      {"barchart", G, kIntResult, 2, 3},
      {"replot", G, kIntResult, 0, 3},
      {"text", G, kIntResult, 2, 5},
      {"title", G, kIntResult, 1, 2},
      {"xlabel", G, kIntResult, 1, 2},
      {"ylabel", G, kIntResult, 1, 2},
      {"fill", G, kIntResult, 2, -1},
      {"print", G, kIntResult, 1, 1},
      {"axis", G, kDoubleResult, 1, 4},
  };
  const BuiltinRegistry& registry = session::builtinRegistry();
  for (const KindEntry& e : expected) {
    EXPECT_EQ(registry.lookup(e.name), e.kind) << e.name;
    EXPECT_EQ(registry.find(e.name)->resultType, e.resultType) << e.name;
    EXPECT_EQ(registry.find(e.name)->bounds(), std::make_pair(e.minArgs, e.maxArgs)) << e.name;
  }
}

TEST_F(PlotCommands, RowVectorIsPlottedAgainstItsIndexWithOneId) {
  DoubleValue y = row({3, 1, 4, 1, 5});
  auto id = general("plot", {&y});
  EXPECT_EQ(elements(*id), std::vector<double>{2});
  auto& c = itemOf<graphics::Curve>(2);
  EXPECT_EQ(c.xs, (std::vector<double>{1, 2, 3, 4, 5}));
  EXPECT_EQ(figures().current()->number(), 1);
}

TEST_F(PlotCommands, TwoStyleStringsAreJoinedBySpace) {
  DoubleValue x = row({1, 2, 3}), y = row({1, 4, 9});
  IntValue r = text("r"), o = text("o");
  auto id = general("plot", {&x, &y, &r, &o});
  auto& c = itemOf<graphics::Curve>(elements(*id)[0]);
  EXPECT_EQ(c.style.colour, graphics::rgb(170, 0, 0));
  EXPECT_EQ(c.marker, 'o');
  EXPECT_FALSE(c.style.line);  // a marker without a line-style character draws no line
}

TEST_F(PlotCommands, MatrixColumnsGiveOneIdEachLimitsFromTheFirstAndTheColourSequence) {
  DoubleValue x = row({1, 2, 3});
  DoubleValue y = matrix(3, 3, {1, 100, 7, 2, 200, 8, 3, 300, 9});
  auto ids = general("plot", {&x, &y});
  EXPECT_EQ(elements(*ids), (std::vector<double>{2, 3, 4}));
  EXPECT_LT(frame().ymax(), 10);  // the first column (1..3) set the limits
  EXPECT_EQ(itemOf<graphics::Curve>(2).style.colour, graphics::rgb(0, 100, 0));
  EXPECT_EQ(itemOf<graphics::Curve>(3).style.colour, graphics::rgb(0, 0, 130));
  EXPECT_EQ(itemOf<graphics::Curve>(4).style.colour, graphics::rgb(170, 0, 0));
  EXPECT_FALSE(frame().fix);  // the fix flag of one call does not outlive it
}

TEST_F(PlotCommands, WithoutFixASecondPlotReplacesTheFirstWithFixBothStayAndTheSecondIsBlue) {
  DoubleValue x = row({1, 2, 3}), y = row({1, 2, 3}), y2 = row({3, 2, 1});
  general("plot", {&x, &y});
  general("plot", {&x, &y2});
  EXPECT_EQ(frame().itemCount(), 3u);
  noArg("fix");
  auto id = general("plot", {&x, &y});
  EXPECT_EQ(frame().itemCount(), 4u);
  EXPECT_EQ(itemOf<graphics::Curve>(elements(*id)[0]).style.colour, graphics::rgb(0, 0, 130));
  EXPECT_EQ(noArg("unfix"), 1);
}

TEST_F(PlotCommands, OnePointIsASinglePointWithTheDefaultMarker) {
  DoubleValue x = row({2}), y = row({3});
  auto id = general("plot", {&x, &y});
  auto& p = itemOf<graphics::SinglePoint>(elements(*id)[0]);
  EXPECT_EQ(p.marker, '+');
  EXPECT_EQ(p.markerSize, 4);
}

TEST_F(PlotCommands, LoneTrailingPairSetsTheYLimits) {
  DoubleValue x = row({1, 2, 3}), y = row({1, 2, 3}), limits = row({-5, 5});
  general("plot", {&x, &y, &limits});
  EXPECT_EQ(frame().ymin(), -5);
  EXPECT_EQ(frame().ymax(), 5);
}

TEST_F(PlotCommands, PlotModesChooseLogarithmicAxes) {
  DoubleValue x = row({1, 10, 100}), y = row({1, 10, 100});
  general("semilogy", {&x, &y});
  EXPECT_TRUE(frame().xLinear());
  EXPECT_FALSE(frame().yLinear());
  general("semilogx", {&x, &y});
  EXPECT_FALSE(frame().xLinear());
  EXPECT_TRUE(frame().yLinear());
  general("loglog", {&x, &y});
  EXPECT_FALSE(frame().xLinear());
  EXPECT_FALSE(frame().yLinear());
}

TEST_F(PlotCommands, FillMakesEveryStyleAFillStyle) {
  DoubleValue x = row({1, 2, 3}), y = row({1, 3, 1});
  auto plain = general("fill", {&x, &y});
  auto& a = itemOf<graphics::Curve>(elements(*plain)[0]);
  EXPECT_TRUE(a.filled);
  EXPECT_EQ(a.style.colour, graphics::rgb(0, 100, 0));
  IntValue xr = text("^r");
  auto xorRed = general("fill", {&x, &y, &xr});
  auto& b = itemOf<graphics::Curve>(elements(*xorRed)[0]);
  EXPECT_TRUE(b.filled);
  EXPECT_TRUE(b.style.xorMode);
  EXPECT_EQ(b.style.fill, graphics::rgb(170, 0, 0));
}

TEST_F(PlotCommands, MessagesOfPlotArguments) {
  DoubleValue x = row({1, 2, 3}), y = row({1, 2}), three = row({1, 2, 3});
  IntValue r = text("r");
  EXPECT_EQ(runtimeError([&] { general("plot", {&x, &y}); }), "in plot: x and y sizes don't match");
  EXPECT_EQ(runtimeError([&] { general("plot", {&r}); }), "in plot: invalid argument");
  EXPECT_EQ(runtimeError([&] { general("plot", {&x, &r, &three}); }), "in plot: missing y data");
  EXPECT_EQ(runtimeError([&] { general("plot", {&x, &three, &three}); }), "in plot: missing y data");
  DoubleValue nan = row({NAN, NAN});
  EXPECT_EQ(runtimeError([&] { general("plot", {&nan, &y}); }), "in plot: invalid x values");
}

TEST_F(PlotCommands, SubplotLayouts) {
  DoubleValue twoOfFour = row({2, 4});
  EXPECT_EQ(scalarI("subplot", twoOfFour), 1);
  EXPECT_EQ(frame().placement(), (graphics::Placement{0.5, 0.5, 0.5, 0.5}));
  DoubleValue grid = row({2, 3, 4});
  EXPECT_EQ(scalarI("subplot", grid), 2);
  EXPECT_EQ(frame().placement(), (graphics::Placement{0, 0, 1.0 / 3, 0.5}));
  DoubleValue again = row({2, 4});
  EXPECT_EQ(scalarI("subplot", again), 1);
  DoubleValue wide = row({18, 20});  // 20 frames stand in 6 rows of 4
  scalarI("subplot", wide);
  EXPECT_EQ(frame().placement(), (graphics::Placement{0.25, 1.0 / 6, 0.25, 1.0 / 6}));
  DoubleValue rect = row({0.1, 0.6, 0.2, 0.9});
  scalarI("subplot", rect);
  EXPECT_DOUBLE_EQ(frame().placement().w, 0.5);
  EXPECT_DOUBLE_EQ(frame().placement().h, 0.7);
}

TEST_F(PlotCommands, AxisFullTakesTheWholeFrameAndTwoNumbersOnlyTheYLimits) {
  IntValue full = text("full");
  general("axis", {&full});
  EXPECT_EQ(frame().plotArea(), graphics::kWholeWindow);
  EXPECT_TRUE(frame().fix);  // axis on a new figure keeps its limits
  DoubleValue y = row({0, 1});
  frame().setExactLimits(2, 3, 5, 6);
  general("axis", {&y});
  EXPECT_EQ(frame().xmin(), 2);
  EXPECT_EQ(frame().ymin(), 0);
  EXPECT_EQ(frame().ymax(), 1);
  IntValue off = text("off");
  general("axis", {&off});
  EXPECT_FALSE(frame().axisTicks()->visible);
  IntValue equal = text("equal");
  general("axis", {&equal});
  EXPECT_TRUE(frame().equal);
}

TEST_F(PlotCommands, WipeOfAMissingFrameFailsAndChangesNothing) {
  DoubleValue a = row({1, 2}), b = row({2, 2});
  scalarI("subplot", a);
  scalarI("subplot", b);
  DoubleValue third = row({3, 'w'});
  EXPECT_EQ(runtimeError([&] { valueToValue("wipe", third); }), "in wipe: invalid subplot number");
  EXPECT_EQ(figures().current()->frameCount(), 2u);
  DoubleValue zeroth = row({0, 'w'});
  EXPECT_EQ(runtimeError([&] { valueToValue("wipe", zeroth); }), "in wipe: invalid subplot number");
  EXPECT_EQ(figures().current()->frameCount(), 2u);
  IntValue red = text("r");
  EXPECT_EQ(valueToValue("wipe", red)->toString(), "r");
  EXPECT_EQ(figures().current()->frameCount(), 1u);
  EXPECT_EQ(frame().background, graphics::rgb(170, 0, 0));
}

TEST_F(PlotCommands, UseColourStoresTheUserLetters) {
  DoubleValue three = row({300, 20.7, -1});
  EXPECT_EQ(valueToValue("useColour", three)->toString(), "u");
  EXPECT_EQ(graphics::colourTable().colourOf('u'), graphics::rgb(300 & 0xff, 20, 0xff));
  DoubleValue two = row({1, 2});
  EXPECT_EQ(runtimeError([&] { valueToValue("useColour", two); }),
            "in useColour: rgb must be 3 or 4 values");
}

TEST_F(PlotCommands, TextAtTheSamePlaceReplacesTheLabelAndKeepsItsId) {
  DoubleValue x = row({1}), y = row({2});
  IntValue first = text("first"), second = text("second"), ne = text("ne");
  auto a = general("text", {&x, &y, &first, &ne});
  auto b = general("text", {&x, &y, &second, &ne});
  EXPECT_EQ(elements(*a), elements(*b));
  EXPECT_EQ(itemOf<graphics::TextLabel>(elements(*b)[0]).text, "second");
  IntValue slash = text("a\\b");
  DoubleValue xy = row({0, 0});
  auto c = general("text", {&xy, &slash});
  EXPECT_EQ(itemOf<graphics::TextLabel>(elements(*c)[0]).text, "{;a\\b");
}

TEST_F(PlotCommands, ReplotGivesCurvesNewDataAndStyles) {
  DoubleValue x = row({1, 2, 3}), y = row({1, 2, 3});
  double id = elements(*general("plot", {&x, &y}))[0];
  DoubleValue idv = row({id}), y2 = row({3, 2, 1});
  general("replot", {&idv, &y2});
  EXPECT_EQ(itemOf<graphics::Curve>(id).ys, (std::vector<double>{3, 2, 1}));
  IntValue dashed = text("r=");
  general("replot", {&idv, &dashed});
  EXPECT_EQ(itemOf<graphics::Curve>(id).style.lineStyle, graphics::kLineDashed);
  DoubleValue ids = row({id}), d = row({1, 10});
  twoArg("replot_move", ids, &d);
  EXPECT_EQ(itemOf<graphics::Curve>(id).xs, (std::vector<double>{2, 3, 4}));
}

TEST_F(PlotCommands, PrintWithoutAFigureMakesNoFile) {
  fs::path path = fs::temp_directory_path() / "zirbin_plot_commands_none.svg";
  fs::remove(path);
  IntValue name = text(path.string());
  EXPECT_EQ(runtimeError([&] { general("print", {&name}); }),
            "a figure is required but none was found");
  EXPECT_FALSE(fs::exists(path));
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A figure made by the built-ins, printed; the file must match the golden copy byte for
// byte, and print must give the completed path (the default extension added).
TEST_F(PlotCommands, PrintWritesTheGoldenSvg) {
  DoubleValue x = row({0, 1, 2, 3, 4, 5, 6}), y = row({0, 0.84, 0.91, 0.14, -0.76, -0.96, -0.28});
  IntValue style = text("r.");
  general("plot", {&x, &y, &style});
  noArg("fix");
  DoubleValue bx = row({1, 3, 5}), bh = row({0.5, -0.5, 0.25});
  general("barchart", {&bx, &bh});
  DoubleValue c = row({3, 0, 0.5});
  twoArg("circle", c, nullptr);
  IntValue t = text("sin_{sampled}^{2}"), xl = text("x"), yl = text("y");
  general("title", {&t});
  general("xlabel", {&xl});
  general("ylabel", {&yl});
  DoubleValue tx = row({4}), ty = row({0.5});
  IntValue label = text("peak"), se = text("se");
  general("text", {&tx, &ty, &label, &se});
  fs::path path = fs::temp_directory_path() / "zirbin_plot_commands";
  IntValue name = text(path.string());
  auto printed = general("print", {&name});
  EXPECT_EQ(printed->toString(), path.string() + ".svg");
  fs::path golden = fs::path(ZIRBIN_SOURCE_DIR) / "tests/builtins/golden/plot_commands.svg";
  std::string svg = readFile(path.string() + ".svg");
  if (std::getenv("ZIRBIN_UPDATE_GOLDEN") != nullptr) std::ofstream(golden, std::ios::binary) << svg;
  EXPECT_EQ(svg, readFile(golden));
  fs::remove(path.string() + ".svg");
}

}  // namespace
}  // namespace zirbin::builtins::testing
