// MathMatrix<T>: the numeric layer over JMatrix<T> (T = int, double, complex), the three
// concrete number classes IntValue, DoubleValue and ComplexValue, and indexed combining.
#pragma once

#include <complex>

#include "values/jmatrix.h"

namespace zirbin::values {

using Complex = std::complex<double>;

template <typename T>
class MathMatrix : public JMatrix<T> {
 public:
  MathMatrix() = default;

  // Combines the source into the places named as by IndexedAssign: op 'P' adds, 'M'
  // subtracts, 'T' multiplies, 'D' divides (integers: a zero divisor throws the operator
  // code '/'); any other character leaves the places unchanged. A one-element source is
  // combined with every named place. Errors as IndexedAssign, with the text
  // "invalid irc in in MathMatrix<T>::mathIndexedAssign" for an unknown irc.
  void mathIndexedAssign(int irc, const int* list, int count, const MathMatrix& source,
                         char op);
};

extern template class MathMatrix<int>;
extern template class MathMatrix<double>;
extern template class MathMatrix<Complex>;

// 32-bit signed integers.
class IntValue : public MathMatrix<int> {
 public:
  IntValue() = default;
  // A 1x1 value holding `number`, flags 0.
  explicit IntValue(int number);
  int valueType() const override { return INTEGER_VAL; }
};

// IEEE doubles.
class DoubleValue : public MathMatrix<double> {
 public:
  DoubleValue() = default;
  // A 1x1 value holding `number`, flags 0.
  explicit DoubleValue(double number);
  int valueType() const override { return DOUBLE_VAL; }
};

// Complex numbers: pairs of doubles, real then imaginary.
class ComplexValue : public MathMatrix<Complex> {
 public:
  ComplexValue() = default;
  int valueType() const override { return COMPLEX_VAL; }
};

}  // namespace zirbin::values
