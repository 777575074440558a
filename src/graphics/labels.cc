// Drawing text labels and the frame's title and axis titles.
#include <cmath>

#include "graphics/figure.h"
#include "graphics/frame.h"
#include "graphics/plotables.h"
#include "graphics/text_writer.h"

namespace zirbin::graphics {

namespace {

// Gaps in pixels between the plot area and the titles; the x-axis title sits below the
// tick labels, the title inside the top of the plot area.
constexpr int kTitleGap = 6;
constexpr int kTickLabelGap = 5;
constexpr int kXTitleGap = 4;
constexpr int kYTitleGap = 2;

}  // namespace

TextLabel::TextLabel(double lx, double ly, std::string labelText, std::string_view placement,
                     std::string_view styleString, bool isRelative)
    : text(std::move(labelText)), relative(isRelative) {
  x = lx;
  y = ly;
  style.colour = kLabelColour;
  style.width = kLabelFontSize;
  applyStyleString(styleString, style);
  TextPlacement p = parsePlacement(placement);
  anchor = p.anchor;
  rotation = p.rotation;
}

void TextLabel::draw(Frame& frame) {
  int px, py;
  if (relative) {
    PixelRect f = frame.frameRect();
    px = static_cast<int>(f.left + x * f.width());
    py = static_cast<int>(f.bottom + y * (f.top - f.bottom));
  } else {
    px = frame.mapX(x);
    py = frame.mapY(y);
  }
  if (px == kNoPixel || py == kNoPixel) return;
  drawAt(frame, px, py);
}

void TextLabel::drawAt(Frame& frame, int px, int py) const {
  if (text.empty()) return;
  TextWriter& w = frame.writer();
  const PixelRect& client = frame.figure().clientRect();
  w.setSize(style.width);
  w.setColour(style.colour);
  w.setMargins(client.left, client.right);
  w.writeAt(frame.surface(), px, py, text, anchor, rotation);
}

MainLabels::MainLabels()
    : xLabel(0, 0, "", "S", ""), yLabel(0, 0, "", "W|", ""), title(0, 0, "", "N", "") {}

void MainLabels::draw(Frame& frame) {
  const PixelRect& r = frame.plotRect();
  PixelRect f = frame.frameRect();
  int midX = (r.left + r.right) / 2;
  int midY = (r.top + r.bottom) / 2;
  // The default plot area leaves only 2 % of the frame above it, so the title stands just
  // inside the top of the plot area.
  int titleHeight = frame.writer().metrics().lineHeight(title.style.width);
  title.drawAt(frame, midX, r.top + titleHeight + kTitleGap);
  int tickLabels = frame.writer().metrics().lineHeight(kFrameFontSize);
  xLabel.drawAt(frame, midX, r.bottom + kTickLabelGap + tickLabels + kXTitleGap);
  int yTitleHeight = frame.writer().metrics().lineHeight(yLabel.style.width);
  yLabel.drawAt(frame, f.left + yTitleHeight + kYTitleGap, midY);
}

}  // namespace zirbin::graphics
