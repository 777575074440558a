// Calling the numerical built-ins from tests: General calls whose leading arguments are
// function references (`\name`), C++ functions behind the callable interface, and a
// console that keeps the lines written to it.
#pragma once

#include <cmath>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "builtin_call.h"
#include "builtins/function_argument.h"
#include "engine/leaf_elements.h"
#include "base/console_output.h"

namespace zirbin::builtins::testing {

// One argument of a General call: a function reference by name, or a value.
struct Ref {
  std::string name;
};
using Arg = std::variant<Ref, Value*>;

// Calls the General built-in `name` as the call node does: references as nodes, values
// as they are.
inline std::unique_ptr<Value> call(const std::string& name, std::vector<Arg> args,
                                   std::vector<Value*> extraOutputs = {}) {
  FunctionInfo info = function(name, BuiltinKind::General);
  std::vector<std::unique_ptr<engine::Evaluatable>> nodes;
  std::vector<BuiltinArg> slots;
  for (Arg& a : args) {
    if (auto* r = std::get_if<Ref>(&a)) {
      nodes.push_back(std::make_unique<engine::FuncRefElement>(
          std::make_unique<engine::StringLiteralElement>(r->name)));
      slots.push_back({nullptr, nodes.back().get()});
    } else {
      slots.push_back({std::get<Value*>(a), nullptr});
    }
  }
  BuiltinArgs arguments(info.name, slots);
  std::unique_ptr<Value> result = values::newValue(info.resultType);
  std::get<GeneralRoutine>(info.routine)(arguments, *result, extraOutputs);
  return result;
}

// A C++ function of the point, behind the callable interface; counts its evaluations.
class CppFunction : public NumericFunction {
 public:
  explicit CppFunction(std::function<double(double)> f) : f_(std::move(f)) {}
  int parameterCount() const override { return 1; }
  int resultType() const override { return values::DOUBLE_VAL; }
  void bind(int, const Value&) override {}
  void evaluate(const DoubleValue& x, Value& result) override {
    result.setLayout(x.size, x.nrow, 0);
    auto& out = static_cast<DoubleValue&>(result);
    for (int i = 0; i < x.size; ++i) out.data[i] = f_(x.data[i]);
  }

 private:
  std::function<double(double)> f_;
};

inline std::unique_ptr<FunctionArgument> cpp(std::function<double(double)> f,
                                             const char* builtin = "test") {
  return std::make_unique<FunctionArgument>(builtin, std::make_unique<CppFunction>(std::move(f)));
}

// Keeps every line written to the session console while it lives.
class ConsoleCapture : public session::ConsoleOutput {
 public:
  ConsoleCapture() : previous_(session::runContext->console) {
    session::runContext->console = this;
  }
  ~ConsoleCapture() override { session::runContext->console = previous_; }
  void print(const std::string& text, bool, int) override {
    for (char c : text) {
      if (c == '\n') {
        lines.push_back(current_);
        current_.clear();
      } else {
        current_ += c;
      }
    }
  }
  void newLine() override {
    lines.push_back(current_);
    current_.clear();
  }
  bool saw(const std::string& line) const {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  std::vector<std::string> lines;

 private:
  session::ConsoleOutput* previous_;
  std::string current_;
};

inline double scalarOf(const Value& v) { return elements(v).at(0); }

}  // namespace zirbin::builtins::testing
