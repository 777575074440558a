// Leaf expression nodes: a variable's value, number literals, the empty set, string
// literals, increments of a variable in place, and function references.
#pragma once

#include <complex>
#include <memory>
#include <string>

#include "engine/evaluatable.h"
#include "values/math_matrix.h"

namespace zirbin::engine {

// A variable's value, which the workspace owns. Returns the value itself.
class ValueElement : public Evaluatable {
 public:
  explicit ValueElement(Value* value) : value_(value) {}
  const Value* pValue(Value&) override { return value_; }
  int resultType() const override { return value_->valueType(); }
  int nodeKind() const override { return kValueNode; }
  bool refersTo(const Value* value) const override { return value == value_; }
  Value* value() const { return value_; }

 private:
  Value* value_;
};

// A constant of class V (IntValue, DoubleValue or ComplexValue) that the node owns: a
// literal, a named constant, or a folded expression. Returns the stored value.
template <class V>
class NumberElement : public Evaluatable {
 public:
  explicit NumberElement(std::unique_ptr<V> value) : value_(std::move(value)) {}
  const Value* pValue(Value&) override { return value_.get(); }
  int resultType() const override { return value_->valueType(); }
  int nodeKind() const override { return kNumberLiteralNode; }
  const V& value() const { return *value_; }

 private:
  std::unique_ptr<V> value_;
};

using NumberElementInt = NumberElement<values::IntValue>;
using NumberElementDouble = NumberElement<values::DoubleValue>;
using NumberElementComplex = NumberElement<values::ComplexValue>;

// "[]": an empty integer value.
class EmptySetElement : public NumberElementInt {
 public:
  EmptySetElement() : NumberElementInt(std::make_unique<values::IntValue>()) {}
};

// 1x1 number nodes.
EvaluatablePtr makeIntNumber(int number);
EvaluatablePtr makeDoubleNumber(double number);
EvaluatablePtr makeComplexNumber(std::complex<double> number);
// The number node of the value's class. REQUIRES: an int, double or complex value.
EvaluatablePtr makeConstant(std::unique_ptr<Value> value);

// A string literal: the workspace receives it as an integer character matrix.
class StringLiteralElement : public Evaluatable {
 public:
  explicit StringLiteralElement(std::string text) : text_(std::move(text)) {}
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kIntType; }

 private:
  std::string text_;
};

// '++' or '--' on a variable (V is IntValue or DoubleValue): adds (operation 'i') or
// subtracts 1 from every element in place and returns the variable's value.
template <class V>
class IncDecElement : public Evaluatable {
 public:
  IncDecElement(V* value, char operation) : value_(value), operation_(operation) {}
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return value_->valueType(); }
  bool refersTo(const Value* value) const override { return value == value_; }

 private:
  V* value_;
  char operation_;
};

// The increment node for a variable. REQUIRES: an int or double value.
EvaluatablePtr makeIncDec(Value* value, char operation);

// A function reference (`\name`) passed to a function node: the child names the
// function. Evaluating it yields the empty placeholder value; the receiving function
// node consumes the reference itself.
class FuncRefElement : public With1Evaluatable {
 public:
  explicit FuncRefElement(EvaluatablePtr function) : With1Evaluatable(std::move(function)) {}
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return a_->resultType(); }
  int nodeKind() const override { return kFuncRefNode; }
};

}  // namespace zirbin::engine
