// Figures painted into PNG images.
#include "graphics/png_surface.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "graphics/figure.h"
#include "graphics/svg_export.h"
#include "base/errors.h"

namespace zirbin::graphics {
namespace {

namespace fs = std::filesystem;

TEST(PngSurface, PaintsTheFrameAndItsItems) {
  Figure fig(1);
  Frame& f = fig.currentFrame();
  f.setExactLimits(0, 1, 0, 1);
  f.addItem(std::make_unique<Curve>(std::vector<double>{0, 1}, std::vector<double>{0.5, 0.5}, "r3"));
  f.addItem(std::make_unique<Box>(0.1, 0.1, 0.2, 0.2, "#"));
  PngSurface png(640, 480);
  fig.redrawAll(png);
  EXPECT_EQ(png.pixel(2, 2), kWhite);
  EXPECT_EQ(png.pixel(336, 9), kBlack);            // the plot-area line
  EXPECT_EQ(png.pixel(336, 208), rgb(170, 0, 0));  // the red curve at y = 0.5
  EXPECT_EQ(png.pixel(f.mapX(0.2), f.mapY(0.2)), kBlack);  // inside the filled box
}

TEST(PngSurface, CurvesAreClippedToThePlotArea) {
  Figure fig(1);
  Frame& f = fig.currentFrame();
  f.setExactLimits(0, 1, 0, 1);
  f.addItem(std::make_unique<Curve>(std::vector<double>{-1, 2}, std::vector<double>{0.5, 0.5}, "r3"));
  PngSurface png(640, 480);
  fig.redrawAll(png);
  EXPECT_EQ(png.pixel(336, 208), rgb(170, 0, 0));
  EXPECT_EQ(png.pixel(30, 208), kWhite);
}

TEST(PngSurface, TextIsPaintedInItsColour) {
  Figure fig(1);
  Frame& f = fig.currentFrame();
  f.addItem(std::make_unique<TextLabel>(0.5, 0.5, "MMMM", "", "r40"));
  PngSurface png(640, 480);
  fig.redrawAll(png);
  int red = 0;
  for (int x = 250; x < 420; ++x) red += png.pixel(x, 208) == rgb(170, 0, 0);
  EXPECT_GT(red, 10);
}

TEST(PngSurface, PrintWritesAPngFileByItsExtension) {
  fs::path dir = fs::temp_directory_path() / ("zirbin_png_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  Figure fig(1);
  fig.currentFrame().addItem(std::make_unique<AxisTicks>(kAxisDefaultMode, kAxisDefaultMode));
  printFigure(fig, (dir / "a.PNG").string());
  printFigure(fig, (dir / "a.svg").string());
  std::ifstream png(dir / "a.PNG", std::ios::binary);
  std::string head(8, '\0');
  png.read(head.data(), 8);
  EXPECT_EQ(head, "\x89PNG\r\n\x1a\n");
  std::ifstream svg(dir / "a.svg");
  std::string first;
  std::getline(svg, first);
  EXPECT_EQ(first, "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>");
  fs::remove_all(dir);
}

TEST(PngSurface, PrintToAnUnwritablePlace) {
  Figure fig(1);
  try {
    printFigure(fig, "/nonexistent-dir/x.png");
    FAIL();
  } catch (const session::RuntimeError& e) {
    EXPECT_EQ(e.text, "in print: cannot open /nonexistent-dir/x.png");
  }
}

TEST(PngSurface, WriteFailureIsReported) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  Figure fig(1);
  try {
    printFigure(fig, "/dev/full");
    FAIL();
  } catch (const session::RuntimeError& e) {
    EXPECT_EQ(e.text, "writing to figure file failed");
  }
}

}  // namespace
}  // namespace zirbin::graphics
