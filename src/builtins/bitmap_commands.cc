// The bitmap built-ins: loadBitmap (BMP, PNG, JPEG files into a figure), getpixel and
// snipImage.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/run_context.h"
#include "builtins/families.h"
#include "builtins/plot_support.h"
#include "builtins/routine_support.h"
#include "files/path_list.h"
#include "graphics/image_files.h"
#include "graphics/plotables.h"
#include "graphics/png_surface.h"
#include "values/value.h"

namespace zirbin::builtins {

namespace {

using graphics::Figure;
using graphics::figures;
using graphics::MyBitmap;
using session::checkFailed;

// No pixel of a loaded image is left out: this is no colour (colours are 0x00BBGGRR).
constexpr graphics::Rgb kNoTransparency = 0xff000000u;

void addBitmap(graphics::Frame& frame, double x, double y, graphics::Image image, Value& result) {
  auto item = std::make_unique<MyBitmap>(x, y, image.width, image.height, std::move(image.pixels),
                                         kNoTransparency);
  int id = frame.addItem(std::move(item));
  frame.showItem(static_cast<size_t>(id % graphics::kItemIdFrameFactor));
  result.assignInt(id);
}

// loadBitmap(name, [x, y]): the image file's top left corner at (x, y) in data units of the
// current frame (the frame's upper left corner without a position). Gives the item's id.
void loadBitmap(Value& first, const Value* second, Value& result) {
  std::string name = first.toString();
  std::string path = session::runContext->pathList != nullptr
                         ? session::runContext->pathList->findFile(name, "bmp")
                         : files::PathList().completePath(name, "bmp");
  std::optional<graphics::Image> image = graphics::readImageFile(path);
  if (!image) checkFailed("loadBitmap", "bitmap failed to load");
  graphics::Frame& frame = frameOnDemand();
  double x = frame.xmin(), y = frame.ymax();
  if (second != nullptr && second->size != 0) {
    std::vector<double> p = doublesOf(*second);
    if (p.size() != 2) checkFailed("loadBitmap", "position must be [x, y]");
    x = p[0];
    y = p[1];
  }
  addBitmap(frame, x, y, std::move(*image), result);
}

// The bitmap item `id` of the current figure, or null.
MyBitmap* bitmapOf(double id) {
  Figure* fig = figures().current();
  if (fig == nullptr || !(id >= 0) || id != std::floor(id)) return nullptr;
  auto f = static_cast<size_t>(id / graphics::kItemIdFrameFactor);
  auto k = static_cast<size_t>(std::fmod(id, graphics::kItemIdFrameFactor));
  if (f >= fig->frameCount() || k >= fig->frame(f).itemCount()) return nullptr;
  return dynamic_cast<MyBitmap*>(&fig->frame(f).item(k));
}

// getpixel(id, [x, y]): [r, g, b] of pixel column x, row y (from 1, rows from the top) of
// the bitmap item `id`.
void getpixel(Value& first, const Value* second, Value& result) {
  if (second == nullptr || second->size != 2) checkFailed("getpixel", "xy argument has the wrong size");
  MyBitmap* b = first.size == 1 ? bitmapOf(first.getDouble()) : nullptr;
  if (b == nullptr) checkFailed("getpixel", "id not recognized");
  std::vector<double> xy = doublesOf(*second);
  if (!(xy[0] >= 1 && xy[0] <= b->width && xy[1] >= 1 && xy[1] <= b->height))
    checkFailed("getpixel", "xy lies outside the bitmap");
  graphics::Rgb c = b->pixels[static_cast<size_t>(xy[1] - 1) * b->width + static_cast<size_t>(xy[0] - 1)];
  double* out = shapeDoubles(result, 1, 3);
  out[0] = graphics::redOf(c);
  out[1] = graphics::greenOf(c);
  out[2] = graphics::blueOf(c);
}

// The pixels of the current figure as the window shows them.
graphics::Image figureImage(Figure& fig) {
  const graphics::PixelRect& c = fig.clientRect();
  graphics::PngSurface surface(c.width(), c.height());
  fig.redrawAll(surface);
  graphics::Image img{c.width(), c.height(), {}};
  img.pixels.reserve(static_cast<size_t>(img.width) * img.height);
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) img.pixels.push_back(surface.pixel(x, y));
  }
  return img;
}

// snipImage(id, [x, y, w, h] [, where]): copies the w x h pixels from column x, row y
// (from 1) of bitmap item `id`, or of the whole figure as drawn when id is 0, into a new
// bitmap item. `where` is [x, y], the new item's top left corner in data units, or one
// whole number n from 1 to 16, a zoom: each pixel becomes n x n, at the source's place.
// Without it the copy lies over the source. Gives the new item's id.
constexpr int kMaxZoom = 16;

void snipImage(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  if (args.value(0).size != 1) checkFailed("snipImage", "id must be scalar");
  double id = args.value(0).getDouble();
  Figure& fig = figures().requireCurrent();
  graphics::Image source;
  graphics::Frame* frame = &fig.currentFrame();
  double px = frame->xmin(), py = frame->ymax();
  if (id == 0) {
    source = figureImage(fig);
    px = frame->unmapX(0);
    py = frame->unmapY(0);
  } else {
    MyBitmap* b = bitmapOf(id);
    if (b == nullptr) checkFailed("snipImage", "invalid parameters");
    source = {b->width, b->height, b->pixels};
    frame = &fig.frame(static_cast<size_t>(id / graphics::kItemIdFrameFactor));
    px = b->x;
    py = b->y;
  }
  std::vector<double> r = doublesOf(args.value(1));
  if (r.size() != 4) checkFailed("snipImage", "invalid parameters");
  bool inside = r[0] >= 1 && r[1] >= 1 && r[2] >= 1 && r[3] >= 1 &&
                r[0] + r[2] - 1 <= source.width && r[1] + r[3] - 1 <= source.height;
  if (!inside) checkFailed("snipImage", "invalid parameters");
  int x0 = static_cast<int>(r[0]) - 1, y0 = static_cast<int>(r[1]) - 1;
  int w = static_cast<int>(r[2]), h = static_cast<int>(r[3]);
  int zoom = 1;
  if (args.count() == 3) {
    std::vector<double> where = doublesOf(args.value(2));
    if (where.size() == 2) {
      px = where[0];
      py = where[1];
    } else if (where.size() == 1) {
      if (!(where[0] >= 1 && where[0] <= kMaxZoom)) checkFailed("snipImage", "invalid parameters");
      zoom = static_cast<int>(where[0]);
    } else {
      checkFailed("snipImage", "third argument must have 1 or 2 values");
    }
  }
  graphics::Image out{w * zoom, h * zoom, {}};
  out.pixels.reserve(static_cast<size_t>(out.width) * out.height);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x)
      out.pixels.push_back(source.pixels[static_cast<size_t>(y0 + y / zoom) * source.width + x0 + x / zoom]);
  }
  addBitmap(*frame, px, py, std::move(out), result);
}

constexpr BuiltinEntry kEntries[] = {
    {"getpixel", BuiltinKind::TwoArg, kDoubleResult, getpixel},
    {"loadBitmap", BuiltinKind::TwoArg, kIntResult, loadBitmap},
    {"snipImage", BuiltinKind::General, kIntResult, snipImage, 2, 3},
};

}  // namespace

void registerBitmapCommands(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
