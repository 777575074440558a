// The unary operator node (factorial, transposes, negation, row shape, logical not) and
// the process-wide factorial tables behind '!'.
#pragma once

#include "engine/evaluatable.h"

namespace zirbin::engine {

// Evaluates the child into the workspace, then applies the operator character:
// '!' factorial of every element, '"' transpose and conjugate, '\'' transpose,
// '-' negate, ':' one row, '~' logical not; any other character leaves the value.
class UnaryOpElement : public With1Evaluatable {
 public:
  UnaryOpElement(EvaluatablePtr child, char op) : With1Evaluatable(std::move(child)), op_(op) {}
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return a_->resultType(); }
  char op() const { return op_; }

 private:
  char op_;
};

// n! for integers: fails the internal check (context "factorial") for n < 0 and for
// n >= 13, whose factorial overflows 32 bits.
int intFactorial(int n);
// x! for doubles: n = round(x); +infinity for n < 0; a table up to 170; beyond,
// exp(lgamma(n + 1)).
double doubleFactorial(double x);

}  // namespace zirbin::engine
