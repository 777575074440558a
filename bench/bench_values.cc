// Times the value layer's hot paths: element-wise kernels over reused values, growth by
// one element (resizeKeep), and the double matrix product through the value API.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "values/math_kernels.h"

using namespace zirbin::values;

namespace {

template <typename F>
double secondsPer(int reps, F f) {
  f();  // warm-up
  auto t0 = std::chrono::steady_clock::now();
  for (int r = 0; r < reps; ++r) f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / reps;
}

}  // namespace

int main() {
  const int n = 1000000;
  DoubleValue a, b;
  a.resizeFill(n, n, 1.0);
  b.resizeFill(n, n, 0.5);
  double sum = secondsPer(200, [&] { apply(a, b, kOpSum); });
  std::printf("double a + b, 1e6 elements: %.3f ms (%.2f ns per element)\n", sum * 1e3,
              sum / n * 1e9);
  double scalar = secondsPer(200, [&] { apply(a, DoubleValue(1.0000001), kOpProduct); });
  std::printf("double a * scalar, 1e6 elements: %.3f ms\n", scalar * 1e3);
  IntValue i, j;
  i.resizeFill(n, n, 3);
  j.resizeFill(n, n, 2);
  double isum = secondsPer(200, [&] { apply(i, j, kOpSum); });
  std::printf("int a + b, 1e6 elements: %.3f ms\n", isum * 1e3);

  double grow = secondsPer(5, [] {
    DoubleValue v;
    for (int k = 0; k < 10000000; ++k) {
      v.resizeKeep(k + 1);
      v.data[k] = k;
    }
  });
  std::printf("resizeKeep by one, 1e7 times: %.1f ms (%.2f ns per element)\n", grow * 1e3,
              grow / 1e7 * 1e9);

  const int m = 1000;
  DoubleValue left, right;
  left.setLayout(m * m, m, 0);
  right.setLayout(m * m, m, 0);
  for (int k = 0; k < m * m; ++k) {
    left.data[k] = std::rand() / double(RAND_MAX);
    right.data[k] = std::rand() / double(RAND_MAX);
  }
  double product = secondsPer(10, [&] {
    DoubleValue target(left);
    matrixProduct(target, right);
  });
  std::printf("matrixProduct 1000x1000 doubles: %.1f ms, %.1f GFLOP/s\n", product * 1e3,
              2.0 * m * m * m / product / 1e9);
  return 0;
}
