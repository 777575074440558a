// Comparison nodes: element-wise comparisons of two operands or a three-part range test
// (a < b < c), and the whole-value identity test ('===').
#pragma once

#include <memory>
#include <vector>

#include "engine/evaluatable.h"

namespace zirbin::engine {

// Compares operands of element type T (int or double) element by element with scalar
// broadcasting; the result is a JMAT_BOOL integer matrix of 0 and 1 shaped like the
// larger operand. With a third operand c, b op2 c is computed only when the first result
// has a non-zero element and is combined with it by logical and. The comparison codes
// are the internal codes 40 to 46 (not 43). Different shapes are RuntimeError
// "incompatible matrix sizes".
template <typename T>
class ComparatorElement : public With3Evaluatable {
 public:
  ComparatorElement(EvaluatablePtr a, EvaluatablePtr b, EvaluatablePtr c, int op1, int op2);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kIntType; }

 protected:
  // The operand `child` as elements of T, using `slot` as its scratch value.
  virtual const Value& operand(Evaluatable& child, std::unique_ptr<Value>& slot);

 private:
  int op1_;
  int op2_;
  std::unique_ptr<Value> scratch_[3];
  std::unique_ptr<Value> second_;
};

// The same for operands of mixed int and double types: every operand is compared as
// doubles.
class ComparatorElementMixedType : public ComparatorElement<double> {
 public:
  using ComparatorElement<double>::ComparatorElement;

 protected:
  const Value& operand(Evaluatable& child, std::unique_ptr<Value>& slot) override;

 private:
  std::unique_ptr<Value> intScratch_;
};

// a === b: 1 when the two values are identical (class, size, rows, flags and elements;
// an integer and a double value compare by value when their kinds and shapes agree),
// else 0. NaN is never equal.
class FullyCompareElement : public With2Evaluatable {
 public:
  using With2Evaluatable::With2Evaluatable;
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kIntType; }

 private:
  std::unique_ptr<Value> scratch_[2];
};

// True iff the two values are identical in the sense of '==='.
bool identical(const Value& a, const Value& b);

// The comparison node for 2 or 3 parts joined by the lexer comparison codes (not '===').
// REQUIRES: 2 or 3 parts, one code fewer.
EvaluatablePtr makeComparison(std::vector<EvaluatablePtr> parts, const std::vector<char>& codes);

}  // namespace zirbin::engine
