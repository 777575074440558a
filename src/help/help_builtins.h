// The built-ins of the help subsystem: help, whatis, typeinfo, isdefined and property, and
// the reader of the property lookup's result file.
#pragma once

#include <istream>

namespace zirbin::values {
class Value;
}  // namespace zirbin::values

namespace zirbin::builtins {
class BuiltinRegistry;
}  // namespace zirbin::builtins

namespace zirbin::help {

// The property lookup program (our own stand-in for the external "lookup.exe"), looked up
// in the program directory, and the result file it writes into the state directory.
inline constexpr char kLookupProgramName[] = "zirbin-lookup";
inline constexpr char kPropertyResultFileName[] = "property_result.txt";

// Registers help, whatis, typeinfo, isdefined and property.
void registerHelpBuiltins(builtins::BuiltinRegistry& registry);

// Reads a property result into `result` (a DoubleValue): the first line is free text;
// then either one number (a 1x1 result), or a line "\keyword n": for "table" n pairs of
// numbers follow (an n x 2 matrix), for any other keyword n lines of text (a character
// matrix, one row per line, blank-padded). Throws RuntimeError "in property: ..." when
// the file breaks off or the count is impossible.
void readPropertyResult(std::istream& in, values::Value& result);

}  // namespace zirbin::help
