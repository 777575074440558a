// Loops, conditionals, break/continue and blocks with their "at line" trace.
#include "engine/control_statements.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/run_context.h"
#include "engine/assign_statements.h"
#include "engine/indexing_elements.h"
#include "engine/run_state.h"
#include "engine/statement_test_support.h"

namespace zirbin::engine {
namespace {

using namespace testing;
using session::RuntimeError;
using values::DoubleValue;

std::vector<StatementPtr> list(StatementPtr a, StatementPtr b = nullptr,
                               StatementPtr c = nullptr) {
  std::vector<StatementPtr> out;
  for (auto* s : {&a, &b, &c}) {
    if (*s) out.push_back(std::move(*s));
  }
  return out;
}

StatementPtr block(std::vector<StatementPtr> statements, int line = 0) {
  return std::make_unique<BlockStm>(std::move(statements), line);
}

// s += x
StatementPtr addTo(DoubleValue& s, Value* x, int line = 0) {
  return std::make_unique<AssignPlusDStm>(variable(x), line, &s);
}

EvaluatablePtr range(double a, double b, double step = 1.0, int type = values::DOUBLE_VAL) {
  return std::make_unique<SequenceElement>(literal(a), literal(b), literal(step), type);
}

// A condition node that reads x < limit as an int.
class LessThan : public Evaluatable {
 public:
  LessThan(Value* x, double limit) : x_(x), limit_(limit) {}
  const Value* pValue(Value& ws) override {
    ws.assignInt(x_->getDouble() < limit_);
    return &ws;
  }
  int resultType() const override { return values::INTEGER_VAL; }
  bool refersTo(const Value* v) const override { return v == x_; }

 private:
  Value* x_;
  double limit_;
};

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session::runContext->console = &console;
    session::runContext->keepRunning = true;
    resetReportedLine();
  }
  void TearDown() override { session::runContext->console = nullptr; }
  RecordingConsole console;
};

TEST_F(ControlTest, ForOverSequenceRunsEachElement) {
  DoubleValue s(0.0), i;
  ForStm loop(range(1, 4), 0, addTo(s, &i), &i);
  loop.exe();
  EXPECT_EQ(s.data[0], 10.0);
  EXPECT_EQ(i.data[0], 4.0);
}

TEST_F(ControlTest, ForOverDoubleSequenceAddsTheStepRepeatedly) {
  DoubleValue s(0.0), i;
  ForStm loop(range(0, 0.3, 0.1), 0, addTo(s, &i), &i);
  loop.exe();
  // (0.3 - 0) / 0.1 computes to slightly less than 3: three elements, 0, 0.1, 0.2.
  EXPECT_DOUBLE_EQ(s.data[0], 0.1 + 0.2);
  EXPECT_EQ(i.data[0], 0.1 + 0.1);
}

TEST_F(ControlTest, ForOverAValueTakesItOnce) {
  DoubleValue s(0.0), i;
  auto v = doubles({1, 2, 3});
  ForStm loop(variable(v.get()), 0, addTo(s, &i), &i);
  loop.exe();
  EXPECT_EQ(s.data[0], 6.0);
}

TEST_F(ControlTest, BreakEndsOnlyTheInnermostLoop) {
  DoubleValue s(0.0), i, j;
  // for i = 1:3 { for j = 1:5 { s += j; break } }
  auto inner = std::make_unique<ForStm>(range(1, 5), 0,
                                        block(list(addTo(s, &j), std::make_unique<BreakStm>(0))),
                                        &j);
  ForStm outer(range(1, 3), 0, std::move(inner), &i);
  outer.exe();
  EXPECT_EQ(s.data[0], 3.0);
  EXPECT_EQ(i.data[0], 3.0);
  EXPECT_TRUE(session::runContext->keepRunning);
}

