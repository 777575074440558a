// Comparison and identity nodes.
#include "engine/comparison_elements.h"

#include <functional>
#include <type_traits>

#include "engine/operator_codes.h"
#include "engine/scalar_fast_elements.h"
#include "base/errors.h"
#include "values/list_value.h"
#include "values/math_kernels.h"

namespace zirbin::engine {

using session::RuntimeError;
using values::DoubleValue;
using values::IntValue;
using values::MathMatrix;

namespace {

// out := x (cmp) y element by element, a one-element side broadcast.
template <typename T, typename Cmp>
void compareWith(const MathMatrix<T>& x, const MathMatrix<T>& y, IntValue& out, Cmp cmp) {
  if (x.size == 1 && y.size != 1) {
    out.setLayout(y.size, y.nrow, 0);
    for (int k = 0; k < y.size; ++k) out.data[k] = cmp(x.data[0], y.data[k]);
  } else if (y.size == 1) {
    out.setLayout(x.size, x.nrow, 0);
    for (int k = 0; k < x.size; ++k) out.data[k] = cmp(x.data[k], y.data[0]);
  } else {
    if (x.size != y.size || x.nrow != y.nrow) throw RuntimeError("incompatible matrix sizes");
    out.setLayout(x.size, x.nrow, 0);
    for (int k = 0; k < x.size; ++k) out.data[k] = cmp(x.data[k], y.data[k]);
  }
}

template <typename T>
void compare(const MathMatrix<T>& x, const MathMatrix<T>& y, int code, IntValue& out) {
  switch (code) {
    case kLess:
      return compareWith(x, y, out, std::less<T>());
    case kLessEqual:
      return compareWith(x, y, out, std::less_equal<T>());
    case kEqual:
      return compareWith(x, y, out, std::equal_to<T>());
    case kNotEqual:
      return compareWith(x, y, out, std::not_equal_to<T>());
    case kGreaterEqual:
      return compareWith(x, y, out, std::greater_equal<T>());
    case kGreater:
      return compareWith(x, y, out, std::greater<T>());
    default:
      ZB_UNREACHABLE();
  }
}

Value& scratchOf(std::unique_ptr<Value>& slot, int type) {
  if (!slot || slot->valueType() != type) slot = values::newValue(type);
  return *slot;
}

template <typename T>
bool sameElements(const Value& a, const Value& b) {
  const T* x = static_cast<const T*>(a.rawData());
  const T* y = static_cast<const T*>(b.rawData());
  for (int k = 0; k < a.size; ++k) {
    if (!(x[k] == y[k])) return false;
  }
  return true;
}

bool sameItems(const values::ListValue& a, const values::ListValue& b) {
  for (int k = 0; k < a.size; ++k) {
    const Value* x = a.data[k].value.get();
    const Value* y = b.data[k].value.get();
    if ((x == nullptr) != (y == nullptr)) return false;
    if (x != nullptr && !identical(*x, *y)) return false;
  }
  return true;
}

}  // namespace

bool identical(const Value& a, const Value& b) {
  const int ta = a.valueType();
  const int tb = b.valueType();
  if (ta != tb) {
    if (ta > kDoubleType || tb > kDoubleType) return false;
    if (a.kind() != b.kind() || a.nrow != b.nrow || a.ncol() != b.ncol()) return false;
    DoubleValue converted;
    const Value& n = ta == kIntType ? a : b;
    values::intToDouble(static_cast<const IntValue&>(n), converted);
    return identical(converted, ta == kIntType ? b : a);
  }
  if (a.size != b.size || a.nrow != b.nrow || a.flags != b.flags) return false;
  switch (ta) {
    case kIntType:
      return sameElements<int>(a, b);
    case kDoubleType:
      return sameElements<double>(a, b);
    case kComplexType:
      return sameElements<values::Complex>(a, b);
    default:
      return sameItems(static_cast<const values::ListValue&>(a),
                       static_cast<const values::ListValue&>(b));
  }
}

template <typename T>
ComparatorElement<T>::ComparatorElement(EvaluatablePtr a, EvaluatablePtr b, EvaluatablePtr c,
                                        int op1, int op2)
    : With3Evaluatable(std::move(a), std::move(b), std::move(c)), op1_(op1), op2_(op2) {}

template <typename T>
const Value& ComparatorElement<T>::operand(Evaluatable& child, std::unique_ptr<Value>& slot) {
  return *child.pValue(scratchOf(slot, std::is_same_v<T, int> ? kIntType : kDoubleType));
}

template <typename T>
const Value* ComparatorElement<T>::pValue(Value& workspace) {
  using M = MathMatrix<T>;
  auto& out = static_cast<IntValue&>(workspace);
  const auto& x = static_cast<const M&>(operand(*a_, scratch_[0]));
  const auto& y = static_cast<const M&>(operand(*b_, scratch_[1]));
  compare(x, y, op1_, out);
  if (c_ && out.anyNonZero()) {
    // b op2 c, and-ed into the first result with the same broadcasting.
    const auto& z = static_cast<const M&>(operand(*c_, scratch_[2]));
    auto& second = static_cast<IntValue&>(scratchOf(second_, kIntType));
    compare(y, z, op2_, second);
    values::apply(out, second, kAnd);
  }
  out.flags = values::JMAT_BOOL;
  return &workspace;
}

template class ComparatorElement<int>;
template class ComparatorElement<double>;

const Value& ComparatorElementMixedType::operand(Evaluatable& child,
                                                 std::unique_ptr<Value>& slot) {
  if (child.resultType() != kIntType) return *child.pValue(scratchOf(slot, kDoubleType));
  const Value* n = child.pValue(scratchOf(intScratch_, kIntType));
  auto& d = static_cast<DoubleValue&>(scratchOf(slot, kDoubleType));
  values::intToDouble(static_cast<const IntValue&>(*n), d);
  return d;
}

const Value* FullyCompareElement::pValue(Value& workspace) {
  auto typeOf = [](const Evaluatable& e) {
    return e.resultType() == kUnknownType ? kDoubleType : e.resultType();
  };
  const Value* x = a_->pValue(scratchOf(scratch_[0], typeOf(*a_)));
  const Value* y = b_->pValue(scratchOf(scratch_[1], typeOf(*b_)));
  workspace.assignInt(identical(*x, *y) ? 1 : 0);
  return &workspace;
}

EvaluatablePtr makeComparison(std::vector<EvaluatablePtr> parts, const std::vector<char>& codes) {
  bool anyInt = false;
  bool anyDouble = false;
  for (const EvaluatablePtr& p : parts) {
    (p->resultType() == kIntType ? anyInt : anyDouble) = true;
  }
  const int op1 = translateOperator(codes[0]);
  const int op2 = codes.size() > 1 ? translateOperator(codes[1]) : kEnd;
  const bool twoParts = parts.size() == 2;
  Evaluatable* a = parts[0].get();
  Evaluatable* b = parts[1].get();
  EvaluatablePtr c = parts.size() > 2 ? std::move(parts[2]) : nullptr;
  EvaluatablePtr general;
  if (anyInt && anyDouble) {
    general = std::make_unique<ComparatorElementMixedType>(std::move(parts[0]),
                                                           std::move(parts[1]), std::move(c),
                                                           op1, op2);
  } else if (anyInt) {
    general = std::make_unique<ComparatorElement<int>>(std::move(parts[0]), std::move(parts[1]),
                                                       std::move(c), op1, op2);
  } else {
    general = std::make_unique<ComparatorElement<double>>(std::move(parts[0]),
                                                          std::move(parts[1]), std::move(c),
                                                          op1, op2);
  }
  return twoParts ? withScalarFastPath(std::move(general), a, b, op1) : std::move(general);
}

}  // namespace zirbin::engine
