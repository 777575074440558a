// Zipped keys: a short name packed into one number, so that a table can be indexed by
// name (m[zipkey("abc"), keys] finds the row whose key is that name). zipkey packs,
// unzipkey and unzipg unpack.
#include <algorithm>
#include <optional>

#include "builtins/families.h"
#include "builtins/routine_support.h"
#include "values/zipped_key.h"

namespace zirbin::builtins {

namespace {

using session::checkFailed;

// The name of `key`; a number that is no key fails the internal check in `context`.
std::string unpackKey(const char* context, double key) {
  std::optional<std::string> name = values::unzipName(key);
  if (!name) checkFailed(context, "not a key");
  return *name;
}

// zipkey(s): the key of the string s; for a character matrix the keys of its rows (with
// their trailing blanks dropped) as a column. The result has the kind JMAT_ZIPKEY.
void zipkey(Value& argument, Value& result) {
  std::vector<double> a = doublesOf(argument);
  int rows = argument.size > 0 ? argument.nrow : 0;
  int cols = argument.ncol();
  std::vector<double> keys(rows);
  for (int r = 0; r < rows; ++r) {
    std::string name;
    for (int c = 0; c < cols; ++c) {
      name += static_cast<char>(values::truncateToInt(a[static_cast<size_t>(c) * rows + r]));
    }
    name.erase(name.find_last_not_of(' ') + 1);
    keys[r] = values::zipName(name);
  }
  double* out = shapeDoubles(result, rows, 1, values::JMAT_ZIPKEY);
  std::copy(keys.begin(), keys.end(), out);
}

// unzipkey(k): the name of a key as a string; for several keys a character matrix with
// one name per row, padded with blanks.
void unzipkey(Value& argument, Value& result) {
  std::vector<std::string> names;
  size_t width = 0;
  for (double key : doublesOf(argument)) {
    names.push_back(unpackKey("unzipkey", key));
    width = std::max(width, names.back().size());
  }
  int rows = static_cast<int>(names.size());
  int* out = shapeInts(result, rows, static_cast<int64_t>(width), values::JMAT_CHAR);
  for (int r = 0; r < rows; ++r) {
    for (size_t c = 0; c < width; ++c) {
      out[c * rows + r] = c < names[r].size() ? names[r][c] : ' ';
    }
  }
}

// unzipg(k): the names of the keys one after the other, separated by single blanks, as
// one string (split turns it into a list of names).
void unzipg(Value& argument, Value& result) {
  std::string text;
  for (double key : doublesOf(argument)) {
    if (!text.empty()) text += ' ';
    text += unpackKey("unzipg", key);
  }
  result.assignString(text);
}

constexpr BuiltinKind kValue = BuiltinKind::ValueToValue;

constexpr BuiltinEntry kEntries[] = {
    {"zipkey", kValue, kDoubleResult, zipkey},
    {"unzipkey", kValue, kIntResult, unzipkey},
    {"unzipg", kValue, kIntResult, unzipg},
};

}  // namespace

void registerKeys(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
