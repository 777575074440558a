// Times the 1000x1000 double matrix product through gsl_blas_dgemm (OpenBLAS underneath)
// and prints GFLOP/s.
#include <gsl/gsl_blas.h>
#include <gsl/gsl_matrix.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main() {
  const size_t n = 1000;
  gsl_matrix* a = gsl_matrix_alloc(n, n);
  gsl_matrix* b = gsl_matrix_alloc(n, n);
  gsl_matrix* c = gsl_matrix_alloc(n, n);
  for (size_t i = 0; i < n * n; ++i) {
    a->data[i] = std::rand() / double(RAND_MAX);
    b->data[i] = std::rand() / double(RAND_MAX);
  }
  gsl_blas_dgemm(CblasNoTrans, CblasNoTrans, 1.0, a, b, 0.0, c);  // warm-up
  const int reps = 10;
  auto t0 = std::chrono::steady_clock::now();
  for (int r = 0; r < reps; ++r) gsl_blas_dgemm(CblasNoTrans, CblasNoTrans, 1.0, a, b, 0.0, c);
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / reps;
  std::printf("dgemm 1000x1000: %.2f ms per product, %.1f GFLOP/s\n", secs * 1e3,
              2.0 * n * n * n / secs / 1e9);
  gsl_matrix_free(a);
  gsl_matrix_free(b);
  gsl_matrix_free(c);
  return 0;
}
