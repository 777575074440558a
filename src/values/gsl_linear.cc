// GSL adapter of the value layer: the double matrix product (gsl_blas_dgemm, OpenBLAS
// underneath) and the symmetric eigen decomposition behind fractional matrix powers.
#include "values/gsl_linear.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_eigen.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_vector.h>

#include <cmath>
#include <memory>

namespace zirbin::values::detail {

void blasProduct(const double* a, int rows, int inner, const double* b, int cols,
                 bool transposeRight, double* out) {
  // A column-major array read as a row-major matrix is the transpose, so the product
  // out' = b' a' is formed on the swapped views.
  gsl_matrix_const_view left = gsl_matrix_const_view_array(a, inner, rows);
  gsl_matrix_const_view right = transposeRight ? gsl_matrix_const_view_array(b, inner, cols)
                                               : gsl_matrix_const_view_array(b, cols, inner);
  gsl_matrix_view result = gsl_matrix_view_array(out, cols, rows);
  gsl_blas_dgemm(transposeRight ? CblasTrans : CblasNoTrans, CblasNoTrans, 1.0, &right.matrix,
                 &left.matrix, 0.0, &result.matrix);
}

bool symmetricPower(double* m, int n, double p) {
  struct Free {
    void operator()(gsl_matrix* x) const { gsl_matrix_free(x); }
    void operator()(gsl_vector* x) const { gsl_vector_free(x); }
    void operator()(gsl_eigen_symmv_workspace* x) const { gsl_eigen_symmv_free(x); }
  };
  std::unique_ptr<gsl_matrix, Free> work(gsl_matrix_alloc(n, n));
  std::unique_ptr<gsl_matrix, Free> vectors(gsl_matrix_alloc(n, n));
  std::unique_ptr<gsl_vector, Free> values(gsl_vector_alloc(n));
  std::unique_ptr<gsl_eigen_symmv_workspace, Free> space(gsl_eigen_symmv_alloc(n));
  for (int i = 0; i < n * n; ++i) work->data[i] = m[i];
  gsl_eigen_symmv(work.get(), values.get(), vectors.get(), space.get());
  for (int k = 0; k < n; ++k) {
    if (gsl_vector_get(values.get(), k) < 0) return false;
  }
  for (int k = 0; k < n; ++k) {
    gsl_vector_set(values.get(), k, std::pow(gsl_vector_get(values.get(), k), p));
  }
  // The result V diag(lambda^p) V' is symmetric, so its layout needs no transposition.
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      double sum = 0;
      for (int k = 0; k < n; ++k) {
        sum += gsl_matrix_get(vectors.get(), i, k) * gsl_vector_get(values.get(), k) *
               gsl_matrix_get(vectors.get(), j, k);
      }
      m[static_cast<size_t>(j) * n + i] = sum;
    }
  }
  return true;
}

}  // namespace zirbin::values::detail
