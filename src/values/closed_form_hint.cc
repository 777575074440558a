// The closed-form hint shown beside a single number: a short exact expression equal to it
// (a surd such as 1 + sqrt(2), or a fraction, possibly of pi, a power or root, or under
// exp or ln), found by a table of small fractions and by continued fractions.
#include <array>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "values/display.h"

namespace zirbin::values {

namespace {

struct Fraction {
  int p;
  int q;
};

// Fractions p/q in lowest terms with 0 <= p, q <= 13 and q >= 1, ordered by max(p, q) and,
// within one maximum n, as n/1, n/2, ... followed by the k/n in descending k.
constexpr int kFractionLimit = 13;
constexpr int kFractionCount = 116;

constexpr int gcd(int a, int b) { return b == 0 ? a : gcd(b, a % b); }

constexpr std::array<Fraction, kFractionCount> makeFractions() {
  std::array<Fraction, kFractionCount> table{};
  int count = 0;
  table[count++] = {0, 1};
  table[count++] = {1, 1};
  for (int n = 2; n <= kFractionLimit; ++n) {
    for (int k = 1; k < n; ++k) {
      if (gcd(n, k) == 1) table[count++] = {n, k};
    }
    for (int k = n - 1; k >= 1; --k) {
      if (gcd(n, k) == 1) table[count++] = {k, n};
    }
  }
  return table;
}

constexpr std::array<Fraction, kFractionCount> kFractions = makeFractions();
static_assert(kFractions[5].p == 3 && kFractions[5].q == 2 && kFractions[7].p == 1 &&
              kFractions[7].q == 3 && kFractions[kFractionCount - 1].p == 1 &&
              kFractions[kFractionCount - 1].q == 13);

// The hint is tried only for non-integers of this range of magnitudes.
constexpr double kSmallest = 0.001;
constexpr double kLargest = 1000;
constexpr double kIntegerTolerance = 1e-12;
// Continued fractions: at most this many terms, a kept convergent scores below this
// (base-10 logarithms of the integers involved), and three candidates end the search.
constexpr int kMaxTerms = 20;
constexpr double kMaxScore = 7;
constexpr int kEnoughCandidates = 3;
// Powers and roots tried, from 1 up to this.
constexpr int kMaxExponent = 116;
// Score added for an exp/ln form and for a factor of pi.
constexpr double kFormPenalty = 0.5;

std::string fractionText(long long p, long long q) {
  return q == 1 ? std::to_string(p) : std::to_string(p) + "/" + std::to_string(q);
}

bool isSquareOfSmall(int n) { return n == 1 || n == 4 || n == 9; }

// c +- sqrt(a/b) with c a signed table fraction.
std::string surdStage(double x, double tolerance) {
  for (const Fraction& root : kFractions) {
    // Rational roots add nothing; sqrt(0) would dress up a plain fraction.
    if (root.p == 0 || (isSquareOfSmall(root.p) && isSquareOfSmall(root.q))) continue;
    double r = std::sqrt(static_cast<double>(root.p) / root.q);
    for (int sign : {1, -1}) {
      for (const Fraction& f : kFractions) {
        double c = sign * static_cast<double>(f.p) / f.q;
        bool plus = c <= x;
        double candidate = plus ? c + r : c - r;
        // Relative to |x|: a negative x must not pass every test.
        if (std::fabs(candidate - x) >= tolerance * std::fabs(x)) continue;
        std::string surd = "sqrt(" + fractionText(root.p, root.q) + ")";
        if (f.p == 0) return plus ? surd : "-" + surd;
        std::string text = sign < 0 ? "-" : "";
        text += fractionText(f.p, f.q);
        text += plus ? " + " : " - ";
        return text + surd;
      }
    }
  }
  return "";
}

// One way of reading x: t = form(x), then t^m / constant is matched with a fraction h/k.
enum class Form { kPlain, kExp, kLn };  // x = t, x = exp[t], x = ln[t]
enum class Constant { kOne, kPi, kInversePi };

struct Reading {
  Form form;
  Constant constant;
  int n;       // the exponent's integer
  bool root;   // m = 1/n (t^(1/n) matched) instead of m = n
};

struct Candidate {
  std::string text;
  double score;
};

double constantValue(Constant c) {
  switch (c) {
    case Constant::kOne: return 1;
    case Constant::kPi: return std::numbers::pi;
    case Constant::kInversePi: return 1 / std::numbers::pi;
  }
  return 1;
}

// The text of constant * h/k.
std::string scaledText(Constant c, long long h, long long k) {
  switch (c) {
    case Constant::kOne: return fractionText(h, k);
    case Constant::kPi:
      if (h == 1) return k == 1 ? "pi" : "pi/" + std::to_string(k);
      return k == 1 ? std::to_string(h) + "*pi" : std::to_string(h) + "*pi/" + std::to_string(k);
    case Constant::kInversePi:
      if (h == 1 && k == 1) return "(1/pi)";
      return k == 1 ? std::to_string(h) + "/pi"
                    : std::to_string(h) + "/(" + std::to_string(k) + "*pi)";
  }
  return "";
}

// |t| written from its matched fraction: (constant * h/k)^(1/m).
std::string magnitudeText(const Reading& r, long long h, long long k) {
  std::string base = scaledText(r.constant, h, k);
  if (r.n == 1) return base == "(1/pi)" ? "1/pi" : base;
  bool simple = base.find_first_of("/*") == std::string::npos || base == "(1/pi)";
  if (r.root) return (simple ? base : "(" + base + ")") + "^" + std::to_string(r.n);
  if (r.n == 2) return "sqrt(" + (base == "(1/pi)" ? std::string("1/pi") : base) + ")";
  return (simple ? base : "(" + base + ")") + "^(1/" + std::to_string(r.n) + ")";
}

struct Search {
  double x;
  double tolerance;
  std::vector<Candidate> held;

