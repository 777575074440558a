// The numeric kernels behind the operator codes: element-wise operators with scalar
// broadcasting, the matrix, Kronecker and cross products, the matrix power, the row and
// column broadcast, compound assignment and the int/double conversions.
#include "values/math_kernels.h"

#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "values/gsl_linear.h"

namespace zirbin::values {

namespace {

// Error characters of the codes 0 to 18, by position.
constexpr char kErrorChars[] = "^1234567*/012_45+-u";

// ---- one element, by operator code ------------------------------------------------------

// A sum, difference or product of two integers, computed in 64 bits. A result beyond 32
// bits becomes the most negative integer, which the overflow check of the expressions
// refuses: wrapped, 65536 * 65536 would pass for a plain 0.
int checkedInt(std::int64_t r) {
  return r < INT_MIN || r > INT_MAX ? INT_MIN : static_cast<int>(r);
}

// Integer operators never overflow in C++ (that is undefined); the overflow check of the
// expressions judges the result.
int intOp(int a, int b, int code) {
  const std::int64_t la = a;
  const std::int64_t lb = b;
  switch (code) {
    case kOpPower: return truncateToInt(std::pow(static_cast<double>(a), static_cast<double>(b)));
    case kOpProduct: return checkedInt(la * lb);
    case kOpQuotient:
    case kOpFloorQuotient:
      if (b == 0) throw operatorErrorChar(code);
      return (a == INT_MIN && b == -1) ? INT_MIN : a / b;
    case kOpSum: return checkedInt(la + lb);
    case kOpDifference: return checkedInt(la - lb);
    case kOpRemainder:
      if (b == 0) throw operatorErrorChar(code);
      return b == -1 ? 0 : a % b;
    case kOpBitAnd: return a & b;
    case kOpBitOr: return a | b;
    case kOpBitXor: return a ^ b;
    case kOpLogicalAnd: return a != 0 && b != 0;
    case kOpLogicalOr: return a != 0 || b != 0;
    case kOpLogicalXor: return (a != 0) != (b != 0);
    default: throw operatorErrorChar(code);
  }
}

double doubleOp(double a, double b, int code) {
  switch (code) {
    case kOpPower: return std::pow(a, b);
    case kOpProduct: return a * b;
    case kOpQuotient: return a / b;
    case kOpFloorQuotient: return std::floor(a / b);
    case kOpSum: return a + b;
    case kOpDifference: return a - b;
    case kOpRemainder: return std::fmod(a, b);
    case kOpBitAnd: return truncateToInt(a) & truncateToInt(b);
    case kOpBitOr: return truncateToInt(a) | truncateToInt(b);
    case kOpBitXor: return truncateToInt(a) ^ truncateToInt(b);
    case kOpLogicalAnd: return a != 0 && b != 0;
    case kOpLogicalOr: return a != 0 || b != 0;
    case kOpLogicalXor: return (a != 0) != (b != 0);
    default: throw operatorErrorChar(code);
  }
}

Complex complexOp(const Complex& a, const Complex& b, int code) {
  switch (code) {
    case kOpPower: return std::pow(a, b);
    case kOpProduct: return a * b;
    case kOpQuotient: return a / b;
    case kOpFloorQuotient: return Complex(std::floor((a / b).real()), 0.0);
    case kOpSum: return a + b;
    case kOpDifference: return a - b;
    case kOpRemainder: return a - b * std::floor((a / b).real());
    default: throw operatorErrorChar(code);
  }
}

bool isElementFunction(int code) {
  return code == kOpBitAnd || code == kOpBitOr || code == kOpBitXor || code == kOpLogicalAnd ||
         code == kOpLogicalOr || code == kOpLogicalXor;
}

// ---- broadcasting loop ------------------------------------------------------------------

// target := f(target, operand) element by element with the scalar broadcasting of the
// operators; `error` is thrown for mismatched shapes.
template <typename T, typename F>
void broadcast(MathMatrix<T>& target, const MathMatrix<T>& operand, char error, F f) {
  if (operand.size == 1) {
    const T b = operand.data[0];
    T* a = target.data;
    for (int i = 0, n = target.size; i < n; ++i) a[i] = f(a[i], b);
    return;
  }
  if (target.size == 1) {
    // The single value meets every element without being spread out first.
    const T a = target.data[0];
    target.resize(operand.size);
    target.nrow = operand.nrow;
    T* out = target.data;
    const T* b = operand.data;
    for (int i = 0, n = target.size; i < n; ++i) out[i] = f(a, b[i]);
    return;
  }
  if (target.size != operand.size || target.nrow != operand.nrow) throw error;
  T* a = target.data;
  const T* b = operand.data;
  for (int i = 0, n = target.size; i < n; ++i) a[i] = f(a[i], b[i]);
}

// dest := f(left, right) element by element with the same broadcasting, dest taking
// left's flags. REQUIRES: dest is neither left nor right.
template <typename F>
void broadcastInto(DoubleValue& dest, const DoubleValue& left, const DoubleValue& right,
                   char error, F f) {
  const double* a = left.data;
  const double* b = right.data;
  if (right.size == 1) {
    dest.resize(left.size);
    dest.nrow = left.nrow;
    const double y = b[0];
    for (int i = 0, n = left.size; i < n; ++i) dest.data[i] = f(a[i], y);
  } else if (left.size == 1) {
    dest.resize(right.size);
    dest.nrow = right.nrow;
    const double x = a[0];
    for (int i = 0, n = right.size; i < n; ++i) dest.data[i] = f(x, b[i]);
  } else {
    if (left.size != right.size || left.nrow != right.nrow) throw error;
    dest.resize(left.size);
    dest.nrow = left.nrow;
    for (int i = 0, n = left.size; i < n; ++i) dest.data[i] = f(a[i], b[i]);
  }
  dest.flags = left.flags;
}

// True iff `code` has an element operation for the element type T.
template <typename T>
bool hasElementCase(int code) {
  switch (code) {
    case kOpPower: case kOpProduct: case kOpQuotient: case kOpFloorQuotient:
    case kOpSum: case kOpDifference: case kOpRemainder:
      return true;
    default:
      return !std::is_same_v<T, Complex> && isElementFunction(code);
  }
}

// The common codes get their own instantiation so that each inner loop is tight.
template <typename T, typename Op>
void applyByCode(MathMatrix<T>& target, const MathMatrix<T>& operand, int code, Op op) {
  char error = isElementFunction(code) ? 'i' : operatorErrorChar(code);
  if (!hasElementCase<T>(code)) throw error;
  if constexpr (std::is_same_v<T, int>) {
    // Checked arithmetic, as intOp.
    switch (code) {
      case kOpProduct:
        return broadcast(target, operand, error, [](int a, int b) {
          return checkedInt(std::int64_t{a} * b);
        });
      case kOpSum:
        return broadcast(target, operand, error, [](int a, int b) {
          return checkedInt(std::int64_t{a} + b);
        });
      case kOpDifference:
        return broadcast(target, operand, error, [](int a, int b) {
          return checkedInt(std::int64_t{a} - b);
        });
    }
  } else {
    switch (code) {
      case kOpProduct: return broadcast(target, operand, error, [](T a, T b) { return a * b; });
      case kOpSum: return broadcast(target, operand, error, [](T a, T b) { return a + b; });
      case kOpDifference:
        return broadcast(target, operand, error, [](T a, T b) { return a - b; });
      case kOpQuotient: return broadcast(target, operand, error, [](T a, T b) { return a / b; });
    }
    // Squaring is the commonest power; x*x is exactly pow(x, 2) and many times quicker.
    if (std::is_same_v<T, double> && code == kOpPower && operand.size == 1 &&
        operand.data[0] == T(2)) {
      return broadcast(target, operand, error, [](T a, T) { return a * a; });
    }
  }
  broadcast(target, operand, error, [code, op](T a, T b) { return op(a, b, code); });
}

}  // namespace

char operatorErrorChar(int code) {
  if (code >= 0 && code <= 18) return kErrorChars[code];
  if (code == kOpAddVector || code == kOpSubtractVector) return '@';
  if (isElementFunction(code)) return 'i';
  return '?';
}

void apply(IntValue& target, const IntValue& operand, int code) {
  applyByCode<int>(target, operand, code, intOp);
}

void apply(DoubleValue& target, const DoubleValue& operand, int code) {
  applyByCode<double>(target, operand, code, doubleOp);
}

void apply(ComplexValue& target, const ComplexValue& operand, int code) {
  applyByCode<Complex>(target, operand, code, complexOp);
}

bool applyInto(DoubleValue& dest, const DoubleValue& left, const DoubleValue& right, int code) {
  const char error = operatorErrorChar(code);
  switch (code) {
    case kOpProduct:
      broadcastInto(dest, left, right, error, [](double a, double b) { return a * b; });
      return true;
    case kOpQuotient:
      broadcastInto(dest, left, right, error, [](double a, double b) { return a / b; });
      return true;
    case kOpSum:
      broadcastInto(dest, left, right, error, [](double a, double b) { return a + b; });
      return true;
    case kOpDifference:
      broadcastInto(dest, left, right, error, [](double a, double b) { return a - b; });
      return true;
    case kOpPower:
      if (right.size == 1 && right.data[0] == 2) {
        broadcastInto(dest, left, right, error, [](double a, double) { return a * a; });
      } else {
        broadcastInto(dest, left, right, error, [](double a, double b) { return std::pow(a, b); });
      }
      return true;
    default:
      return false;
  }
}

bool addProduct(DoubleValue& target, const DoubleValue& a, const DoubleValue& b, int code) {
  if (code != kOpSum && code != kOpDifference) return false;
  const double sign = code == kOpSum ? 1.0 : -1.0;
  const int n = target.size;
  const auto fits = [&](const DoubleValue& v) { return v.size == n && v.nrow == target.nrow; };
  if (n < 2) return false;
  double* t = target.data;
  if (a.size == 1 && fits(b)) {
    const double c = sign * a.data[0];
    // c * b[i] is formed first, as a product operand would be, then added.
    for (int i = 0; i < n; ++i) t[i] += c * b.data[i];
    return true;
  }
  if (b.size == 1 && fits(a)) {
    const double c = sign * b.data[0];
    for (int i = 0; i < n; ++i) t[i] += a.data[i] * c;
    return true;
  }
  if (fits(a) && fits(b)) {
    if (code == kOpSum) {
      for (int i = 0; i < n; ++i) t[i] += a.data[i] * b.data[i];
    } else {
      for (int i = 0; i < n; ++i) t[i] -= a.data[i] * b.data[i];
    }
    return true;
  }
  return false;
}

// ---- products ---------------------------------------------------------------------------

namespace {

// The product loops of the program's own (int and complex): column-major friendly order.
template <typename T, typename Mul, typename Add>
void ownProduct(const MathMatrix<T>& a, const MathMatrix<T>& b, T* out, Mul mul, Add add) {
  int rows = a.nrow;
  int inner = b.nrow;
  int cols = b.ncol();
  for (int64_t i = 0; i < static_cast<int64_t>(rows) * cols; ++i) out[i] = T(0);
  for (int j = 0; j < cols; ++j) {
    T* column = out + static_cast<int64_t>(j) * rows;
    for (int k = 0; k < inner; ++k) {
      T factor = b.data[static_cast<int64_t>(j) * inner + k];
      const T* left = a.data + static_cast<int64_t>(k) * rows;
      for (int i = 0; i < rows; ++i) column[i] = add(column[i], mul(left[i], factor));
    }
  }
}

// The shared frame of the products: size check, result allocation, hand-over.
template <typename T, typename Fill>
void productInto(MathMatrix<T>& target, const MathMatrix<T>& operand, Fill fill) {
  if (target.ncol() != operand.nrow) throw '.';
  int rows = target.nrow;
  int cols = operand.ncol();
  int n = checkedCount(static_cast<int64_t>(rows) * cols, sizeof(T));
  T* out = JMatrix<T>::allocate(n);
  try {
    if (n > 0) fill(out);
  } catch (...) {
    JMatrix<T>::deallocate(out);
    throw;
  }
  target.adopt(out, n, rows, 0);
}

}  // namespace

void matrixProduct(IntValue& target, const IntValue& operand) {
  if (target.size == 1 || operand.size == 1) {
    apply(target, operand, kOpProduct);
    return;
  }
  productInto<int>(target, operand, [&](int* out) {
    ownProduct<int>(target, operand, out,
                    [](int x, int y) { return static_cast<int>(static_cast<uint32_t>(x) * static_cast<uint32_t>(y)); },
                    [](int x, int y) { return static_cast<int>(static_cast<uint32_t>(x) + static_cast<uint32_t>(y)); });
  });
}

void matrixProduct(DoubleValue& target, const DoubleValue& operand, bool transposeRight) {
  if (target.size == 0 || operand.size == 0) {
    target.clear();
    return;
  }
  int inner = transposeRight ? operand.ncol() : operand.nrow;
  if (target.ncol() != inner) throw '.';
  int rows = target.nrow;
  int cols = transposeRight ? operand.nrow : operand.ncol();
  int n = checkedCount(static_cast<int64_t>(rows) * cols, sizeof(double));
  double* out = DoubleValue::allocate(n);
  if (n > 0) detail::blasProduct(target.data, rows, inner, operand.data, cols, transposeRight, out);
  target.adopt(out, n, rows, 0);
}

void matrixProduct(ComplexValue& target, const ComplexValue& operand) {
  productInto<Complex>(target, operand, [&](Complex* out) {
    ownProduct<Complex>(target, operand, out, [](Complex x, Complex y) { return x * y; },
                        [](Complex x, Complex y) { return x + y; });
  });
}

namespace {

template <typename T, typename Mul>
void kronecker(MathMatrix<T>& target, const MathMatrix<T>& operand, Mul mul) {
  int ra = target.nrow, ca = target.ncol();
  int rb = operand.nrow, cb = operand.ncol();
  int64_t rows = static_cast<int64_t>(ra) * rb;
  int n = checkedCount(rows * ca * cb, sizeof(T));
  T* out = JMatrix<T>::allocate(n);
  for (int j = 0; j < ca; ++j) {
    for (int i = 0; i < ra; ++i) {
      T factor = target.data[static_cast<int64_t>(j) * ra + i];
      for (int l = 0; l < cb; ++l) {
        T* column = out + (static_cast<int64_t>(j) * cb + l) * rows + static_cast<int64_t>(i) * rb;
        const T* source = operand.data + static_cast<int64_t>(l) * rb;
        for (int k = 0; k < rb; ++k) column[k] = mul(factor, source[k]);
      }
    }
  }
  target.adopt(out, n, static_cast<int>(rows), 0);
}

}  // namespace

void kroneckerProduct(IntValue& target, const IntValue& operand) {
  kronecker<int>(target, operand, [](int x, int y) {
    return static_cast<int>(static_cast<uint32_t>(x) * static_cast<uint32_t>(y));
  });
}

void kroneckerProduct(DoubleValue& target, const DoubleValue& operand) {
  kronecker<double>(target, operand, [](double x, double y) { return x * y; });
}

void kroneckerProduct(ComplexValue& target, const ComplexValue& operand) {
  kronecker<Complex>(target, operand, [](Complex x, Complex y) { return x * y; });
}

// ---- cross product ----------------------------------------------------------------------

namespace {

// The 3-vectors of an operand: vector k's component c is at k * step + c * stride.
struct Triples {
  int count;
  int64_t step;
  int64_t stride;
};

// How `m` holds its 3-vectors: one vector, 3-row columns, or 3-column rows; count 0 when
// it holds none. `preferRows` reads a 3x3 matrix row by row (to match the other operand).
Triples triplesOf(const Value& m, bool preferRows) {
  if (m.size == 3 && m.isVector()) return {1, 0, 1};
  if (m.nrow == 3 && !preferRows) return {m.ncol(), 3, 1};
  if (m.ncol() == 3) return {m.nrow, 1, m.nrow};
  return {0, 0, 0};
}

// p*q - r*s; integers wrap in 32 bits like the other integer operators.
template <typename T>
T crossTerm(T p, T q, T r, T s) {
  if constexpr (std::is_same_v<T, int>) {
    return static_cast<int>(static_cast<int64_t>(p) * q - static_cast<int64_t>(r) * s);
  } else {
    return p * q - r * s;
  }
}

template <typename T>
void cross(MathMatrix<T>& target, const MathMatrix<T>& operand) {
  const MathMatrix<T>& larger = target.size >= operand.size ? target : operand;
  Triples big = triplesOf(larger, false);
  // A 3x3 partner of a 3-column matrix with another row count goes row by row.
  const MathMatrix<T>& smaller = &larger == &target ? operand : target;
  Triples small = triplesOf(smaller, big.step == 1 && big.count != 1);
  bool rowWise = big.count > 1 && big.step == 1;
  if (big.count == 0 || small.count == 0) throw '^';
  if (small.count != 1 && (small.count != big.count || small.step != big.step)) throw '^';
  Triples a = &larger == &target ? big : small;
  Triples b = &larger == &target ? small : big;
  int n = larger.size;
  T* out = JMatrix<T>::allocate(n);
  Triples r = triplesOf(larger, rowWise);
  for (int k = 0; k < big.count; ++k) {
    auto x = [&](int c) { return target.data[(a.count == 1 ? 0 : k * a.step) + c * a.stride]; };
    auto y = [&](int c) { return operand.data[(b.count == 1 ? 0 : k * b.step) + c * b.stride]; };
    T* o = out + (r.count == 1 ? 0 : k * r.step);
    o[0] = crossTerm(x(1), y(2), x(2), y(1));
    o[r.stride] = crossTerm(x(2), y(0), x(0), y(2));
    o[2 * r.stride] = crossTerm(x(0), y(1), x(1), y(0));
  }
  target.adopt(out, n, larger.nrow, 0);
}

}  // namespace

void crossProduct(IntValue& target, const IntValue& operand) { cross<int>(target, operand); }
void crossProduct(DoubleValue& target, const DoubleValue& operand) {
  cross<double>(target, operand);
}
void crossProduct(ComplexValue& target, const ComplexValue& operand) {
  cross<Complex>(target, operand);
}

// ---- matrix power -----------------------------------------------------------------------

void matrixPower(DoubleValue& target, double p) {
  int n = target.nrow;
  if (static_cast<int64_t>(n) * n != target.size) throw '^';
  if (n == 0) return;
  if (p >= 0 && std::isfinite(p) && std::floor(p) == p) {
    DoubleValue result;
    result.resizeFill(target.size, n, 0.0);
    for (int i = 0; i < n; ++i) result.data[static_cast<int64_t>(i) * n + i] = 1.0;
    DoubleValue square;
    square.assignSame(target);
    for (double e = p; e != 0; e = std::floor(e / 2)) {
      if (std::fmod(e, 2.0) == 1.0) matrixProduct(result, square);
      if (e >= 2) {
        DoubleValue copy(square);
        matrixProduct(square, copy);
      }
    }
    result.flags = 0;
    target = std::move(result);
    return;
  }
  if (!detail::symmetricPower(target.data, n, p)) throw 'R';
  target.flags = 0;
}

// ---- row and column broadcast -------------------------------------------------------------

void addToEach(DoubleValue& target, const DoubleValue& operand, int code) {
  double sign = code == kOpSubtractVector ? -1.0 : 1.0;
  int rows = target.nrow;
  int cols = target.ncol();
  double* a = target.data;
  const double* b = operand.data;
  auto eachElement = [&](auto indexOf) {
    for (int c = 0; c < cols; ++c) {
      for (int r = 0; r < rows; ++r) a[c * rows + r] += sign * b[indexOf(r, c)];
    }
  };
  if (operand.nrow == rows && operand.size == target.size) {
    eachElement([rows](int r, int c) { return c * rows + r; });
  } else if (operand.nrow == rows && operand.size == rows) {
    eachElement([](int r, int) { return r; });
  } else if (operand.size == cols && (operand.nrow == rows || operand.nrow == 1)) {
    eachElement([](int, int c) { return c; });
  } else {
    throw '@';
  }
}

// ---- compound assignment ----------------------------------------------------------------

namespace {

int compoundCode(char op) {
  switch (op) {
    case '+': return kOpSum;
    case '-': return kOpDifference;
    case '*': return kOpProduct;
    case '/': return kOpQuotient;
    default: throw op;
  }
}

}  // namespace

void compoundAssign(DoubleValue& target, const DoubleValue& operand, char op) {
  int code = compoundCode(op);
  broadcast<double>(target, operand, op, [code](double a, double b) { return doubleOp(a, b, code); });
}

void compoundAssign(DoubleValue& target, double operand, char op) {
  int code = compoundCode(op);
  double* a = target.data;
  for (int i = 0; i < target.size; ++i) a[i] = doubleOp(a[i], operand, code);
}

void compoundAssignInt(DoubleValue& target, const IntValue& operand, int code) {
  char error = operatorErrorChar(code);
  if (!hasElementCase<double>(code) || isElementFunction(code)) throw error;
  if (operand.size == 1) {
    double b = operand.data[0];
    for (int i = 0; i < target.size; ++i) target.data[i] = doubleOp(target.data[i], b, code);
    return;
  }
  if (target.size == 1) {
    double former = target.data[0];
    target.setLayout(operand.size, operand.nrow, operand.flags);
    for (int i = 0; i < target.size; ++i) target.data[i] = doubleOp(former, operand.data[i], code);
    return;
  }
  if (target.size != operand.size || target.nrow != operand.nrow) throw error;
  for (int i = 0; i < target.size; ++i) target.data[i] = doubleOp(target.data[i], operand.data[i], code);
}

// ---- conversions --------------------------------------------------------------------------

void intToDouble(const IntValue& source, DoubleValue& dest) {
  dest.setLayout(source.size, source.nrow, source.flags);
  for (int i = 0; i < source.size; ++i) dest.data[i] = source.data[i];
}

void doubleToInt(const DoubleValue& source, IntValue& dest) {
  dest.setLayout(source.size, source.nrow, source.flags);
  for (int i = 0; i < source.size; ++i) dest.data[i] = truncateToInt(source.data[i]);
}

}  // namespace zirbin::values
