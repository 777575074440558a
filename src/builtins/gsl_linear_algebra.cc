// Linear algebra: the BLAS steps of the blocked LU (through GSL), and the built-ins eigval,
// eigvec and eigvv on the value layer's symmetric eigen-solver.
#include <algorithm>
#include <cmath>
#include <vector>

#include <gsl/gsl_blas.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_vector.h>

#include "builtins/gsl_routines.h"
#include "builtins/numeric_families.h"
#include "builtins/routine_support.h"
#include "values/symmetric_eigen.h"

namespace zirbin::builtins {

namespace gsl {

void subtractProduct(const double* a, int lda, const double* b, int ldb, double* c, int ldc,
                     int rows, int inner, int cols) {
  installErrorHandler();
  // A column-major block read as a row-major matrix is its transpose: c' -= b' a'.
  gsl_matrix_const_view at = gsl_matrix_const_view_array_with_tda(a, inner, rows, lda);
  gsl_matrix_const_view bt = gsl_matrix_const_view_array_with_tda(b, cols, inner, ldb);
  gsl_matrix_view ct = gsl_matrix_view_array_with_tda(c, cols, rows, ldc);
  gsl_blas_dgemm(CblasNoTrans, CblasNoTrans, -1.0, &bt.matrix, &at.matrix, 1.0, &ct.matrix);
}

void subtractProductVector(const double* a, int lda, const double* x, double* y, int rows,
                           int cols) {
  installErrorHandler();
  // Read as row-major, a is a' (cols x rows): y -= (a')' x.
  gsl_matrix_const_view at = gsl_matrix_const_view_array_with_tda(a, cols, rows, lda);
  gsl_vector_const_view xv = gsl_vector_const_view_array(x, cols);
  gsl_vector_view yv = gsl_vector_view_array(y, rows);
  gsl_blas_dgemv(CblasTrans, -1.0, &at.matrix, &xv.vector, 1.0, &yv.vector);
}

void solveUnitLower(const double* l, int ldl, double* b, int ldb, int rows, int cols) {
  installErrorHandler();
  // Read as row-major, l is L' (unit upper) and b is b': solve x' L' = b' from the right.
  gsl_matrix_const_view lt = gsl_matrix_const_view_array_with_tda(l, rows, rows, ldl);
  gsl_matrix_view bt = gsl_matrix_view_array_with_tda(b, cols, rows, ldb);
  gsl_blas_dtrsm(CblasRight, CblasUpper, CblasNoTrans, CblasUnit, 1.0, &lt.matrix, &bt.matrix);
}

}  // namespace gsl

namespace {

// The elements of the square matrix `a` as doubles: a DoubleValue's own array (moved into
// `held` first when `overwritten`: the result about to be written is `a` itself), or the
// integers converted into `held`. `context` names the message's built-in.
const double* squareMatrix(Value& a, bool overwritten, const char* context, DoubleValue& held) {
  if (a.nrow * a.nrow != a.size) session::checkFailed(context, "non-square matrix");
  if (a.valueType() == values::DOUBLE_VAL) {
    if (!overwritten) return static_cast<DoubleValue&>(a).data;
    held = std::move(static_cast<DoubleValue&>(a));
    return held.data;
  }
  const std::vector<double> numbers = doublesOf(a);
  double* out = shapeDoubles(held, a.nrow, a.ncol());
  std::copy(numbers.begin(), numbers.end(), out);
  return out;
}

// True iff none of the n x n elements is nan or infinite. Of a matrix that holds such an
// element the solver makes plausible numbers (or skips it, when it lies in the upper
// triangle, which is not read): its eigen-system is nan instead.
bool allFinite(const double* a, int n) {
  return std::all_of(a, a + static_cast<std::ptrdiff_t>(n) * n,
                     [](double x) { return std::isfinite(x); });
}

// eigval(A): the eigenvalues of a symmetric matrix as a row, in the solver's order
// (ascending).
void eigval(Value& argument, Value& result) {
  const int n = argument.nrow;
  DoubleValue held;
  const double* a = squareMatrix(argument, &argument == &result, "eigval", held);
  double* out = shapeDoubles(result, n > 0 ? 1 : 0, n);
  if (!allFinite(a, n)) {
    std::fill(out, out + result.size, std::nan(""));
    return;
  }
  if (n > 0 && !values::symmetricEigenvalues(a, n, out)) {
    session::checkFailed("eigval", "the eigen-solver did not converge");
  }
}

// Eigenvalues (a row) and eigenvectors (columns) sorted by absolute value.
void eigenSystem(Value& argument, Value& eigenvalues, Value* vectors) {
  const int n = argument.nrow;
  DoubleValue held;
  const bool overwritten = &argument == &eigenvalues || &argument == vectors;
  const double* a = squareMatrix(argument, overwritten, "eigen-system", held);
  // The vectors go straight into their output when it is a DoubleValue.
  DoubleValue own;
  Value& into = vectors && vectors->valueType() == values::DOUBLE_VAL ? *vectors : own;
  double* m = shapeDoubles(into, n, n);
  double* out = shapeDoubles(eigenvalues, n > 0 ? 1 : 0, n);
  if (!allFinite(a, n)) {
    std::fill(out, out + eigenvalues.size, std::nan(""));
    std::fill(m, m + into.size, std::nan(""));
  } else if (n > 0 && !values::symmetricEigensystem(a, n, out, m)) {
    session::checkFailed("eigen-system", "the eigen-solver did not converge");
  }
  if (vectors && &into != vectors) vectors->assign(own);
}

// eigvec(A): the eigenvector matrix.
void eigvec(Value& argument, Value& result) {
  DoubleValue values;
  eigenSystem(argument, values, &result);
}

// eigvv(A): the eigenvalue row; a second output receives the eigenvector matrix.
void eigvv(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 2);
  eigenSystem(args.value(0), result, extraOutputs.empty() ? nullptr : extraOutputs[0]);
}

const BuiltinEntry kEigenSystems[] = {
    {"eigval", BuiltinKind::ValueToValue, kDoubleResult, &eigval},
    {"eigvec", BuiltinKind::ValueToValue, kDoubleResult, &eigvec},
    {"eigvv", BuiltinKind::General, kDoubleResult, &eigvv, 1, 1},
};

}  // namespace

void registerEigenSystems(BuiltinRegistry& registry) { registry.add(kEigenSystems); }

}  // namespace zirbin::builtins
