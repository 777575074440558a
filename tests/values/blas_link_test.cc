// The double matrix product goes through GSL's BLAS interface, which must be OpenBLAS.
#include <gsl/gsl_blas.h>
#include <gsl/gsl_matrix.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

extern "C" char* openblas_get_config(void);

TEST(BlasLink, ProductMatchesNaiveTripleLoop) {
  const size_t n = 300;
  gsl_matrix* a = gsl_matrix_alloc(n, n);
  gsl_matrix* b = gsl_matrix_alloc(n, n);
  gsl_matrix* c = gsl_matrix_calloc(n, n);
  std::srand(7);
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) {
      gsl_matrix_set(a, i, j, std::rand() / double(RAND_MAX) - 0.5);
      gsl_matrix_set(b, i, j, std::rand() / double(RAND_MAX) - 0.5);
    }
  gsl_blas_dgemm(CblasNoTrans, CblasNoTrans, 1.0, a, b, 0.0, c);
  double worst = 0;
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) {
      double s = 0;
      for (size_t k = 0; k < n; ++k) s += gsl_matrix_get(a, i, k) * gsl_matrix_get(b, k, j);
      worst = std::fmax(worst, std::fabs(s - gsl_matrix_get(c, i, j)));
    }
  EXPECT_LT(worst, 1e-11);
  gsl_matrix_free(a);
  gsl_matrix_free(b);
  gsl_matrix_free(c);
}

TEST(BlasLink, OpenBlasIsTheCblasInUse) {
  // Only OpenBLAS defines openblas_get_config; linking the reference gslcblas instead
  // would fail to resolve it.
  ASSERT_NE(openblas_get_config(), nullptr);
  EXPECT_NE(std::string(openblas_get_config()).find("OpenBLAS"), std::string::npos);
}
