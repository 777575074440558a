// The text form of values: the colour letter, stringForm (a value as padded row texts),
// Display (a value as console lines in colour and emphasis markup) and the closed-form
// hint for a single number.
#pragma once

#include <string>
#include <vector>

#include "values/value.h"

namespace zirbin::session {
class ConsoleOutput;
}  // namespace zirbin::session

namespace zirbin::values {

// The console colour letter of a value: "bkOgrmBagggg"[min(11, isInt + 2*flags)].
char colourLetter(const Value& value);

// The value as row texts (no markup but the emphasis groups of the column groups):
// '' / [] for an empty value; numeric kinds as right-aligned columns (every group-th
// column from the second on emphasised, group 0 for none); character kinds and zipped
// keys one text per row (the names of the row's keys separated by blanks; numbers when
// some element is no key). At most maxRows rows (0: all) and maxCols columns; when rows
// were cut one more text holds the value's last row. A list throws the text
// "stringForm not implemented for LIST_VAL".
std::vector<std::string> stringForm(int precision, const Value& value, int group, int maxRows,
                                    int maxCols);

// Writes the value to the session console (session::console; nothing when it is null).
// `full` selects the long row limit (156 instead of 25); `first` is the newLineFirst flag
// of the value's first line (later lines always start a new line); `hint` asks for the
// closed-form hint of a single number.
void Display(const Value& value, bool full, bool first, bool hint);
// The same, written to `out`.
void displayTo(session::ConsoleOutput& out, const Value& value, bool full, bool first,
               bool hint);

// A short exact expression equal to x within the relative tolerance (e.g. "1 + sqrt(2)",
// "3/7", "exp[1/3]", "sqrt(2*pi)"), or "" when none is found or x does not qualify.
std::string closedFormHint(double x, double tolerance);

// The relative tolerance with which Display asks for the hint.
inline constexpr double kHintTolerance = 1e-11;

}  // namespace zirbin::values
