// The text writer of figures: lays out markup text (font kinds, sub- and superscripts,
// colour groups, the right-margin ellipsis and "-" continuation) into placed text pieces.
#pragma once

#include <climits>
#include <string>
#include <string_view>

#include "graphics/draw_surface.h"
#include "graphics/text_metrics.h"

namespace zirbin::graphics {

inline constexpr Rgb kEllipsisColour = rgb(170, 0, 0);
inline constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // U+2026, one character

class TextWriter {
 public:
  // `metrics` must outlive the writer.
  TextWriter(std::string face, const TextMetrics& metrics) : face_(std::move(face)), metrics_(&metrics) {}
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;

  const std::string& face() const { return face_; }
  int size() const { return size_; }
  void setSize(int size) { size_ = size; }
  Rgb colour() const { return colour_; }
  void setColour(Rgb colour) { colour_ = colour; }
  // The columns text may use; text written start-anchored past `right` is cut with the
  // red ellipsis, or continued on the next line at `left` when it starts with a "-" group.
  void setMargins(int left, int right) {
    left_ = left;
    right_ = right;
  }
  int lineHeight() const { return metrics_->lineHeight(size_); }
  const TextMetrics& metrics() const { return *metrics_; }

  // The width in pixels of a markup text written on one line.
  double textWidth(std::string_view markup) const;

  // Lays out `markup` at the point (x, y) with an anchor code (4 * row + column) and a
  // rotation of 0 or 90 degrees. Each segment becomes a piece in its colour (a group's
  // colour letter from the ColourTable, else the writer's colour) and font, raised by its
  // offset in eighths of the size; pieces follow each other, except that a subscript
  // directly followed by a superscript stacks with it. The whole run is aligned as the
  // anchor's column says, each piece carrying the point that this alignment needs.
  // The margins apply only to unrotated start-anchored text (column 2).
  TextRun layout(int x, int y, std::string_view markup, int anchor, int rotation) const;

  // layout() drawn on a surface.
  void writeAt(DrawSurface& surface, int x, int y, std::string_view markup, int anchor = 10,
               int rotation = 0) const {
    surface.text(layout(x, y, markup, anchor, rotation));
  }

 private:
  std::string face_;
  const TextMetrics* metrics_;
  int size_ = 16;
  Rgb colour_ = kBlack;
  int left_ = 0;
  int right_ = INT_MAX;
};

}  // namespace zirbin::graphics
