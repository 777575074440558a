// The next and previous permutation of a vector in lexicographic order.
#include <algorithm>

#include "builtins/families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

// The argument's elements (truncated to integers) rearranged into the next (or previous)
// permutation, shaped like the argument. Past the last permutation (or before the first)
// the result is empty, so that a loop over all permutations knows when to stop.
template <bool kNext>
void stepPermutation(Value& argument, Value& result) {
  std::vector<double> a = doublesOf(argument);
  std::vector<int> p(a.size());
  std::transform(a.begin(), a.end(), p.begin(), values::truncateToInt);
  bool more =
      kNext ? std::next_permutation(p.begin(), p.end()) : std::prev_permutation(p.begin(), p.end());
  if (!more) {
    result.clear();
    result.flags = 0;
    return;
  }
  int* out = shapeInts(result, argument.nrow, argument.ncol());
  std::copy(p.begin(), p.end(), out);
}

constexpr BuiltinEntry kEntries[] = {
    {"nextPerm", BuiltinKind::ValueToValue, kIntResult, stepPermutation<true>},
    {"prevPerm", BuiltinKind::ValueToValue, kIntResult, stepPermutation<false>},
};

}  // namespace

void registerPermutations(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
