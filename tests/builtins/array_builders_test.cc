// zeros, ones, eye, seq/linspace, diag, reshape, swaprows.
#include <cmath>

#include "builtin_call.h"

namespace zirbin::builtins::testing {
namespace {

TEST(ArrayBuilders, ZerosTakesOneOrTwoSizes) {
  DoubleValue twoThree = row({2, 3});
  auto z = valueToValue("zeros", twoThree);
  EXPECT_EQ(z->nrow, 2);
  EXPECT_EQ(z->ncol(), 3);
  EXPECT_EQ(elements(*z), std::vector<double>(6, 0.0));
  DoubleValue three(3);
  auto o = valueToValue("ones", three);
  EXPECT_EQ(o->nrow, 3);
  EXPECT_EQ(o->size, 9);
  EXPECT_EQ(elements(*o), std::vector<double>(9, 1.0));
  DoubleValue empty;
  EXPECT_EQ(valueToValue("zeros", empty)->size, 0);
}

TEST(ArrayBuilders, ZerosRefusesNegativeSizesAndThreeNumbers) {
  DoubleValue negative(-1);
  EXPECT_EQ(runtimeError([&] { valueToValue("zeros", negative); }),
            "in zeros/ones: size must be non-negative");
  DoubleValue three = row({1, 2, 3});
  EXPECT_EQ(runtimeError([&] { valueToValue("ones", three); }), "in zeros/ones: too many indices");
}

TEST(ArrayBuilders, HugeSizeIsAClearErrorNotACrash) {
  DoubleValue huge = row({100000, 100000});
  std::string message = runtimeError([&] { valueToValue("zeros", huge); });
  EXPECT_NE(message.find("out of memory"), std::string::npos) << message;
}

TEST(ArrayBuilders, ZeroSizeGivesAnEmptyMatrix) {
  DoubleValue zeroByThree = row({0, 3});
  EXPECT_EQ(valueToValue("zeros", zeroByThree)->size, 0);
}

TEST(ArrayBuilders, EyeIsTheIdentity) {
  DoubleValue two(2);
  EXPECT_EQ(elements(*valueToValue("eye", two)), (std::vector<double>{1, 0, 0, 1}));
  DoubleValue pair = row({2, 2});
  EXPECT_EQ(runtimeError([&] { valueToValue("eye", pair); }), "argument must be a scalar");
}

TEST(ArrayBuilders, SeqGivesAHundredPointsByDefault) {
  DoubleValue ends = row({0, 1});
  auto s = valueToValue("seq", ends);
  ASSERT_EQ(s->size, 100);
  EXPECT_EQ(s->nrow, 1);
  std::vector<double> e = elements(*s);
  EXPECT_EQ(e.front(), 0);
  EXPECT_EQ(e.back(), 1);
  EXPECT_DOUBLE_EQ(e[1], 1.0 / 99);
  DoubleValue three = row({1, 2, 5});
  EXPECT_EQ(elements(*valueToValue("linspace", three)),
            (std::vector<double>{1, 1.25, 1.5, 1.75, 2}));
  DoubleValue one(1);
  EXPECT_EQ(runtimeError([&] { valueToValue("seq", one); }),
            "in seq: need 2 or 3 scalar arguments");
}

TEST(ArrayBuilders, DiagOfAVectorAndOfASquareMatrix) {
  DoubleValue v = row({1, 2});
  auto d = twoArg("diag", v, nullptr);
  EXPECT_EQ(d->nrow, 2);
  EXPECT_EQ(elements(*d), (std::vector<double>{1, 0, 0, 2}));
  DoubleValue above(1);
  auto upper = twoArg("diag", v, &above);
  EXPECT_EQ(upper->nrow, 3);
  // [0 1 0; 0 0 2; 0 0 0] column by column.
  EXPECT_EQ(elements(*upper), (std::vector<double>{0, 0, 0, 1, 0, 0, 0, 2, 0}));
  DoubleValue m = matrix(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  EXPECT_EQ(elements(*twoArg("diag", m, nullptr)), (std::vector<double>{1, 5, 9}));
  DoubleValue below(-1);
  EXPECT_EQ(elements(*twoArg("diag", m, &below)), (std::vector<double>{4, 8}));
}

TEST(ArrayBuilders, DiagMessages) {
  DoubleValue m = matrix(2, 3, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(runtimeError([&] { twoArg("diag", m, nullptr); }), "in diag: non-square matrix");
  DoubleValue v = row({1, 2});
  DoubleValue pair = row({1, 2});
  EXPECT_EQ(runtimeError([&] { twoArg("diag", v, &pair); }),
            "in diag: 2nd argument must be scalar");
}

TEST(ArrayBuilders, ReshapeKeepsStorageOrder) {
  DoubleValue v = row({1, 2, 3, 4, 5, 6});
  DoubleValue shape = row({3, 2});
  auto m = twoArg("reshape", v, &shape);
  EXPECT_EQ(m->nrow, 3);
  EXPECT_EQ(elements(*m), (std::vector<double>{1, 2, 3, 4, 5, 6}));
  auto c = twoArg("reshape", v, nullptr);
  EXPECT_EQ(c->nrow, 6);
  DoubleValue four = row({1, 2, 3, 4});
  DoubleValue two(2);
  EXPECT_EQ(twoArg("reshape", four, &two)->nrow, 2);
}

TEST(ArrayBuilders, ReshapeMessages) {
  DoubleValue v = row({1, 2, 3, 4, 5, 6});
  DoubleValue empty;
  DoubleValue three = row({1, 2, 3});
  DoubleValue wrong = row({4, 2});
  EXPECT_EQ(runtimeError([&] { twoArg("reshape", v, &empty); }), "in reshape: empty shape");
  EXPECT_EQ(runtimeError([&] { twoArg("reshape", v, &three); }), "in reshape: too many dimensions");
  EXPECT_EQ(runtimeError([&] { twoArg("reshape", v, &wrong); }),
            "in reshape: invalid: does not preserve the size");
  DoubleValue notANumber = row({NAN, 1e300});
  EXPECT_EQ(runtimeError([&] { twoArg("reshape", v, &notANumber); }),
            "in reshape: invalid: does not preserve the size");
}

TEST(ArrayBuilders, SwaprowsExchangesTwoRows) {
  DoubleValue m = matrix(3, 2, {1, 2, 3, 4, 5, 6});
  DoubleValue rows = row({1, 3});
  auto s = twoArg("swaprows", m, &rows);
  EXPECT_EQ(elements(*s), (std::vector<double>{5, 3, 1, 6, 4, 2}));
  DoubleValue one(1);
  DoubleValue outside = row({1, 4});
  EXPECT_EQ(runtimeError([&] { twoArg("swaprows", m, &one); }),
            "in swaprows: requires 2 rows of numbers");
  EXPECT_EQ(runtimeError([&] { twoArg("swaprows", m, &outside); }),
            "in swaprows: invalid row numbers");
}

}  // namespace
}  // namespace zirbin::builtins::testing
