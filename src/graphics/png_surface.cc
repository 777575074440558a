// The Cairo adapter: painting figures into PNG images.
#include "graphics/png_surface.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>

#include "graphics/figure.h"
#include "base/errors.h"
#include "base/sandbox.h"

namespace zirbin::graphics {

namespace {

constexpr double kScriptScale = 0.75;  // sub- and superscript fonts
// The face whose widths the text writer's tables hold; fontconfig substitutes another
// serif face where it is missing.
constexpr const char* kFace = "Liberation Serif";
// Dash patterns in pixels of the dashed, dotted and dash-dot line styles.
constexpr double kDashed[] = {6, 4};
constexpr double kDotted[] = {1, 3};
constexpr double kDashDot[] = {6, 3, 1, 3};

void setColour(cairo_t* cr, Rgb c) {
  cairo_set_source_rgb(cr, redOf(c) / 255.0, greenOf(c) / 255.0, blueOf(c) / 255.0);
}

cairo_status_t writeToStream(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::ostream*>(closure);
  out->write(reinterpret_cast<const char*>(data), length);
  return *out ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

struct PngSurface::Impl {
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  FrameClip clip;
  PlotStyle style;
  bool filled = false;
  bool clipping = false;

  // Strokes the current path with the style, filling it first when the style is filled.
  void finish(bool fill) {
    if (fill) {
      setColour(cr, style.fill);
      cairo_fill_preserve(cr);
    }
    setColour(cr, style.colour);
    cairo_stroke(cr);
  }
  // Odd line widths are centred on pixel centres, so that thin lines stay sharp.
  double shift() const { return style.width % 2 == 1 ? 0.5 : 0.0; }
};

PngSurface::PngSurface(int width, int height) : impl_(std::make_unique<Impl>()) {
  impl_->surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  impl_->cr = cairo_create(impl_->surface);
  cairo_set_source_rgb(impl_->cr, 1, 1, 1);
  cairo_paint(impl_->cr);
  cairo_set_line_cap(impl_->cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(impl_->cr, CAIRO_LINE_JOIN_ROUND);
}

PngSurface::PngSurface(int width, int height, std::ostream& pdf) : impl_(std::make_unique<Impl>()) {
  impl_->surface = cairo_pdf_surface_create_for_stream(writeToStream, &pdf, width, height);
  impl_->cr = cairo_create(impl_->surface);
  cairo_set_line_cap(impl_->cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(impl_->cr, CAIRO_LINE_JOIN_ROUND);
}

bool PngSurface::finishPdf() {
  cairo_show_page(impl_->cr);
  cairo_surface_finish(impl_->surface);
  return cairo_surface_status(impl_->surface) == CAIRO_STATUS_SUCCESS;
}

PngSurface::~PngSurface() {
  cairo_destroy(impl_->cr);
  cairo_surface_destroy(impl_->surface);
}

bool PngSurface::writePng(std::ostream& out) {
  cairo_surface_flush(impl_->surface);
  return cairo_surface_write_to_png_stream(impl_->surface, writeToStream, &out) == CAIRO_STATUS_SUCCESS;
}

Rgb PngSurface::pixel(int x, int y) {
  cairo_surface_flush(impl_->surface);
  int w = cairo_image_surface_get_width(impl_->surface);
  int h = cairo_image_surface_get_height(impl_->surface);
  if (x < 0 || y < 0 || x >= w || y >= h) return kWhite;
  const unsigned char* row = cairo_image_surface_get_data(impl_->surface) +
                             static_cast<size_t>(y) * cairo_image_surface_get_stride(impl_->surface);
  uint32_t argb;
  std::memcpy(&argb, row + 4 * x, 4);
  return rgb((argb >> 16) & 0xff, (argb >> 8) & 0xff, argb & 0xff);
}

void PngSurface::beginFrame(const FrameClip& clip) { impl_->clip = clip; }

void PngSurface::endFrame() {
  if (impl_->clipping) setClipping(false);
}

void PngSurface::eraseRect(const PixelRect& r, Rgb colour) {
  cairo_rectangle(impl_->cr, r.left, r.top, r.width(), r.height());
  setColour(impl_->cr, colour);
  cairo_fill(impl_->cr);
}

void PngSurface::beginStyle(const PlotStyle& style, bool filled) {
  impl_->style = style;
  impl_->filled = filled;
  cairo_t* cr = impl_->cr;
  cairo_set_line_width(cr, std::max(style.width, 1));
  switch (style.lineStyle) {
    case kLineDashed: cairo_set_dash(cr, kDashed, 2, 0); break;
    case kLineDotted: cairo_set_dash(cr, kDotted, 2, 0); break;
    case kLineDashDot: cairo_set_dash(cr, kDashDot, 4, 0); break;
    default: cairo_set_dash(cr, nullptr, 0, 0);
  }
}

void PngSurface::endStyle() { cairo_set_dash(impl_->cr, nullptr, 0, 0); }

void PngSurface::setClipping(bool on) {
  if (on == impl_->clipping) return;
  impl_->clipping = on;
  cairo_t* cr = impl_->cr;
  if (on) {
    // The clip region of the plot area: one pixel around it, two below.
    const PixelRect& a = impl_->clip.plotArea;
    cairo_save(cr);
    cairo_rectangle(cr, a.left - 1, a.top - 1, a.width() + 2, a.height() + 3);
    cairo_clip(cr);
  } else {
    cairo_restore(cr);
  }
}

void PngSurface::polyline(std::span<const Point> points) {
  double d = impl_->shift();
  cairo_move_to(impl_->cr, points[0].x + d, points[0].y + d);
  for (size_t i = 1; i < points.size(); ++i) cairo_line_to(impl_->cr, points[i].x + d, points[i].y + d);
  impl_->finish(false);
}

void PngSurface::polygon(std::span<const Point> points) {
  cairo_move_to(impl_->cr, points[0].x, points[0].y);
  for (size_t i = 1; i < points.size(); ++i) cairo_line_to(impl_->cr, points[i].x, points[i].y);
  cairo_close_path(impl_->cr);
  impl_->finish(true);
}

void PngSurface::rectangle(int left, int top, int width, int height) {
  double d = impl_->shift();
  cairo_rectangle(impl_->cr, left + d, top + d, width, height);
  impl_->finish(impl_->filled);
}

void PngSurface::bar(int left, int top, int width, int baseline) {
  double d = impl_->shift();
  cairo_rectangle(impl_->cr, left + d, std::min(top, baseline) + d, width, std::abs(baseline - top));
  impl_->finish(true);
}

void PngSurface::circle(int cx, int cy, int r) {
  cairo_new_sub_path(impl_->cr);
  cairo_arc(impl_->cr, cx, cy, r, 0, 2 * std::numbers::pi);
  impl_->finish(impl_->filled);
}

void PngSurface::text(const TextRun& run) {
  cairo_t* cr = impl_->cr;
  int row = std::clamp(run.anchor / 4, 0, 2);
  int column = std::clamp(run.anchor % 4, 0, 2);
  for (const TextPiece& p : run.pieces) {
    bool script = p.kind == '^' || p.kind == '_';
    cairo_select_font_face(cr, kFace, p.kind == '/' ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           p.kind == '*' ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, p.size * (script ? kScriptScale : 1.0));
    cairo_text_extents_t te;
    cairo_font_extents_t fe;
    cairo_text_extents(cr, p.text.c_str(), &te);
    cairo_font_extents(cr, &fe);
    double dx = column == 0 ? -te.x_advance : column == 1 ? -te.x_advance / 2 : 0;
    double dy = row == 0 ? 0 : row == 1 ? (fe.ascent - fe.descent) / 2 : fe.ascent;
    cairo_save(cr);
    cairo_translate(cr, p.x, p.y);
    if (run.rotation != 0) cairo_rotate(cr, -run.rotation * std::numbers::pi / 180);
    cairo_move_to(cr, dx, dy);
    setColour(cr, p.colour);
    cairo_show_text(cr, p.text.c_str());
    if (p.kind == '=') {
      cairo_set_line_width(cr, 1);
      cairo_move_to(cr, dx, dy + 2.5);
      cairo_rel_line_to(cr, te.x_advance, 0);
      cairo_stroke(cr);
    }
    cairo_restore(cr);
  }
}

void PngSurface::image(int left, int top, int width, int height, std::span<const Rgb> pixels,
                       Rgb transparent) {
  if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * height) return;
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_surface_flush(img);
  unsigned char* data = cairo_image_surface_get_data(img);
  int stride = cairo_image_surface_get_stride(img);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      Rgb c = pixels[static_cast<size_t>(y) * width + x];
      row[x] = c == transparent ? 0 : 0xff000000u | (redOf(c) << 16) | (greenOf(c) << 8) | blueOf(c);
    }
  }
  cairo_surface_mark_dirty(img);
  cairo_set_source_surface(impl_->cr, img, left, top);
  cairo_paint(impl_->cr);
  cairo_surface_destroy(img);
}

void printFigurePng(Figure& figure, const std::string& path) {
  if (session::sandboxed) session::checkFailed("print", "not available in a sandboxed run");
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) session::checkFailed("print", "cannot open " + path);
  const PixelRect& c = figure.clientRect();
  PngSurface png(c.width(), c.height());
  figure.redrawAll(png);
  if (!png.writePng(file) || !file.flush()) throw session::RuntimeError("writing to figure file failed");
}

void printFigurePdf(Figure& figure, const std::string& path) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) session::checkFailed("print", "cannot open " + path);
  const PixelRect& c = figure.clientRect();
  bool ok;
  {
    PngSurface pdf(c.width(), c.height(), file);
    figure.redrawAll(pdf);
    ok = pdf.finishPdf();
  }
  if (!ok || !file.flush()) throw session::RuntimeError("writing to figure file failed");
}

}  // namespace zirbin::graphics
