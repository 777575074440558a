// Leaf expression nodes.
#include "engine/leaf_elements.h"

#include <type_traits>

#include "base/errors.h"

namespace zirbin::engine {

using values::ComplexValue;
using values::DoubleValue;
using values::IntValue;

EvaluatablePtr makeIntNumber(int number) {
  return std::make_unique<NumberElementInt>(std::make_unique<IntValue>(number));
}

EvaluatablePtr makeDoubleNumber(double number) {
  return std::make_unique<NumberElementDouble>(std::make_unique<DoubleValue>(number));
}

EvaluatablePtr makeComplexNumber(std::complex<double> number) {
  auto value = std::make_unique<ComplexValue>();
  value->resizeFill(1, 1, number);
  value->flags = 0;
  return std::make_unique<NumberElementComplex>(std::move(value));
}

EvaluatablePtr makeConstant(std::unique_ptr<Value> value) {
  switch (value->valueType()) {
    case kIntType:
      return std::make_unique<NumberElementInt>(
          std::unique_ptr<IntValue>(static_cast<IntValue*>(value.release())));
    case kDoubleType:
      return std::make_unique<NumberElementDouble>(
          std::unique_ptr<DoubleValue>(static_cast<DoubleValue*>(value.release())));
    case kComplexType:
      return std::make_unique<NumberElementComplex>(
          std::unique_ptr<ComplexValue>(static_cast<ComplexValue*>(value.release())));
    default:
      ZB_UNREACHABLE();
  }
}

const Value* StringLiteralElement::pValue(Value& workspace) {
  workspace.assignString(text_);
  return &workspace;
}

template <class V>
const Value* IncDecElement<V>::pValue(Value&) {
  const int step = operation_ == 'i' ? 1 : -1;
  for (int k = 0; k < value_->size; ++k) {
    if constexpr (std::is_same_v<V, IntValue>) {
      // Integers wrap rather than overflow; the value's users judge the result.
      value_->data[k] = static_cast<int>(static_cast<unsigned>(value_->data[k]) + step);
    } else {
      value_->data[k] += step;
    }
  }
  return value_;
}

template class IncDecElement<IntValue>;
template class IncDecElement<DoubleValue>;

EvaluatablePtr makeIncDec(Value* value, char operation) {
  if (value->valueType() == kIntType) {
    return std::make_unique<IncDecElement<IntValue>>(static_cast<IntValue*>(value), operation);
  }
  ZB_ASSERT(value->valueType() == kDoubleType, "increment of a non-numeric variable");
  return std::make_unique<IncDecElement<DoubleValue>>(static_cast<DoubleValue*>(value),
                                                      operation);
}

const Value* FuncRefElement::pValue(Value&) { return &values::emptyPlaceholder(); }

}  // namespace zirbin::engine
