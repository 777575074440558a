// Ascending sorts of plain number arrays for the sorting and set built-ins: a radix sort
// of the numbers' bit patterns, which on large arrays is several times quicker than a
// comparison sort and gives the same order.
#pragma once

namespace zirbin::builtins {

// Sorts [begin, end) ascending, NaNs after every number; -0 comes before +0.
void sortAscending(double* begin, double* end);
void sortAscending(int* begin, int* end);

}  // namespace zirbin::builtins
