// Function-call nodes.
#include "engine/function_elements.h"

#include <algorithm>

#include "engine/registry.h"
#include "engine/indexing_elements.h"
#include "base/errors.h"
#include "values/math_kernels.h"

namespace zirbin::engine {

using values::ComplexValue;
using values::DoubleValue;
using values::IntValue;

namespace {

Value& scratchOf(std::unique_ptr<Value>& slot, int type) {
  if (!slot || slot->valueType() != type) slot = values::newValue(type);
  return *slot;
}

// The class a child of type `type` is evaluated into (run-time types come as doubles).
int evaluationType(int type) { return type == kUnknownType ? kDoubleType : type; }

// The child's value as doubles: its own result, or its integers converted into `slot`.
const DoubleValue& asDoubles(Evaluatable& child, std::unique_ptr<Value>& slot,
                             std::unique_ptr<Value>& intSlot) {
  if (child.resultType() != kIntType) {
    return static_cast<const DoubleValue&>(*child.pValue(scratchOf(slot, kDoubleType)));
  }
  const Value* n = child.pValue(scratchOf(intSlot, kIntType));
  auto& d = static_cast<DoubleValue&>(scratchOf(slot, kDoubleType));
  values::intToDouble(static_cast<const IntValue&>(*n), d);
  return d;
}

// The workspace shaped like `source` (size, rows, flags).
template <class V>
V& shapedLike(Value& workspace, const Value& source) {
  workspace.setLayout(source.size, source.nrow, source.flags);
  return static_cast<V&>(workspace);
}

// Runs a column function over a vector (one result) or each column of a matrix (a row
// of results) into the workspace of class R; the argument class is the child's.
template <class R, typename Fn>
void columnWise(const Value& argument, Fn f, Value& workspace, std::unique_ptr<Value>& column) {
  auto& out = static_cast<R&>(workspace);
  if (argument.isVector()) {
    const auto result = f(argument);
    out.setLayout(1, 1, 0);
    out.data[0] = result;
    return;
  }
  const int cols = argument.ncol();
  Value& c = scratchOf(column, argument.valueType());
  out.setLayout(cols, cols > 0 ? 1 : 0, 0);
  for (int k = 0; k < cols; ++k) {
    argument.getSlice(k + 1, c, values::kColumnMode);
    out.data[k] = f(c);
  }
}

}  // namespace

// ---- Element-wise functions

SimpleFuncElement::SimpleFuncElement(EvaluatablePtr child, ElementDoubleFn f)
    : With1Evaluatable(std::move(child)), f_(f) {}

const Value* SimpleFuncElement::pValue(Value& workspace) {
  std::unique_ptr<Value>& direct = scratch_;
  const DoubleValue* x;
  if (a_->resultType() == kIntType) {
    const Value* n = a_->pValue(scratchOf(direct, kIntType));
    values::intToDouble(static_cast<const IntValue&>(*n), static_cast<DoubleValue&>(workspace));
    x = &static_cast<DoubleValue&>(workspace);
  } else {
    x = static_cast<const DoubleValue*>(a_->pValue(workspace));
  }
  auto& out = static_cast<DoubleValue&>(workspace);
  if (x != &out) shapedLike<DoubleValue>(workspace, *x);
  for (int k = 0; k < out.size; ++k) out.data[k] = f_(x->data[k]);
  return &workspace;
}

SimpleFuncIntElement::SimpleFuncIntElement(EvaluatablePtr child, ElementIntFn f)
    : With1Evaluatable(std::move(child)), f_(f) {}

const Value* SimpleFuncIntElement::pValue(Value& workspace) {
  const auto* x = static_cast<const IntValue*>(a_->pValue(workspace));
  auto& out = static_cast<IntValue&>(workspace);
  if (x != &out) shapedLike<IntValue>(workspace, *x);
  for (int k = 0; k < out.size; ++k) out.data[k] = f_(x->data[k]);
  return &workspace;
}

SimpleFuncComplexElement::SimpleFuncComplexElement(EvaluatablePtr child, ElementComplexFn f)
    : With1Evaluatable(std::move(child)), f_(f) {}

const Value* SimpleFuncComplexElement::pValue(Value& workspace) {
  const auto* x = static_cast<const ComplexValue*>(a_->pValue(workspace));
  auto& out = static_cast<ComplexValue&>(workspace);
  if (x != &out) shapedLike<ComplexValue>(workspace, *x);
  for (int k = 0; k < out.size; ++k) out.data[k] = f_(x->data[k]);
  return &workspace;
}

SimpleFuncCtoDElement::SimpleFuncCtoDElement(EvaluatablePtr child, ComplexToDoubleFn f)
    : With1Evaluatable(std::move(child)), f_(f) {}

const Value* SimpleFuncCtoDElement::pValue(Value& workspace) {
  const auto& x =
      static_cast<const ComplexValue&>(*a_->pValue(scratchOf(scratch_, kComplexType)));
  auto& out = shapedLike<DoubleValue>(workspace, x);
  for (int k = 0; k < out.size; ++k) out.data[k] = f_(x.data[k]);
  return &workspace;
}

// ---- Whole-value functions

ValueToValueElement::ValueToValueElement(EvaluatablePtr child, ValueToValueFn f, int resultType)
    : With1Evaluatable(std::move(child)), f_(f), resultType_(resultType) {}

const Value* ValueToValueElement::pValue(Value& workspace) {
  const int type = evaluationType(a_->resultType());
  if (type == workspace.valueType()) {
    // The argument may be a variable's own value: the stack routines change it on purpose.
    Value& argument = const_cast<Value&>(*a_->pValue(workspace));
    f_(argument, workspace);
  } else {
    Value& argument = scratchOf(scratch_, type);
    const Value* v = a_->pValue(argument);
    f_(const_cast<Value&>(*v), workspace);
  }
  return &workspace;
}

Value2ScalarI_Element::Value2ScalarI_Element(EvaluatablePtr child, ValueToIntFn f)
    : With1Evaluatable(std::move(child)), f_(f) {}

const Value* Value2ScalarI_Element::pValue(Value& workspace) {
  // A bare list item reaches only the queries that answer for every type (the others get
  // it through a type check): they read the item itself, whatever its class.
  const Value* v = a_->nodeKind() == kListItemNode
                       ? static_cast<ListItemElement&>(*a_).item()
                       : a_->pValue(scratchOf(scratch_, evaluationType(a_->resultType())));
  workspace.assignInt(f_(*v));
  return &workspace;
}

Value2ScalarD_Element::Value2ScalarD_Element(EvaluatablePtr child, ValueToDoubleFn f)
    : With1Evaluatable(std::move(child)), f_(f) {}

const Value* Value2ScalarD_Element::pValue(Value& workspace) {
  const Value* v = a_->pValue(scratchOf(scratch_, evaluationType(a_->resultType())));
  workspace.assignDouble(f_(*v));
  return &workspace;
}

ColumnWiseFuncI_Element::ColumnWiseFuncI_Element(EvaluatablePtr child, ValueToIntFn f,
                                                 bool booleanResult)
    : With1Evaluatable(std::move(child)), f_(f), booleanResult_(booleanResult) {}

const Value* ColumnWiseFuncI_Element::pValue(Value& workspace) {
  const Value* v = a_->pValue(scratchOf(scratch_, evaluationType(a_->resultType())));
  columnWise<IntValue>(*v, f_, workspace, column_);
  if (booleanResult_) workspace.flags = values::JMAT_BOOL;
  return &workspace;
}

ColumnWiseFuncD_Element::ColumnWiseFuncD_Element(EvaluatablePtr child, ValueToDoubleFn f)
    : With1Evaluatable(std::move(child)), f_(f) {}

const Value* ColumnWiseFuncD_Element::pValue(Value& workspace) {
  const Value* v = a_->pValue(scratchOf(scratch_, evaluationType(a_->resultType())));
  columnWise<DoubleValue>(*v, f_, workspace, column_);
  return &workspace;
}

// ---- Two-argument and functor functions

TwoArgFuncElement::TwoArgFuncElement(EvaluatablePtr a, EvaluatablePtr b, TwoArgFn f)
    : With2Evaluatable(std::move(a), std::move(b)), f_(f) {}

// a in the workspace's class: its own value when it has that class (`push` changes a
// variable this way on purpose), else widened into the workspace.
Value& TwoArgFuncElement::first(Value& workspace) {
  const int type = evaluationType(a_->resultType());
  if (type == workspace.valueType()) return const_cast<Value&>(*a_->pValue(workspace));
  workspace.assign(*a_->pValue(scratchOf(scratchA_, type)));
  return workspace;
}

const Value* TwoArgFuncElement::second() {
  if (!b_) return nullptr;
  return &asDoubles(*b_, scratchB_, intB_);
}

const Value* TwoArgFuncElement::pValue(Value& workspace) {
  Value& a = first(workspace);
  f_(a, second(), workspace);
  return &workspace;
}

const Value* SimpleFunctorElement::pValue(Value& workspace) {
  const Value* config = a_->pValue(scratchOf(scratchA_, evaluationType(a_->resultType())));
  // An empty parameter is the routine's to judge (poly refuses it in its own words,
  // poisson takes it as mu = 1).
  if (a_->nodeKind() == kFuncRefNode) throw session::RuntimeError("function missing a parameter");
  const Value* points = second();
  f_(const_cast<Value&>(*config), points, workspace);
  workspace.flags = 0;
  return &workspace;
}

// ---- Value functions and no-argument scalars

AnsFuncElement::AnsFuncElement(EvaluatablePtr child, ValueFuncFn f, int resultType)
    : With1Evaluatable(std::move(child)), f_(f), resultType_(resultType) {}

const Value* AnsFuncElement::pValue(Value& workspace) {
  int n = 0;
  if (a_) {
    const Value* v = a_->pValue(scratchOf(scratch_, evaluationType(a_->resultType())));
    if (v->size > 0) n = v->getInt();
  }
  workspace.assign(*f_(n));
  return &workspace;
}

const Value* TicLikeFuncElement::pValue(Value& workspace) {
  workspace.assignDouble(f_());
  return &workspace;
}

// ---- General calls

MultiInputOutput_Element::MultiInputOutput_Element(std::vector<EvaluatablePtr> arguments)
    : arguments_(std::move(arguments)) {
  anyType_ = std::any_of(arguments_.begin(), arguments_.end(), [](const EvaluatablePtr& a) {
    return a->resultType() == kComplexType || a->resultType() == kListType;
  });
}

bool MultiInputOutput_Element::refersTo(const Value* value) const {
  return std::any_of(arguments_.begin(), arguments_.end(),
                     [value](const EvaluatablePtr& a) { return a->refersTo(value); });
}

GeneralFuncElement::GeneralFuncElement(const char* name, std::vector<EvaluatablePtr> arguments,
                                       GeneralFn f, int resultType)
    : MultiInputOutput_Element(std::move(arguments)), name_(name), f_(f), resultType_(resultType) {}

const Value* GeneralFuncElement::pValue(Value& workspace) {
  evaluateInto(workspace, {});
  return &workspace;
}

void GeneralFuncElement::evaluateInto(Value& result, std::span<Value* const> extraOutputs) {
  // The argument values live for the call only; they are released when it returns.
  std::vector<std::unique_ptr<Value>> scratch(arguments_.size());
  std::vector<builtins::BuiltinArg> slots(arguments_.size());
  std::size_t k = 0;
  for (; k < arguments_.size() && arguments_[k]->nodeKind() == kFuncRefNode; ++k) {
    slots[k].function = arguments_[k].get();
  }
  for (; k < arguments_.size(); ++k) {
    int type = evaluationType(arguments_[k]->resultType());
    if (!anyType_ && type > kDoubleType) type = kDoubleType;
    scratch[k] = values::newValue(type);
    slots[k].value = const_cast<Value*>(arguments_[k]->pValue(*scratch[k]));
  }
  builtins::BuiltinArgs args(name_, slots);
  f_(args, result, extraOutputs);
}

}  // namespace zirbin::engine
