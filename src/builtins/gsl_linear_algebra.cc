// Linear algebra from GSL: the BLAS update of the blocked LU, the symmetric eigen-solvers,
// and the built-ins eigval, eigvec and eigvv.
#include <memory>
#include <vector>

#include <gsl/gsl_blas.h>
#include <gsl/gsl_eigen.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_vector.h>

#include "builtins/gsl_routines.h"
#include "builtins/numeric_families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace gsl {

namespace {

struct Free {
  void operator()(gsl_matrix* x) const { gsl_matrix_free(x); }
  void operator()(gsl_vector* x) const { gsl_vector_free(x); }
  void operator()(gsl_eigen_symm_workspace* x) const { gsl_eigen_symm_free(x); }
  void operator()(gsl_eigen_symmv_workspace* x) const { gsl_eigen_symmv_free(x); }
};

}  // namespace

void subtractProduct(const double* a, int lda, const double* b, int ldb, double* c, int ldc,
                     int rows, int inner, int cols) {
  installErrorHandler();
  // A column-major block read as a row-major matrix is its transpose: c' -= b' a'.
  gsl_matrix_const_view at = gsl_matrix_const_view_array_with_tda(a, inner, rows, lda);
  gsl_matrix_const_view bt = gsl_matrix_const_view_array_with_tda(b, cols, inner, ldb);
  gsl_matrix_view ct = gsl_matrix_view_array_with_tda(c, cols, rows, ldc);
  gsl_blas_dgemm(CblasNoTrans, CblasNoTrans, -1.0, &bt.matrix, &at.matrix, 1.0, &ct.matrix);
}

void symmetricEigenvalues(double* a, int n, double* values) {
  installErrorHandler();
  gsl_matrix_view m = gsl_matrix_view_array(a, n, n);
  gsl_vector_view v = gsl_vector_view_array(values, n);
  std::unique_ptr<gsl_eigen_symm_workspace, Free> space(gsl_eigen_symm_alloc(n));
  gsl_eigen_symm(&m.matrix, &v.vector, space.get());
}

void symmetricEigensystem(const double* a, int n, double* values, double* vectors) {
  installErrorHandler();
  std::unique_ptr<gsl_matrix, Free> work(gsl_matrix_alloc(n, n));
  std::unique_ptr<gsl_matrix, Free> evec(gsl_matrix_alloc(n, n));
  std::unique_ptr<gsl_eigen_symmv_workspace, Free> space(gsl_eigen_symmv_alloc(n));
  // A symmetric matrix is its own transpose, so the column-major array copies as it is.
  std::copy(a, a + static_cast<size_t>(n) * n, work->data);
  gsl_vector_view v = gsl_vector_view_array(values, n);
  gsl_eigen_symmv(work.get(), &v.vector, evec.get(), space.get());
  gsl_eigen_symmv_sort(&v.vector, evec.get(), GSL_EIGEN_SORT_ABS_ASC);
  // GSL's row-major evec has eigenvector j in its column j: element (i, j) goes to the
  // column-major position j*n + i.
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) vectors[static_cast<size_t>(j) * n + i] = evec->data[i * n + j];
  }
}

}  // namespace gsl

namespace {

// The argument as a square matrix of doubles; `context` names the message's built-in.
std::vector<double> squareMatrix(const Value& a, const char* context) {
  if (a.nrow * a.nrow != a.size) session::checkFailed(context, "non-square matrix");
  return doublesOf(a);
}

// eigval(A): the eigenvalues of a symmetric matrix as a row, in the solver's order.
void eigval(Value& argument, Value& result) {
  std::vector<double> a = squareMatrix(argument, "eigval");
  const int n = argument.nrow;
  double* out = shapeDoubles(result, n > 0 ? 1 : 0, n);
  if (n > 0) gsl::symmetricEigenvalues(a.data(), n, out);
}

// Eigenvalues (a row) and eigenvectors (columns) sorted by absolute value.
void eigenSystem(const Value& argument, Value& values, Value* vectors) {
  const std::vector<double> a = squareMatrix(argument, "eigen-system");
  const int n = argument.nrow;
  std::vector<double> evec(static_cast<size_t>(n) * n);
  double* out = shapeDoubles(values, n > 0 ? 1 : 0, n);
  if (n > 0) gsl::symmetricEigensystem(a.data(), n, out, evec.data());
  if (vectors == nullptr) return;
  DoubleValue v;
  double* m = shapeDoubles(v, n, n);
  std::copy(evec.begin(), evec.end(), m);
  vectors->assign(v);
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
