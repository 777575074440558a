// Helpers shared by the built-in family files: reading the elements of int and double
// values, and shaping results.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/registry.h"
#include "base/errors.h"
#include "values/math_matrix.h"

namespace zirbin::builtins {

using values::DoubleValue;
using values::IntValue;

// Calls f(data, n) with the element array of an IntValue (const int*) or DoubleValue
// (const double*). Any other class throws RuntimeError "invalid argument type" (the
// compiler refuses complex and list arguments before they get here).
template <typename F>
decltype(auto) withNumbers(const Value& v, F&& f) {
  if (v.valueType() == values::INTEGER_VAL) {
    return f(static_cast<const IntValue&>(v).data, static_cast<int>(v.size));
  }
  if (v.valueType() != values::DOUBLE_VAL) throw session::RuntimeError("invalid argument type");
  return f(static_cast<const DoubleValue&>(v).data, static_cast<int>(v.size));
}

// The same with the mutable element array (int* or double*).
template <typename F>
decltype(auto) withMutableNumbers(Value& v, F&& f) {
  if (v.valueType() == values::INTEGER_VAL) {
    return f(static_cast<IntValue&>(v).data, static_cast<int>(v.size));
  }
  if (v.valueType() != values::DOUBLE_VAL) throw session::RuntimeError("invalid argument type");
  return f(static_cast<DoubleValue&>(v).data, static_cast<int>(v.size));
}

// The sum of n elements as doubles. Partial sums in several lanes keep the additions in
// flight at once (and sum a little more accurately); 8 lanes fill two 256-bit registers.
template <typename T>
double laneSum(const T* d, int n) {
  constexpr int kLanes = 8;
  double lane[kLanes] = {};
  int i = 0;
  for (; i + kLanes <= n; i += kLanes) {
    for (int k = 0; k < kLanes; ++k) lane[k] += static_cast<double>(d[i + k]);
  }
  double sum = 0;
  for (int k = 0; k < kLanes; ++k) sum += lane[k];
  for (; i < n; ++i) sum += static_cast<double>(d[i]);
  return sum;
}

// The elements of an int or double value as doubles (a copy, so the value may then be
// overwritten: routines that work in place read their argument this way first).
std::vector<double> doublesOf(const Value& v);

// The result value of a routine as the class its kind guarantees.
DoubleValue& asDouble(Value& v);
IntValue& asInt(Value& v);

// Gives `result` rows x cols elements (contents unspecified) and the flags; returns the
// element array. Fails with the out-of-memory RuntimeError for impossible sizes.
double* shapeDoubles(Value& result, int64_t rows, int64_t cols, int flags = 0);
int* shapeInts(Value& result, int64_t rows, int64_t cols, int flags = 0);

// A size taken from a user's number: truncated, and capped at 2^31 so that the product of
// two sizes fits 64 bits and an impossible size reaches the out-of-memory error.
// REQUIRES: x >= 0 (the caller has refused negative and NaN sizes).
inline int64_t clampDimension(double x) {
  constexpr double kCap = 2147483648.0;
  return static_cast<int64_t>(x < kCap ? x : kCap);
}

// Copies `source` into `dest` unless they are the same object (`dest` must be of the same
// class or wider: the usual widening assignment).
void copyUnlessSame(const Value& source, Value& dest);

// Stores `value` as the last displayed value (what `ans` gives) and returns that copy,
// for the value functions that answer this way (today, oclock, exepath).
Value* storeAsLastResult(const Value& value);

// Writes one line of markup to the session console (dropped when there is none).
void consoleLine(const std::string& markup);

// Refuses a multiple assignment that asks a General built-in for more outputs than the
// `maxOutputs` it delivers: "in " + name + ": too many output arguments".
void checkOutputs(const BuiltinArgs& args, std::span<Value* const> extraOutputs, int maxOutputs);

}  // namespace zirbin::builtins
