// Cutting markup text into segments of one colour, font kind and vertical offset.
#include "graphics/markup.h"

#include <array>

namespace zirbin::graphics {

namespace {

// The kinds that may follow "{" directly, and those that may follow "{c" (with the space
// standing for the plain kind).
constexpr std::string_view kGroupKinds = ":;.*=/$^_-";
constexpr std::string_view kColourGroupKinds = " :;.*=/$^_-";

struct GroupOpening {
  bool recognised = false;
  char colour = 0;
  char kind = kFontPlain;
  size_t textStart = 0;
};

// Reads the group opening at text[at] == '{'.
GroupOpening readOpening(std::string_view text, size_t at) {
  GroupOpening g;
  if (at + 1 >= text.size()) return g;
  char k = text[at + 1];
  if (kGroupKinds.find(k) != std::string_view::npos) {
    g = {true, 0, k, at + 2};
  } else if (at + 2 < text.size() && kColourGroupKinds.find(text[at + 2]) != std::string_view::npos) {
    char kind = text[at + 2] == ' ' ? kFontPlain : text[at + 2];
    g = {true, k, kind, at + 3};
  }
  return g;
}

bool isLiteralKind(char kind) { return kind == kFontLiteral || kind == kFontLiteralPlain; }

int offsetOfKind(char kind) {
  if (kind == kFontSuperscript) return kSuperscriptOffset;
  if (kind == kFontSubscript) return kSubscriptOffset;
  return 0;
}

// Collects characters into segments, starting a new segment when the attributes change.
class SegmentBuilder {
 public:
  void append(char c) { run_.push_back(c); }
  void append(std::string_view s) { run_.append(s); }
  // Ends the running segment at source position `end` with the current attributes.
  void flush(size_t end) {
    if (!run_.empty()) {
      out_.push_back({run_, end, colour_, kind_, offsetOfKind(kind_)});
      run_.clear();
    }
  }
  void setAttributes(char colour, char kind) {
    colour_ = colour;
    kind_ = kind;
  }
  std::vector<MarkupSegment> take() { return std::move(out_); }

 private:
  std::string run_;
  char colour_ = 0;
  char kind_ = kFontPlain;
  std::vector<MarkupSegment> out_;
};

// True iff the text is a single group from its first character: a recognised opening at 0,
// no other "{", and no "}" before the last character.
bool isSingleGroup(std::string_view text, const GroupOpening& g) {
  if (!g.recognised) return false;
  if (text.find('{', 1) != std::string_view::npos) return false;
  size_t close = text.find('}');
  return close == std::string_view::npos || close == text.size() - 1;
}

// Handles "_x", "^x", "_{...}" and "^{...}" starting at text[at]; returns the position after.
size_t readScript(std::string_view text, size_t at, SegmentBuilder& b) {
  char kind = text[at] == '^' ? kFontSuperscript : kFontSubscript;
  b.flush(at);
  b.setAttributes(0, kind);
  size_t i = at + 1;
  if (text[i] == '{') {
    for (++i; i < text.size() && text[i] != '}'; ++i) {
      if (text[i] == '\\' && i + 1 < text.size()) ++i;
      b.append(text[i]);
    }
    if (i < text.size()) ++i;  // the closing brace
  } else {
    if (text[i] == '\\' && i + 1 < text.size()) ++i;
    b.append(text[i++]);
  }
  b.flush(i);
  b.setAttributes(0, kFontPlain);
  return i;
}

}  // namespace

bool isPlainMarkup(std::string_view text) {
  return text.find_first_of(kMarkupCharacters) == std::string_view::npos;
}

std::vector<MarkupSegment> parseMarkup(std::string_view text) {
  if (text.empty()) return {};
  if (isPlainMarkup(text)) return {{std::string(text), text.size(), 0, kFontPlain, 0}};
  GroupOpening first = text[0] == '{' ? readOpening(text, 0) : GroupOpening{};
  if (isSingleGroup(text, first)) {
    bool closed = text.back() == '}' && !isLiteralKind(first.kind) && text.size() > first.textStart;
    size_t stop = closed ? text.size() - 1 : text.size();
    if (stop <= first.textStart) return {};
    return {{std::string(text.substr(first.textStart, stop - first.textStart)), text.size(),
             first.colour, first.kind, offsetOfKind(first.kind)}};
  }
  SegmentBuilder b;
  bool inGroup = false;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\\') {
      b.append(i + 1 < text.size() ? text[i + 1] : c);
      i += 2;
    } else if (c == '{' && readOpening(text, i).recognised) {
      GroupOpening g = readOpening(text, i);
      b.flush(i);
      b.setAttributes(g.colour, g.kind);
      if (isLiteralKind(g.kind)) {
        b.append(text.substr(std::min(g.textStart, text.size())));
        i = text.size();
      } else {
        inGroup = true;
        i = g.textStart;
      }
    } else if (c == '}' && inGroup) {
      b.flush(++i);
      b.setAttributes(0, kFontPlain);
      inGroup = false;
    } else if ((c == '_' || c == '^') && !inGroup && i + 1 < text.size()) {
      i = readScript(text, i, b);
    } else {
      b.append(c);
      ++i;
    }
  }
  b.flush(text.size());
  return b.take();
}

std::string markupPlainText(std::string_view text) {
  std::string out;
  for (const MarkupSegment& s : parseMarkup(text)) out += s.text;
  return out;
}

std::string symbolFontUtf8(char c) {
  // The Symbol font's Greek letters at the positions of the Latin letters a..z and A..Z.
  static constexpr std::array<const char*, 26> kLower = {
      "α", "β", "χ", "δ", "ε", "φ", "γ", "η", "ι", "ϕ", "κ", "λ", "μ",
      "ν", "ο", "π", "θ", "ρ", "σ", "τ", "υ", "ϖ", "ω", "ξ", "ψ", "ζ"};
  static constexpr std::array<const char*, 26> kUpper = {
      "Α", "Β", "Χ", "Δ", "Ε", "Φ", "Γ", "Η", "Ι", "ϑ", "Κ", "Λ", "Μ",
      "Ν", "Ο", "Π", "Θ", "Ρ", "Σ", "Τ", "ϒ", "ς", "Ω", "Ξ", "Ψ", "Ζ"};
  if (c >= 'a' && c <= 'z') return kLower[c - 'a'];
  if (c >= 'A' && c <= 'Z') return kUpper[c - 'A'];
  return std::string(1, c);
}

}  // namespace zirbin::graphics
