// Scalar fast paths for arithmetic and comparisons on variables and literals.
#include "engine/scalar_fast_elements.h"

#include <cmath>
#include <cstdint>

#include "engine/expressions.h"
#include "engine/leaf_elements.h"
#include "engine/operator_codes.h"
#include "values/math_matrix.h"

namespace zirbin::engine {

using values::DoubleValue;
using values::IntValue;

namespace {

// fmod(a, b), computed in 64-bit integers when both are whole numbers well inside that
// range: exact either way, and the integer path is several times faster than fmod. The
// bound keeps the conversions defined.
constexpr double kWholeLimit = 9.0e18;

inline double remainderOf(double a, double b) {
  // 32-bit division is the quicker one where the numbers allow it.
  if (std::fabs(a) <= INT32_MAX && std::fabs(b) <= INT32_MAX) {
    const auto ia = static_cast<int32_t>(a);
    const auto ib = static_cast<int32_t>(b);
    if (ib != 0 && static_cast<double>(ia) == a && static_cast<double>(ib) == b) {
      const int32_t r = ib == -1 ? 0 : ia % ib;
      return r == 0 ? std::copysign(0.0, a) : static_cast<double>(r);
    }
  }
  if (std::fabs(a) < kWholeLimit && std::fabs(b) < kWholeLimit) {
    const auto ia = static_cast<int64_t>(a);
    const auto ib = static_cast<int64_t>(b);
    if (ib != 0 && static_cast<double>(ia) == a && static_cast<double>(ib) == b) {
      const int64_t r = ia % ib;
      // fmod keeps the sign of a on a zero result (-4 mod 2 is -0).
      return r == 0 ? std::copysign(0.0, a) : static_cast<double>(r);
    }
  }
  return std::fmod(a, b);
}

inline double sumLevel(int code, double a, double b) {
  switch (code) {
    case kPlus:
      return a + b;
    case kMinus:
      return a - b;
    default:
      return remainderOf(a, b);
  }
}

bool isFastCode(int code) {
  return code == kTimes || code == kDivide || code == kPlus || code == kMinus ||
         code == kRemainder;
}

// The operand a leaf node gives, if it is a plain 1x1 number literal or an int or double
// variable.
bool operandOf(Evaluatable* node, ScalarOperand& out) {
  if (node->nodeKind() == kNumberLiteralNode) {
    if (auto* n = dynamic_cast<NumberElementDouble*>(node)) {
      if (n->value().size != 1 || n->value().flags != 0) return false;
      out.constant = n->value().data[0];
      return true;
    }
    if (auto* n = dynamic_cast<NumberElementInt*>(node)) {
      if (n->value().size != 1 || n->value().flags != 0) return false;
      out.constant = n->value().data[0];
      return true;
    }
    return false;
  }
  auto* v = dynamic_cast<ValueElement*>(node);
  if (!v) return false;
  const int type = v->value()->valueType();
  if (type != kIntType && type != kDoubleType) return false;
  out.variable = v->value();
  out.isInt = type == kIntType;
  return true;
}

}  // namespace

bool ScalarOperand::read(double& x) const {
  if (!variable) {
    x = constant;
    return true;
  }
  if (variable->size != 1 || variable->flags != 0) return false;
  x = isInt ? static_cast<const IntValue*>(variable)->data[0]
            : static_cast<const DoubleValue*>(variable)->data[0];
  return true;
}

ScalarArithmeticElement::ScalarArithmeticElement(EvaluatablePtr general,
                                                 std::vector<ScalarOperand> operands,
                                                 std::vector<int> codes)
    : general_(std::move(general)), operands_(std::move(operands)), codes_(std::move(codes)) {}

// Products bind tighter than sums; each level runs left to right, as the general nodes do.
// 'mod' is a sum-level operator.
bool ScalarArithmeticElement::scalar(double& out) const {
  double term;
  if (!operands_[0].read(term)) return false;
  if (codes_.size() == 1) {
    // The common x op y, without the level bookkeeping.
    double x;
    if (!operands_[1].read(x)) return false;
    const int code = codes_[0];
    out = code == kTimes ? term * x : code == kDivide ? term / x : sumLevel(code, term, x);
    return true;
  }
  double sum = 0;
  bool haveSum = false;
  int pending = kPlus;  // the sum-level operator between `sum` and `term`
  for (std::size_t i = 0; i < codes_.size(); ++i) {
    double x;
    if (!operands_[i + 1].read(x)) return false;
    const int code = codes_[i];
    if (code == kTimes) {
      term *= x;
    } else if (code == kDivide) {
      term /= x;
    } else {
      sum = haveSum ? sumLevel(pending, sum, term) : term;
      haveSum = true;
      pending = code;
      term = x;
    }
  }
  out = haveSum ? sumLevel(pending, sum, term) : term;
  return true;
}

const Value* ScalarArithmeticElement::pValue(Value& workspace) {
  double x;
  if (workspace.size == 1 && scalar(x) && workspace.valueType() == kDoubleType) {
    auto& d = static_cast<DoubleValue&>(workspace);
    d.data[0] = x;
    d.nrow = 1;
    d.flags = 0;
    return &workspace;
  }
  return general_->pValue(workspace);
}

EvaluatablePtr withScalarFastPath(EvaluatablePtr expression) {
  auto* sequence = dynamic_cast<Expression*>(expression.get());
  if (!sequence || sequence->resultType() != kDoubleType) return expression;
  const std::vector<ExpressionTerm>& items = sequence->items();
  std::vector<ScalarOperand> operands(items.size());
  std::vector<int> codes;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!operandOf(items[i].node.get(), operands[i])) return expression;
    if (i + 1 < items.size()) {
      if (!isFastCode(items[i].code)) return expression;
      codes.push_back(items[i].code);
    }
  }
  return std::make_unique<ScalarArithmeticElement>(std::move(expression), std::move(operands),
                                                   std::move(codes));
}

