// The graphics state of one interpreter session: its figures, its colour table, what its
// figure windows last reported of the mouse, and the curve-colour sequence and text-redraw
// setting of its plot commands. Kept in the session's run context.
#pragma once

#include "graphics/colour_table.h"
#include "graphics/figure.h"
#include "graphics/figure_interaction.h"

namespace zirbin::graphics {

struct GraphicsState {
  FigureRegistry figures;
  ColourTable colours;
  MouseState mouse;
  // When set, a text label that replaces another has its whole frame redrawn, else only
  // the label is drawn. Written by `set` ("text"); read by Frame::addItem.
  bool textRedraw = true;
  // The automatic colour sequence of curves: how many curves in a row went onto a fixed
  // frame over the same x range, and the first and last x of the previous curve. Written
  // by the plot built-ins when they add a curve.
  int curveColourCount = 0;
  double curveColourFirstX = 0;
  double curveColourLastX = 0;
};

// The graphics state of the running session (made on first use when the running context
// has none yet).
GraphicsState& graphicsState();

}  // namespace zirbin::graphics
