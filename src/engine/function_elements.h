// Function-call nodes for the built-in calling conventions: element-wise functions,
// column functions, whole-value functions, two-argument and functor functions, value
// functions, no-argument scalars and the general kind with any number of arguments.
#pragma once

#include <complex>
#include <memory>
#include <span>
#include <vector>

#include "engine/evaluatable.h"

namespace zirbin::builtins {
class BuiltinArgs;
}  // namespace zirbin::builtins

namespace zirbin::engine {

// Routine signatures, as the built-in registry declares them.
using NoArgScalarFn = double (*)();
using ValueFuncFn = Value* (*)(int);
using ElementDoubleFn = double (*)(double);
using ElementIntFn = int (*)(int);
using ElementComplexFn = std::complex<double> (*)(std::complex<double>);
using ComplexToDoubleFn = double (*)(std::complex<double>);
using ValueToDoubleFn = double (*)(const Value&);
using ValueToIntFn = int (*)(const Value&);
using ValueToValueFn = void (*)(Value& argument, Value& result);
using TwoArgFn = void (*)(Value& first, const Value* second, Value& result);
using GeneralFn = void (*)(builtins::BuiltinArgs& args, Value& result,
                           std::span<Value* const> extraOutputs);

// f applied to every element of the child (converted to doubles); the workspace takes
// the child's rows, columns and flags.
class SimpleFuncElement : public With1Evaluatable {
 public:
  SimpleFuncElement(EvaluatablePtr child, ElementDoubleFn f);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kDoubleType; }
  int nodeKind() const override { return kSimpleFuncNode; }

 private:
  ElementDoubleFn f_;
  std::unique_ptr<Value> scratch_;
};

// The same on integers.
class SimpleFuncIntElement : public With1Evaluatable {
 public:
  SimpleFuncIntElement(EvaluatablePtr child, ElementIntFn f);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kIntType; }

 private:
  ElementIntFn f_;
};

// The same on complex elements.
class SimpleFuncComplexElement : public With1Evaluatable {
 public:
  SimpleFuncComplexElement(EvaluatablePtr child, ElementComplexFn f);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kComplexType; }

 private:
  ElementComplexFn f_;
};

// Complex elements to doubles (real part, modulus, ...).
class SimpleFuncCtoDElement : public With1Evaluatable {
 public:
  SimpleFuncCtoDElement(EvaluatablePtr child, ComplexToDoubleFn f);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kDoubleType; }

 private:
  ComplexToDoubleFn f_;
  std::unique_ptr<Value> scratch_;
};

// A whole value to a value: the child is evaluated into the workspace (or is a variable's
// own value, which the stack routines change on purpose), then f(argument, workspace).
// `resultType` is kDoubleType (DVal_DValFuncElement) or kIntType (DVal_IValFuncElement).
class ValueToValueElement : public With1Evaluatable {
 public:
  ValueToValueElement(EvaluatablePtr child, ValueToValueFn f, int resultType);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return resultType_; }

 private:
  ValueToValueFn f_;
  int resultType_;
  std::unique_ptr<Value> scratch_;
};

class DVal_DValFuncElement : public ValueToValueElement {
 public:
  DVal_DValFuncElement(EvaluatablePtr child, ValueToValueFn f)
      : ValueToValueElement(std::move(child), f, kDoubleType) {}
};

class DVal_IValFuncElement : public ValueToValueElement {
 public:
  DVal_IValFuncElement(EvaluatablePtr child, ValueToValueFn f)
      : ValueToValueElement(std::move(child), f, kIntType) {}
};

// A whole value to one number, written with assignInt / assignDouble.
class Value2ScalarI_Element : public With1Evaluatable {
 public:
  Value2ScalarI_Element(EvaluatablePtr child, ValueToIntFn f);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kIntType; }

 private:
  ValueToIntFn f_;
  std::unique_ptr<Value> scratch_;
};

