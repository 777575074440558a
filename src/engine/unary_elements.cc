// The unary operator node and the factorial tables.
#include "engine/unary_elements.h"

#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "base/errors.h"
#include "values/math_matrix.h"

namespace zirbin::engine {

using values::DoubleValue;
using values::IntValue;

namespace {

// 13! is the first factorial beyond the 32-bit integers.
constexpr int kIntFactorialLimit = 13;
// 170! is the largest factorial a double holds; 171! is infinite.
constexpr int kDoubleFactorialTableLimit = 170;

// The factorial tables, computed at compile time: constants that every session shares.
constexpr std::array<int, kIntFactorialLimit> kIntFactorials = [] {
  std::array<int, kIntFactorialLimit> table{1};
  for (int k = 1; k < kIntFactorialLimit; ++k) table[k] = table[k - 1] * k;
  return table;
}();

constexpr std::array<double, kDoubleFactorialTableLimit + 1> kDoubleFactorials = [] {
  std::array<double, kDoubleFactorialTableLimit + 1> table{1.0};
  for (int k = 1; k <= kDoubleFactorialTableLimit; ++k) table[k] = table[k - 1] * k;
  return table;
}();

void factorials(Value& value) {
  if (value.valueType() == kIntType) {
    auto& v = static_cast<IntValue&>(value);
    for (int k = 0; k < v.size; ++k) v.data[k] = intFactorial(v.data[k]);
  } else if (value.valueType() == kDoubleType) {
    auto& v = static_cast<DoubleValue&>(value);
    for (int k = 0; k < v.size; ++k) v.data[k] = doubleFactorial(v.data[k]);
  }
}

}  // namespace

int intFactorial(int n) {
  session::check(n >= 0, "factorial", "n! with integer n < 0 is not allowed");
  session::check(n < kIntFactorialLimit, "factorial", "integer overflow");
  return kIntFactorials[n];
}

double doubleFactorial(double x) {
  const double n = std::round(x);
  if (n < 0) return std::numeric_limits<double>::infinity();
  if (n > kDoubleFactorialTableLimit || std::isnan(n)) return std::exp(std::lgamma(n + 1));
  const int i = static_cast<int>(n);
  return kDoubleFactorials[i];
}

const Value* UnaryOpElement::pValue(Value& workspace) {
  const Value* child = a_->pValue(workspace);
  if (child != &workspace) workspace.assign(*child);
  switch (op_) {
    case '!':
      factorials(workspace);
      break;
    case '"':
      workspace.transpose();
      workspace.conjugate();
      break;
    case '\'':
      workspace.transpose();
      break;
    case '-':
      workspace.negate();
      break;
    case ':':
      workspace.setShape(1, workspace.size);
      break;
    case '~':
      workspace.logicalNot();
      break;
    default:
      break;
  }
  return &workspace;
}

}  // namespace zirbin::engine
