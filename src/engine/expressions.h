// Expression nodes for the binary operators and their typed sequences: SimpleExpression,
// SimpleMixedTypeExpression and the three GeneralExpression kinds.
#pragma once

#include <memory>
#include <vector>

#include "engine/evaluatable.h"
#include "values/math_matrix.h"

namespace zirbin::engine {

// One operand of a sequence and the internal operator code between it and the next
// operand (kEnd for the last).
struct ExpressionTerm {
  EvaluatablePtr node;
  int code;
};

// An operator sequence: operands and the operators between them, computed in one type.
// The constructor makes the last item's code the end code. Scratch values are owned by the
// node and reused from one evaluation to the next.
class Expression : public Evaluatable {
 public:
  // REQUIRES: at least one item; resultType 0, 1 or 2.
  Expression(std::vector<ExpressionTerm> items, int resultType);
  int resultType() const override { return resultType_; }
  int nodeKind() const override { return kExpressionNode; }
  bool refersTo(const Value* value) const override;
  const std::vector<ExpressionTerm>& items() const { return items_; }

 protected:
  // The scratch value of class `type` in `slot`, made on first use.
  Value& scratch(std::unique_ptr<Value>& slot, int type);

  std::vector<ExpressionTerm> items_;
  int resultType_;
};

// Sums, differences, products and quotients (codes 8, 9, 16, 17) of operands that all have
// the sequence's type: products bind tighter, operators of one level go left to right.
// Evaluated without recursion. Integer results pass the overflow check.
class SimpleExpression : public Expression {
 public:
  using Expression::Expression;
  const Value* pValue(Value& workspace) override;

 private:
  template <class V>
  void evaluate(V& result);
  template <class V>
  void term(std::size_t& i, V& dest);

  std::unique_ptr<Value> term_;
  std::unique_ptr<Value> operand_;
};

// As the double SimpleExpression, with integer operands converted to double first.
// REQUIRES of pValue: a DoubleValue workspace (checked).
class SimpleMixedTypeExpression : public Expression {
 public:
  explicit SimpleMixedTypeExpression(std::vector<ExpressionTerm> items);
  const Value* pValue(Value& workspace) override;

 private:
  const Value& operand(std::size_t i, Value& dest);
  void term(std::size_t& i, Value& dest);

  std::vector<char> isInt_;  // per item: the operand yields integers
  std::unique_ptr<Value> term_;
  std::unique_ptr<Value> operand_;
  std::unique_ptr<Value> intScratch_;
};

// Any operator sequence, evaluated level by level (evaluateLevel) from the loosest level
// down. minLevel and maxLevel are the smallest and largest levels of its operators.
class GeneralExpression : public Expression {
 public:
  GeneralExpression(std::vector<ExpressionTerm> items, int resultType);
  // The base computes nothing: it returns the workspace unchanged.
  const Value* pValue(Value& workspace) override { return &workspace; }
  int minLevel() const { return minLevel_; }
  int maxLevel() const { return maxLevel_; }

 protected:
  // Evaluates the sequence into `result` (a value of class V).
  template <class V>
  void evaluateAll(V& result);

 private:
  template <class V>
  void evaluateLevel(int level, std::size_t& cursor, V& dest);
  template <class V>
  const V& operand(int level, std::size_t& cursor);
  template <class V>
  const V& load(std::size_t cursor, V& dest);
  template <class V>
  void combine(int code, int level, std::size_t& cursor, V& dest);
  void skipOperand(int level, std::size_t& cursor) const;
  template <class V>
  bool combineFirst(int level, std::size_t& cursor, V& dest);
  bool addProductTerm(int code, std::size_t& cursor, values::DoubleValue& dest);

  static constexpr int kLevels = 12;
  int minLevel_ = 100;
  int maxLevel_ = 0;
  std::unique_ptr<Value> scratch_[kLevels];
  std::unique_ptr<Value> first_[kLevels];  // the first operand of combineFirst, per level
  std::unique_ptr<Value> productLeft_;     // the two factors of addProductTerm
  std::unique_ptr<Value> productRight_;
  std::unique_ptr<Value> intScratch_;
  std::vector<char> isInt_;
};

// A sequence of integer operands computed in integers; the result passes the overflow
// check. Codes it does not implement fail with the operator-code error '?'.
class GeneralIntegerExpression : public GeneralExpression {
 public:
  explicit GeneralIntegerExpression(std::vector<ExpressionTerm> items)
      : GeneralExpression(std::move(items), kIntType) {}
  const Value* pValue(Value& workspace) override;
};

// A sequence computed in complex numbers: levels 0 to 2 and the two joins only.
class GeneralComplexExpression : public GeneralExpression {
 public:
  explicit GeneralComplexExpression(std::vector<ExpressionTerm> items)
      : GeneralExpression(std::move(items), kComplexType) {}
  const Value* pValue(Value& workspace) override;
};

// A sequence computed in doubles; integer operands are converted.
// REQUIRES of pValue: a DoubleValue workspace (checked).
class GeneralMixedTypeExpression : public GeneralExpression {
 public:
  explicit GeneralMixedTypeExpression(std::vector<ExpressionTerm> items)
      : GeneralExpression(std::move(items), kDoubleType) {}
  const Value* pValue(Value& workspace) override;
};

// Throws RuntimeError "integer overflow" when the smallest element of `result` is at or
// below -1073741824.
void checkIntegerOverflow(const Value& result);

}  // namespace zirbin::engine
