// Random numbers: rand, rnd, randexp, irand, randseed and shuffle, all drawn from the
// session's RandomGenerator.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "builtins/families.h"
#include "builtins/random_generator.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

using session::checkFailed;


// The rows and columns that a shape argument (rows, columns) gives; "negative n" for
// negative rows or fewer than one column.
void checkShape(double rows, double cols) {
  if (!(rows >= 0) || !(cols >= 1)) checkFailed("math function", "negative n");
}

// rand(n): a 1 x n row; rand(r, c): an r x c matrix; rand([]): empty. Every element is
// uniform in [0, 1) with 53 random bits.
void rand(Value& argument, Value& result) {
  std::vector<double> shape = doublesOf(argument);
  if (shape.size() >= 3) checkFailed("math function", "too many arguments");
  if (shape.empty()) {
    result.clear();
    result.flags = 0;
    return;
  }
  double rows = shape.size() == 2 ? shape[0] : 1;
  double cols = shape.back();
  checkShape(rows, cols);
  double* out = shapeDoubles(result, clampDimension(rows), clampDimension(cols));
  RandomGenerator& random = sessionRandom();
  for (int i = 0; i < result.size; ++i) out[i] = random.uniform();
}

double rnd() { return sessionRandom().uniform(); }

// randexp(m): one number; randexp(m, n): a 1 x n row; randexp(m, r, c): an r x c matrix;
// exponentially distributed with rate m (mean 1/m): -ln(u)/m with u in (0, 1], so the
// numbers are always finite (at most 36.7/m).
void randexp(Value& argument, Value& result) {
  std::vector<double> p = doublesOf(argument);
  if (p.size() >= 4) checkFailed("math function", "too many arguments");
  if (p.empty()) {
    result.clear();
    result.flags = 0;
    return;
  }
  double rate = p[0];
  double rows = p.size() == 3 ? p[1] : 1;
  double cols = p.size() >= 2 ? p.back() : 1;
  checkShape(rows, cols);
  double* out = shapeDoubles(result, clampDimension(rows), clampDimension(cols));
  RandomGenerator& random = sessionRandom();
  for (int i = 0; i < result.size; ++i) out[i] = -std::log(random.uniformPositive()) / rate;
}

// irand(n): shaped like n, every element a whole number from 0 to that element of n less
// one, each equally likely (irand([6 6 6]) throws three dice, each 0 to 5).
void irand(Value& argument, Value& result) {
  // Each n is taken as an integer first, so 0.5 is refused like 0 (not divided by).
  std::vector<int64_t> n;
  for (double x : doublesOf(argument)) {
    if (!(x >= 1)) checkFailed("irand", "n <= 0");
    n.push_back(static_cast<int64_t>(std::min(x, 2147483647.0)));
  }
  int* out = shapeInts(result, argument.nrow, argument.ncol());
  RandomGenerator& random = sessionRandom();
  for (size_t i = 0; i < n.size(); ++i) out[i] = static_cast<int>(random.below(n[i]));
}

// A negative seed is a seed like any other (its 32 bits as an unsigned number).
int randseed(int seed) {
  sessionRandom().seed(static_cast<uint32_t>(seed));
  return seed;
}

// shuffle(v): a copy of the vector v in random order (Fisher-Yates).
void shuffle(Value& argument, Value& result) {
  if (!argument.isVector()) throw session::RuntimeError("incorrect value type for shuffle");
  std::vector<double> a = doublesOf(argument);
  for (int64_t i = static_cast<int64_t>(a.size()) - 1; i > 0; --i) {
    std::swap(a[i], a[sessionRandom().below(static_cast<uint64_t>(i) + 1)]);
  }
  double* out = shapeDoubles(result, argument.nrow, argument.ncol(), argument.flags);
  std::copy(a.begin(), a.end(), out);
}

constexpr BuiltinKind kValue = BuiltinKind::ValueToValue;

constexpr BuiltinEntry kEntries[] = {
    {"rand", kValue, kDoubleResult, rand},
    {"randexp", kValue, kDoubleResult, randexp},
    {"shuffle", kValue, kDoubleResult, shuffle},
    {"irand", kValue, kIntResult, irand},
    {"rnd", BuiltinKind::NoArgScalar, kDoubleResult, rnd},
    {"randseed", BuiltinKind::ElementWise, kIntResult, randseed},
};

}  // namespace

void registerRandom(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
