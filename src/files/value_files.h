// The value-dump built-ins `qsave` and `qload`, the refusing `save`, and `sysCommand`, as
// plain functions over values, ready to be registered.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zirbin::values {
class Value;
}

namespace zirbin::files {

class PathList;

// `qsave(name, v)`: writes v as one value record to the file (default extension "jmt"),
// replacing it: the record goes to a temporary file beside it, renamed over it at the end.
// Fails with "in qsave: could not open output file", and with "in qsave: could not write
// output file" when a write fails (a full disk); the previous file then stays as it was.
void qsaveFile(const PathList& paths, const values::Value& name, const values::Value& value);

// `qload(name)`: the value stored in the existing file (default extension "jmt"). A file
// that holds the record of "no value" (or is empty) gives an empty double value. Fails
// with "in qload: could not open input file" (also for a directory), and with
// "in qload: damaged value file"
// when the record is cut short or impossible.
std::unique_ptr<values::Value> qloadFile(const PathList& paths, const values::Value& name);

// The type code (0 int, 1 double, 2 complex, 3 list) of the value stored in the file that
// qload(name) would read, or nullopt when there is none to be found (no such file, a name
// that does not resolve, a damaged or "no value" record). Never throws. A call of qload
// whose name is written as a string compiles for this type, so that a list or a complex
// value comes back whole.
std::optional<int> storedValueType(const PathList& paths, const std::string& name);

// `save`: always fails with "in save: built-in version of save is not yet implemented;
// sorry! (Maybe try savecsv or fwrite)".
[[noreturn]] void saveRefused();

// `qload(name)` into the call's result: the stored value is assigned to `result` when
// `result` can hold it (the same type, or a wider number type); an int value (a string
// included, with its kind) comes back into a double result. Fails with
// "in qload: the type of the stored value differs from the one this call was
// compiled for" when `result` cannot hold it (the call was compiled for another type: see
// storedValueType), besides the failures of qloadFile.
void qloadInto(const PathList& paths, const values::Value& name, values::Value& result);

}  // namespace zirbin::files
