// Value dumps through the value record, the refusing `save`, and the shell escape.
#include "files/value_files.h"

#include <cstdio>
#include <cstdlib>

#include "files/path_list.h"
#include "files/records.h"
#include "session/errors.h"
#include "values/math_matrix.h"

namespace zirbin::files {

void qsaveFile(const PathList& paths, const values::Value& name, const values::Value& value) {
  std::string path = paths.resolveFile(name.toString(), false, "jmt", "qsave");
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) session::checkFailed("qsave", "could not open output file");
  RecordWriter out(file);
  writeValue(out, &value);
  bool ok = out.ok();
  ok = std::fclose(file) == 0 && ok;
  if (!ok) session::checkFailed("qsave", "could not write output file");
}

std::unique_ptr<values::Value> qloadFile(const PathList& paths, const values::Value& name) {
  std::string path = paths.resolveFile(name.toString(), true, "jmt", "qload");
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) session::checkFailed("qload", "could not open input file");
  RecordReader in(file);
  std::unique_ptr<values::Value> value;
  bool empty = in.remaining() == 0;
  bool ok = empty || readValue(in, value);
  std::fclose(file);
  if (!ok) session::checkFailed("qload", "damaged value file");
  if (value == nullptr) value = std::make_unique<values::DoubleValue>();
  return value;
}

void saveRefused() {
  session::checkFailed(
      "save",
      "built-in version of save is not yet implemented; sorry! (Maybe try savecsv or fwrite)");
}

int sysCommand(const values::Value& command) {
  std::string text = command.toString();
  // What the program printed so far must come before the command's own output.
  std::fflush(nullptr);
  [[maybe_unused]] int status = std::system(text.c_str());
  return 1;
}

}  // namespace zirbin::files
