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

// OpenBLAS's thread count (the library is linked as GSL's CBLAS).
extern "C" int openblas_get_num_threads(void);
extern "C" void openblas_set_num_threads(int threads);

namespace gsl {

namespace {

// Runs OpenBLAS on one thread while it lives, then restores the previous count. The
// symmetric solvers make n level-2 calls on vectors of at most n elements; helper threads
// cost more than they bring there, and waiting for work they spin: at n = 500 they added
// 5 to 100 ms of processor time to a 130 ms solve, the more the busier the machine.
class SingleBlasThread {
 public:
  SingleBlasThread() : previous_(openblas_get_num_threads()) { openblas_set_num_threads(1); }
  ~SingleBlasThread() { openblas_set_num_threads(previous_); }
  SingleBlasThread(const SingleBlasThread&) = delete;
  SingleBlasThread& operator=(const SingleBlasThread&) = delete;

 private:
  int previous_;
};

// The row length (in doubles) of the matrices of an n x n eigen-system solve. The solver
// walks down columns: the reduction takes each column of the matrix in turn, the QL
// sweeps rotate pairs of columns of the eigenvectors down all n rows. Rows a multiple of
// 4 KB long (n = 512, 1024, ...) put a whole column in a few cache sets, and the solve ran
// eight times slower (1.4 s at n = 512 against 0.14 s at n = 500). An odd number of
// 64-byte lines per row spreads a column over all the sets.
size_t paddedRowLength(int n) {
  constexpr size_t kDoublesPerLine = 8;
  size_t lines = (static_cast<size_t>(n) + kDoublesPerLine - 1) / kDoublesPerLine;
  if (lines % 2 == 0) ++lines;
  return lines * kDoublesPerLine;
}

// An n x n matrix with rows of paddedRowLength(n) doubles, viewed as a GSL matrix.
class PaddedMatrix {
 public:
  explicit PaddedMatrix(int n)
      : rowLength_(paddedRowLength(n)),
        data_(new double[static_cast<size_t>(n) * rowLength_]),
        view_(gsl_matrix_view_array_with_tda(data_.get(), n, n, rowLength_)) {}
  PaddedMatrix(const PaddedMatrix&) = delete;
  PaddedMatrix& operator=(const PaddedMatrix&) = delete;

  gsl_matrix* matrix() { return &view_.matrix; }
  double* row(size_t i) { return data_.get() + i * rowLength_; }

 private:
  size_t rowLength_;
  std::unique_ptr<double[]> data_;
  gsl_matrix_view view_;
};

// The symmetric n x n matrix `a` copied into a padded matrix. A symmetric matrix is its
// own transpose, so the column-major array copies as it is.
void copySymmetric(const double* a, int n, PaddedMatrix& to) {
  const auto rows = static_cast<size_t>(n);
  for (size_t i = 0; i < rows; ++i) std::copy(a + i * rows, a + (i + 1) * rows, to.row(i));
}

struct Free {
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

void symmetricEigenvalues(const double* a, int n, double* values) {
  installErrorHandler();
  SingleBlasThread oneThread;
  PaddedMatrix work(n);
  copySymmetric(a, n, work);
  gsl_vector_view v = gsl_vector_view_array(values, n);
  std::unique_ptr<gsl_eigen_symm_workspace, Free> space(gsl_eigen_symm_alloc(n));
  gsl_eigen_symm(work.matrix(), &v.vector, space.get());
}

void symmetricEigensystem(const double* a, int n, double* values, double* vectors) {
  installErrorHandler();
  SingleBlasThread oneThread;
  PaddedMatrix work(n);
  PaddedMatrix evec(n);
  copySymmetric(a, n, work);
  gsl_vector_view v = gsl_vector_view_array(values, n);
  std::unique_ptr<gsl_eigen_symmv_workspace, Free> space(gsl_eigen_symmv_alloc(n));
  gsl_eigen_symmv(work.matrix(), &v.vector, evec.matrix(), space.get());
  gsl_eigen_symmv_sort(&v.vector, evec.matrix(), GSL_EIGEN_SORT_ABS_ASC);
  // GSL's row-major evec has eigenvector j in its column j: element (i, j) goes to the
  // column-major position j*n + i.
  for (int i = 0; i < n; ++i) {
    const double* row = evec.row(i);
    for (int j = 0; j < n; ++j) vectors[static_cast<size_t>(j) * n + i] = row[j];
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
  const std::vector<double> a = squareMatrix(argument, "eigval");
  const int n = argument.nrow;
  double* out = shapeDoubles(result, n > 0 ? 1 : 0, n);
  if (n > 0) gsl::symmetricEigenvalues(a.data(), n, out);
}

// Eigenvalues (a row) and eigenvectors (columns) sorted by absolute value.
void eigenSystem(const Value& argument, Value& values, Value* vectors) {
  const std::vector<double> a = squareMatrix(argument, "eigen-system");
  const int n = argument.nrow;
  DoubleValue v;
  double* m = shapeDoubles(v, n, n);
  double* out = shapeDoubles(values, n > 0 ? 1 : 0, n);
  if (n > 0) gsl::symmetricEigensystem(a.data(), n, out, m);
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
