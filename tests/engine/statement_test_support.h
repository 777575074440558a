// Small expression nodes and helpers for testing statements without the expression
// compiler: a literal node, a variable node, and value builders.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "engine/evaluatable.h"
#include "base/console_output.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::engine::testing {

// A row (or, with rows, a matrix filled column by column) of doubles.
inline std::unique_ptr<values::DoubleValue> doubles(std::initializer_list<double> xs,
                                                    int rows = 1) {
  auto v = std::make_unique<values::DoubleValue>();
  v->setLayout(static_cast<int>(xs.size()), xs.size() == 0 ? 0 : rows, 0);
  int i = 0;
  for (double x : xs) v->data[i++] = x;
  return v;
}

inline std::unique_ptr<values::IntValue> ints(std::initializer_list<int> xs, int rows = 1,
                                              int flags = 0) {
  auto v = std::make_unique<values::IntValue>();
  v->setLayout(static_cast<int>(xs.size()), xs.size() == 0 ? 0 : rows, flags);
  int i = 0;
  for (int x : xs) v->data[i++] = x;
  return v;
}

inline std::vector<double> elements(const Value& v) {
  std::vector<double> out;
  if (v.valueType() == values::DOUBLE_VAL) {
    const auto& d = static_cast<const values::DoubleValue&>(v);
    out.assign(d.data, d.data + d.size);
  } else if (v.valueType() == values::INTEGER_VAL) {
    const auto& d = static_cast<const values::IntValue&>(v);
    out.assign(d.data, d.data + d.size);
  }
  return out;
}

// Yields a fixed value (owned), as a literal does.
class LiteralNode : public Evaluatable {
 public:
  explicit LiteralNode(std::unique_ptr<Value> value) : value_(std::move(value)) {}
  const Value* pValue(Value&) override { return value_.get(); }
  int resultType() const override { return value_->valueType(); }
  int nodeKind() const override { return kNumberLiteralNode; }

 private:
  std::unique_ptr<Value> value_;
};

// Yields a variable's value (not owned).
class VariableNode : public Evaluatable {
 public:
  explicit VariableNode(Value* value) : value_(value) {}
  const Value* pValue(Value&) override { return value_; }
  int resultType() const override { return value_->valueType(); }
  int nodeKind() const override { return kValueNode; }
  bool refersTo(const Value* value) const override { return value == value_; }

 private:
  Value* value_;
};

// Adds a literal to a double variable into the workspace (a minimal expression).
class AddNode : public Evaluatable {
 public:
  AddNode(Value* variable, double x) : variable_(variable), x_(x) {}
  const Value* pValue(Value& workspace) override {
    workspace.assign(*variable_);
    auto& d = static_cast<values::DoubleValue&>(workspace);
    for (int i = 0; i < d.size; ++i) d.data[i] += x_;
    return &workspace;
  }
  int resultType() const override { return values::DOUBLE_VAL; }
  bool refersTo(const Value* value) const override { return value == variable_; }

 private:
  Value* variable_;
  double x_;
};

inline EvaluatablePtr literal(std::unique_ptr<Value> v) {
  return std::make_unique<LiteralNode>(std::move(v));
}
inline EvaluatablePtr literal(double x) { return literal(doubles({x})); }
inline EvaluatablePtr variable(Value* v) { return std::make_unique<VariableNode>(v); }

// A console that keeps every line.
class RecordingConsole : public session::ConsoleOutput {
 public:
  void print(const std::string& text, bool newLineFirst, int) override {
    if (newLineFirst && !current.empty()) newLine();
    current += text;
  }
  void newLine() override {
    lines.push_back(current);
    current.clear();
  }
  std::vector<std::string> all() {
    if (!current.empty()) newLine();
    return lines;
  }
  std::vector<std::string> lines;
  std::string current;
};

}  // namespace zirbin::engine::testing
