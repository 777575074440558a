// The standard colour letters and the derived upper-case letters.
#include "graphics/colour_table.h"

#include <algorithm>
#include <array>

namespace zirbin::graphics {

namespace {

struct ColourEntry {
  char letter;
  int r, g, b;
};

constexpr std::array<ColourEntry, 27> kStandardColours = {{
    {'a', 10, 10, 10},    {'b', 0, 0, 100},     {'B', 0, 0, 130},     {'c', 255, 255, 220},
    {'C', 255, 255, 223}, {'d', 100, 0, 0},     {'e', 255, 140, 0},   {'f', 255, 255, 223},
    {'g', 0, 100, 0},     {'G', 144, 238, 144}, {'i', 75, 0, 130},    {'j', 0, 168, 107},
    {'k', 0, 0, 0},       {'K', 10, 10, 10},    {'l', 255, 247, 0},   {'m', 170, 0, 170},
    {'n', 255, 140, 200}, {'p', 160, 128, 135}, {'q', 127, 255, 212}, {'Q', 0, 255, 255},
    {'r', 170, 0, 0},     {'t', 43, 149, 139},  {'v', 238, 130, 238}, {'w', 255, 255, 255},
    {'x', 241, 180, 47},  {'y', 255, 255, 200}, {'z', 0, 20, 168},
}};

int brighter(int channel) { return std::min(channel * 3 / 2, 255); }

}  // namespace

ColourTable::ColourTable() {
  for (const ColourEntry& e : kStandardColours) colours_[e.letter] = rgb(e.r, e.g, e.b);
  // The green channel of a derived letter is scaled like red and blue, so that the
  // upper-case letter is a lighter shade of the same hue.
  for (char c = 'a'; c <= 'z'; ++c) {
    auto lower = colours_.find(c);
    char upper = static_cast<char>(c - 'a' + 'A');
    if (lower == colours_.end() || colours_.count(upper)) continue;
    Rgb v = lower->second;
    colours_[upper] = rgb(brighter(redOf(v)), brighter(greenOf(v)), brighter(blueOf(v)));
  }
}

bool ColourTable::find(char letter, Rgb* colour) const {
  auto it = colours_.find(letter);
  if (it == colours_.end()) return false;
  *colour = it->second;
  return true;
}

Rgb ColourTable::colourOf(char letter) const {
  Rgb c = kBlack;
  find(letter, &c);
  return c;
}

void ColourTable::set(char letter, Rgb colour) { colours_[letter] = colour; }

}  // namespace zirbin::graphics