class Value2ScalarD_Element : public With1Evaluatable {
 public:
  Value2ScalarD_Element(EvaluatablePtr child, ValueToDoubleFn f);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kDoubleType; }

 private:
  ValueToDoubleFn f_;
  std::unique_ptr<Value> scratch_;
};

// A column function: one number for a vector, a row of one number per column for a
// matrix. The integer form may mark its result boolean (JMAT_BOOL).
class ColumnWiseFuncI_Element : public With1Evaluatable {
 public:
  ColumnWiseFuncI_Element(EvaluatablePtr child, ValueToIntFn f, bool booleanResult);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kIntType; }

 private:
  ValueToIntFn f_;
  bool booleanResult_;
  std::unique_ptr<Value> scratch_;
  std::unique_ptr<Value> column_;
};

class ColumnWiseFuncD_Element : public With1Evaluatable {
 public:
  ColumnWiseFuncD_Element(EvaluatablePtr child, ValueToDoubleFn f);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kDoubleType; }

 private:
  ValueToDoubleFn f_;
  std::unique_ptr<Value> scratch_;
  std::unique_ptr<Value> column_;
};

// Two arguments: a into the workspace's class, b (optional) into a DoubleValue; then
// f(a, b or null, workspace).
class TwoArgFuncElement : public With2Evaluatable {
 public:
  TwoArgFuncElement(EvaluatablePtr a, EvaluatablePtr b, TwoArgFn f);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kDoubleType; }

 protected:
  const Value* second();
  Value& first(Value& workspace);

  TwoArgFn f_;
  std::unique_ptr<Value> scratchA_;
  std::unique_ptr<Value> scratchB_;
  std::unique_ptr<Value> intB_;
};

// A functor function: the first argument configures the function that is applied to
// every element of the second. The first must yield a value (RuntimeError "function
// missing a parameter"); the workspace's flags become 0.
class SimpleFunctorElement : public TwoArgFuncElement {
 public:
  using TwoArgFuncElement::TwoArgFuncElement;
  const Value* pValue(Value& workspace) override;
};

// A value function (`ans`, `true`, ...): f(first element of the optional child as an
// integer, 0 when absent or empty); the routine's value is copied into the workspace.
class AnsFuncElement : public With1Evaluatable {
 public:
  AnsFuncElement(EvaluatablePtr child, ValueFuncFn f, int resultType);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return resultType_; }

 private:
  ValueFuncFn f_;
  int resultType_;
  std::unique_ptr<Value> scratch_;
};

// A no-argument function of one double (`tic`, `rnd`, ...).
class TicLikeFuncElement : public Evaluatable {
 public:
  explicit TicLikeFuncElement(NoArgScalarFn f) : f_(f) {}
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kDoubleType; }

 private:
  NoArgScalarFn f_;
};

// The base of calls with any number of arguments and outputs. `anyType` (set when an
// argument is complex or a list) lets arguments keep those types.
class MultiInputOutput_Element : public Evaluatable {
 public:
  explicit MultiInputOutput_Element(std::vector<EvaluatablePtr> arguments);
  bool refersTo(const Value* value) const override;

 protected:
  std::vector<EvaluatablePtr> arguments_;
  bool anyType_ = false;
};

// A general built-in: leading function-reference arguments are passed as their nodes,
// every further argument is evaluated into a fresh value of its type; then
// f(arguments, workspace, extra outputs).
class GeneralFuncElement : public MultiInputOutput_Element {
 public:
  GeneralFuncElement(const char* name, std::vector<EvaluatablePtr> arguments, GeneralFn f,
                     int resultType);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return resultType_; }
  int nodeKind() const override { return kGeneralFuncNode; }
  // Evaluates the call with the targets of outputs 2, 3, ... (multiple assignment).
  void evaluateInto(Value& result, std::span<Value* const> extraOutputs);

 private:
  const char* name_;
  GeneralFn f_;
  int resultType_;
};

}  // namespace zirbin::engine
