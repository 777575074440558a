// The numeric kernels that the operator codes reach: element-wise apply with scalar
// broadcasting, matrix, Kronecker and cross products, the matrix power, the row/column
// broadcast, the compound-assignment kernels and the int <-> double conversions.
#pragma once

#include "values/math_matrix.h"

namespace zirbin::values {

// Operator codes of the expression sequences (precedence level = code / 8).
inline constexpr int kOpPower = 0;
inline constexpr int kOpMatrixPower = 3;
inline constexpr int kOpProduct = 8;
inline constexpr int kOpQuotient = 9;
inline constexpr int kOpMatrixProduct = 10;
inline constexpr int kOpKronecker = 11;
inline constexpr int kOpCross = 12;
inline constexpr int kOpFloorQuotient = 13;
inline constexpr int kOpSum = 16;
inline constexpr int kOpDifference = 17;
inline constexpr int kOpRemainder = 18;
inline constexpr int kOpAddVector = 19;
inline constexpr int kOpSubtractVector = 20;
inline constexpr int kOpBitAnd = 24;
inline constexpr int kOpBitOr = 32;
inline constexpr int kOpBitXor = 33;
inline constexpr int kOpLogicalAnd = 49;
inline constexpr int kOpLogicalOr = 57;
inline constexpr int kOpLogicalXor = 58;
inline constexpr int kOpEnd = 88;

// The operator-code error character of an operator code ("^1234567*/012_45+-u" for codes
// 0 to 18, '@' for 19 and 20, 'i' for the bitwise and logical element functions).
char operatorErrorChar(int code);

// target := target op operand, element by element, in place, for the codes 0, 8, 9, 13,
// 16, 17, 18 and (int and double only) the element functions 24, 32, 33, 49, 57, 58.
// A one-element operand applies to every target element; a one-element target is first
// expanded (resizeFill, flags unchanged) to the operand's size and rows; otherwise sizes
// and row counts must match, else the operator's error character is thrown ('i' for the
// element functions). A code without a case throws its error character. Integers wrap on
// overflow (the expression's overflow check judges the result); an integer quotient,
// floor quotient or remainder by zero throws the operator's character ('/', '_', 'u');
// INT_MIN / -1 gives INT_MIN and INT_MIN % -1 gives 0.
void apply(IntValue& target, const IntValue& operand, int code);
void apply(DoubleValue& target, const DoubleValue& operand, int code);
void apply(ComplexValue& target, const ComplexValue& operand, int code);

// dest := left (code) right for the power, product, quotient, sum and difference, with the
// broadcasting of apply and left's flags: the same as copying left into dest and applying
// right, in one pass. Returns false, touching nothing, for any other code.
// REQUIRES: dest is neither left nor right.
bool applyInto(DoubleValue& dest, const DoubleValue& left, const DoubleValue& right, int code);

// target += a * b (code kOpSum) or target -= a * b (kOpDifference) in one pass, when target
// has at least 2 elements and a and b each are a single number or shaped like target.
// Returns false, touching nothing, otherwise (the caller forms the product itself).
// REQUIRES: target is neither a nor b.
bool addProduct(DoubleValue& target, const DoubleValue& a, const DoubleValue& b, int code);

// target := target . operand (matrix product, code 10). The target's column count must
// equal the operand's row count, else '.' is thrown. Doubles: an empty operand gives an
// empty result, and the product runs through BLAS (transposeRight multiplies by the
// operand's transpose instead; the operator always passes false). Integers: a
// one-element operand gives the element-wise product instead.
void matrixProduct(IntValue& target, const IntValue& operand);
void matrixProduct(DoubleValue& target, const DoubleValue& operand, bool transposeRight = false);
void matrixProduct(ComplexValue& target, const ComplexValue& operand);

// target := the Kronecker product (code 11): block (i, j) is target(i, j) * operand.
void kroneckerProduct(IntValue& target, const IntValue& operand);
void kroneckerProduct(DoubleValue& target, const DoubleValue& operand);
void kroneckerProduct(ComplexValue& target, const ComplexValue& operand);

// target := the cross product (code 12) of 3-element vectors, or of matching matrices of
// 3-element rows or columns (or one of them a single 3-vector); otherwise '^' is thrown.
// The result has the shape of the larger operand.
void crossProduct(IntValue& target, const IntValue& operand);
void crossProduct(DoubleValue& target, const DoubleValue& operand);
void crossProduct(ComplexValue& target, const ComplexValue& operand);

// target := target ^ p (matrix power, code 3). Non-square throws '^'. A whole p >= 0 uses
// binary exponentiation (p = 0 gives the identity); otherwise the symmetric eigen
// decomposition, where a negative eigenvalue throws 'R'.
void matrixPower(DoubleValue& target, double p);

// Codes 19 and 20: adds (subtracts) a vector to every column or row of the target. With
// equal row counts: equal sizes go element by element, a single-column operand is added
// to every column, an operand of one element per column adds element c to all of column
// c. With different row counts the operand must be a row of one element per target
// column, element c going to all of column c. Any other shape throws '@'.
void addToEach(DoubleValue& target, const DoubleValue& operand, int code);

// Compound assignment of doubles: op is '+', '-', '*' or '/'. A one-element operand
// applies to every element; a one-element target is first expanded to the operand's
// size and rows; otherwise sizes and rows must match, else op is thrown.
void compoundAssign(DoubleValue& target, const DoubleValue& operand, char op);
void compoundAssign(DoubleValue& target, double operand, char op);

// Compound assignment of a double target with an integer operand, by operator code
// (0, 8, 9, 13, 16, 17, 18). A one-element operand applies to every element; a
// one-element target meeting a larger operand takes the operand's size, rows and flags,
// each element becoming (former value) op (operand element); otherwise sizes and rows
// must match, else the operator's error character is thrown.
void compoundAssignInt(DoubleValue& target, const IntValue& operand, int code);

// dest := source converted (shape and flags copied): int to double exactly, double to
// int by truncation toward zero (truncateToInt: NaN 0, saturating).
void intToDouble(const IntValue& source, DoubleValue& dest);
void doubleToInt(const DoubleValue& source, IntValue& dest);

}  // namespace zirbin::values
