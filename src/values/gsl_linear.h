// The two linear-algebra routines taken from GSL (BLAS product, symmetric eigen power),
// behind plain-pointer signatures so that no GSL type leaves gsl_linear.cc.
#pragma once

namespace zirbin::values::detail {

// out (rows x cols, column-major) := a (rows x inner) times b (inner x cols), or times the
// transpose of b (cols x inner) when transposeRight. REQUIRES: out is distinct from a, b
// and all sizes are at least 1.
void blasProduct(const double* a, int rows, int inner, const double* b, int cols,
                 bool transposeRight, double* out);

// m (n x n, column-major) := V diag(lambda^p) V' from the symmetric eigen decomposition of
// m. Returns false, leaving m unchanged, when an eigenvalue is negative.
bool symmetricPower(double* m, int n, double p);

}  // namespace zirbin::values::detail
