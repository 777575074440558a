// The queries zirbin-lookup answers from its tables, and the text of the result file it
// writes for each.
#pragma once

#include <string>
#include <vector>

namespace zirbin::lookup {

// Exit statuses of zirbin-lookup.
inline constexpr int kAnswered = 0;
inline constexpr int kCannotWriteResult = 1;
inline constexpr int kNoAnswer = 2;

// The answer to one query. With `status` kAnswered, `text` is the whole result file: a
// first line saying what was looked up, then either one number on its own line, or a
// line "\keyword n" followed by n rows ("\table n": n lines of two numbers; any other
// keyword: n lines of text). With kNoAnswer, `text` is one line saying why.
struct LookupAnswer {
  int status = kAnswered;
  std::string text;
};

// Answers `words` = substance, property [, condition]:
//   element (symbol, name or atomic number, letter case ignored):
//     mass | number | density (numbers), name | symbol (one line of text);
//   elements: mass | density (tables of atomic number and value), names | symbols (118
//     lines of text);
//   water: vapourpressure (the table of temperature in degrees C and pressure in kPa), or
//     with a temperature in degrees C between 0 and 100 the pressure there (kPa).
// Property words ignore letter case, blanks, '_' and '-' ("Vapour pressure" is
// vapourpressure; the spelling vaporpressure is accepted too).
LookupAnswer answer(const std::vector<std::string>& words);

}  // namespace zirbin::lookup
