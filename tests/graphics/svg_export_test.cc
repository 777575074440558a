// Whole figures written as SVG: the forms that matter at figure level, golden files of a
// few real figures, and a check with a real SVG renderer that the files draw something.
#include "graphics/svg_export.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/errors.h"

namespace zirbin::graphics {
namespace {

namespace fs = std::filesystem;

std::string svgOf(Figure& figure) {
  std::ostringstream out;
  writeFigureSvg(figure, out);
  return out.str();
}

size_t countOf(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// What the plot commands do to a frame before new data: limits from the data and axes.
void prepare(Frame& f, const std::vector<double>& xs, const std::vector<double>& ys,
             bool xLog = false, bool yLog = false) {
  f.setLogarithmic(xLog, yLog);
  f.removeItems();
  auto [xlo, xhi] = std::minmax_element(xs.begin(), xs.end());
  auto [ylo, yhi] = std::minmax_element(ys.begin(), ys.end());
  f.setLimits(*xlo, *xhi, *ylo, *yhi);
  f.addItem(std::make_unique<AxisTicks>(kAxisDefaultMode, kAxisDefaultMode));
}

std::unique_ptr<Curve> curve(std::vector<double> xs, std::vector<double> ys, std::string_view style = "") {
  return std::make_unique<Curve>(std::move(xs), std::move(ys), style);
}

TEST(SvgExport, TwoPointCurveIsOneLineThreePointsAClippedPolyline) {
  Figure fig(1);
  Frame& f = fig.currentFrame();
  f.setExactLimits(0, 1, 0, 1);
  f.addItem(curve({0, 1}, {0, 1}));
  std::string two = svgOf(fig);
  EXPECT_NE(two.find("<svg stroke=\"rgb(0,100,0)\" stroke-width=\"2\">\n"
                     "<line x1=\"64\" y1=\"408\" x2=\"608\" y2=\"9\"></line>\n"
                     "</svg>\n"),
            std::string::npos);
  EXPECT_EQ(countOf(two, "<polyline"), 0u);
  f.removeItems();
  f.addItem(curve({0, 0.5, 1}, {0, 1, 0}));
  std::string three = svgOf(fig);
  EXPECT_NE(three.find("<polyline points=\"\n64 408, 336 9, 608 408 \n"
                       "\" clip-path=\"url(#myClip0)\"></polyline>\n"),
            std::string::npos);
}

TEST(SvgExport, TwoSubplotsHaveTwoClipPaths) {
  Figure fig(1);
  fig.selectFrame({0, 0.5, 1, 0.5});
  fig.currentFrame().addItem(curve({0, 0.5, 1}, {0, 1, 0}));
  fig.selectFrame({0, 0, 1, 0.5});
  fig.currentFrame().addItem(curve({0, 0.5, 1}, {1, 0, 1}));
  std::string svg = svgOf(fig);
  size_t clip0 = svg.find("<clipPath id = \"myClip0\">");
  size_t clip1 = svg.find("<clipPath id = \"myClip1\">");
  ASSERT_NE(clip0, std::string::npos);
  ASSERT_NE(clip1, std::string::npos);
  size_t use0 = svg.find("url(#myClip0)");
  size_t use1 = svg.find("url(#myClip1)");
  EXPECT_TRUE(clip0 < use0 && use0 < clip1 && clip1 < use1);
  EXPECT_EQ(countOf(svg, "url(#myClip0)"), 1u);
  EXPECT_EQ(countOf(svg, "url(#myClip1)"), 1u);
}

TEST(SvgExport, FarOffPointIsClampedToEightRangesBeyondTheFrame) {
  Figure fig(1);
  Frame& f = fig.currentFrame();
  f.setExactLimits(0, 1, 0, 1);
  f.addItem(curve({0, 0.5, 1}, {0, 1e200, -1e200}));
  std::string svg = svgOf(fig);
  int top = f.mapY(9);     // ymax + 8 (ymax - ymin)
  int bottom = f.mapY(-8);  // ymin - 8 (ymax - ymin)
  std::string expected = "64 408, 336 " + std::to_string(top) + ", 608 " + std::to_string(bottom) + " \n";
  EXPECT_NE(svg.find(expected), std::string::npos) << svg;
}

TEST(SvgExport, SouthEastLabelStartsAndHangs) {
  Figure fig(1);
  Frame& f = fig.currentFrame();
  f.setExactLimits(0, 1, 0, 1);
  f.addItem(std::make_unique<TextLabel>(0.5, 0.5, "here", "se", ""));
  std::string svg = svgOf(fig);
  EXPECT_NE(svg.find("<svg style=\"fill: #000000; stroke: none; text-anchor:start; "
                     "dominant-baseline:hanging; xml-space:preserve\">\n"
                     "<text x=\"336\" y=\"208\" xml:space=\"preserve\">\nhere</text>\n</svg>\n"),
            std::string::npos);
}

TEST(SvgExport, SuperscriptGroupIsWrittenInSegments) {
  Figure fig(1);
  Frame& f = fig.currentFrame();
  f.setExactLimits(0, 1, 0, 1);
  f.addItem(std::make_unique<TextLabel>(0.5, 0.5, "{$c}^{2}", "se", ""));
  std::string svg = svgOf(fig);
  // Size 20: the "2" is 2/8 of 20 = 5 pixels higher, after the 11-pixel chi.
  EXPECT_NE(svg.find("<text x=\"336\" y=\"208\" xml:space=\"preserve\">\nχ</text>\n"
                     "<text x=\"347\" y=\"203\" xml:space=\"preserve\" font-size=\"75%\">\n2</text>\n"),
            std::string::npos)
      << svg;
}

TEST(SvgExport, InvisibleItemsAndTheHiddenBoxAreLeftOut) {
  Figure fig(1);
  Frame& f = fig.currentFrame();
  f.item(0).visible = false;
  std::string svg = svgOf(fig);
  EXPECT_EQ(countOf(svg, "<rect x = \"64\""), 1u);  // only the clip path's rectangle
}

TEST(SvgExport, UnrecognizedMarkerFailsButLeavesTheFrameUsable) {
  Figure fig(1);
  Frame& f = fig.currentFrame();
  auto c = curve({0, 1}, {0, 1});
  c->marker = 'q';
  f.addItem(std::move(c));
  try {
    svgOf(fig);
    FAIL();
  } catch (const session::RuntimeError& e) {
    EXPECT_EQ(e.text, "unrecognized marker character");
  }
  f.removeItems();
  EXPECT_NO_THROW(svgOf(fig));
}

TEST(SvgExport, PrintToAFileThatCannotBeOpened) {
  Figure fig(1);
  try {
    printFigureSvg(fig, "/nonexistent-dir/x.svg");
    FAIL();
  } catch (const session::RuntimeError& e) {
    EXPECT_EQ(e.text, "in print: cannot open /nonexistent-dir/x.svg");
  }
}

// ---- Golden files of real figures ----

void sineFigure(Figure& fig) {
  Frame& f = fig.currentFrame();
  std::vector<double> xs, ys;
  for (int i = 0; i <= 60; ++i) {
    xs.push_back(i * 0.1);
    ys.push_back(std::sin(i * 0.1) * std::exp(-0.01 * i));
  }
  prepare(f, xs, ys);
  f.addItem(curve(xs, ys));
  f.addItem(curve({0, 1, 2, 3, 4, 5, 6}, {0.8, 0.5, 0.1, -0.1, 0.0, 0.05, -0.05}, "r o"));
  MainLabels& m = f.mainLabels();
  m.title.text = "Damped sine";
  m.xLabel.text = "time t";
  m.yLabel.text = "y(t)";
  f.addItem(std::make_unique<TextLabel>(3, 0.6, "e^{-t/10} sin t", "e", "b16"));
}

void subplotFigure(Figure& fig) {
  fig.selectFrame({0, 0.5, 1, 0.5});
  Frame& bars = fig.currentFrame();
  std::vector<double> xs = {1, 2, 3, 4, 5}, hs = {3, 5, -2, 4, 1};
  prepare(bars, {0.5, 5.5}, hs);
  bars.addItem(std::make_unique<BarChart>(xs, hs, 0.8, std::vector<double>{}, kBarChartStyle));
  bars.mainLabels().title.text = "Bars and error bars";
  fig.selectFrame({0, 0, 1, 0.5});
  Frame& errors = fig.currentFrame();
  std::vector<double> ys = {2.1, 3.9, 6.2, 7.8, 10.1};
  prepare(errors, xs, {1, 11});
  errors.addItem(std::make_unique<ErrorBars>(xs, ys, std::vector<double>{0.5, 0.4, 0.8, 0.3, 0.6}, 0, ""));
  errors.addItem(std::make_unique<SinglePoint>(3, 6.2, "rs6"));
  errors.addItem(curve({1, 5}, {2, 10}, "b="));
  errors.mainLabels().xLabel.text = "x_i";
}

void logFigure(Figure& fig) {
  Frame& f = fig.currentFrame();
  std::vector<double> xs, ys;
  for (int i = 0; i <= 40; ++i) {
    double x = std::pow(10.0, i * 0.1);
    xs.push_back(x);
    ys.push_back(1 / (1 + x * x / 100));
  }
  prepare(f, xs, ys, true, true);
  f.addItem(curve(xs, ys, "m3"));
  f.addItem(curve({1, 10, 100, 1000}, {1e-3, 1e-3, 0.3, 1e-3}, "#G"));
  f.addItem(std::make_unique<MyCircle>(10, 0.01, 5, "r"));
  f.addItem(std::make_unique<Box>(200, 1e-4, 500, 1e-3, ""));
  f.mainLabels().title.text = "Log axes: {r red} and {*bold}";
}

struct Golden {
  const char* name;
  void (*build)(Figure&);
};
constexpr Golden kGolden[] = {{"sine", sineFigure}, {"subplots", subplotFigure}, {"loglog", logFigure}};

fs::path goldenPath(const char* name) {
  return fs::path(ZIRBIN_SOURCE_DIR) / "tests/graphics/golden" / (std::string(name) + ".svg");
}

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(SvgGolden, FiguresMatchTheirGoldenFiles) {
  bool update = std::getenv("ZIRBIN_UPDATE_GOLDEN") != nullptr;
  for (const Golden& g : kGolden) {
    Figure fig(1);
    g.build(fig);
    std::string svg = svgOf(fig);
    if (update) std::ofstream(goldenPath(g.name), std::ios::binary) << svg;
    EXPECT_EQ(svg, readFile(goldenPath(g.name))) << g.name;
  }
}

// Runs a shell command and returns its exit status.
int run(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SvgGolden, RendererDrawsEachFileAndNotABlankPage) {
  if (run("command -v rsvg-convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "rsvg-convert missing";
  fs::path dir = fs::temp_directory_path() / ("zirbin_svg_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  // A blank page of the same size, as the renderer compresses it.
  fs::path blankSvg = dir / "blank.svg";
  {
    std::ofstream out(blankSvg);
    Figure fig(1);
    fig.currentFrame().item(0).visible = false;
    out << svgOf(fig);
  }
  ASSERT_EQ(run("rsvg-convert -b white -o '" + (dir / "blank.png").string() + "' '" + blankSvg.string() + "'"), 0);
  auto blankSize = fs::file_size(dir / "blank.png");
  for (const Golden& g : kGolden) {
    fs::path png = dir / (std::string(g.name) + ".png");
    ASSERT_EQ(run("rsvg-convert -b white -o '" + png.string() + "' '" + goldenPath(g.name).string() + "'"), 0)
        << g.name;
    EXPECT_GT(fs::file_size(png), blankSize * 3) << g.name;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace zirbin::graphics
