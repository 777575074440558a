// GSL adapter of the value layer: the double matrix product (gsl_blas_dgemm, OpenBLAS
// underneath), and the fractional matrix power built on it and the symmetric eigen-solver.
#include "values/gsl_linear.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_matrix.h>

#include <cmath>
#include <vector>

#include "values/symmetric_eigen.h"

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
  const size_t rows = static_cast<size_t>(n);
  std::vector<double> lambda(n);
  std::vector<double> vectors(rows * rows);
  if (!symmetricEigensystem(m, n, lambda.data(), vectors.data())) return false;
  for (double l : lambda) {
    if (l < 0) return false;
  }
  // m = (V diag(lambda^p)) V': scale V's columns, then one product with V's transpose.
  std::vector<double> scaled(vectors);
  for (size_t k = 0; k < rows; ++k) {
    const double f = std::pow(lambda[k], p);
    for (size_t i = 0; i < rows; ++i) scaled[k * rows + i] *= f;
  }
  blasProduct(scaled.data(), n, n, vectors.data(), n, true, m);
  return true;
}

}  // namespace zirbin::values::detail
