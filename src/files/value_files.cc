// Value dumps through the value record, and the refusing `save`.
#include "files/value_files.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "files/atomic_file.h"
#include "files/path_list.h"
#include "files/regular_file.h"
#include "files/records.h"
#include "base/errors.h"
#include "base/sandbox.h"
#include "values/math_matrix.h"
#include "values/value.h"

namespace zirbin::files {

void qsaveFile(const PathList& paths, const values::Value& name, const values::Value& value) {
  if (session::sandboxed) session::checkFailed("qsave", "not available in a sandboxed run");
  std::string path = paths.resolveFile(name.toString(), false, "jmt", "qsave");
  // Written beside the file and renamed over it: a failed write keeps the previous dump.
  AtomicFile file(path);
  if (file.stream() == nullptr) session::checkFailed("qsave", "could not open output file");
  RecordWriter out(file.stream());
  writeValue(out, &value);
  if (!file.commit(out.ok())) session::checkFailed("qsave", "could not write output file");
}

std::unique_ptr<values::Value> qloadFile(const PathList& paths, const values::Value& name) {
  std::string path = paths.resolveFile(name.toString(), true, "jmt", "qload");
  std::FILE* file = openRegularFile(path, "rb");
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

std::optional<int> storedValueType(const PathList& paths, const std::string& name) {
  std::string path;
  try {
    path = paths.resolveFile(name, true, "jmt", "qload");
  } catch (const session::RuntimeError&) {
    return std::nullopt;
  }
  std::FILE* file = openRegularFile(path, "rb");
  if (file == nullptr) return std::nullopt;
  // The head of a value record: count, rows, flags, type code.
  RecordReader in(file);
  std::int32_t head[4];
  bool ok = true;
  for (std::int32_t& word : head) ok = ok && in.readInt32(word);
  std::fclose(file);
  if (!ok || head[0] < 0 || head[3] < values::INTEGER_VAL || head[3] > values::LIST_VAL) {
    return std::nullopt;
  }
  return head[3];
}

void saveRefused() {
  session::checkFailed(
      "save",
      "built-in version of save is not yet implemented; sorry! (Maybe try savecsv or fwrite)");
}

void qloadInto(const PathList& paths, const values::Value& name, values::Value& result) {
  std::unique_ptr<values::Value> value = qloadFile(paths, name);
  const int stored = value->valueType();
  const int target = result.valueType();
  // Numbers widen int -> double -> complex; a list fits only a list.
  const bool fits = stored == target || (stored < target && target <= values::COMPLEX_VAL);
  if (!fits) {
    session::checkFailed(
        "qload", "the type of the stored value differs from the one this call was compiled for");
  }
  result.assign(*value);
}

}  // namespace zirbin::files
