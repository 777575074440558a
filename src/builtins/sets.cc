// Operations on sorted sets (vectors in ascending order): union, intersect, setminus,
// setxor and issubset. Each runs once through both inputs; the results are rows.
#include <algorithm>

#include "builtins/families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

// Which parts of a merge a set operation keeps.
struct Keep {
  bool onlyFirst;   // elements of the first input missing from the second
  bool onlySecond;  // elements of the second input missing from the first
  bool both;        // elements of both (one copy)
};

// One pass over both sorted inputs, taking the smaller head each time and one copy when
// the heads are equal.
std::vector<double> merge(const std::vector<double>& a, const std::vector<double>& b, Keep keep) {
  std::vector<double> out;
  out.reserve(a.size() + b.size());
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (a[i] < b[j]) {
      if (keep.onlyFirst) out.push_back(a[i]);
      ++i;
    } else if (b[j] < a[i]) {
      if (keep.onlySecond) out.push_back(b[j]);
      ++j;
    } else {
      if (keep.both) out.push_back(a[i]);
      ++i;
      ++j;
    }
  }
  if (keep.onlyFirst) out.insert(out.end(), a.begin() + i, a.end());
  if (keep.onlySecond) out.insert(out.end(), b.begin() + j, b.end());
  return out;
}

void setOperation(const char* name, Value& first, const Value* second, Value& result, Keep keep) {
  if (second == nullptr) session::checkFailed(name, "requires two arguments");
  std::vector<double> out = merge(doublesOf(first), doublesOf(*second), keep);
  double* data = shapeDoubles(result, 1, static_cast<int64_t>(out.size()));
  std::copy(out.begin(), out.end(), data);
}

void setUnion(Value& a, const Value* b, Value& result) {
  setOperation("union", a, b, result, {true, true, true});
}
void intersect(Value& a, const Value* b, Value& result) {
  setOperation("intersect", a, b, result, {false, false, true});
}
void setminus(Value& a, const Value* b, Value& result) {
  setOperation("setminus", a, b, result, {true, false, false});
}
void setxor(Value& a, const Value* b, Value& result) {
  setOperation("setxor", a, b, result, {true, true, false});
}

// issubset(a, b): 1 when every element of a occurs in b, else 0.
void issubset(Value& first, const Value* second, Value& result) {
  if (second == nullptr) session::checkFailed("issubset", "requires two arguments");
  std::vector<double> a = doublesOf(first);
  std::vector<double> b = doublesOf(*second);
  // Equal neighbours are allowed; NaN never counts as sorted.
  auto ordered = [](const std::vector<double>& v) {
    return std::adjacent_find(v.begin(), v.end(), [](double x, double y) { return !(x <= y); }) ==
           v.end();
  };
  if (!ordered(a) || !ordered(b)) throw session::RuntimeError("non-sorted argument");
  size_t j = 0;
  bool subset = true;
  for (double x : a) {
    while (j < b.size() && b[j] < x) ++j;
    if (j == b.size() || b[j] != x) {
      subset = false;
      break;
    }
  }
  result.assignDouble(subset ? 1.0 : 0.0);
}

constexpr BuiltinKind kTwo = BuiltinKind::TwoArg;

constexpr BuiltinEntry kEntries[] = {
    {"union", kTwo, kDoubleResult, setUnion},    {"intersect", kTwo, kDoubleResult, intersect},
    {"setminus", kTwo, kDoubleResult, setminus}, {"setxor", kTwo, kDoubleResult, setxor},
    {"issubset", kTwo, kDoubleResult, issubset},
};

}  // namespace

void registerSets(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
