// Writing a figure as an SVG document.
#include "graphics/svg_export.h"

#include <fstream>

#include "graphics/svg_surface.h"
#include "session/errors.h"

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

}  // namespace zirbin::graphics
