// Writing a figure as an SVG document.
#include "graphics/svg_export.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "graphics/png_surface.h"
#include "graphics/svg_surface.h"
#include "base/errors.h"
#include "base/sandbox.h"

namespace zirbin::graphics {

void writeFigureSvg(Figure& figure, std::ostream& out) {
  SvgSurface svg(out);
  const PixelRect& c = figure.clientRect();
  svg.writeProlog(c.width(), c.bottom - c.top);
  figure.redrawAll(svg);
  svg.writeEpilog();
}

void printFigureSvg(Figure& figure, const std::string& path) {
  if (session::sandboxed) session::checkFailed("print", "not available in a sandboxed run");
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) session::checkFailed("print", "cannot open " + path);
  writeFigureSvg(figure, file);
  file.flush();
  if (!file) throw session::RuntimeError("writing to figure file failed");
}

void printFigure(Figure& figure, const std::string& path) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  std::string ext = dot == std::string::npos || (slash != std::string::npos && dot < slash)
                        ? std::string() : path.substr(dot + 1);
  std::string lower = ext;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower == "png") {
    printFigurePng(figure, path);
  } else if (lower == "pdf") {
    printFigurePdf(figure, path);
  } else if (lower == "svg" || ext.empty()) {
    printFigureSvg(figure, path);
  } else {
    session::checkFailed("print", "cannot write a figure as ." + ext + ": use .svg, .png or .pdf");
  }
}

}  // namespace zirbin::graphics
