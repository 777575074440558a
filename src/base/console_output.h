// The console output operation through which every part of the interpreter writes to the
// user: print in three modes and newLine. Lines are markup texts.
#pragma once

#include <string>

namespace zirbin::session {

// Modes of ConsoleOutput::print.
// kPrintText: the text is appended to the current line; a text holding any of "{}_^\" is
//   prefixed with "{;" so that it shows literally.
// kPrintLines: the text is markup; it is split at each line feed, each piece appended and
//   followed by a new line; the piece after the last line feed stays as the start of the
//   current line.
// kPrintLiteral: as kPrintText with the prefix "{:".
inline constexpr int kPrintText = 0;
inline constexpr int kPrintLines = 1;
inline constexpr int kPrintLiteral = 2;

// The characters that make a text markup rather than plain text.
inline constexpr char kMarkupChars[] = "{}_^\\";

// Returns true iff `text` holds any of the markup characters "{}_^\".
bool hasMarkupChars(const std::string& text);

class ConsoleOutput {
 public:
  virtual ~ConsoleOutput() = default;

  // If newLineFirst is set and the current line is not empty, a new line is started
  // first; then the text is written by `mode` (kPrintText, kPrintLines, kPrintLiteral).
  virtual void print(const std::string& text, bool newLineFirst, int mode) = 0;
  // Ends the current line; the next output starts a new one.
  virtual void newLine() = 0;

  // The item separator: set by the display of a list ("," or ";") while it shows small
  // items, restored afterwards; empty otherwise.
  std::string itemSeparator;
};

}  // namespace zirbin::session
