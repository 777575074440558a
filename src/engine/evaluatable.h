// The expression-node interface: every compiled expression is a tree of Evaluatable
// nodes that is built once and evaluated any number of times.
#pragma once

#include <memory>

namespace zirbin::values {
class Value;
}  // namespace zirbin::values

namespace zirbin::engine {

using values::Value;

// Result type codes of a node: the value type codes 0 int, 1 double, 2 complex, 3 list,
// and 4 for a type that only evaluation decides.
inline constexpr int kIntType = 0;
inline constexpr int kDoubleType = 1;
inline constexpr int kComplexType = 2;
inline constexpr int kListType = 3;
inline constexpr int kUnknownType = 4;

// Node kind codes, by which the compilers recognise node shapes.
enum NodeKind : int {
  kOtherNode = 0,
  kNumberLiteralNode = 1,      // NumberElement<T> and EmptySetElement: compile-time constants
  kValueNode = 2,              // ValueElement, ConstIndexElement
  kDoubleToIntNode = 3,        // DoubleToIntElement
  kIndexedNode = 4,            // IndexedElementSingle, IndexedElementDouble
  kExpressionNode = 5,         // every Expression
  kSequenceNode = 6,           // SequenceElement
  kEndIndexNode = 7,           // EndIndexElement
  kOpenSequenceNode = 8,       // OpenSequenceElement
  kSimpleFuncNode = 9,         // SimpleFuncElement
  kGeneralFuncNode = 10,       // GeneralFuncElement
  kUserFuncNode = 11,          // UserFuncElement
  kFuncRefNode = 12,           // FuncRefElement
  kListItemNode = 13,          // ListItemElement
};

// An expression node.
//
// Evaluation protocol of pValue(workspace): the caller passes a value of the class that
// resultType() names (empty or scratch) and owns it. The node returns a pointer to its
// result, which is either `&workspace`, filled in, or a value that the node or a variable
// owns (a variable's value, a literal's stored value). A result that is not the caller's
// workspace is read-only for the caller and stays valid only until the node is evaluated
// again or the variable changes; a caller that keeps or changes it copies it first.
// REQUIRES: the workspace is not a value that the tree reads (a statement that evaluates
// straight into a variable's storage checks refersTo first).
//
// Nodes are not copyable; a parent owns its children through std::unique_ptr, and the
// statement that holds the root owns the tree. Values of variables are never owned.
class Evaluatable {
 public:
  Evaluatable() = default;
  Evaluatable(const Evaluatable&) = delete;
  Evaluatable& operator=(const Evaluatable&) = delete;
  virtual ~Evaluatable() = default;

  // Evaluates the node; see the protocol above. Failures are thrown (RuntimeError, an
  // operator-code char, ...).
  virtual const Value* pValue(Value& workspace) = 0;

  // The type code of the values pValue yields (kIntType ... kUnknownType).
  virtual int resultType() const = 0;

  // The node kind code (NodeKind).
  virtual int nodeKind() const { return kOtherNode; }

  // True iff this node or one of its descendants reads `value`.
  virtual bool refersTo(const Value* value) const {
    (void)value;
    return false;
  }
};

using EvaluatablePtr = std::unique_ptr<Evaluatable>;

// Bases for nodes that own one, two or three children. Every child but the first may be
// null; refersTo is true iff a non-null child's is.
class With1Evaluatable : public Evaluatable {
 public:
  explicit With1Evaluatable(EvaluatablePtr a) : a_(std::move(a)) {}
  bool refersTo(const Value* value) const override { return a_ && a_->refersTo(value); }
  Evaluatable* child() const { return a_.get(); }

 protected:
  EvaluatablePtr a_;
};

class With2Evaluatable : public Evaluatable {
 public:
  With2Evaluatable(EvaluatablePtr a, EvaluatablePtr b) : a_(std::move(a)), b_(std::move(b)) {}
  bool refersTo(const Value* value) const override {
    return (a_ && a_->refersTo(value)) || (b_ && b_->refersTo(value));
  }

 protected:
  EvaluatablePtr a_;
  EvaluatablePtr b_;
};

class With3Evaluatable : public Evaluatable {
 public:
  With3Evaluatable(EvaluatablePtr a, EvaluatablePtr b, EvaluatablePtr c)
      : a_(std::move(a)), b_(std::move(b)), c_(std::move(c)) {}
  bool refersTo(const Value* value) const override {
    return (a_ && a_->refersTo(value)) || (b_ && b_->refersTo(value)) ||
           (c_ && c_->refersTo(value));
  }

 protected:
  EvaluatablePtr a_;
  EvaluatablePtr b_;
  EvaluatablePtr c_;
};

}  // namespace zirbin::engine
