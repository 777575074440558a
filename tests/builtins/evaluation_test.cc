// eval compiles its text against the running session's workspace.
#include "builtin_call.h"
#include "engine/workspace.h"

namespace zirbin::builtins::testing {
namespace {

class Evaluation : public ::testing::Test {
 protected:
  Evaluation() { session::runContext->workspace = &workspace; }
  ~Evaluation() override { session::runContext->workspace = nullptr; }
  session::Workspace workspace;
};

TEST_F(Evaluation, EvaluatesAnExpressionAsDoubles) {
  IntValue s = text("2 + 3 * 4");
  auto r = valueToValue("eval", s);
  EXPECT_EQ(r->valueType(), values::DOUBLE_VAL);
  EXPECT_EQ(elements(*r), (std::vector<double>{14}));
  IntValue call = text("unique([3 1 3 2])");
  EXPECT_EQ(elements(*valueToValue("eval", call)), (std::vector<double>{1, 2, 3}));
}

TEST_F(Evaluation, RequiresAString) {
  DoubleValue three(3);
  EXPECT_EQ(runtimeError([&] { valueToValue("eval", three); }),
            "in eval: requires a string argyment");
}

TEST_F(Evaluation, CompileErrorsComeThrough) {
  IntValue s = text("1 +");
  EXPECT_THROW(valueToValue("eval", s), session::SyntaxError);
}

TEST(EvaluationOutsideASession, IsAClearError) {
  IntValue s = text("1");
  EXPECT_EQ(runtimeError([&] { valueToValue("eval", s); }), "in eval: no session is running");
}

}  // namespace
}  // namespace zirbin::builtins::testing
