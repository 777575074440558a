// The built-in eval: compiles a string as an expression against the running session's
// workspace and evaluates it.
#include <memory>

#include "base/run_context.h"
#include "builtins/families.h"
#include "builtins/routine_support.h"
#include "compiler/expression_compiler.h"
#include "compiler/input_source.h"
#include "compiler/lexer.h"
#include "engine/evaluatable.h"

namespace zirbin::builtins {

namespace {

// evals running inside one another at a time (a string that evals itself would otherwise
// recurse until the stack overflows); the same bound as a user function's recursion.
constexpr int kMaxEvalDepth = 50;

// eval(s): the value of the expression written in the string s, as doubles. Its names
// are those of the running session (variables, constants, functions). A complex or list
// value fails like an assignment of it into a double.
void eval(Value& argument, Value& result) {
  if (!argument.isChar()) session::checkFailed("eval", "requires a string argyment");
  if (session::runContext->workspace == nullptr)
    session::checkFailed("eval", "no session is running");
  int& depth = session::runContext->evalDepth;
  if (depth >= kMaxEvalDepth) session::checkFailed("eval", "max recursion depth exceeded");
  ++depth;
  struct DepthRestore {
    int& depth;
    ~DepthRestore() { --depth; }
  } restore{depth};
  // A line of text is lexed up to its terminator " #"; the expression has no further
  // lines to read.
  std::string line = argument.toString() + " #";
  compiler::InputSource noMoreLines;
  compiler::TokenList tokens;
  compiler::lex(line, '#', noMoreLines, tokens, nullptr);
  compiler::ExpressionCompiler compiler(*session::runContext->workspace,
                                        session::builtinRegistry());
  engine::EvaluatablePtr expression = compiler.compileExpression(tokens);
  int type = expression->resultType();
  std::unique_ptr<Value> scratch =
      values::newValue(type == engine::kUnknownType ? values::DOUBLE_VAL : type);
  const Value* value = expression->pValue(*scratch);
  // The value may be a variable's own: copied before the result (perhaps that variable's
  // argument) changes.
  std::unique_ptr<Value> copy = values::newValueCopy(*value);
  result.assign(*copy);
}

constexpr BuiltinEntry kEntries[] = {
    {"eval", BuiltinKind::ValueToValue, kDoubleResult, eval},
};

}  // namespace

void registerEvaluation(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
