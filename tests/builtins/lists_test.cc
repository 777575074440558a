// Lists, the multiple assignment, stacks and queues.
#include "builtin_call.h"
#include "gui/console_buffer.h"

namespace zirbin::builtins::testing {
namespace {

// Sends the session console's output to a buffer for the duration of a test.
class CapturedConsole {
 public:
  CapturedConsole() { session::runContext->console = &buffer; }
  ~CapturedConsole() { session::runContext->console = nullptr; }
  gui::ConsoleBuffer buffer;
};

TEST(Lists, ListOfNumberMakesEmptyItems) {
  DoubleValue three(3);
  auto l = general("list", {&three});
  ASSERT_EQ(l->valueType(), values::LIST_VAL);
  EXPECT_EQ(l->size, 3);
  EXPECT_EQ(l->kind(), values::JMAT_LIST);
  EXPECT_TRUE(static_cast<ListValue&>(*l).data[2].isEmpty());
}

TEST(Lists, ListOfOtherArgumentsHoldsCopies) {
  IntValue s = text("7");
  DoubleValue v = row({1, 2});
  auto l = general("list", {&s, &v});
  auto& list = static_cast<ListValue&>(*l);
  ASSERT_EQ(list.size, 2);
  EXPECT_EQ(list.data[0].value->toString(), "7");
  v.data[0] = 99;
  EXPECT_EQ(elements(*list.data[1].value), (std::vector<double>{1, 2}));
  EXPECT_EQ(general("list", {})->size, 0);
}

TEST(Lists, VeryLargeListsWarnAndHugeOnesFail) {
  CapturedConsole console;
  DoubleValue large(100001);
  EXPECT_EQ(general("list", {&large})->size, 100001);
  EXPECT_EQ(console.buffer.line(0), "creating a very large list");
  DoubleValue huge(10000001);
  EXPECT_EQ(runtimeError([&] { general("list", {&huge}); }),
            "attempt to create list of more than 10 million items");
}

TEST(Lists, MultiassignDeliversEachArgumentToItsOutput) {
  DoubleValue x(1);
  DoubleValue y(2);
  DoubleValue b;
  auto a = general("$multiassign", {&x, &y}, {&b});
  EXPECT_EQ(elements(*a), (std::vector<double>{1}));
  EXPECT_EQ(elements(b), (std::vector<double>{2}));
  EXPECT_EQ(runtimeError([&] { general("$multiassign", {&x}, {&b}); }),
            "in multiple assignment: non-matching items");
}

TEST(Lists, MultiassignSwapsWhenOutputsAreArguments) {
  DoubleValue a(1);
  DoubleValue b(2);
  // [a, b] = [b, a]: the routine writes output 1 to its result and output 2 to b.
  auto first = general("$multiassign", {&b, &a}, {&b});
  EXPECT_EQ(elements(*first), (std::vector<double>{2}));
  EXPECT_EQ(elements(b), (std::vector<double>{1}));
}

TEST(Stacks, PushAppendsRowsAndChangesTheStack) {
  DoubleValue s;
  DoubleValue one(1);
  DoubleValue two(2);
  twoArg("push", s, &one);
  auto r = twoArg("push", s, &two);
  EXPECT_EQ(s.nrow, 2);
  EXPECT_EQ(elements(s), (std::vector<double>{1, 2}));
  EXPECT_EQ(elements(*r), (std::vector<double>{1, 2}));
}

TEST(Stacks, PushOfRowsBuildsAMatrix) {
  DoubleValue s;
  DoubleValue a = row({1, 2});
  DoubleValue b = row({3, 4});
  twoArg("push", s, &a);
  twoArg("push", s, &b);
  EXPECT_EQ(s.nrow, 2);
  EXPECT_EQ(elements(s), (std::vector<double>{1, 3, 2, 4}));
  DoubleValue wrong = row({1, 2, 3});
  EXPECT_THROW(twoArg("push", s, &wrong), session::OperatorCode);
}

TEST(Stacks, PopOfTheLastItemLeavesItEmptyThenFails) {
  DoubleValue s(5);
  auto popped = valueToValue("pop", s);
  EXPECT_EQ(elements(*popped), (std::vector<double>{5}));
  EXPECT_EQ(s.size, 0);
  EXPECT_EQ(runtimeError([&] { valueToValue("pop", s); }), "popped an empty value");
  EXPECT_EQ(runtimeError([&] { valueToValue("qpop", s); }), "popped an empty value");
}

TEST(Stacks, PopAndQpopTakeTheLastAndFirstRow) {
  DoubleValue m = matrix(3, 2, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(elements(*valueToValue("pop", m)), (std::vector<double>{5, 6}));
  EXPECT_EQ(elements(*valueToValue("qpop", m)), (std::vector<double>{1, 2}));
  EXPECT_EQ(m.nrow, 1);
  EXPECT_EQ(elements(m), (std::vector<double>{3, 4}));
  DoubleValue c = column({1, 2, 3});
  EXPECT_EQ(elements(*valueToValue("qpop", c)), (std::vector<double>{1}));
  EXPECT_EQ(c.nrow, 2);
  EXPECT_EQ(elements(c), (std::vector<double>{2, 3}));
}

TEST(Stacks, TopReadsWithoutRemoving) {
  DoubleValue c = column({1, 2, 3});
  EXPECT_EQ(elements(*valueToValue("top", c)), (std::vector<double>{3}));
  EXPECT_EQ(c.size, 3);
  DoubleValue empty;
  EXPECT_EQ(valueToValue("top", empty)->size, 0);
}

TEST(Stacks, ThePoppedRowKeepsTheKind) {
  DoubleValue words = matrix(2, 2, {'a', 'b', 'c', 'd'});
  words.flags = values::JMAT_CHAR;
  auto popped = valueToValue("pop", words);
  EXPECT_TRUE(popped->isChar());
  EXPECT_EQ(popped->toString(), "cd");
}

}  // namespace
}  // namespace zirbin::builtins::testing
