// Conversion nodes: integer to double, double to integer, the run-time type check and
// the widening to complex.
#pragma once

#include <memory>

#include "engine/evaluatable.h"

namespace zirbin::engine {

// Integers to doubles: the child is evaluated into an integer scratch value and the
// double workspace takes its shape, flags and converted elements.
class IntToDoubleElement : public With1Evaluatable {
 public:
  using With1Evaluatable::With1Evaluatable;
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kDoubleType; }

 private:
  std::unique_ptr<Value> scratch_;
};

// Doubles to integers (truncated toward zero) when the workspace is an IntValue;
// otherwise the child is evaluated straight into the workspace.
class DoubleToIntElement : public With1Evaluatable {
 public:
  using With1Evaluatable::With1Evaluatable;
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kIntType; }
  int nodeKind() const override { return kDoubleToIntNode; }

 private:
  std::unique_ptr<Value> scratch_;
};

// A child of run-time type served to an int or double workspace; any other workspace is
// RuntimeError "invalid argument type".
class TypeCheckElement : public With1Evaluatable {
 public:
  using With1Evaluatable::With1Evaluatable;
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kDoubleType; }

 private:
  std::unique_ptr<Value> scratch_;
};

// An int or double child widened into a complex workspace (imaginary parts 0).
class ToComplexElement : public With1Evaluatable {
 public:
  using With1Evaluatable::With1Evaluatable;
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kComplexType; }

 private:
  std::unique_ptr<Value> scratch_;
};

}  // namespace zirbin::engine
