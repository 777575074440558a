// The symmetric eigen-solver shared by eigval, eigvec, eigvv and the fractional matrix
// power: LAPACK's divide-and-conquer dsyevd (the LAPACK inside the linked OpenBLAS),
// behind plain-pointer signatures.
#pragma once

namespace zirbin::values {

// The eigenvalues of the symmetric n x n matrix `a` (column-major; only the lower
// triangle and the diagonal are read; `a` is not changed) in ascending order into
// `values`. Returns false when the solver fails (it did not converge, as with NaN
// elements); `values` is then unspecified.
// REQUIRES: n >= 1, values has n elements.
bool symmetricEigenvalues(const double* a, int n, double* values);

// Eigenvalues and eigenvectors of the symmetric matrix `a` (as above), sorted by ascending
// absolute value (equal absolute values: the negative one first); column j of `vectors`
// (n x n, column-major) is the unit eigenvector of values[j], its sign chosen so that its
// component of largest magnitude is positive (of components equal in magnitude to within
// rounding, the first). Returns false when the solver fails.
// REQUIRES: n >= 1, values has n and vectors n * n elements.
bool symmetricEigensystem(const double* a, int n, double* values, double* vectors);

}  // namespace zirbin::values
