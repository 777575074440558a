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

// `print`: SVG, a PNG image or a PDF page (png_surface.h) by the extension of the path's
// file name, in any case; SVG without an extension. Any other extension is refused before anything is written:
// "cannot write a figure as ." + extension + ": use .svg, .png or .pdf" (for "print").
void printFigure(Figure& figure, const std::string& path);

}  // namespace zirbin::graphics
