// Tokens as the lexer hands them to the compilers: kinds, the lexer's operator codes and
// the word operators. The internal codes of the expression nodes are in
// engine/operator_codes.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zirbin::compiler {

// Token kinds. The numbers are part of the language's internal contract (kind 17 unused).
enum TokenKind : int {
  kNameToken = 1,            // a name, "..", or the command words cd and dir; code = next char
  kIntegerToken = 2,         // digits; code 0
  kRealToken = 3,            // as written; code 0, or 'i' for the imaginary unit literal
  kStringToken = 4,          // the contents; code = the quote character
  kBinaryOpToken = 5,        // code = operator code
  kUnaryOpToken = 6,         // prefix or postfix; code = operator code
  kAssignOpToken = 7,        // code = operator code
  kSeparatorToken = 8,       // ',' ';' ':' 'W' ("::") or 'J' ("/.")
  kBracketToken = 9,         // text from the opener; code = closer, '{' for a block left open
  kBracketDotToken = 10,     // a bracket directly followed by '.'
  kEmptySetToken = 11,       // "[]"
  kFunctionDefToken = 12,    // ":=" (code ':') or "::=" (code 'v'); text = rest of the line
  kDisplayMarkerToken = 13,  // code ';', '?' or '!'
  kBackslashToken = 14,      // text = name after the backslashes; code = their count (1 or 2
                             // for a '[' bracket with ':' first or last)
  kImplicitSepToken = 15,    // element separator inside '[ ]'; code ' '
  kBlockCloseToken = 16,     // '}' at the top level of a line
  kRowBreakToken = 18,       // row break inside a '[ ]' that spans lines; code 0
};

// One token. Brackets carry their contents as children.
struct Token {
  std::string text;
  int kind = 0;
  char code = 0;
  std::vector<Token> children;
};

using TokenList = std::vector<Token>;

// Operator codes the lexer writes into tokens of kinds 5 to 7 (and 12, 13 for ':' 'v' and
// the display markers). Single-character operators use their own character as code.
namespace opcode {
inline constexpr char kIncrement = 'i';      // "++", kind 6
inline constexpr char kDecrement = 'd';      // "--", kind 6
inline constexpr char kMatrixPower = 'R';    // "^^"
inline constexpr char kEqual = 'E';          // "=="
inline constexpr char kIdentical = 'I';      // "==="
inline constexpr char kShortAnd = 'A';       // "&&", "And"
inline constexpr char kShortOr = 'O';        // "||", "Or"
inline constexpr char kFloorDivide = 'V';    // "//" (the whole-rest division)
inline constexpr char kProperty = 'g';       // "<<", kind 7
inline constexpr char kShiftRight = 'o';     // ">>"
inline constexpr char kHelpDetail = 'Q';     // "??"
inline constexpr char kEllipsis = 'e';       // "..."
inline constexpr char kTimesAssign = 'T';    // "*=", kind 7
inline constexpr char kPlusAssign = 'P';     // "+=", kind 7
inline constexpr char kMinusAssign = 'M';    // "-=", kind 7
inline constexpr char kDivideAssign = 'D';   // "/=", kind 7
inline constexpr char kLessEqual = 'L';      // "<="
inline constexpr char kNotEqual = 'N';       // "~="
inline constexpr char kGreaterEqual = 'G';   // ">="
inline constexpr char kRowAdd = 'p';         // "@+"
inline constexpr char kRowSubtract = 'm';    // "@-"
inline constexpr char kCross = 'v';          // "@^", "vec"; also "::=" on kind 12
inline constexpr char kBitAnd = 'a';         // "@&", "bitand"
inline constexpr char kBitOr = 'r';          // "@|", "bitor"
inline constexpr char kBitXor = 'X';         // "@!"
inline constexpr char kModulo = 'u';         // "mod"
inline constexpr char kXor = 'x';            // "xor"
inline constexpr char kFloorQuotient = '_';  // "_/" and '_'
inline constexpr char kRowAppendAssign = 'S';     // ";=", kind 7
inline constexpr char kColumnAppendAssign = 'C';  // ",=", kind 7
inline constexpr char kQueryElse = 'W';      // "::", kind 8
inline constexpr char kSuchThat = 'J';       // "/.", kind 8
inline constexpr char kDotDotName = 'f';     // code of the name token ".."
}  // namespace opcode

// The two-character operators made of one character doubled.
struct DoubledOperator {
  char character;
  char code;
  int kind;
};
inline constexpr DoubledOperator kDoubledOperators[] = {
    {'+', opcode::kIncrement, kUnaryOpToken},  {'-', opcode::kDecrement, kUnaryOpToken},
    {'^', opcode::kMatrixPower, kBinaryOpToken}, {'=', opcode::kEqual, kBinaryOpToken},
    {'&', opcode::kShortAnd, kBinaryOpToken},  {'|', opcode::kShortOr, kBinaryOpToken},
    {'/', opcode::kFloorDivide, kBinaryOpToken}, {'<', opcode::kProperty, kAssignOpToken},
    {'>', opcode::kShiftRight, kBinaryOpToken}, {'?', opcode::kHelpDetail, kBinaryOpToken},
};

// A character followed by '='.
struct EqualsOperator {
  char character;
  char code;
  int kind;
};
inline constexpr EqualsOperator kEqualsOperators[] = {
    {'*', opcode::kTimesAssign, kAssignOpToken},  {'+', opcode::kPlusAssign, kAssignOpToken},
    {'-', opcode::kMinusAssign, kAssignOpToken},  {'/', opcode::kDivideAssign, kAssignOpToken},
    {'<', opcode::kLessEqual, kBinaryOpToken},    {'~', opcode::kNotEqual, kBinaryOpToken},
    {'>', opcode::kGreaterEqual, kBinaryOpToken},
};

// '@' followed by a character.
struct AtOperator {
  char second;
  char code;
};
inline constexpr AtOperator kAtOperators[] = {
    {'+', opcode::kRowAdd}, {'-', opcode::kRowSubtract}, {'^', opcode::kCross},
    {'&', opcode::kBitAnd}, {'|', opcode::kBitOr},       {'!', opcode::kBitXor},
};

// Words that lex as binary operators ("cd" and "dir" are command words, see the lexer).
struct WordOperator {
  std::string_view word;
  char code;
};
inline constexpr WordOperator kWordOperators[] = {
    {"mod", opcode::kModulo},   {"xor", opcode::kXor},   {"vec", opcode::kCross},
    {"and", '&'},               {"And", opcode::kShortAnd}, {"or", '|'},
    {"Or", opcode::kShortOr},   {"bitand", opcode::kBitAnd}, {"bitor", opcode::kBitOr},
};

}  // namespace zirbin::compiler
