// The LU decomposition in blocks: the pivots are chosen exactly as Crout's method with
// scaled partial pivoting chooses them (the largest |a(i,j)| / (row i's largest original
// element)), but the work is arranged so that the inner loops run down contiguous columns
// and the bulk of it is one matrix product per block.
#include "builtins/lu_decomposition.h"

#include <algorithm>
#include <cmath>

#include "builtins/gsl_routines.h"
#include "builtins/routine_support.h"
#include "base/errors.h"

namespace zirbin::builtins {

namespace {

// The value that replaces a zero pivot, so that the substitutions can go on.
constexpr double kTinyPivot = 1e-40;
// Columns per block: 64 columns of a 1000-row matrix (512 KB) stay in the level-2 cache
// while the block is factorised.
constexpr int kBlock = 64;

// The reciprocal of each row's largest absolute element.
std::vector<double> rowScales(const double* a, int n) {
  std::vector<double> largest(n, 0.0);
  for (int j = 0; j < n; ++j) {
    const double* col = a + static_cast<size_t>(j) * n;
    for (int i = 0; i < n; ++i) largest[i] = std::max(largest[i], std::fabs(col[i]));
  }
  for (int i = 0; i < n; ++i) {
    if (largest[i] == 0) throw session::RuntimeError("LUform: matrix has a row of zeros");
    largest[i] = 1.0 / largest[i];
  }
  return largest;
}

// Exchanges rows r1 and r2 in columns [first, last).
void swapRows(double* a, int n, int first, int last, int r1, int r2) {
  for (int j = first; j < last; ++j) {
    double* col = a + static_cast<size_t>(j) * n;
    std::swap(col[r1], col[r2]);
  }
}

// Makes the block's row exchanges (rows jb .. jb+w-1 with their pivots) in columns
// [first, last), column by column, so that each column is walked while it is in cache.
void applySwaps(double* a, int n, int first, int last, int jb, int w, const LuForm& form) {
  for (int j = first; j < last; ++j) {
    double* col = a + static_cast<size_t>(j) * n;
    for (int k = jb; k < jb + w; ++k) std::swap(col[k], col[form.swaps[k]]);
  }
}

// Factorises columns [jb, jb + w) of the rows jb .. n-1, which the earlier blocks have
// already updated: each column first takes the updates of the block's earlier columns,
// then its pivot is chosen and exchanged into place within the block (the other columns
// follow in applySwaps), and the column below the pivot is divided by it. Returns true
// iff a zero pivot was replaced.
bool factoriseBlock(double* a, int n, int jb, int w, std::vector<double>& scale, LuForm& form) {
  bool singular = false;
  for (int j = jb; j < jb + w; ++j) {
    double* col = a + static_cast<size_t>(j) * n;
    // Rows jb .. j-1 of the column: U's part, by substitution with the block's L.
    for (int k = jb; k < j; ++k) {
      const double* lk = a + static_cast<size_t>(k) * n;
      const double ukj = col[k];
      for (int i = k + 1; i < j; ++i) col[i] -= lk[i] * ukj;
    }
    // Rows j .. n-1: minus the block's earlier columns times that part, in one product.
    if (j > jb) {
      gsl::subtractProductVector(a + static_cast<size_t>(jb) * n + j, n, col + jb, col + j,
                                 n - j, j - jb);
    }
    int pivot = j;
    double best = -1;
    for (int i = j; i < n; ++i) {
      const double size = scale[i] * std::fabs(col[i]);
      if (size > best) {
        best = size;
        pivot = i;
      }
    }
    if (pivot != j) {
      swapRows(a, n, jb, jb + w, j, pivot);
      std::swap(scale[j], scale[pivot]);
      form.parity = -form.parity;
    }
    form.swaps[j] = pivot;
    if (col[j] == 0) {
      col[j] = kTinyPivot;
      singular = true;
    }
    const double inverse = 1.0 / col[j];
    for (int i = j + 1; i < n; ++i) col[i] *= inverse;
  }
  return singular;
}

}  // namespace

void luFactorise(const double* a, int n, LuForm& form) {
  std::vector<double> scale = rowScales(a, n);
  form.n = n;
  form.lu.assign(a, a + static_cast<size_t>(n) * n);
  form.swaps.assign(n, 0);
  form.parity = 1;
  double* m = form.lu.data();
  bool singular = false;
  for (int jb = 0; jb < n; jb += kBlock) {
    const int w = std::min(kBlock, n - jb);
    singular |= factoriseBlock(m, n, jb, w, scale, form);
    applySwaps(m, n, 0, jb, jb, w, form);
    const int rest = n - jb - w;
    if (rest == 0) continue;
    applySwaps(m, n, jb + w, n, jb, w, form);
    // The block's rows of U right of it: solved with the block's unit lower triangle.
    double* l11 = m + static_cast<size_t>(jb) * n + jb;
    double* u12 = m + static_cast<size_t>(jb + w) * n + jb;
    gsl::solveUnitLower(l11, n, u12, n, w, rest);
    // The trailing matrix minus (block's L below it) times (block's rows of U).
    double* l21 = m + static_cast<size_t>(jb) * n + jb + w;
    double* a22 = m + static_cast<size_t>(jb + w) * n + jb + w;
    gsl::subtractProduct(l21, n, u12, n, a22, n, rest, w, rest);
  }
  if (singular) consoleLine("matrix is singular or close to singular");
}

void luSolve(const LuForm& form, double* b, int columns) {
  const int n = form.n;
  const double* m = form.lu.data();
  for (int c = 0; c < columns; ++c) {
    double* x = b + static_cast<size_t>(c) * n;
    for (int j = 0; j < n; ++j) std::swap(x[j], x[form.swaps[j]]);
    // Forward with the unit lower triangle, column by column.
    for (int k = 0; k < n; ++k) {
      const double xk = x[k];
      if (xk == 0) continue;
      const double* lk = m + static_cast<size_t>(k) * n;
      for (int i = k + 1; i < n; ++i) x[i] -= lk[i] * xk;
    }
    // Back with the upper triangle.
    for (int k = n - 1; k >= 0; --k) {
      const double* uk = m + static_cast<size_t>(k) * n;
      x[k] /= uk[k];
      const double xk = x[k];
      for (int i = 0; i < k; ++i) x[i] -= uk[i] * xk;
    }
  }
}

double luDeterminant(const LuForm& form) {
  double d = form.parity;
  for (int j = 0; j < form.n; ++j) d *= form.lu[static_cast<size_t>(j) * form.n + j];
  return d;
}

}  // namespace zirbin::builtins
