// LAPACK adapter of the value layer: the symmetric eigen-solver dsyevd, called through its
// Fortran interface (column-major arrays, every argument by address).
#include "values/symmetric_eigen.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <vector>

extern "C" void dsyevd_(const char* jobz, const char* uplo, const int* n, double* a,
                        const int* lda, double* w, double* work, const int* lwork, int* iwork,
                        const int* liwork, int* info);

namespace zirbin::values {

namespace {

// Runs dsyevd on `a` (n x n, overwritten: with the eigenvectors when jobz is 'V'), the
// eigenvalues ascending into w. The workspace sizes come from dsyevd's own query.
bool solve(char jobz, double* a, int n, double* w) {
  const char uplo = 'L';
  int info = 0;
  int lwork = -1, liwork = -1;
  double workSize = 0;
  int iworkSize = 0;
  dsyevd_(&jobz, &uplo, &n, a, &n, w, &workSize, &lwork, &iworkSize, &liwork, &info);
  if (info != 0) return false;
  lwork = static_cast<int>(workSize);
  liwork = std::max(iworkSize, 1);
  std::vector<double> work(std::max(lwork, 1));
  std::vector<int> iwork(liwork);
  dsyevd_(&jobz, &uplo, &n, a, &n, w, work.data(), &lwork, iwork.data(), &liwork, &info);
  return info == 0;
}

// Components within this relative distance of the largest magnitude count as equal to it,
// so that rounding in the solver cannot decide which of two equal components leads.
constexpr double kTieTolerance = 1e-10;

// Flips `v` (n elements) so that its component of largest magnitude is positive (the
// first of those that equal it within kTieTolerance).
void normaliseSign(double* v, int n) {
  double largest = 0;
  for (int i = 0; i < n; ++i) largest = std::max(largest, std::fabs(v[i]));
  int lead = 0;
  while (lead < n - 1 && std::fabs(v[lead]) < largest * (1 - kTieTolerance)) ++lead;
  if (v[lead] < 0) {
    for (int i = 0; i < n; ++i) v[i] = -v[i];
  }
}

}  // namespace

bool symmetricEigenvalues(const double* a, int n, double* values) {
  std::vector<double> work(a, a + static_cast<size_t>(n) * n);
  return solve('N', work.data(), n, values);
}

bool symmetricEigensystem(const double* a, int n, double* values, double* vectors) {
  const size_t rows = static_cast<size_t>(n);
  std::vector<double> work(a, a + rows * rows);
  std::vector<double> w(n);
  if (!solve('V', work.data(), n, w.data())) return false;
  // dsyevd gives ascending values, so a stable sort by absolute value puts the negative
  // one of two equal magnitudes first.
  std::vector<int> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int x, int y) { return std::fabs(w[x]) < std::fabs(w[y]); });
  for (int j = 0; j < n; ++j) {
    values[j] = w[order[j]];
    double* column = vectors + j * rows;
    std::memcpy(column, work.data() + order[j] * rows, rows * sizeof(double));
    normaliseSign(column, n);
  }
  return true;
}

}  // namespace zirbin::values
