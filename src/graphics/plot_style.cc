// The style-string grammar and text placement codes.
#include "graphics/plot_style.h"

#include <cctype>
#include <string>

namespace zirbin::graphics {

namespace {

constexpr std::string_view kLineStyleCharacters = "-=:;";  // ORDER kLine* codes

bool isMarker(char c) { return kMarkerCharacters.find(c) != std::string_view::npos; }
bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Reads the decimal number at s[at...], saturating instead of overflowing.
int readNumber(std::string_view s, size_t at) {
  constexpr int kLargest = 1 << 20;  // far beyond any sensible width or marker size
  int n = 0;
  for (size_t i = at; i < s.size() && isDigit(s[i]); ++i) {
    n = std::min(n * 10 + (s[i] - '0'), kLargest);
  }
  return n;
}

// The colour of a letter when it names one; "k" is black and always valid.
bool lookupColour(char letter, Rgb* colour) { return colourTable().find(letter, colour); }

}  // namespace

void applyStyleString(std::string_view s, PlotStyle& style) {
  if (s.find('^') != std::string_view::npos) style.xorMode = true;
  size_t hash = s.find('#');
  if (hash != std::string_view::npos && hash + 1 < s.size()) lookupColour(s[hash + 1], &style.fill);
  size_t first = s.find_first_not_of("#^");
  if (first != std::string_view::npos) lookupColour(s[first], &style.colour);

  // The last run of digits: the width, unless a marker character comes just before it.
  size_t end = s.size();
  while (end > 0 && !isDigit(s[end - 1])) --end;
  if (end > 0) {
    size_t start = end;
    while (start > 0 && isDigit(s[start - 1])) --start;
    if (start == 0 || !isMarker(s[start - 1])) style.width = readNumber(s, start);
  }

  size_t ls = s.find_first_of(kLineStyleCharacters);
  if (ls != std::string_view::npos) {
    style.lineStyle = static_cast<int>(kLineStyleCharacters.find(s[ls]));
    // Window-system pens wider than one pixel are always solid.
    if (style.lineStyle != kLineSolid) style.width = 1;
    style.line = true;
  } else {
    style.line = hash == std::string_view::npos && s.find_first_of(kMarkerCharacters) == std::string_view::npos;
  }
}

MarkerSpec markerOfStyle(std::string_view s) {
  MarkerSpec m;
  size_t at = s.find_first_of(kMarkerCharacters);
  if (at == std::string_view::npos) return m;
  m.marker = s[at];
  if (at + 1 < s.size() && isDigit(s[at + 1])) m.size = readNumber(s, at + 1);
  return m;
}

bool styleIsFilled(std::string_view s) { return s.find('#') != std::string_view::npos; }

TextPlacement parsePlacement(std::string_view s) {
  std::string lower(s);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto has = [&](char c) { return lower.find(c) != std::string::npos ? 1 : 0; };
  TextPlacement p;
  p.anchor = 5 + has('e') - has('w') - 4 * has('n') + 4 * has('s');
  p.rotation = has('|') ? 90 : 0;
  return p;
}

}  // namespace zirbin::graphics