TEST_F(ControlTest, ContinueSkipsTheRestOfTheBody) {
  DoubleValue s(0.0), t(0.0), i;
  ForStm loop(range(1, 4), 0,
              block(list(addTo(s, &i), std::make_unique<ContinueStm>(0), addTo(t, &i))), &i);
  loop.exe();
  EXPECT_EQ(s.data[0], 10.0);
  EXPECT_EQ(t.data[0], 0.0);
  EXPECT_TRUE(session::runContext->keepRunning);
}

TEST_F(ControlTest, WhileRunsUntilTheConditionFails) {
  DoubleValue x(0.0);
  auto one = doubles({1});
  WhileStm loop(std::make_unique<LessThan>(&x, 5), 0, addTo(x, one.get()));
  loop.exe();
  EXPECT_EQ(x.data[0], 5.0);
}

TEST_F(ControlTest, BreakInWhileEndsThatLoopOnly) {
  DoubleValue x(0.0);
  auto one = doubles({1});
  WhileStm loop(std::make_unique<LessThan>(&x, 5), 0,
                block(list(addTo(x, one.get()), std::make_unique<BreakStm>(0))));
  loop.exe();
  EXPECT_EQ(x.data[0], 1.0);
  EXPECT_TRUE(session::runContext->keepRunning);
}

TEST_F(ControlTest, NonScalarConditions) {
  DoubleValue x(0.0);
  IfStm ifStm(literal(ints({1, 1})), 0, addTo(x, &x));
  try {
    ifStm.exe();
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.text, "non-scalar condition in if clause");
  }
  UnlessStm unless(literal(ints({0, 0})), 0, addTo(x, &x));
  try {
    unless.exe();
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.text, "non-scalar condition in while clause");
  }
}

TEST_F(ControlTest, IfElseAndUnlessChooseTheirBodies) {
  DoubleValue a(0.0), b(0.0);
  auto one = doubles({1});
  IfElseStm yes(literal(ints({1})), 0, addTo(a, one.get()), addTo(b, one.get()));
  IfElseStm no(literal(ints({0})), 0, addTo(a, one.get()), addTo(b, one.get()));
  UnlessStm unless(literal(ints({0})), 0, addTo(a, one.get()));
  yes.exe();
  no.exe();
  unless.exe();
  EXPECT_EQ(a.data[0], 2.0);
  EXPECT_EQ(b.data[0], 1.0);
}

TEST_F(ControlTest, ForInReadsTheCollectionAfresh) {
  // for k in v, where the body appends to v: one more iteration per appended element.
  auto v = doubles({1, 2});
  DoubleValue k, count(0.0);
  auto one = doubles({1});
  auto body = block(list(addTo(count, one.get()),
                         std::make_unique<IfStm>(std::make_unique<LessThan>(&k, 2), 0,
                                                 std::make_unique<GrowAssignDStm>(
                                                     literal(9.0), 0, v.get(), 'C'))));
  ForInStm loop(0, std::move(body), nullptr, &k, v.get());
  loop.exe();
  EXPECT_EQ(v->size, 3);
  EXPECT_EQ(count.data[0], 3.0);
}

TEST_F(ControlTest, ForInOverComplexRunsNothing) {
  values::ComplexValue z;
  z.setLayout(2, 1, 0);
  DoubleValue k, count(0.0);
  auto one = doubles({1});
  ForInStm loop(0, addTo(count, one.get()), nullptr, &k, &z);
  loop.exe();
  EXPECT_EQ(count.data[0], 0.0);
}

