// Call nodes of user functions (UserFuncElement for the general call with several outputs
// and by-reference arguments, QuickUserFuncElement for one-expression functions) and the
// multiple assignment statement that takes several outputs of one call.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/function_elements.h"
#include "engine/statement.h"

namespace zirbin::engine {

class UserFunc;

// A call of a user function. Arguments are evaluated into values the node keeps between
// calls; an argument of a by-reference parameter that is a variable is written back to
// that variable after the call. The function is not owned.
class UserFuncElement : public MultiInputOutput_Element {
 public:
  UserFuncElement(UserFunc* function, std::vector<EvaluatablePtr> arguments);
  ~UserFuncElement() override;
  const Value* pValue(Value& workspace) override;
  int resultType() const override;
  int nodeKind() const override { return kUserFuncNode; }
  // Evaluates the call with the targets of outputs 2, 3, ... (multiple assignment).
  void evaluateInto(Value& result, std::span<Value* const> extraOutputs);
  UserFunc* function() const { return function_; }

 private:
  UserFunc* function_;
  std::vector<std::unique_ptr<Value>> scratch_;
  bool busy_ = false;  // a nested evaluation of this node gets its own argument values
};

// A call of a quick function: the parameters are assigned and the function's expression
// evaluated straight into the caller's workspace. With `vectorised` the expression is
// evaluated once per element of the last argument.
class QuickUserFuncElement : public MultiInputOutput_Element {
 public:
  QuickUserFuncElement(UserFunc* function, std::vector<EvaluatablePtr> arguments,
                       bool vectorised);
  // The inline function of a call's first argument '(expr; x, ...)', which the node owns
  // (it has no name in the function table). The built-in it is handed to evaluates it.
  explicit QuickUserFuncElement(std::unique_ptr<UserFunc> inlineFunction);
  ~QuickUserFuncElement() override;
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kDoubleType; }
  bool refersTo(const Value* value) const override;
  UserFunc* function() const { return function_; }

 private:
  std::unique_ptr<UserFunc> owned_;  // an inline function; null for a named one
  UserFunc* function_;
  bool vectorised_;
  std::vector<std::unique_ptr<Value>> scratch_;
};

// [a, b, ...] = call: the call's main output goes to the first target, its extra outputs
// to the others. The call is a UserFuncElement or a GeneralFuncElement (which the
// statement owns); the targets are double variables, not owned.
class MultiAssignStm : public Statement {
 public:
  MultiAssignStm(EvaluatablePtr call, int line, std::vector<Value*> targets);
  void exe() override;
  bool uses(const Value* value) const override;

 private:
  std::vector<Value*> targets_;
};

}  // namespace zirbin::engine
