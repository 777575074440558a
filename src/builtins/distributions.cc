// Distributions and peak shapes: normal random numbers (err), the Gaussian and Lorentzian
// peaks, the Poisson and binomial distributions and the binomial coefficients.
#include <cmath>
#include <cstdint>
#include <optional>

#include "builtins/function_argument.h"
#include "builtins/numeric_families.h"
#include "builtins/random_generator.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

using session::checkFailed;

// Leva's bounds of the ratio-of-uniforms method for normal deviates.
constexpr double kLevaScale = 1.7156;
constexpr double kLevaS = 0.449871;
constexpr double kLevaT = 0.386595;
constexpr double kLevaA = 0.19600;
constexpr double kLevaB = 0.25472;
constexpr double kLevaInner = 0.27597;
constexpr double kLevaOuter = 0.27846;

// A normal deviate of mean 0 and standard deviation 1. u lies in (0, 1], so v / u and
// log(u) are always finite.
double normalDeviate() {
  RandomGenerator& random = sessionRandom();
  for (;;) {
    const double u = random.uniformPositive();
    const double v = kLevaScale * (random.uniform() - 0.5);
    const double x = u - kLevaS;
    const double y = std::fabs(v) + kLevaT;
    const double q = x * x + y * (kLevaA * y - kLevaB * x);
    if (q < kLevaInner) return v / u;
    if (q <= kLevaOuter && v * v <= -4 * u * u * std::log(u)) return v / u;
  }
}

// err(s), err(s, n), err(s, r, c): normal numbers of standard deviation s: one, a 1 x n
// row, or an r x c matrix.
void err(Value& argument, Value& result) {
  const std::vector<double> p = doublesOf(argument);
  if (p.size() >= 4) checkFailed("math function", "too many arguments");
  if (p.empty()) {
    result.clear();
    result.flags = 0;
    return;
  }
  const double s = p[0];
  const double rows = p.size() == 3 ? p[1] : 1;
  const double cols = p.size() >= 2 ? p.back() : 1;
  if (!(rows >= 0) || !(cols >= 1)) checkFailed("math function", "negative n");
  double* out = shapeDoubles(result, clampDimension(rows), clampDimension(cols));
  for (int i = 0; i < result.size; ++i) out[i] = s * normalDeviate();
}

// The peak parameters: missing trailing entries come from [1, 1, 0, 0].
std::array<double, 4> peakParameters(const Value& p) {
  std::array<double, 4> q = {1, 1, 0, 0};
  const std::vector<double> given = doublesOf(p);
  for (size_t k = 0; k < given.size() && k < q.size(); ++k) q[k] = given[k];
  return q;
}

// Applies f to every element of the points into the result (the points' shape).
template <typename F>
void overPoints(const Value* x, Value& result, F f) {
  const auto& xs = static_cast<const DoubleValue&>(*x);
  const std::vector<double> at(xs.data, xs.data + xs.size);
  double* out = shapeDoubles(result, xs.nrow, xs.ncol());
  for (size_t k = 0; k < at.size(); ++k) out[k] = f(at[k]);
}

// gauss([A, sigma, x0, c], x) = A exp(-0.5 ((x - x0) / sigma)^2) + c.
void gauss(Value& p, const Value* x, Value& result) {
  const auto [a, sigma, x0, c] = peakParameters(p);
  // Copies, not the bindings: older compilers cannot capture structured bindings.
  overPoints(x, result, [a = a, sigma = sigma, x0 = x0, c = c](double t) {
    const double z = (t - x0) / sigma;
    return a * std::exp(-0.5 * z * z) + c;
  });
}

// lor([A, w, x0, c], x) = A h / ((x - x0)^2 + h) + c with h = w^2 / 4.
void lor(Value& p, const Value* x, Value& result) {
  const auto [a, w, x0, c] = peakParameters(p);
  const double h = w * w / 4;
  overPoints(x, result, [a = a, h, x0 = x0, c = c](double t) {
    return a * h / ((t - x0) * (t - x0) + h) + c;
  });
}

// x ln y, taken as 0 when x is 0 whatever y is: the limit the distributions need at
// their edges (0^0 = 1), where 0 * ln 0 would give nan.
double xLogY(double x, double y) { return x == 0 ? 0 : x * std::log(y); }