ScalarComparisonElement::ScalarComparisonElement(EvaluatablePtr general, Side left, Side right,
                                                 int code)
    : general_(std::move(general)), left_(left), right_(right), code_(code) {}

bool ScalarComparisonElement::scalarTruth(bool& holds) const {
  double x, y;
  if (!left_.read(x) || !right_.read(y)) return false;
  switch (code_) {
    case kLess:
      holds = x < y;
      break;
    case kLessEqual:
      holds = x <= y;
      break;
    case kEqual:
      holds = x == y;
      break;
    case kNotEqual:
      holds = x != y;
      break;
    case kGreaterEqual:
      holds = x >= y;
      break;
    default:
      holds = x > y;
      break;
  }
  return true;
}

const Value* ScalarComparisonElement::pValue(Value& workspace) {
  // Comparison nodes write an IntValue workspace, as the general ones do.
  bool holds;
  if (workspace.size != 1 || !scalarTruth(holds)) return general_->pValue(workspace);
  auto& out = static_cast<IntValue&>(workspace);
  out.data[0] = holds ? 1 : 0;
  out.nrow = 1;
  out.flags = values::JMAT_BOOL;
  return &workspace;
}

EvaluatablePtr withScalarFastPath(EvaluatablePtr general, Evaluatable* a, Evaluatable* b,
                                  int code) {
  auto sideOf = [](Evaluatable* node, ScalarComparisonElement::Side& side) {
    side.arithmetic = dynamic_cast<const ScalarArithmeticElement*>(node);
    return side.arithmetic != nullptr || operandOf(node, side.operand);
  };
  ScalarComparisonElement::Side left, right;
  if (code == kIdentical || !sideOf(a, left) || !sideOf(b, right)) return general;
  return std::make_unique<ScalarComparisonElement>(std::move(general), left, right, code);
}

}  // namespace zirbin::engine
