// String built-ins: str, str2num, strfind/findstr, split, join, pad, trim and lower.
// Strings are one-row character matrices (kind JMAT_CHAR) of byte codes.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>

#include "builtins/families.h"
#include "builtins/routine_support.h"
#include "values/list_value.h"

namespace zirbin::builtins {

namespace {

using session::RuntimeError;
using values::ListValue;

// The precision of str when the call gives none (as the display writes single numbers),
// and the range a given one is held to (a double has at most 17 significant digits).
constexpr int kStrPrecision = 9;
constexpr int kMaxStrPrecision = 17;

// str(x, precision): the numbers of x as text, the elements of a row separated by one
// blank and the rows by newline characters; a string comes back unchanged.
void str(Value& first, const Value* second, Value& result) {
  int precision = kStrPrecision;
  if (second != nullptr) {
    if (second->size != 1) throw RuntimeError("non-scalar precision");
    precision = std::clamp(second->getInt(), 1, kMaxStrPrecision);
  }
  if (first.isChar()) {
    copyUnlessSame(first, result);
    return;
  }
  std::string text;
  std::string item;
  int rows = first.nrow;
  int cols = first.ncol();
  for (int r = 0; r < rows; ++r) {
    if (r > 0) text += '\n';
    for (int c = 0; c < cols; ++c) {
      if (c > 0) text += ' ';
      first.stringItem(item, c * rows + r, precision);
      text += item;
    }
  }
  result.assignString(text);
}

// The numbers of a text, separated by blanks or commas; false when it holds anything else
// or no number at all.
bool parseNumbers(const std::string& text, std::vector<double>& numbers) {
  const char* p = text.c_str();
  auto separator = [](char c) { return std::isspace(static_cast<unsigned char>(c)) || c == ','; };
  while (true) {
    while (*p != '\0' && separator(*p)) ++p;
    if (*p == '\0') break;
    char* end = nullptr;
    double x = std::strtod(p, &end);
    if (end == p || (*end != '\0' && !separator(*end))) return false;
    numbers.push_back(x);
    p = end;
  }
  return !numbers.empty();
}

// str2num(s, fallback): the number (or row of numbers, separated by blanks or commas)
// written in s. A text that is not numbers fails, or gives `fallback` when the call has
// one. A numeric argument comes back unchanged.
void str2num(Value& first, const Value* second, Value& result) {
  if (!first.isChar()) {
    copyUnlessSame(first, result);
    return;
  }
  std::vector<double> numbers;
  if (!parseNumbers(first.toString(), numbers)) {
    if (second == nullptr) throw RuntimeError("str2num called on non-number string");
    result.assign(*second);
    return;
  }
  double* out = shapeDoubles(result, 1, static_cast<int64_t>(numbers.size()));
  std::copy(numbers.begin(), numbers.end(), out);
}

// strfind(s, t): the 1-based positions in s where t starts (overlapping matches count);
// an empty t is found nowhere.
void strfind(Value& first, const Value* second, Value& result) {
  if (second == nullptr) throw RuntimeError("strfind/findstr requires two arguments");
  std::vector<double> s = doublesOf(first);
  std::vector<double> t = doublesOf(*second);
  std::vector<double> positions;
  if (!t.empty() && t.size() <= s.size()) {
    for (size_t i = 0; i + t.size() <= s.size(); ++i) {
      if (std::equal(t.begin(), t.end(), s.begin() + i))
        positions.push_back(static_cast<double>(i + 1));
    }
  }
  double* out = shapeDoubles(result, 1, static_cast<int64_t>(positions.size()));
  std::copy(positions.begin(), positions.end(), out);
}

// A one-character argument of split, or the given failure.
char singleCharacter(const BuiltinArgs& args, int i, const char* message) {
  const Value& v = args.value(i);
  if (v.size != 1 || v.valueType() > values::DOUBLE_VAL) throw RuntimeError(message);
  return static_cast<char>(v.getInt());
}

std::vector<std::string> splitAtWhiteSpace(const std::string& text) {
  std::vector<std::string> pieces;
  size_t i = 0;
  auto blank = [&](size_t k) { return std::isspace(static_cast<unsigned char>(text[k])) != 0; };
  while (i < text.size()) {
    while (i < text.size() && blank(i)) ++i;
    size_t start = i;
    while (i < text.size() && !blank(i)) ++i;
    if (i > start) pieces.push_back(text.substr(start, i - start));
  }
  return pieces;
}

// Splits at every separator outside a pair of delimiters (the delimiters are dropped);
// empty pieces are kept. `delimiter` 0 means none.
std::vector<std::string> splitAt(const std::string& text, char separator, char delimiter) {
  std::vector<std::string> pieces(1);
  bool quoted = false;
  for (char c : text) {
    if (delimiter != 0 && c == delimiter) {
      quoted = !quoted;
    } else if (c == separator && !quoted) {
      pieces.emplace_back();
    } else {
      pieces.back() += c;
    }
  }
  if (text.empty()) pieces.clear();
  return pieces;
}

// split(s): the words of s (separated by runs of white space) as a list of strings.
// split(s, c): the pieces between the separators c. split(s, c, q): the same, with the
// text between a pair of delimiters q kept whole (split("a,'b,c'", ",", "'") gives a and
// b,c).
void split(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  std::string text = args.text(0);
  std::vector<std::string> pieces;
  if (args.count() == 1) {
    pieces = splitAtWhiteSpace(text);
  } else {
    char separator = singleCharacter(args, 1, "only single-character separator allowed");
    char delimiter = args.count() == 3
                         ? singleCharacter(args, 2, "only single-character delimiter allowed")
                         : '\0';
    pieces = splitAt(text, separator, delimiter);
  }
  ListValue& out = static_cast<ListValue&>(result);
  out.clear();
  out.resize(static_cast<int>(pieces.size()));
  for (size_t i = 0; i < pieces.size(); ++i) {
    auto item = std::make_unique<IntValue>();
    item->assignString(pieces[i]);
    out.data[i].value = std::move(item);
  }
  out.nrow = 1;
  out.flags = values::JMAT_LIST;
}

// The text of one item of join: a string as it is, numbers as str writes them.
std::string itemText(const Value& v) {
  if (v.valueType() == values::LIST_VAL) {
    throw RuntimeError("join not yet implemented for nested lists");
  }
  if (v.isChar() || v.size == 0) return v.toString();
  std::string text;
  std::string item;
  for (int i = 0; i < v.size; ++i) {
    if (i > 0) text += ' ';
    v.stringItem(item, i, kStrPrecision);
    text += item;
  }
  return text;
}

// join(list, separator): the items' texts joined with the separator (none when the call
// gives none); an empty item gives an empty text. A value that is not a list gives its
// own text.
void join(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  std::string separator = args.count() == 2 ? args.text(1) : "";
  const Value& v = args.value(0);
  std::string text;
  if (v.valueType() != values::LIST_VAL) {
    text = itemText(v);
  } else {
    const ListValue& list = static_cast<const ListValue&>(v);
    for (int i = 0; i < list.size; ++i) {
      if (i > 0) text += separator;
      if (!list.data[i].isEmpty()) text += itemText(*list.data[i].value);
    }
  }
  result.assignString(text);
}

// pad(s, n, fill, left): s lengthened to n elements with `fill` (a blank for a string, 0
// otherwise), at the end, or at the start when `left` is non-zero. A longer s is kept
// whole. Works on any vector; the kind and orientation are kept.
void pad(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  const Value& s = args.value(0);
  if (!s.isVector()) throw RuntimeError("pad does not take matrix input");
  auto scalarArgument = [&](int i) {
    const Value& v = args.value(i);
    if (v.size != 1 || v.valueType() > values::DOUBLE_VAL) throw RuntimeError("invalid argument");
    return v.getDouble();
  };
  double length = scalarArgument(1);
  if (!(length >= 0)) throw RuntimeError("invalid argument");
  int fill = s.isChar() ? ' ' : 0;
  if (args.count() >= 3) fill = values::truncateToInt(scalarArgument(2));
  bool left = args.count() == 4 && scalarArgument(3) != 0;
  std::vector<double> a = doublesOf(s);
  int64_t n = std::max<int64_t>(clampDimension(length), static_cast<int64_t>(a.size()));
  bool column = s.nrow > 1;
  int kind = s.kind();
  int* out = column ? shapeInts(result, n, 1, kind) : shapeInts(result, 1, n, kind);
  int64_t gap = n - static_cast<int64_t>(a.size());
  int* text = left ? out + gap : out;
  std::fill(out, out + n, fill);
  std::transform(a.begin(), a.end(), text, values::truncateToInt);
}

// trim(v): v without its leading and trailing blanks (spaces in a string, zeros in any
// other vector); blanks only give an empty result. The kind is kept; a matrix that is no
// vector comes back unchanged.
void trim(Value& argument, Value& result) {
  std::vector<double> a = doublesOf(argument);
  int kind = argument.kind();
  if (!argument.isVector()) {
    int rows = argument.nrow;
    int* out = shapeInts(result, rows, argument.ncol(), argument.flags);
    std::transform(a.begin(), a.end(), out, values::truncateToInt);
    return;
  }
  double blank = argument.isChar() ? ' ' : 0;
  size_t begin = 0;
  size_t end = a.size();
  while (begin < end && a[begin] == blank) ++begin;
  while (end > begin && a[end - 1] == blank) --end;
  int64_t n = static_cast<int64_t>(end - begin);
  bool column = argument.nrow > 1;
  int* out = column ? shapeInts(result, n, 1, kind) : shapeInts(result, 1, n, kind);
  std::transform(a.begin() + begin, a.begin() + end, out, values::truncateToInt);
}

// Lower-case letters (the C locale's tolower); other codes are unchanged.
int lower(int c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

constexpr BuiltinKind kTwo = BuiltinKind::TwoArg;
constexpr BuiltinKind kGeneral = BuiltinKind::General;

constexpr BuiltinEntry kEntries[] = {
    {"str", kTwo, kDoubleResult, str},
    {"str2num", kTwo, kDoubleResult, str2num},
    {"strfind", kTwo, kDoubleResult, strfind},
    {"findstr", kTwo, kDoubleResult, strfind},
    {"split", kGeneral, kListResult, split, 1, 3},
    {"join", kGeneral, kIntResult, join, 1, 2},
    {"pad", kGeneral, kIntResult, pad, 2, 4},
    {"trim", BuiltinKind::ValueToValue, kIntResult, trim},
    {"lower", BuiltinKind::ElementWise, kIntResult, lower},
};

}  // namespace

void registerStrings(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
