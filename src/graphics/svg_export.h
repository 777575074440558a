// Writing a whole figure as an SVG document, or as a PNG image (the `print` built-in).
#pragma once

#include <ostream>
#include <string>

#include "graphics/figure.h"

namespace zirbin::graphics {

// Writes the document: the prolog sized to the client area, then each frame's clip path
// and items, then the closing line. Nothing is drawn on the screen meanwhile.
void writeFigureSvg(Figure& figure, std::ostream& out);

// Writes the figure to the file at `path` (already completed by the caller).
// Failures: "cannot open " + path (for "print"), "writing to figure file failed".
void printFigureSvg(Figure& figure, const std::string& path);

// `print`: a PNG image (png_surface.h) when the path ends in ".png" in any case, else SVG.
void printFigure(Figure& figure, const std::string& path);

}  // namespace zirbin::graphics