// poisson(mu, k) = exp(k ln mu - mu - lgamma(k + 1)); an empty mu is 1.
void poisson(Value& m, const Value* k, Value& result) {
  const std::vector<double> given = doublesOf(m);
  const double mu = given.empty() ? 1 : given[0];
  overPoints(k, result, [&](double t) { return std::exp(xLogY(t, mu) - mu - std::lgamma(t + 1)); });
}

// binomial([n, p], k): the probability of k successes in n trials of probability p.
void binomial(Value& np, const Value* k, Value& result) {
  const std::vector<double> given = doublesOf(np);
  if (given.size() != 2) checkFailed("binomial", "[n,p] should be two scalar numbers");
  const double n = given[0];
  const double p = given[1];
  const auto& ks = static_cast<const DoubleValue&>(*k);
  for (int i = 0; i < ks.size; ++i) {
    if (ks.data[i] < 0) checkFailed("binomial", "negative k in binomial distribution");
  }
  overPoints(k, result, [&](double t) {
    if (t > n) return 0.0;
    return std::exp(xLogY(n - t, 1 - p) + xLogY(t, p) + std::lgamma(n + 1) -
                    std::lgamma(t + 1) - std::lgamma(n - t + 1));
  });
}

// Pascal's triangle for n = 2 .. 9 and k = 1 .. 4.
constexpr double kPascal[8][4] = {
    {2, 1, 1, 1},     {3, 3, 1, 1},      {4, 6, 4, 1},      {5, 10, 10, 5},
    {6, 15, 20, 15},  {7, 21, 35, 35},   {8, 28, 56, 70},   {9, 36, 84, 126},
};
// Below this k the coefficient is a product of k quotients; from it on, lgamma.
constexpr int kProductLimit = 100;
constexpr int kTableRows = 9;

// C(n, k) in exact integers while it fits 64 bits: C(n, i + 1) = C(n, i) (n - i) / (i + 1)
// divides exactly at every step. nullopt once it no longer fits.
std::optional<uint64_t> exactCoefficient(int64_t n, int64_t k) {
  unsigned __int128 c = 1;
  for (int64_t i = 0; i < k; ++i) {
    c = c * static_cast<uint64_t>(n - i) / static_cast<uint64_t>(i + 1);
    if (c > UINT64_MAX) return std::nullopt;
  }
  return static_cast<uint64_t>(c);
}

// C(n, k) for whole n and k. k outside 0 .. n gives 0 (there is no way to choose them).
// In 64 bits throughout, so that n and k near the int limits cannot overflow; exact while
// the coefficient fits 64 bits (the product of quotients in doubles drifts by units well
// below 2^53), else as the product or lgamma formula.
double binomialCoefficient(int64_t n, int64_t k) {
  if (k < 0 || k > n) return 0;
  if (n <= 2 * k) k = n - k;
  if (n < 2 || k <= 0) return 1;
  if (n <= kTableRows) return kPascal[n - 2][k - 1];
  if (k < kProductLimit) {
    if (std::optional<uint64_t> exact = exactCoefficient(n, k)) return static_cast<double>(*exact);
    double c = 1;
    for (int64_t i = 0; i < k; ++i) c *= static_cast<double>(n - i) / static_cast<double>(i + 1);
    return std::round(c);
  }
  return std::round(std::exp(std::lgamma(n + 1.0) - std::lgamma(k + 1.0) - std::lgamma(n - k + 1.0)));
}

// bnc(n, k): C(n, k) at every element k.
void bnc(Value& nValue, const Value* k, Value& result) {
  if (nValue.size != 1) checkFailed("bnc", "need n to be scalar");
  const int n = values::truncateToInt(doublesOf(nValue)[0]);
  overPoints(k, result, [&](double t) { return binomialCoefficient(n, values::truncateToInt(t)); });
}

const BuiltinEntry kDistributions[] = {
    {"poisson", BuiltinKind::FunctorTwoArg, kDoubleResult, &poisson},
    {"bnc", BuiltinKind::FunctorTwoArg, kDoubleResult, &bnc},
    {"gauss", BuiltinKind::FunctorTwoArg, kDoubleResult, &gauss},
    {"lor", BuiltinKind::FunctorTwoArg, kDoubleResult, &lor},
    {"binomial", BuiltinKind::FunctorTwoArg, kDoubleResult, &binomial},
    {"err", BuiltinKind::ValueToValue, kDoubleResult, &err},
};

}  // namespace

void registerDistributions(BuiltinRegistry& registry) { registry.add(kDistributions); }

}  // namespace zirbin::builtins
