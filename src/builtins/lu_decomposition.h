// The LU decomposition (Crout's method with partial pivoting scaled by each row's largest
// element), its forward and back substitution, and the session's LU slot that setLU
// and solve fill and solve, inv and det read.
#pragma once

#include <vector>

namespace zirbin::builtins {

// The LU form of a square matrix: L (unit diagonal, below it) and U (the diagonal and
// above) in one column-major n x n array; the row exchanges in the order they were made
// (step j exchanged rows j and swaps[j]); the parity of the permutation (+1 or -1).
struct LuForm {
  int n = 0;
  std::vector<double> lu;
  std::vector<int> swaps;
  int parity = 1;
};

// Factorises the n x n column-major matrix `a` into `form`. A row of zeros fails with
// RuntimeError "LUform: matrix has a row of zeros"; a zero pivot is replaced by 1e-40 and
// "matrix is singular or close to singular" is written to the console (once), after which
// the factorisation goes on.
void luFactorise(const double* a, int n, LuForm& form);

// Solves A x = b in place for the `columns` right-hand sides stored column after column
// in b (each of form.n elements).
void luSolve(const LuForm& form, double* b, int columns);

// The determinant: the product of U's diagonal times the parity.
double luDeterminant(const LuForm& form);

// The running session's LU slot (builtins_state.h; written by setLU and solve, and by inv
// and det, which factorise their argument into it).
LuForm& luSlot();

}  // namespace zirbin::builtins
