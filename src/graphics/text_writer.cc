// Laying out markup text into placed pieces.
#include "graphics/text_writer.h"

#include <cmath>
#include <vector>

#include "graphics/colour_table.h"
#include "graphics/markup.h"

namespace zirbin::graphics {

namespace {

// A segment ready to be placed: its drawn text, font, colour and advance.
struct Measured {
  std::string text;
  char kind;
  Rgb colour;
  int raise;  // pixels above the line
  double width;
  bool advances;  // false for a subscript stacked under the superscript that follows
};

std::string drawnText(const MarkupSegment& s) {
  if (s.kind != kFontSymbol) return s.text;
  std::string out;
  for (char c : s.text) out += symbolFontUtf8(c);
  return out;
}

std::vector<Measured> measure(std::string_view markup, const TextMetrics& m, int size,
                                     Rgb writerColour) {
  std::vector<MarkupSegment> segments = parseMarkup(markup);
  std::vector<Measured> out;
  for (size_t i = 0; i < segments.size(); ++i) {
    const MarkupSegment& s = segments[i];
    Measured p;
    p.text = drawnText(s);
    p.kind = s.kind;
    p.colour = s.colour ? colourTable().colourOf(s.colour) : writerColour;
    p.raise = s.offset * size / 8;
    p.width = m.width(p.text, s.kind, size);
    p.advances = !(s.kind == kFontSubscript && i + 1 < segments.size() &&
                   segments[i + 1].kind == kFontSuperscript);
    out.push_back(std::move(p));
  }
  return out;
}

}  // namespace

double TextWriter::textWidth(std::string_view markup) const {
  double w = 0;
  for (const Measured& p : measure(markup, *metrics_, size_, colour_)) {
    if (p.advances) w += p.width;
  }
  return w;
}

TextRun TextWriter::layout(int x, int y, std::string_view markup, int anchor, int rotation) const {
  TextRun run;
  run.anchor = anchor;
  run.rotation = rotation;
  std::vector<Measured> pieces = measure(markup, *metrics_, size_, colour_);
  double total = 0;
  for (const Measured& p : pieces) total += p.advances ? p.width : 0;
  int column = anchor % 4;
  // Where each piece's point lies along the piece: its end, centre or start.
  double along = column == 0 ? 1.0 : column == 1 ? 0.5 : 0.0;
  bool margins = column == 2 && rotation == 0;
  bool continued = margins && !pieces.empty() && pieces[0].kind == kFontContinued;
  double pen = -total * along;  // the left end of the next piece, relative to x
  int line = 0;                 // lines moved down by the continuation
  int lineStart = x;
  for (const Measured& p : pieces) {
    std::string text = p.text;
    if (continued && lineStart + pen + p.width > right_) {
      // Carry the characters that do not fit over to further lines at the left margin.
      for (size_t i = 0; i < text.size();) {
        size_t n = 1;
        while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
        std::string ch = text.substr(i, n);
        double w = metrics_->width(ch, p.kind, size_);
        if (lineStart + pen + w > right_ && lineStart + pen > left_) {
          ++line;
          lineStart = left_;
          pen = 0;
        }
        int px = lineStart + static_cast<int>(std::lround(pen));
        int py = y + line * lineHeight() - p.raise;
        if (!run.pieces.empty() && run.pieces.back().y == py && run.pieces.back().kind == p.kind &&
            run.pieces.back().colour == p.colour && i > 0) {
          run.pieces.back().text += ch;
        } else {
          run.pieces.push_back({ch, px, py, p.kind, p.colour, size_});
        }
        pen += w;
        i += n;
      }
      continue;
    }
    int a = static_cast<int>(std::lround(pen + p.width * along));
    if (rotation == 0) {
      run.pieces.push_back({text, lineStart + a, y + line * lineHeight() - p.raise, p.kind, p.colour,
                            size_});
    } else {
      run.pieces.push_back({text, x - p.raise, y - a, p.kind, p.colour, size_});
    }
    if (p.advances) pen += p.width;
    if (margins && !continued && x + pen > right_) {
      int w = static_cast<int>(std::lround(metrics_->width(kEllipsis, kFontPlain, size_)));
      run.pieces.push_back({std::string(kEllipsis), right_ - w, y, kFontPlain, kEllipsisColour, size_});
      break;
    }
  }
  return run;
}

}  // namespace zirbin::graphics
