// The text markup shared by the console, help texts and figures: brace groups with a colour
// letter and a font kind, sub- and superscripts, '\' escapes and literal groups. This file
// only cuts a markup text into segments; drawing them is the text writer's job.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zirbin::graphics {

// Font kinds, one character each. A group "{k..." or "{ck..." (c a colour letter) selects
// kind k; a colour group "{c " selects the plain kind.
inline constexpr char kFontPlain = '.';
inline constexpr char kFontBold = '*';
inline constexpr char kFontItalic = '/';
inline constexpr char kFontUnderlined = '=';  // clickable help link in the console
inline constexpr char kFontSymbol = '$';      // Greek and mathematical letters
inline constexpr char kFontSuperscript = '^';
inline constexpr char kFontSubscript = '_';
inline constexpr char kFontContinued = '-';  // a long line continues on the next one
inline constexpr char kFontLiteral = ':';    // literal text to the end of the line
inline constexpr char kFontLiteralPlain = ';';

// Vertical offsets in eighths of the font height (positive is up).
inline constexpr int kSuperscriptOffset = 2;
inline constexpr int kSubscriptOffset = -3;

// The characters that make a text markup rather than plain text.
inline constexpr std::string_view kMarkupCharacters = "{}_^\\";

// One run of text drawn with one colour, font kind and vertical offset.
struct MarkupSegment {
  std::string text;   // the characters to draw, escapes resolved
  size_t end = 0;     // position in the source text just after the segment
  char colour = 0;    // colour letter of the group, 0 for the writer's own colour
  char kind = kFontPlain;
  int offset = 0;     // eighths of the font height, kSuperscriptOffset or kSubscriptOffset

  bool operator==(const MarkupSegment&) const = default;
};

// True iff `text` holds none of "{}_^\" and so is drawn as it stands.
bool isPlainMarkup(std::string_view text);

// Cuts a markup text into segments, in order. Never fails: text that does not form a
// group is shown as it stands. Empty segments are not produced (so "" gives none).
// - "{k" with k one of ":;.*=/$^_-" opens a group of kind k in the writer's colour; "{ck"
//   with c any character and k a space or one of those kinds opens a group of colour c
//   (a space meaning the plain kind). Any other "{" is an ordinary character.
// - A group ends at the next "}" (consumed), at the next "{" that opens a group, or at the
//   end of the text. Groups of kind ':' and ';' run to the end of the text and show it
//   literally (so a text starting with "{:" or "{;" is literal from its third character).
// - A text that is one group from its first character (no other "{", and no "}" before the
//   last character) is shown as that group without looking for markup inside it.
// - '\' makes the next character literal. Outside groups, '_' or '^' makes the next
//   character, or the "{...}" that follows, a subscript or superscript segment.
// - A "}" that closes no group is shown as text.
std::vector<MarkupSegment> parseMarkup(std::string_view text);

// The text without its markup: the segments' characters joined (for plain-text output
// and for measuring).
std::string markupPlainText(std::string_view text);

// The UTF-8 form of a letter written in the Symbol font ("{$c}" is chi): Greek letters for
// a-z and A-Z as the Symbol font places them; other characters are returned unchanged.
std::string symbolFontUtf8(char c);

}  // namespace zirbin::graphics
