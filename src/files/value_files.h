// The value-dump built-ins `qsave` and `qload`, the refusing `save`, and `sysCommand`, as
// plain functions over values, ready to be registered.
#pragma once

#include <memory>
#include <string>

namespace zirbin::values {
class Value;
}

namespace zirbin::files {

class PathList;

// `qsave(name, v)`: writes v as one value record to the file (default extension "jmt"),
// replacing it. Fails with "in qsave: could not open output file", and with
// "in qsave: could not write output file" when a write fails (a full disk), rather than
// leaving a cut record behind as if all went well.
void qsaveFile(const PathList& paths, const values::Value& name, const values::Value& value);

// `qload(name)`: the value stored in the existing file (default extension "jmt"). A file
// that holds the record of "no value" (or is empty) gives an empty double value. Fails
// with "in qload: could not open input file", and with "in qload: damaged value file"
// when the record is cut short or impossible.
std::unique_ptr<values::Value> qloadFile(const PathList& paths, const values::Value& name);

// `save`: always fails with "in save: built-in version of save is not yet implemented;
// sorry! (Maybe try savecsv or fwrite)".
[[noreturn]] void saveRefused();

// `sysCommand(cmd)`: runs the text of `command` through the shell and waits for it.
// Returns 1 once it has returned.
int sysCommand(const values::Value& command);

}  // namespace zirbin::files
