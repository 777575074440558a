// Times the everyday built-ins on large vectors, calling their routines through the
// registry as the function-call nodes do: rand, the arithmetic y = x^2 + 3*x with the
// element kernels, elsum over 10^7 doubles, and sort, unique and the set operations over
// 10^6 doubles. Prints milliseconds (best of several runs).
#include <chrono>
#include <cstdio>
#include <functional>

#include "engine/registry.h"
#include "base/run_context.h"
#include "values/math_kernels.h"

namespace {

using namespace zirbin;
using builtins::BuiltinKind;
using values::DoubleValue;

constexpr int kRuns = 5;

double bestMs(const std::function<void()>& work) {
  double best = 1e300;
  for (int r = 0; r < kRuns; ++r) {
    auto t0 = std::chrono::steady_clock::now();
    work();
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    best = std::min(best, ms);
  }
  return best;
}

builtins::FunctionInfo find(const char* name) { return *session::builtinRegistry().find(name); }

void randomVector(int n, DoubleValue& out) {
  DoubleValue shape(n);
  std::get<builtins::ValueToValueRoutine>(find("rand").routine)(shape, out);
}

}  // namespace

int main() {
  constexpr int kLong = 10000000;  // 10^7 doubles for the arithmetic and elsum
  constexpr int kSort = 1000000;   // 10^6 doubles for sorting and sets

  DoubleValue x;
  std::printf("rand(1e7):             %8.2f ms\n", bestMs([&] { randomVector(kLong, x); }));

  DoubleValue y;
  DoubleValue term;
  DoubleValue two(2.0);
  DoubleValue three(3.0);
  // y = x^2 + 3*x as the expression evaluates it: two scratch values, kernels in place.
  double arithmetic = bestMs([&] {
    y.assign(x);
    values::apply(y, two, values::kOpPower);
    term.assign(x);
    values::apply(term, three, values::kOpProduct);
    values::apply(y, term, values::kOpSum);
  });
  std::printf("y = x^2 + 3*x (1e7):   %8.2f ms\n", arithmetic);

  auto elsum = std::get<builtins::ValueToDoubleRoutine>(find("elsum").routine);
  double sum = 0;
  std::printf("elsum(y) (1e7):        %8.2f ms\n", bestMs([&] { sum = elsum(y); }));
  std::printf("  both:                %8.2f ms (sum %.6g)\n",
              arithmetic + bestMs([&] { sum = elsum(y); }), sum);

  DoubleValue a;
  DoubleValue b;
  randomVector(kSort, a);
  randomVector(kSort, b);
  DoubleValue result;
  auto sort = std::get<builtins::TwoArgRoutine>(find("sort").routine);
  std::printf("sort (1e6):            %8.2f ms\n", bestMs([&] { sort(a, nullptr, result); }));
  auto unique = std::get<builtins::ValueToValueRoutine>(find("unique").routine);
  std::printf("unique (1e6):          %8.2f ms\n", bestMs([&] { unique(a, result); }));

  DoubleValue sa;
  DoubleValue sb;
  sort(a, nullptr, sa);
  sort(b, nullptr, sb);
  for (const char* name : {"union", "intersect", "setminus", "setxor"}) {
    auto op = std::get<builtins::TwoArgRoutine>(find(name).routine);
    std::printf("%-10s (2 x 1e6):  %8.2f ms\n", name, bestMs([&] { op(sa, &sb, result); }));
  }
  return 0;
}
