// Linear algebra: the BLAS update of the blocked LU (through GSL), and the built-ins eigval,
// eigvec and eigvv on the value layer's symmetric eigen-solver.
#include <vector>

#include <gsl/gsl_blas.h>
#include <gsl/gsl_matrix.h>

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

}  // namespace gsl

namespace {

// The argument as a square matrix of doubles; `context` names the message's built-in.
std::vector<double> squareMatrix(const Value& a, const char* context) {
  if (a.nrow * a.nrow != a.size) session::checkFailed(context, "non-square matrix");
  return doublesOf(a);
}

// eigval(A): the eigenvalues of a symmetric matrix as a row, in the solver's order
// (ascending).
void eigval(Value& argument, Value& result) {
  const std::vector<double> a = squareMatrix(argument, "eigval");
  const int n = argument.nrow;
  double* out = shapeDoubles(result, n > 0 ? 1 : 0, n);
  if (n > 0 && !values::symmetricEigenvalues(a.data(), n, out)) {
    session::checkFailed("eigval", "the eigen-solver did not converge");
  }
}

// Eigenvalues (a row) and eigenvectors (columns) sorted by absolute value.
void eigenSystem(const Value& argument, Value& values, Value* vectors) {
  const std::vector<double> a = squareMatrix(argument, "eigen-system");
  const int n = argument.nrow;
  DoubleValue v;
  double* m = shapeDoubles(v, n, n);
  double* out = shapeDoubles(values, n > 0 ? 1 : 0, n);
  if (n > 0 && !values::symmetricEigensystem(a.data(), n, out, m)) {
    session::checkFailed("eigen-system", "the eigen-solver did not converge");
  }
  if (vectors != nullptr) vectors->assign(v);
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
