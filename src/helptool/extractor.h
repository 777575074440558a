// The help text extractor: finds an entry of the reference text ("funcref.txt") by name
// and writes its text in console markup (bold heading, "See also" links, green examples).
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace zirbin::helptool {

// The integer thrown when the reference text ends in the middle of a search (the file lacks
// its closing "\item \eof" entry). The program reports it as an error code.
constexpr int kErrorEndOfFileInSearch = 1;

// The name of the entry written (after the line "{g Zirbin :)") when the program is started
// without a topic. Entry names are single words, so the welcome entry is an ordinary entry
// with a one-word name; users reach the same text with "?welcome".
constexpr std::string_view kWelcomeEntryName = "welcome";

// The name of the entry that closes the reference text; a search that reaches it stops.
constexpr std::string_view kEndEntryName = "\\eof";

class MarkupWriter;

// Reads a reference text held in memory. An entry starts at a line beginning with
// "\item" followed by its name; the entry's words follow up to the next "\item" or "\end".
class HelpExtractor {
 public:
  // `source` is the whole reference text; it must outlive the extractor.
  explicit HelpExtractor(std::string_view source) : text_(source) {}
  HelpExtractor(const HelpExtractor&) = delete;
  HelpExtractor& operator=(const HelpExtractor&) = delete;

  // Searches from the current position for the entry named exactly `topic` (same bytes,
  // case-sensitive) and writes it to `out`: its normal part, or, when `continuation` is
  // set, only the text after its "\more" (nothing when it has none). A topic without an
  // entry writes nothing. Throws kErrorEndOfFileInSearch when the text ends before the
  // entry or the "\eof" entry is reached.
  // Returns true iff the entry was found.
  bool writeEntry(std::string_view topic, bool continuation, std::ostream& out);

 private:
  // Moves to the next line that begins with a backslash (blanks before it allowed) and
  // returns its command word (without the backslash). Throws at the end of the text.
  std::string_view nextCommandLine();
  // Returns the next blank-separated word, or an empty view at the end of the text.
  std::string_view nextWord();
  // Writes the entry's heading, whose first word is `first`, reading further words of a
  // call form that holds blanks inside its brackets.
  void writeHeading(std::string_view first, MarkupWriter& writer);
  // Writes the entry's words from `word` on, up to the end of the part being written.
  void writeBody(std::string_view word, bool continuation, MarkupWriter& writer);

  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace zirbin::helptool
