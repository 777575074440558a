// Calling built-ins from tests the way the function-call nodes do: looked up by name in
// the process-wide registry, with values made from plain numbers.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/run_context.h"
#include "engine/registry.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::builtins::testing {

using values::DoubleValue;
using values::IntValue;
using values::ListValue;

inline DoubleValue row(std::initializer_list<double> elements) {
  DoubleValue v;
  v.setLayout(static_cast<int>(elements.size()), 1, 0);
  std::copy(elements.begin(), elements.end(), v.data);
  if (elements.size() == 0) v.nrow = 0;
  return v;
}

inline DoubleValue column(std::initializer_list<double> elements) {
  DoubleValue v = row(elements);
  v.nrow = v.size;
  return v;
}

inline DoubleValue matrix(int rows, int cols, std::initializer_list<double> byRows) {
  DoubleValue v;
  v.setLayout(rows * cols, rows, 0);
  auto it = byRows.begin();
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) v.data[c * rows + r] = *it++;
  }
  return v;
}

inline IntValue intRow(std::initializer_list<int> elements) {
  IntValue v;
  v.setLayout(static_cast<int>(elements.size()), 1, 0);
  std::copy(elements.begin(), elements.end(), v.data);
  return v;
}

inline IntValue text(const std::string& s) {
  IntValue v;
  v.assignString(s);
  return v;
}

inline std::vector<double> elements(const Value& v) {
  std::vector<double> out;
  for (int i = 0; i < v.size; ++i) {
    if (v.valueType() == values::INTEGER_VAL)
      out.push_back(static_cast<const IntValue&>(v).data[i]);
    if (v.valueType() == values::DOUBLE_VAL)
      out.push_back(static_cast<const DoubleValue&>(v).data[i]);
  }
  return out;
}

inline FunctionInfo function(const std::string& name, BuiltinKind kind) {
  const BuiltinRegistry& registry = session::builtinRegistry();
  EXPECT_EQ(registry.lookup(name), kind) << name;
  return *registry.find(name);
}

inline double elementD(const std::string& name, double x) {
  return std::get<ElementDoubleRoutine>(function(name, BuiltinKind::ElementWise).routine)(x);
}

inline int elementI(const std::string& name, int x) {
  return std::get<ElementIntRoutine>(function(name, BuiltinKind::ElementWise).routine)(x);
}

inline double noArg(const std::string& name) {
  return std::get<NoArgScalarRoutine>(function(name, BuiltinKind::NoArgScalar).routine)();
}

inline FunctionInfo scalarFunction(const std::string& name) {
  const BuiltinRegistry& registry = session::builtinRegistry();
  BuiltinKind kind = registry.lookup(name);
  EXPECT_TRUE(kind == BuiltinKind::ColumnWise || kind == BuiltinKind::ValueToScalar) << name;
  return *registry.find(name);
}

inline double scalarD(const std::string& name, const Value& v) {
  return std::get<ValueToDoubleRoutine>(scalarFunction(name).routine)(v);
}

inline int scalarI(const std::string& name, const Value& v) {
  return std::get<ValueToIntRoutine>(scalarFunction(name).routine)(v);
}

inline std::unique_ptr<Value> valueToValue(const std::string& name, Value& argument) {
  FunctionInfo info = function(name, BuiltinKind::ValueToValue);
  std::unique_ptr<Value> result = values::newValue(info.resultType);
  std::get<ValueToValueRoutine>(info.routine)(argument, *result);
  return result;
}

inline std::unique_ptr<Value> twoArg(const std::string& name, Value& first, const Value* second) {
  FunctionInfo info = function(name, BuiltinKind::TwoArg);
  auto result = std::make_unique<DoubleValue>();
  std::get<TwoArgRoutine>(info.routine)(first, second, *result);
  return result;
}

inline std::unique_ptr<Value> functor(const std::string& name, Value& first, const Value& second) {
  FunctionInfo info = function(name, BuiltinKind::FunctorTwoArg);
  auto result = std::make_unique<DoubleValue>();
  std::get<TwoArgRoutine>(info.routine)(first, &second, *result);
  return result;
}

inline std::unique_ptr<Value> general(const std::string& name, std::vector<Value*> args,
                                      std::vector<Value*> extraOutputs = {}) {
  FunctionInfo info = function(name, BuiltinKind::General);
  std::vector<BuiltinArg> slots;
  for (Value* v : args) slots.push_back({v, nullptr});
  BuiltinArgs arguments(info.name, slots);
  std::unique_ptr<Value> result = values::newValue(info.resultType);
  std::get<GeneralRoutine>(info.routine)(arguments, *result, extraOutputs);
  return result;
}

inline Value* valueFunc(const std::string& name, int argument) {
  return std::get<ValueFuncRoutine>(function(name, BuiltinKind::ValueFunc).routine)(argument);
}

inline std::string runtimeError(const std::function<void()>& call) {
  try {
    call();
  } catch (const session::RuntimeError& e) {
    return e.text;
  }
  return "";
}

}  // namespace zirbin::builtins::testing