TEST_F(ControlTest, ForInListChecksItemTypes) {
  // An integer item widens into a double loop variable; a list item does not.
  values::ListValue items;
  items.setLayout(3, 1, values::JMAT_LIST);
  items.data[0].value = doubles({1, 2});
  items.data[1].value = ints({3});
  auto inner = std::make_unique<values::ListValue>();
  inner->setLayout(1, 1, values::JMAT_LIST);
  items.data[2].value = std::move(inner);
  DoubleValue x, counter, count(0.0);
  auto one = doubles({1});
  ForInStm loop(0, addTo(count, one.get()), &counter, &x, &items);
  try {
    loop.exe();
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.text, "in for loop: incompatible types assigning from list");
  }
  EXPECT_EQ(count.data[0], 2.0);
  EXPECT_EQ(x.valueType(), values::DOUBLE_VAL);
  EXPECT_EQ(x.size, 1);
  EXPECT_EQ(x.data[0], 3.0);
  EXPECT_EQ(counter.data[0], 2.0);
}

// A statement that fails with a run-time error.
class Failing : public Statement {
 public:
  explicit Failing(int line) : Statement(nullptr, line) {}
  void exe() override { throw RuntimeError("boom"); }
};

TEST_F(ControlTest, NestedErrorReportsEachDistinctLineOnce) {
  // line 2: while ... { line 3: if ... { line 3: failing } }, inside a block at line 2.
  DoubleValue x(0.0);
  auto inner = block(list(std::make_unique<Failing>(3)), 3);
  auto ifStm = std::make_unique<IfStm>(literal(ints({1})), 3, std::move(inner));
  auto body = block(list(std::move(ifStm)), 2);
  auto loop = std::make_unique<WhileStm>(std::make_unique<LessThan>(&x, 5), 2, std::move(body));
  BlockStm script(list(std::move(loop)), 0);
  EXPECT_THROW(script.exe(), RuntimeError);
  EXPECT_EQ(console.all(), (std::vector<std::string>{"at line 3", "at line 2"}));
}

TEST_F(ControlTest, UsesSeesLoopVariableBodyAndRange) {
  DoubleValue s(0.0), i, other;
  auto v = doubles({1, 2});
  ForStm loop(variable(v.get()), 0, addTo(s, &i), &i);
  EXPECT_TRUE(loop.uses(&i));
  EXPECT_TRUE(loop.uses(&s));
  EXPECT_TRUE(loop.uses(v.get()));
  EXPECT_FALSE(loop.uses(&other));
}

}  // namespace
}  // namespace zirbin::engine

namespace zirbin::engine {
namespace {

using namespace testing;

TEST(BlockStmInsertReturn, FinalExpressionBecomesTheReturn) {
  DoubleValue out;
  std::vector<StatementPtr> body;
  body.push_back(std::make_unique<EvalStm>(literal(4.0), 3));
  BlockStm block(std::move(body), 1);
  block.insertReturn(&out);
  ASSERT_EQ(block.statements().size(), 1u);
  session::runContext->keepRunning = true;
  block.exe();
  EXPECT_EQ(elements(out), (std::vector<double>{4}));
  EXPECT_FALSE(session::runContext->keepRunning);
  session::runContext->keepRunning = true;
}

TEST(BlockStmInsertReturn, FinalAssignmentReturnsItsVariable) {
  DoubleValue out, x;
  std::vector<StatementPtr> body;
  body.push_back(std::make_unique<FastAssignStm>(literal(doubles({1, 2})), 2, &x));
  BlockStm block(std::move(body), 1);
  block.insertReturn(&out);
  ASSERT_EQ(block.statements().size(), 2u);
  block.exe();
  session::runContext->keepRunning = true;
  EXPECT_EQ(elements(out), (std::vector<double>{1, 2}));
}

TEST(BlockStmInsertReturn, OtherwiseAnEmptyValueAndOnlyDoubles) {
  DoubleValue out(5.0);
  BlockStm empty({}, 1);
  empty.insertReturn(&out);
  empty.exe();
  session::runContext->keepRunning = true;
  EXPECT_EQ(out.size, 0);
  values::ComplexValue z;
  try {
    empty.insertReturn(&z);
    FAIL();
  } catch (const session::SyntaxError& e) {
    EXPECT_EQ(e.text, "insertReturn: output Value type not implemented");
  }
}

}  // namespace
}  // namespace zirbin::engine