  // Tries the reading; keeps the first convergent that rebuilds x within the tolerance.
  void tryReading(const Reading& r) {
    double t = r.form == Form::kPlain ? std::fabs(x)
               : r.form == Form::kExp ? std::log(std::fabs(x))
                                      : std::exp(x);
    double sign = t < 0 ? -1 : 1;
    double at = std::fabs(t);
    if (!std::isfinite(at) || at == 0) return;
    double m = r.root ? 1.0 / r.n : r.n;
    double z = std::pow(at, m) / constantValue(r.constant);
    if (!std::isfinite(z) || z <= 0) return;
    double penalty = std::log10(r.n) + (r.form != Form::kPlain ? kFormPenalty : 0) +
                     (r.constant != Constant::kOne ? kFormPenalty : 0);
    long long h0 = 1, h1 = 0, k0 = 0, k1 = 1;  // convergents h/k, previous and before
    double rest = z;
    for (int term = 0; term < kMaxTerms; ++term) {
      double a = std::floor(rest);
      if (a > 1e12) return;
      long long ai = static_cast<long long>(a);
      long long h = ai * h0 + h1, k = ai * k0 + k1;
      h1 = h0, h0 = h, k1 = k0, k0 = k;
      if (h > 0) {
        double score = std::log10(static_cast<double>(h)) + std::log10(static_cast<double>(k)) + penalty;
        if (score >= kMaxScore) return;
        // The convergent must match z itself, and x rebuilt from it must match x.
        bool close = std::fabs(static_cast<double>(h) / k - z) < tolerance * z;
        double back = sign * std::pow(constantValue(r.constant) * h / k, 1 / m);
        double rebuilt = r.form == Form::kPlain ? back : r.form == Form::kExp ? std::exp(back) : std::log(back);
        if (r.form != Form::kLn && x < 0) rebuilt = -rebuilt;
        if (close && std::fabs(rebuilt - x) < tolerance * std::fabs(x)) {
          held.push_back({render(r, sign, h, k), score});
          return;
        }
      }
      double fraction = rest - a;
      if (fraction <= 0) return;
      rest = 1 / fraction;
    }
  }

  std::string render(const Reading& r, double sign, long long h, long long k) const {
    std::string t = sign < 0 ? "-" : "";
    t += magnitudeText(r, h, k);
    std::string outer = x < 0 && r.form != Form::kLn ? "-" : "";
    if (r.form == Form::kExp) return outer + "exp[" + t + "]";
    if (r.form == Form::kLn) return "ln[" + t + "]";
    return outer + t;
  }
};

// The value, its logarithm and its exponential against 1, pi and 1/pi, each raised to
// the powers and roots 1 to kMaxExponent, through continued fractions.
std::string continuedFractionStage(double x, double tolerance) {
  Search search{x, tolerance, {}};
  for (Form form : {Form::kPlain, Form::kExp, Form::kLn}) {
    for (Constant constant : {Constant::kOne, Constant::kPi, Constant::kInversePi}) {
      for (int n = 1; n <= kMaxExponent; ++n) {
        for (bool root : {false, true}) {
          if (n == 1 && root) continue;
          search.tryReading({form, constant, n, root});
          if (static_cast<int>(search.held.size()) >= kEnoughCandidates) break;
        }
        if (static_cast<int>(search.held.size()) >= kEnoughCandidates) break;
      }
    }
  }
  const Candidate* best = nullptr;
  for (const Candidate& c : search.held) {
    if (best == nullptr || c.score < best->score) best = &c;
  }
  return best ? best->text : "";
}

}  // namespace

std::string closedFormHint(double x, double tolerance) {
  double magnitude = std::fabs(x);
  if (!(magnitude >= kSmallest && magnitude <= kLargest)) return "";
  if (magnitude - std::floor(magnitude) < magnitude * kIntegerTolerance) return "";
  std::string surd = surdStage(x, tolerance);
  if (!surd.empty()) return surd;
  return continuedFractionStage(x, tolerance);
}

}  // namespace zirbin::values
