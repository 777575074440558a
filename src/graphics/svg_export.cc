// Writing a figure as an SVG document.
#include "graphics/svg_export.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "graphics/png_surface.h"
#include "graphics/svg_surface.h"
#include "base/errors.h"

namespace zirbin::graphics {

void writeFigureSvg(Figure& figure, std::ostream& out) {
  SvgSurface svg(out);
  const PixelRect& c = figure.clientRect();
  svg.writeProlog(c.width(), c.bottom - c.top);
  figure.redrawAll(svg);
  svg.writeEpilog();
}

void printFigureSvg(Figure& figure, const std::string& path) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) session::checkFailed("print", "cannot open " + path);
  writeFigureSvg(figure, file);
  file.flush();
  if (!file) throw session::RuntimeError("writing to figure file failed");
}

void printFigure(Figure& figure, const std::string& path) {
  std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : "";
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (tail == ".png") {
    printFigurePng(figure, path);
  } else {
    printFigureSvg(figure, path);
  }
}

}  // namespace zirbin::graphics
