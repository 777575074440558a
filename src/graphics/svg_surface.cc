// SVG element formats of figure files.
#include "graphics/svg_surface.h"

#include <algorithm>

namespace zirbin::graphics {

namespace {

// The SVG text alignment of an anchor code's column and row.
constexpr const char* kTextAnchor[3] = {"end", "middle", "start"};
constexpr const char* kBaseline[3] = {"auto", "middle", "hanging"};

void writeColour(std::ostream& out, Rgb c) {
  out << "\"rgb(" << redOf(c) << ',' << greenOf(c) << ',' << blueOf(c) << ")\"";
}

void writeEscaped(std::ostream& out, const std::string& text) {
  for (char c : text) {
    switch (c) {
      case '&': out << "&amp;"; break;
      case '<': out << "&lt;"; break;
      case '>': out << "&gt;"; break;
      default: out << c;
    }
  }
}

// Attributes that give a piece its font kind: SVG text has no other way to carry it.
const char* fontAttributes(char kind) {
  switch (kind) {
    case '^':
    case '_': return " font-size=\"75%\"";
    case '*': return " font-weight=\"bold\"";
    case '/': return " font-style=\"italic\"";
    case '=': return " text-decoration=\"underline\"";
    default: return "";
  }
}

}  // namespace

void SvgSurface::writeProlog(int width, int height) {
  out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
  out_ << "<svg width=\"" << width << "\" height=\"" << height << "\"\n";
  out_ << "xmlns=\"http://www.w3.org/2000/svg\" stroke=\"black\"  stroke-width=\"1\" "
          "stroke-linecap=\"round\" stroke-linejoin=\"round\" fill=\"none\"\n";
  out_ << ">\n";
}

void SvgSurface::writeEpilog() { out_ << "</svg>\n"; }

void SvgSurface::beginFrame(const FrameClip& clip) {
  clip_ = clip;
  const PixelRect& a = clip.plotArea;
  out_ << "<clipPath id = \"myClip" << clip.number << "\"><rect x = \"" << a.left << "\" y = \""
       << a.top << "\" width = \"" << a.width() << "\" height = \"" << a.height()
       << "\"/></clipPath>\n";
}

void SvgSurface::beginStyle(const PlotStyle& style, bool filled) {
  out_ << "<svg stroke=";
  writeColour(out_, style.colour);
  out_ << " stroke-width=\"" << style.width << "\"";
  if (filled) {
    out_ << " fill=";
    writeColour(out_, style.fill);
  }
  out_ << ">\n";
}

void SvgSurface::endStyle() { out_ << "</svg>\n"; }

void SvgSurface::writePoints(std::span<const Point> points) {
  // Every point but the last is followed by ", ": a comma after the last pair would put
  // the points list in error, and strict renderers then draw nothing.
  for (size_t i = 0; i < points.size(); ++i) {
    out_ << points[i].x << ' ' << std::clamp(points[i].y, clip_.clampTop, clip_.clampBottom)
         << (i + 1 < points.size() ? ", " : " ");
  }
  out_ << "\n\" clip-path=\"url(#myClip" << clip_.number << ")\">";
}

void SvgSurface::polyline(std::span<const Point> points) {
  if (points.size() == 2) {
    out_ << "<line x1=\"" << points[0].x << "\" y1=\"" << points[0].y << "\" x2=\""
         << points[1].x << "\" y2=\"" << points[1].y << "\"></line>\n";
    return;
  }
  out_ << "<polyline points=\"\n";
  writePoints(points);
  out_ << "</polyline>\n";
}

void SvgSurface::polygon(std::span<const Point> points) {
  out_ << "<polygon points=\"\n";
  writePoints(points);
  out_ << "</polygon>\n";
}

void SvgSurface::rectangle(int left, int top, int width, int height) {
  out_ << "<rect x = \"" << left << "\" y = \"" << top << "\" width = \"" << width
       << "\"  height = \"" << height << "\"/>\n";
}

void SvgSurface::bar(int left, int top, int width, int baseline) {
  out_ << "<rect x=\"" << left << "\" y=\"" << std::min(top, baseline) << "\" width =\"" << width
       << "\" height=\"" << (top > baseline ? top - baseline : baseline - top) << "\"></rect>\n";
}

void SvgSurface::circle(int cx, int cy, int r) {
  out_ << "<circle cx=\"" << cx << "\" cy=\"" << cy << "\" r=\"" << r << "\"/>\n";
}

void SvgSurface::text(const TextRun& run) {
  int row = std::clamp(run.anchor / 4, 0, 2);
  int column = std::clamp(run.anchor % 4, 0, 2);
  out_ << "<svg style=\"fill: #000000; stroke: none; text-anchor:" << kTextAnchor[column]
       << "; dominant-baseline:" << kBaseline[row] << "; xml-space:preserve\">\n";
  for (const TextPiece& piece : run.pieces) writeTextElement(piece, run.rotation);
  out_ << "</svg>\n";
}

void SvgSurface::writeTextElement(const TextPiece& piece, int rotation) {
  out_ << "<text x=\"" << piece.x << "\" y=\"" << piece.y << "\" xml:space=\"preserve\""
       << fontAttributes(piece.kind);
  if (rotation != 0) {
    // rotate(-r) turns about the origin; this translation puts the anchor point back in
    // place (exactly so for r = 90).
    out_ << " transform=\"translate(" << piece.x - piece.y << ',' << piece.x + piece.y
         << ") rotate(-" << rotation << ")\"";
  }
  out_ << ">\n";
  writeEscaped(out_, piece.text);
  out_ << "</text>\n";
}

}  // namespace zirbin::graphics
