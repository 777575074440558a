// The whole-file text built-ins `readtext`, `writetext`, `dispfile` and the numeric-table
// reader `load`, as plain functions over values, ready to be registered.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "files/open_files.h"

namespace zirbin::values {
class Value;
}

namespace zirbin::files {

class PathList;

// `readtext(name)`: the lines of the existing file (default extension "txt"), newline
// dropped (and a carriage return before it), as a 1 x n list of strings.
std::unique_ptr<values::Value> readTextFile(const PathList& paths, const values::Value& name);

// `writetext(name, v)`: writes each item's string form of a list, or each row of a string
// matrix, as one line, replacing the file (default extension "txt"); returns the number of
// lines. Fails with "in writetext: cannot open " + path.
int writeTextFile(const PathList& paths, const values::Value& name, const values::Value& lines);

// `dispfile(name, n)`: prints the heading "{*----" + name + "----------} " through
// `heading` (a markup line) and the lines of the existing file (default extension "zrb")
// as number + ": " + text through `console` (plain lines): all of them, or, with n >= 1,
// the lines n-5 to n+5. Returns the number of lines in the file. Fails with
// "in dispfile: invalid file name" when the file cannot be read.
int dispFile(const PathList& paths, const values::Value& name, const values::Value* line,
             const ConsoleLine& heading, const ConsoleLine& console);

// `load(name)` with `outputs` outputs (1 or more): reads the numeric table of the existing
// file (default extension "txt"): leading lines that do not begin with a number are
// skipped; the first data line fixes the column count (its count of numbers for one output,
// else the output count). Fills `result` (REQUIRES: a DoubleValue) with the table, one row
// per data line; with several outputs, output j receives column j as a column vector
// (`result` the first, `extraOutputs` the others, each REQUIRES: a DoubleValue). Fails
// with "not enough number columns in the file", name + " has inconsistent format at line
// " + number, "irregularity in the table of data in the file".
void loadTable(const PathList& paths, const values::Value& name, values::Value& result,
               std::span<values::Value* const> extraOutputs);

// `load(name, x)`: every number of the file from its first data line on, in order, as one
// column vector in `result` (REQUIRES: a DoubleValue). Fails with "too many output
// arguments" when more than one output is asked for.
void loadVector(const PathList& paths, const values::Value& name, values::Value& result,
                std::span<values::Value* const> extraOutputs);

}  // namespace zirbin::files
