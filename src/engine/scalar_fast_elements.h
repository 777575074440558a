// Fast paths for scalar arithmetic and comparisons whose operands are plain variables and
// number literals (n mod 2 == 0, 3*n + 1, n ~= 1): while every variable holds one plain
// number the result is computed in doubles straight from the variables; otherwise the
// general node built for the same expression runs.
#pragma once

#include <vector>

#include "engine/evaluatable.h"

namespace zirbin::engine {

// One operand of a fast path: a variable of class IntValue or DoubleValue (the class it
// had when the node was compiled; a compiled node keeps its variables' classes) or a
// constant.
struct ScalarOperand {
  const Value* variable = nullptr;  // null: `constant`
  bool isInt = false;               // the variable is an IntValue
  double constant = 0;

  // The operand as a double (int elements convert exactly). False when the variable does
  // not hold exactly one element of a plain (flags 0) value.
  bool read(double& x) const;
};

// A double operator sequence of '*', '/', '+', '-' and 'mod' over variables and literals.
// The general node computes the same sequence for operands of any shape; it stays the owner
// of the operands.
class ScalarArithmeticElement : public Evaluatable {
 public:
  ScalarArithmeticElement(EvaluatablePtr general, std::vector<ScalarOperand> operands,
                          std::vector<int> codes);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kDoubleType; }
  int nodeKind() const override { return general_->nodeKind(); }
  bool refersTo(const Value* value) const override { return general_->refersTo(value); }
  // The scalar result; false when an operand is not a plain scalar.
  bool scalar(double& out) const;

 private:
  EvaluatablePtr general_;
  std::vector<ScalarOperand> operands_;
  std::vector<int> codes_;  // codes_[i] joins operands_[i] and operands_[i + 1]
};

// `expression` wrapped in a ScalarArithmeticElement when it is a double sequence that one
// can take; otherwise `expression` unchanged.
EvaluatablePtr withScalarFastPath(EvaluatablePtr expression);

// x op y for one comparison code (kLess ... kGreater, not kIdentical) whose two sides are
// variables, literals or fast arithmetic; the result is the 1x1 JMAT_BOOL integer of the
// general comparison node, which runs for operands of any other shape.
class ScalarComparisonElement : public Evaluatable {
 public:
  // A side is `arithmetic` when not null, else `operand`.
  struct Side {
    ScalarOperand operand;
    const ScalarArithmeticElement* arithmetic = nullptr;
    bool read(double& x) const { return arithmetic ? arithmetic->scalar(x) : operand.read(x); }
  };
  ScalarComparisonElement(EvaluatablePtr general, Side left, Side right, int code);
  const Value* pValue(Value& workspace) override;
  // The comparison's truth when both sides are plain scalars (conditions ask this without
  // a value); false when the general node must run.
  bool scalarTruth(bool& holds) const;
  int resultType() const override { return kIntType; }
  int nodeKind() const override { return general_->nodeKind(); }
  bool refersTo(const Value* value) const override { return general_->refersTo(value); }

 private:
  EvaluatablePtr general_;
  Side left_, right_;
  int code_;
};

// The comparison `general` of parts a and b (still reachable through their pointers, owned
// by `general`) with a fast path when both sides allow one; else `general` unchanged.
EvaluatablePtr withScalarFastPath(EvaluatablePtr general, Evaluatable* a, Evaluatable* b,
                                  int code);

}  // namespace zirbin::engine
