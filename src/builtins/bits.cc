// Binary digits: binary (number to digits), unbinary (digits to number) and bitweight
// (the count of set bits).
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "builtins/families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

using session::RuntimeError;

// The binary digits of a whole number x >= 0, least significant first ([0] for 0).
// Halving a double is exact, so this works for every finite double.
std::vector<double> digitsOf(double x) {
  std::vector<double> digits;
  x = std::floor(x);
  do {
    digits.push_back(std::fmod(x, 2.0));
    x = std::floor(x / 2);
  } while (x > 0);
  return digits;
}

// binary(n): the binary digits of n, most significant first, as a row; binary(n, 1) the
// same in reverse order. binary(v) of a vector: one row of digits per element, all as
// wide as the widest.
void binary(Value& first, const Value* second, Value& result) {
  if (!first.isVector()) throw RuntimeError("requires scalar or vector argument");
  bool reverse = second != nullptr && second->anyNonZero();
  std::vector<double> numbers = doublesOf(first);
  if (reverse && numbers.size() > 1) throw RuntimeError("reverse option not available for matrix");
  std::vector<std::vector<double>> rows;
  size_t width = 0;
  for (double x : numbers) {
    if (x < 0) throw RuntimeError("negative numbers are not handled, sorry");
    if (!std::isfinite(x)) throw RuntimeError("requires scalar or vector argument");
    rows.push_back(digitsOf(x));
    width = std::max(width, rows.back().size());
  }
  int64_t count = static_cast<int64_t>(rows.size());
  double* out = shapeDoubles(result, count, static_cast<int64_t>(width));
  for (int64_t r = 0; r < count; ++r) {
    const std::vector<double>& d = rows[r];
    for (size_t c = 0; c < width; ++c) {
      // Column c holds the digit of weight 2^(width-1-c), or 2^c when reversed.
      size_t weight = reverse ? c : width - 1 - c;
      out[static_cast<int64_t>(c) * count + r] = weight < d.size() ? d[weight] : 0.0;
    }
  }
}

// unbinary(d): the number whose binary digits, most significant first, are the elements
// of the vector d (non-zero counts as 1); for a matrix one number per row, as a column.
void unbinary(Value& argument, Value& result) {
  std::vector<double> a = doublesOf(argument);
  bool vector = argument.isVector();
  int rows = vector ? (a.empty() ? 0 : 1) : argument.nrow;
  int cols = vector ? static_cast<int>(a.size()) : argument.ncol();
  int64_t stride = vector ? 1 : rows;  // distance between neighbouring digits of one number
  std::vector<int> numbers(rows);
  for (int r = 0; r < rows; ++r) {
    int64_t n = 0;
    const double* row = vector ? a.data() : a.data() + r;
    for (int c = 0; c < cols; ++c) {
      n = 2 * n + (row[c * stride] != 0 ? 1 : 0);
      if (n > INT32_MAX) throw RuntimeError("integer overflow");
    }
    numbers[r] = static_cast<int>(n);
  }
  int* out = shapeInts(result, rows, rows > 0 ? 1 : 0);
  std::copy(numbers.begin(), numbers.end(), out);
}

// The number of set bits of the 32-bit pattern.
int bitweight(int n) { return std::popcount(static_cast<uint32_t>(n)); }

constexpr BuiltinEntry kEntries[] = {
    {"binary", BuiltinKind::TwoArg, kDoubleResult, binary},
    {"unbinary", BuiltinKind::ValueToValue, kIntResult, unbinary},
    {"bitweight", BuiltinKind::ElementWise, kIntResult, bitweight},
};

}  // namespace

void registerBits(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
