// Zipped keys: a short name packed into one number, so that a table can be indexed by
// name (m[zipkey("abc"), keys] finds the row whose key is that name). zipkey packs,
// unzipkey and unzipg unpack.
#include <algorithm>
#include <cmath>

#include "builtins/families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

using session::checkFailed;

// A key is a number in base 97 with one digit per character: 0 for no character, 1 to 96
// for the codes 32 to 127. Eight digits stay below 2^53, so every key is an exact double,
// and keys compare as their names do (a shorter name before its longer continuations).
constexpr int kKeyBase = 97;
constexpr int kKeyCharacters = 8;
constexpr int kFirstKeyCode = 32;
constexpr int kLastKeyCode = 127;
constexpr double kKeyLimit = 7837433594376961.0;  // 97^8
static_assert(kKeyLimit < 9007199254740992.0, "keys must stay exact doubles (below 2^53)");

double packName(const std::string& name) {
  if (name.size() > static_cast<size_t>(kKeyCharacters)) {
    checkFailed("zipkey", "a key holds at most 8 characters");
  }
  double key = 0;
  for (int i = 0; i < kKeyCharacters; ++i) {
    int digit = 0;
    if (i < static_cast<int>(name.size())) {
      int code = static_cast<unsigned char>(name[i]);
      if (code < kFirstKeyCode || code > kLastKeyCode) {
        checkFailed("zipkey", "a key holds printable characters only");
      }
      digit = code - kFirstKeyCode + 1;
    }
    key = key * kKeyBase + digit;
  }
  return key;
}

std::string unpackKey(const char* context, double key) {
  if (!(key >= 0 && key < kKeyLimit && key == std::floor(key))) checkFailed(context, "not a key");
  std::string name(kKeyCharacters, ' ');
  auto k = static_cast<int64_t>(key);
  for (int i = kKeyCharacters - 1; i >= 0; --i) {
    int digit = static_cast<int>(k % kKeyBase);
    k /= kKeyBase;
    name[i] = digit == 0 ? '\0' : static_cast<char>(digit - 1 + kFirstKeyCode);
  }
  return name.substr(0, name.find('\0'));
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
    keys[r] = packName(name);
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
