// Operator codes of the expression nodes: the internal code of each binary operator, its
// precedence level (code / 8, lower binds tighter), the translation from the lexer's
// operator characters, and the character an operator-code error names.
#pragma once

#include <array>
#include <cstdint>

namespace zirbin::engine {

// Internal operator codes. ORDER OPCODE: kTokenToCode below lists the same codes.
enum OpCode : std::uint8_t {
  kPower = 0,
  kMatrixPower = 3,
  kTimes = 8,
  kDivide = 9,
  kMatrixProduct = 10,
  kKronecker = 11,
  kCross = 12,
  kFloorDivide = 13,
  kPlus = 16,
  kMinus = 17,
  kRemainder = 18,
  kAddBroadcast = 19,
  kSubtractBroadcast = 20,
  kBitAnd = 24,
  kBitOr = 32,
  kBitXor = 33,
  kLess = 40,
  kLessEqual = 41,
  kEqual = 42,
  kIdentical = 43,
  kNotEqual = 44,
  kGreaterEqual = 45,
  kGreater = 46,
  kShortAnd = 48,
  kAnd = 49,
  kShortOr = 56,
  kOr = 57,
  kXor = 58,
  kHorizontalJoin = 64,
  kVerticalJoin = 72,
  kQuery = 80,
  kQueryElse = 81,
  kEnd = 88,
};

// Precedence levels (groups).
inline constexpr int kPowerLevel = 0;
inline constexpr int kProductLevel = 1;
inline constexpr int kSumLevel = 2;
inline constexpr int kComparisonLevel = 5;
inline constexpr int kShortAndLevel = 6;
inline constexpr int kShortOrLevel = 7;
inline constexpr int kHorizontalJoinLevel = 8;
inline constexpr int kVerticalJoinLevel = 9;
inline constexpr int kQueryLevel = 10;
inline constexpr int kEndLevel = 11;

constexpr int level(int code) { return code / 8; }
constexpr int subCode(int code) { return code % 8; }

// The operators a SimpleExpression evaluates: sums, differences, products, quotients.
constexpr bool isSimpleOperator(int code) {
  return code == kTimes || code == kDivide || code == kPlus || code == kMinus || code == kEnd;
}

// The character an operator-code error names for the element-wise operators 0 to 18.
inline constexpr char kElementErrorChars[] = "^1234567*/012_45+-u";

// Returns the operator-code error character for `code`.
constexpr char errorChar(int code) {
  if (code >= 0 && code <= 18) return kElementErrorChars[code];
  switch (code) {
    case kAddBroadcast:
    case kSubtractBroadcast:
      return '@';
    case kHorizontalJoin:
      return ',';
    case kVerticalJoin:
      return ';';
    default:
      return '?';
  }
}

// Marks a lexer operator character that has no internal code.
inline constexpr int kNoCode = -1;

struct TokenCode {
  char token;
  std::uint8_t code;
};

// The lexer's operator characters and their internal codes. ORDER OPCODE.
inline constexpr TokenCode kTokenToCode[] = {
    {'^', kPower},          {'R', kMatrixPower},      {'*', kTimes},
    {'/', kDivide},         {'.', kMatrixProduct},    {'@', kKronecker},
    {'v', kCross},          {'_', kFloorDivide},      {'+', kPlus},
    {'-', kMinus},          {'u', kRemainder},        {'p', kAddBroadcast},
    {'m', kSubtractBroadcast}, {'a', kBitAnd},        {'r', kBitOr},
    {'X', kBitXor},         {'<', kLess},             {'L', kLessEqual},
    {'E', kEqual},          {'I', kIdentical},        {'N', kNotEqual},
    {'G', kGreaterEqual},   {'>', kGreater},          {'A', kShortAnd},
    {'&', kAnd},            {'O', kShortOr},          {'|', kOr},
    {'x', kXor},            {',', kHorizontalJoin},   {';', kVerticalJoin},
    {'?', kQuery},          {'W', kQueryElse},        {'\0', kEnd},
};

// The translation table, indexed by the operator character (as unsigned char).
inline constexpr std::array<int, 256> kOperatorTable = [] {
  std::array<int, 256> table{};
  for (int& entry : table) entry = kNoCode;
  for (const TokenCode& entry : kTokenToCode) {
    table[static_cast<unsigned char>(entry.token)] = entry.code;
  }
  return table;
}();

// The internal code of a lexer operator character, or kNoCode for none.
constexpr int translateOperator(char token) {
  return kOperatorTable[static_cast<unsigned char>(token)];
}

static_assert(translateOperator('^') == kPower && translateOperator('W') == kQueryElse);
static_assert(translateOperator('\0') == kEnd && translateOperator('o') == kNoCode);
static_assert(errorChar(kPlus) == '+' && errorChar(kRemainder) == 'u');

}  // namespace zirbin::engine
