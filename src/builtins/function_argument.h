// Function arguments of the numerical built-ins: the callable interface through which a
// routine evaluates a function it was handed (`\sin`, a quick user function), and the
// shared parsing of such an argument with its extra arguments and its range.
#pragma once

#include <memory>
#include <vector>

#include "engine/registry.h"
#include "values/math_matrix.h"

namespace zirbin::builtins {

using values::DoubleValue;

// A function that a built-in evaluates at points of its own choosing. Its last parameter
// is the point; the leading parameters (at most one for a built-in or a quick user
// function) are bound once by the caller before the evaluations.
//
// Built-ins named by a reference implement it here (function_argument.cc). A quick user
// function implements it by assigning the bound values and the point to its parameters
// and evaluating the expression of its return statement; applied to an array, a function
// written for one number is evaluated element by element (a vectorised call) and the
// results fill an array of the point's shape.
class NumericFunction {
 public:
  NumericFunction() = default;
  NumericFunction(const NumericFunction&) = delete;
  NumericFunction& operator=(const NumericFunction&) = delete;
  virtual ~NumericFunction() = default;

  // Number of parameters, the point included (1 or 2).
  virtual int parameterCount() const = 0;
  // The fewest parameters a call needs, the point included (a built-in of one or two
  // arguments such as `smooth` needs 1 of its 2).
  virtual int requiredParameters() const { return parameterCount(); }
  // Type code of the values it gives (0 int, 1 double, 2 complex, 3 list).
  virtual int resultType() const = 0;
  // Binds parameter `index` (0-based, below parameterCount() - 1) to a copy of `value`.
  virtual void bind(int index, const Value& value) = 0;
  // f(bound parameters, x) into `result`, a DoubleValue when resultType() is 1. May fail
  // with any of the system's errors. REQUIRES: every leading parameter is bound.
  virtual void evaluate(const DoubleValue& x, Value& result) = 0;
  // f(bound parameters, x) for one number: the first element of the result, or NaN when
  // there is none (`empty` is then set). Implementations that can do so without building
  // values override it; the built-ins' element functions do.
  virtual double evaluateAt(double x, bool& empty);
  // f(bound parameters, x) with the array x as one argument (a state vector), never split
  // into elements unless the function itself is vectorised. Built-ins take arrays whole.
  virtual void evaluateWhole(const DoubleValue& x, Value& result) { evaluate(x, result); }

 private:
  DoubleValue point_;
  DoubleValue result_;
};

// A function argument as a numerical built-in uses it: the function, its extra arguments
// bound, the scratch values that make repeated evaluation free of allocations, and the
// built-in's name for messages.
class FunctionArgument {
 public:
  // Takes over `function`, whose result type must be double, else fails with
  // "in " + builtin + ": non-real result type not yet implemented".
  FunctionArgument(const char* builtin, std::unique_ptr<NumericFunction> function);
  FunctionArgument(const FunctionArgument&) = delete;
  FunctionArgument& operator=(const FunctionArgument&) = delete;

  // Binds args[first ..] to the leading parameters in order. More values than leading
  // parameters fail with "too many arguments for the specified function"; an empty value
  // with "illegal use of empty argument []" (both with the built-in's name).
  void bindExtras(const BuiltinArgs& args, int first);
  // Binds one value to leading parameter `index`.
  void bind(int index, const Value& value) { function_->bind(index, value); }
  // Parameters not yet bound, the point included.
  int freeParameters() const { return function_->parameterCount() - bound_; }
  int parameterCount() const { return function_->parameterCount(); }
  // Fails with "you can only use a single-parameter function here" unless the function
  // can be called with the point alone once the bound parameters are given.
  void requireSingleParameter() const;

  // f at one point. An empty result fails with "function returned empty vector []".
  double at(double x);
  // f over the array x into `result` (a DoubleValue); the same empty-result check.
  void over(const DoubleValue& x, DoubleValue& result);
  // f of the whole array x (ode's state vector) into `result`; the same empty-result check.
  void overWhole(const DoubleValue& x, DoubleValue& result);
  // Number of evaluations so far (for tests and benchmarks).
  long evaluations() const { return evaluations_; }
  const char* builtin() const { return builtin_; }

 private:
  const char* builtin_;
  std::unique_ptr<NumericFunction> function_;
  int bound_ = 0;
  long evaluations_ = 0;
};

// Reads argument `index` of a General built-in as a function argument. A value (not a
// reference) fails with "1st argument must be a function" (the caller says which
// position it needs through `notFunction`); a reference to something that cannot be
// evaluated at a point (a built-in of no argument, a General built-in) fails with
// "invalid argument". Both with the built-in's name.
std::unique_ptr<FunctionArgument> functionArgument(const BuiltinArgs& args, int index,
                                                   const char* notFunction =
                                                       "1st argument must be a function");

// A range [lower, upper] read from a value of exactly two numbers.
struct Range {
  double lower = 0;
  double upper = 0;
};

// Reads argument `index` as a finite range. An empty value fails with "illegal use of
// empty argument []", infinite limits with "infinite limits not allowed here", an upper
// limit at or below the lower one with "range has upper limit at or below lower limit".
// REQUIRES: the value holds two numbers (callers check their own count messages).
Range finiteRange(const BuiltinArgs& args, int index);

// The numbers of argument `index` of a General built-in; a complex or list argument fails
// with "invalid argument" (with the built-in's name).
std::vector<double> numbersOf(const BuiltinArgs& args, int index);

}  // namespace zirbin::builtins
