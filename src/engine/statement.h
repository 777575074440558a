// Statements: the executable form of a compiled command. This file holds the base class,
// the expression statements (EvalStm, EvalAndDisplayStm) and the block (BlockStm).
#pragma once

#include <memory>
#include <vector>

#include "engine/evaluatable.h"

namespace zirbin::session {
class ConsoleOutput;
}  // namespace zirbin::session

namespace zirbin::engine {

// A statement owns its expression tree (and its sub-statements); the values of the
// variables it reads or writes belong to the workspace. Statements are built once and
// executed any number of times; exe never changes the statement itself.
class Statement {
 public:
  // `line` is the source line: scripts and function bodies count from 1, typed lines
  // carry a number below 1. `expression` may be null.
  Statement(EvaluatablePtr expression, int line)
      : expression_(std::move(expression)), line_(line) {}
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  virtual ~Statement() = default;

  // Runs the statement. Failures are thrown to the command cycle.
  virtual void exe() = 0;

  // True iff this statement or anything it contains refers to `value`.
  virtual bool uses(const Value* value) const {
    return expression_ && expression_->refersTo(value);
  }

  int line() const { return line_; }
  Evaluatable* expression() const { return expression_.get(); }
  // Hands the expression over to another statement; this one is left without it.
  EvaluatablePtr releaseExpression() { return std::move(expression_); }

 protected:
  EvaluatablePtr expression_;
  int line_;
};

using StatementPtr = std::unique_ptr<Statement>;

// Evaluates its expression for its side effects; the result is dropped.
// REQUIRES: the expression is not null.
class EvalStm : public Statement {
 public:
  EvalStm(EvaluatablePtr expression, int line);
  ~EvalStm() override;
  void exe() override;

 protected:
  // Evaluates the expression into the statement's own workspace, made on the first run
  // and reused by later ones (a loop body evaluates without allocating).
  const Value* evaluate();

 private:
  std::unique_ptr<Value> workspace_;
};

// Evaluates its expression and shows the value, without a name, in the console.
// `marker` is the display marker that asked for it: ';' shows the value, '?' also asks
// for the closed-form hint of a single number.
class EvalAndDisplayStm : public EvalStm {
 public:
  EvalAndDisplayStm(EvaluatablePtr expression, int line, session::ConsoleOutput& output,
                    char marker)
      : EvalStm(std::move(expression), line), output_(output), marker_(marker) {}
  void exe() override;

 private:
  session::ConsoleOutput& output_;
  char marker_;
};

// An ordered list of owned statements.
class WithBlock : public Statement {
 public:
  explicit WithBlock(std::vector<StatementPtr> statements, int line = 0)
      : Statement(nullptr, line), statements_(std::move(statements)) {}
  bool uses(const Value* value) const override;
  const std::vector<StatementPtr>& statements() const { return statements_; }
  // Replaces the last statement (REQUIRES: the block is not empty).
  void replaceLast(StatementPtr statement) { statements_.back() = std::move(statement); }

 protected:
  std::vector<StatementPtr> statements_;
};

// Runs its statements in order while keepRunning holds. An error leaving the block first
// reports the line of the statement that was running ("at line", once per distinct line).
class BlockStm : public WithBlock {
 public:
  using WithBlock::WithBlock;
  void exe() override;

  // Ends a user function's body with the return of its value into `output` (a double):
  // a final expression statement becomes the return of its expression; after a final
  // plain assignment the assigned variable is returned; otherwise an empty value is.
  // Throws SyntaxError "insertReturn: output Value type not implemented" for any other
  // output type.
  void insertReturn(Value* output);
};

}  // namespace zirbin::engine
