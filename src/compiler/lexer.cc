// The lexer: character classes, operators and their placement rules, numbers, strings with
// interpolation, brackets with continuation lines, command words, and statement cutting.
#include "compiler/lexer.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string_view>

#include "base/errors.h"

namespace zirbin::compiler {

using session::OperatorCode;
using session::SyntaxError;

namespace {

constexpr std::string_view kOperatorChars = "+-/:*_@=<>^&|~%?!.";
// After one of these the operator is a single character.
constexpr std::string_view kSingleOperatorFollowers = " )]}([{";
// Characters that may be doubled into an operator.
constexpr std::string_view kDoublableChars = "+-^=&|/<>?.";
// The operators allowed to begin an expression (lexer codes).
constexpr std::string_view kExpressionStartCodes = "-~?^Qidg";
// The operators allowed after another operator or a separator (they become unary).
constexpr std::string_view kAfterOperatorCodes = "-~id";
// Word operators are tried only for these first and second letters.
constexpr std::string_view kWordFirstLetters = "cdmvaobAOx";
constexpr std::string_view kWordSecondLetters = "dioenr";

// Brackets nest at most this deep on one line (Python's parser stops at 200 as well).
constexpr int kMaxBracketDepth = 200;

enum class CharClass { kSeparator, kOperator, kNumber, kName, kString, kBackslash, kBracket, kNone };

bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool isNameChar(char c) { return isLetter(c) || isDigit(c) || c == '_'; }
bool isQuote(char c) { return c == '\'' || c == '"'; }
bool contains(std::string_view set, char c) { return c != 0 && set.find(c) != std::string_view::npos; }

char closerOf(char opener) {
  switch (opener) {
    case '(': return ')';
    case '[': return ']';
    default: return '}';
  }
}

Token makeToken(int kind, char code, std::string text = std::string()) {
  Token token;
  token.kind = kind;
  token.code = code;
  token.text = std::move(text);
  return token;
}

bool isOperand(const Token& t) {
  switch (t.kind) {
    case kNameToken: case kIntegerToken: case kRealToken: case kStringToken:
    case kBracketToken: case kBracketDotToken: case kEmptySetToken: case kBackslashToken:
      return true;
    default:
      // A postfix operator (transpose, factorial) ends its operand too, so that [a' b]
      // holds two elements.
      return t.kind == kUnaryOpToken && (t.code == '\'' || t.code == '"' || t.code == '!');
  }
}

// The state of one token sequence: a line, or a bracket's contents.
struct Sequence {
  char terminator;
  TokenList& out;
  int* suchThatIndex;      // null inside brackets
  bool square = false;     // inside '[ ]'
  bool absForm = false;    // inside '(| |)'
  bool absClosed = false;  // the '|' before the closing bracket was seen
  bool assignmentSeen = false;
  bool lastIsAttachedStar = false;  // the last token is a '*' written directly after a name
};

// True when the tokens end in a way that asks for more: a binary operator (with the
// exceptions of help lines, property lines and a '*' marking a parameter kind), an
// assignment operator, or a ','.
bool unfinished(const Sequence& seq) {
  const TokenList& t = seq.out;
  if (t.empty()) return false;
  // A help line asks about whatever it holds ("?,", "?=", "??+"): it is complete as typed.
  const Token& first = t.front();
  if ((first.kind == kUnaryOpToken || first.kind == kBinaryOpToken) &&
      (first.code == '?' || first.code == opcode::kHelpDetail)) {
    return false;
  }
  const Token& last = t.back();
  if (last.kind == kAssignOpToken) return true;
  if (last.kind == kSeparatorToken) return last.code == ',';
  if (last.kind != kBinaryOpToken) return false;
  if (t.size() >= 3 && (t[0].code == opcode::kProperty || t[1].code == opcode::kProperty)) {
    return false;
  }
  return !(last.code == '*' && seq.lastIsAttachedStar);
}

class Lexer {
 public:
  Lexer(const std::string& text, LexInput& input) : input_(input) { setText(text); }

  // Lexes tokens into `seq.out` until its terminator. Returns true when the terminator
  // was met, false for a '{' bracket left open at the end of its line.
  bool lexSequence(Sequence& seq);

 private:
  void setText(std::string text) {
    text_ = std::move(text);
    lineEnd_ = text_.size();
    if (text_.size() >= 2 && text_.compare(text_.size() - 2, 2, " #") == 0) lineEnd_ -= 2;
    pos_ = 0;
  }
  char at(std::size_t i) const { return i < text_.size() ? text_[i] : '\0'; }
  // The rest of the current line from `from`, without the " #" appended to it.
  std::string restOfLine(std::size_t from) const {
    return from < lineEnd_ ? text_.substr(from, lineEnd_ - from) : std::string();
  }
  bool skipBlanks();
  CharClass charClass() const;
  void push(Sequence& seq, Token token, bool blankBefore);
  void readContinuation();
  bool continueBracket(Sequence& seq, char opener, int openLine, const std::string& openText);

  void lexSeparator(Sequence& seq);
  void lexOperator(Sequence& seq, bool blankBefore);
  void placeOperator(Sequence& seq, Token token, bool blankBefore);
  void lexNumber(Sequence& seq, bool blankBefore);
  void lexString(Sequence& seq, bool blankBefore);
  void lexName(Sequence& seq, bool blankBefore);
  void lexBackslash(Sequence& seq, bool blankBefore);
  void lexBracket(Sequence& seq, bool blankBefore);
  void finishSquareBracket(Sequence& outer, Token& bracket);
  void lexInterpolated(Sequence& seq, const std::string& rebuilt, bool blankBefore);
  void addPostfix(Sequence& seq);

  std::string text_;
  std::size_t lineEnd_ = 0;
  std::size_t pos_ = 0;
  int bracketDepth_ = 0;  // brackets open around the position being lexed
  LexInput& input_;
};

bool Lexer::skipBlanks() {
  std::size_t start = pos_;
  while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  return pos_ != start;
}

CharClass Lexer::charClass() const {
  char c = at(pos_);
  char next = at(pos_ + 1);
  if (c == ',' || c == ';' || c == ':') return CharClass::kSeparator;
  if (contains(kOperatorChars, c)) {
    if (c == '.' && isDigit(next)) return CharClass::kNumber;
    if (c == '^' && isQuote(next)) return CharClass::kString;
    return CharClass::kOperator;
  }
  if (isDigit(c)) return CharClass::kNumber;
  if (isLetter(c)) return CharClass::kName;
  if (isQuote(c)) return CharClass::kString;
  if (c == '\\') return CharClass::kBackslash;
  if (c == '[' && next == ']') return CharClass::kNumber;
  if (c == '(' || c == '[' || c == '{') return CharClass::kBracket;
  return CharClass::kNone;
}

void Lexer::push(Sequence& seq, Token token, bool blankBefore) {
  seq.lastIsAttachedStar = token.kind == kBinaryOpToken && token.code == '*' && !blankBefore &&
                           !seq.out.empty() && seq.out.back().kind == kNameToken;
  seq.out.push_back(std::move(token));
}

// Reads the next line to finish an unfinished statement.
void Lexer::readContinuation() {
  std::string next;
  try {
    input_.getLine(next, true, true);
  } catch (OperatorCode code) {
    if (code == 'e') throw SyntaxError("dangling operator or more input needed");
    throw;
  }
  setText(next + " #");
}

bool Lexer::lexSequence(Sequence& seq) {
  for (;;) {
    bool blank = skipBlanks();
    bool lineEnds = pos_ >= text_.size() || (text_[pos_] == '#' && seq.terminator != '#');
    if (pos_ >= text_.size() && seq.terminator == '#') throw SyntaxError("unexpected end of line");
    if (lineEnds) return false;  // the bracket decides how it goes on
    char c = text_[pos_];
    if (c == seq.terminator) {
      if (seq.terminator == '#') {
        if (!unfinished(seq)) return true;
        readContinuation();
        continue;
      }
      if (unfinished(seq)) throw SyntaxError("bracket finished incorrectly");
      ++pos_;
      return true;
    }
    if (seq.absForm && c == '|' && at(pos_ + 1) == seq.terminator) {
      ++pos_;
      seq.absClosed = true;
      continue;
    }
    if (seq.out.empty() && c == '!') throw SyntaxError("operator '!' cannot appear at the start");
    CharClass cls = charClass();
    if (seq.square && blank && !seq.out.empty() && isOperand(seq.out.back())) {
      bool newElement = cls != CharClass::kOperator && cls != CharClass::kSeparator;
      if (c == '-' && at(pos_ + 1) != ' ' && at(pos_ + 1) != '\t') newElement = true;
      if (newElement) push(seq, makeToken(kImplicitSepToken, ' '), false);
    }
    switch (cls) {
      case CharClass::kSeparator: lexSeparator(seq); break;
      case CharClass::kOperator: lexOperator(seq, blank); break;
      case CharClass::kNumber: lexNumber(seq, blank); break;
      case CharClass::kName: lexName(seq, blank); break;
      case CharClass::kString: lexString(seq, blank); break;
      case CharClass::kBackslash: lexBackslash(seq, blank); break;
      case CharClass::kBracket: lexBracket(seq, blank); break;
      case CharClass::kNone:
        if (c == ')' || c == ']' || (c == '}' && seq.terminator != '#')) {
          throw SyntaxError("unexpected closing bracket");
        }
        if (c == '}') {
          ++pos_;
          push(seq, makeToken(kBlockCloseToken, '}'), blank);
          break;
        }
        throw SyntaxError("unrecognised character");
    }
  }
}

// separator -> ',' | ';' | ':' | ';!' | ';;' | ';?' | ';=' | ',=' | ':=' | '::=' | '::'
void Lexer::lexSeparator(Sequence& seq) {
  char c = text_[pos_];
  char next = at(pos_ + 1);
  Token token = makeToken(kSeparatorToken, c);
  std::size_t length = 1;
  if (c == ';' && (next == '!' || next == ';' || next == '?')) {
    token = makeToken(kDisplayMarkerToken, next);
    length = 2;
  } else if ((c == ';' || c == ',') && next == '=') {
    token = makeToken(kAssignOpToken, c == ';' ? opcode::kRowAppendAssign
                                               : opcode::kColumnAppendAssign);
    length = 2;
  } else if (c == ':' && next == '=') {
    token = makeToken(kFunctionDefToken, ':', restOfLine(pos_ + 2));
    length = 2;
  } else if (c == ':' && next == ':' && at(pos_ + 2) == '=') {
    token = makeToken(kFunctionDefToken, 'v', restOfLine(pos_ + 3));
    length = 3;
  } else if (c == ':' && next == ':') {
    token = makeToken(kSeparatorToken, opcode::kQueryElse);
    length = 2;
  } else if (c == ',' && next == ',') {
    throw SyntaxError("double comma");
  }
  bool atStart = seq.out.empty() || seq.out.back().kind == kAssignOpToken;
  if (atStart && !(seq.square && seq.out.empty())) throw SyntaxError("expression starts wrong");
  pos_ += length;
  if (token.kind == kFunctionDefToken) pos_ = std::max(pos_, lineEnd_);
  if (token.kind == kSeparatorToken || token.kind == kDisplayMarkerToken) {
    seq.assignmentSeen = false;
  }
  if (token.kind == kAssignOpToken) {
    if (seq.assignmentSeen) throw SyntaxError("2nd assignment");
    seq.assignmentSeen = true;
  }
  push(seq, std::move(token), false);
}

// Reads one operator by the rules: a single character before a blank, letter, digit or
// bracket; doubled characters; a character and '='; '@' pairs; '/.' and '_/'; else one.
void Lexer::lexOperator(Sequence& seq, bool blankBefore) {
  char c = text_[pos_];
  char next = at(pos_ + 1);
  Token token = makeToken(kBinaryOpToken, c);
  std::size_t length = 1;
  bool single = next == ' ' || isLetter(next) || isDigit(next) ||
                contains(kSingleOperatorFollowers, next);
  if (single) {
    // one character: rule below
  } else if (next == c) {
    if (!contains(kDoublableChars, c)) throw SyntaxError("unrecognised operator");
    length = 2;
    if (c == '.') {
      if (at(pos_ + 2) != '.') {
        pos_ += 2;
        push(seq, makeToken(kNameToken, opcode::kDotDotName, ".."), blankBefore);
        return;
      }
      // An ellipsis: it must end the line, which goes on in the next one.
      pos_ += 3;
      skipBlanks();
      if (at(pos_) != '#' && pos_ < text_.size()) throw SyntaxError("stray ellipsis");
      readContinuation();
      return;
    }
    if (c == '=' && at(pos_ + 2) == '=') {
      token.code = opcode::kIdentical;
      length = 3;
    } else {
      for (const DoubledOperator& d : kDoubledOperators) {
        if (d.character == c) token = makeToken(d.kind, d.code);
      }
    }
    if ((c == '+' || c == '-') && !isLetter(at(pos_ + 2))) {
      throw SyntaxError("++ or -- must be attached to a name");
    }
  } else if (next == '=') {
    bool found = false;
    for (const EqualsOperator& e : kEqualsOperators) {
      if (e.character == c) {
        token = makeToken(e.kind, e.code);
        found = true;
      }
    }
    if (!found) throw SyntaxError("unrecognised operator");
    length = 2;
  } else if (c == '@') {
    bool found = false;
    for (const AtOperator& a : kAtOperators) {
      if (a.second == next) {
        token.code = a.code;
        found = true;
      }
    }
    if (!found) throw SyntaxError("unrecognised operator");
    length = 2;
  } else if (c == '/' && next == '.' && (at(pos_ + 2) == ' ' || isLetter(at(pos_ + 2)))) {
    token = makeToken(kSeparatorToken, opcode::kSuchThat);
    length = 2;
  } else if (c == '_' && next == '/') {
    length = 2;
  }
  if (length == 1) {
    if (c == '=') token.kind = kAssignOpToken;
    if (c == '!') {
      if (blankBefore) throw SyntaxError("unattached '!' operator");
      token.kind = kUnaryOpToken;
    }
    if (c == '~') token.kind = kUnaryOpToken;
  }
  pos_ += length;
  if (token.kind == kSeparatorToken) {
    if (seq.suchThatIndex == nullptr) throw SyntaxError("such that (/.) operator illegal here");
    if (*seq.suchThatIndex >= 0) throw SyntaxError("two /. clauses in one line");
    *seq.suchThatIndex = static_cast<int>(seq.out.size());
    seq.assignmentSeen = false;
    push(seq, std::move(token), blankBefore);
    return;
  }
  placeOperator(seq, std::move(token), blankBefore);
}

// Applies the placement rules to an operator read at the position before `pos_`.
void Lexer::placeOperator(Sequence& seq, Token token, bool blankBefore) {
  const Token* prev = seq.out.empty() ? nullptr : &seq.out.back();
  bool atStart = prev == nullptr || prev->kind == kAssignOpToken ||
                 (prev->kind == kSeparatorToken && prev->code == opcode::kSuchThat);
  bool afterOperator = prev != nullptr &&
                       (prev->kind == kBinaryOpToken || prev->kind == kImplicitSepToken ||
                        prev->kind == kRowBreakToken || prev->kind == kDisplayMarkerToken ||
                        (prev->kind == kSeparatorToken && prev->code != opcode::kSuchThat));
  if (atStart) {
    bool starAfterProperty = prev != nullptr && prev->code == opcode::kProperty && token.code == '*';
    if (!starAfterProperty) {
      if (!contains(kExpressionStartCodes, token.code)) {
        throw SyntaxError("expression began with operator");
      }
      bool negativeLiteral = token.code == '-' &&
                             (isDigit(at(pos_)) || (at(pos_) == '.' && isDigit(at(pos_ + 1))));
      if (negativeLiteral) {
        --pos_;
        lexNumber(seq, blankBefore);
        return;
      }
      token.kind = kUnaryOpToken;
    }
  } else if (afterOperator) {
    if (!contains(kAfterOperatorCodes, token.code)) throw SyntaxError("two adjacent operators");
    token.kind = kUnaryOpToken;
  }
  if (token.kind == kAssignOpToken) {
    if (seq.assignmentSeen) throw SyntaxError("2nd assignment");
    seq.assignmentSeen = true;
  }
  push(seq, std::move(token), blankBefore);
}

// number -> ['-'] (digits | imaginary unit) ; "[]" is the empty set
void Lexer::lexNumber(Sequence& seq, bool blankBefore) {
  if (at(pos_) == '[') {
    pos_ += 2;
    push(seq, makeToken(kEmptySetToken, 0), blankBefore);
    return;
  }
  std::size_t start = pos_;
  std::size_t digit = at(pos_) == '-' ? pos_ + 1 : pos_;
  char first = at(digit);
  char unit = at(digit + 1);
  if ((first == '0' || first == '1') && (unit == 'i' || unit == 'j') && !isNameChar(at(digit + 2))) {
    pos_ = digit + 2;
    push(seq, makeToken(kRealToken, 'i', text_.substr(start, digit + 1 - start)), blankBefore);
    return;
  }
  NumberScan scan;
  if (!scanNumber(text_, pos_, scan)) throw SyntaxError("error in number");
  pos_ += scan.length;
  push(seq, makeToken(scan.isInteger ? kIntegerToken : kRealToken, 0,
                      text_.substr(start, scan.length)),
       blankBefore);
}

// string -> ['^'] quote { char | quote quote } quote
void Lexer::lexString(Sequence& seq, bool blankBefore) {
  bool interpolated = text_[pos_] == '^';
  if (interpolated) ++pos_;
  std::size_t open = pos_;
  char quote = text_[pos_++];
  std::string contents;
  for (;;) {
    if (pos_ >= lineEnd_) {
      throw SyntaxError(composeSyntaxMessage("unterminated string at", restOfLine(open)));
    }
    char c = text_[pos_++];
    if (c != quote) {
      contents += c;
    } else if (at(pos_) == quote) {
      contents += quote;
      ++pos_;
    } else {
      break;
    }
  }
  if (interpolated) {
    // Each "{name}" becomes the piece trim(str(name)) between the literal pieces around
    // it; the first brace pair that holds no plain name leaves the rest of the text
    // literal. The pieces are joined in one flat '[' bracket, lexed once: rebuilding the
    // rest of the string for every name would make a line of N names cost N^2 and nest
    // N brackets deep.
    auto quoted = [quote](std::string_view s) {
      std::string q(1, quote);
      for (char ch : s) q += ch == quote ? std::string(2, quote) : std::string(1, ch);
      return q + quote;
    };
    std::string rebuilt;
    std::size_t from = 0;
    for (;;) {
      std::size_t brace = contents.find('{', from);
      std::size_t close = brace == std::string::npos ? brace : contents.find('}', brace);
      if (close == std::string::npos) break;
      std::string_view name(contents.data() + brace + 1, close - brace - 1);
      bool plainName = !name.empty() && isLetter(name[0]);
      for (char n : name) plainName = plainName && isNameChar(n);
      if (!plainName) break;
      rebuilt += rebuilt.empty() ? "[" : ", ";
      rebuilt += quoted(std::string_view(contents).substr(from, brace - from));
      rebuilt += ", trim(str(";
      rebuilt += name;
      rebuilt += "))";
      from = close + 1;
    }
    if (!rebuilt.empty()) {
      rebuilt += ", ";
      rebuilt += quoted(std::string_view(contents).substr(from));
      rebuilt += ']';
      lexInterpolated(seq, rebuilt, blankBefore);
      return;
    }
  }
  push(seq, makeToken(kStringToken, quote, std::move(contents)), blankBefore);
}

// Lexes the '[' bracket an interpolated string was rebuilt into, in place of the string.
void Lexer::lexInterpolated(Sequence& seq, const std::string& rebuilt, bool blankBefore) {
  std::string savedText = std::move(text_);
  std::size_t savedEnd = lineEnd_;
  std::size_t savedPos = pos_;
  setText(rebuilt + " #");
  lexBracket(seq, blankBefore);
  text_ = std::move(savedText);
  lineEnd_ = savedEnd;
  pos_ = savedPos;
}

// name -> letter { letter | digit | '_' } ; also the word operators and cd/dir
void Lexer::lexName(Sequence& seq, bool blankBefore) {
  std::size_t start = pos_;
  while (pos_ < text_.size() && isNameChar(text_[pos_])) ++pos_;
  std::string word = text_.substr(start, pos_ - start);
  if (contains(kWordFirstLetters, word[0]) && word.size() > 1 &&
      contains(kWordSecondLetters, word[1])) {
    if (word == "cd" || word == "dir") {
      std::size_t next = text_.find_first_not_of(" \t", pos_);
      char n = next == std::string::npos ? '#' : text_[next];
      if (!contains("(\"';#", n)) {
        if (at(pos_) != ' ' && at(pos_) != '\t') throw SyntaxError("missing space, bracket or string");
        push(seq, makeToken(kNameToken, at(pos_), word), blankBefore);
        std::size_t end = text_.find_first_of(";#", next);
        if (end == std::string::npos) end = text_.size();
        std::string argument = text_.substr(next, end - next);
        argument.erase(argument.find_last_not_of(" \t\r\n") + 1);
        pos_ = end;
        push(seq, makeToken(kStringToken, '"', std::move(argument)), true);
        return;
      }
    }
    for (const WordOperator& w : kWordOperators) {
      if (w.word == word) {
        placeOperator(seq, makeToken(kBinaryOpToken, w.code), blankBefore);
        return;
      }
    }
  }
  push(seq, makeToken(kNameToken, at(pos_), std::move(word)), blankBefore);
  addPostfix(seq);
}

// A quote directly after a name or bracket is a postfix operator (the transpose).
void Lexer::addPostfix(Sequence& seq) {
  if (isQuote(at(pos_))) {
    push(seq, makeToken(kUnaryOpToken, text_[pos_]), false);
    ++pos_;
  }
}

// backslash -> '\' { '\' } [ name ]
void Lexer::lexBackslash(Sequence& seq, bool blankBefore) {
  std::size_t start = pos_;
  while (at(pos_) == '\\') ++pos_;
  char count = static_cast<char>(pos_ - start);
  std::size_t nameStart = pos_;
  if (isLetter(at(pos_))) {
    while (pos_ < text_.size() && isNameChar(text_[pos_])) ++pos_;
  }
  push(seq, makeToken(kBackslashToken, count, text_.substr(nameStart, pos_ - nameStart)),
       blankBefore);
}

// At the end of a line inside a bracket: '(' and '[' go on in the next line (a '[' gets a
// row break between the lines); a '{' block stays open. Returns true to go on lexing.
bool Lexer::continueBracket(Sequence& seq, char opener, int openLine,
                            const std::string& openText) {
  bool wantsMore = unfinished(seq);
  if (opener == '{') {
    // A block left open ends with its line, unless the line's statement is unfinished.
    if (!wantsMore) return false;
    readContinuation();
    return true;
  }
  std::string next;
  try {
    input_.getLine(next, true, true);
  } catch (OperatorCode code) {
    if (code != 'e') throw;
    if (wantsMore) throw SyntaxError("dangling operator or more input needed");
    throw SyntaxError(composeSyntaxMessage(
        "no closing bracket for line " + std::to_string(openLine) + ":", openText));
  }
  // No row break after an unfinished row or after a ';' that ends one already.
  bool rowBreak = opener == '[' && !seq.out.empty() && !wantsMore &&
                  !(seq.out.back().kind == kSeparatorToken && seq.out.back().code == ';') &&
                  seq.out.back().kind != kRowBreakToken;
  if (rowBreak) push(seq, makeToken(kRowBreakToken, 0), false);
  setText(next + " #");
  return true;
}

// The longest part of a line that the message of an unclosed bracket quotes.
constexpr std::size_t kQuotedTextLimit = 200;

// bracket -> '(' items ')' | '(|' items '|)' | '[' items ']' | '{' items ['}']
void Lexer::lexBracket(Sequence& seq, bool blankBefore) {
  // Lexing, compiling, running and freeing a bracket all recurse once per level, and each
  // level keeps its own text: deeper nesting would exhaust the stack.
  if (bracketDepth_ >= kMaxBracketDepth) throw SyntaxError("brackets nested too deeply");
  ++bracketDepth_;
  struct DepthRestore {
    int& depth;
    ~DepthRestore() { --depth; }
  } restore{bracketDepth_};
  std::size_t open = pos_;
  char opener = text_[pos_];
  char closer = closerOf(opener);
  int openLine = input_.lineNumber();
  // Only a message quotes it, and no message needs all of a long line: a copy of the rest
  // of the line for every bracket would make a line of N brackets cost N^2.
  const std::size_t rest = open < lineEnd_ ? lineEnd_ - open : 0;
  std::string openText = rest == 0 ? std::string() : text_.substr(open, std::min(rest, kQuotedTextLimit));
  Token bracket = makeToken(kBracketToken, closer, std::string());
  ++pos_;
  Sequence inner{closer, bracket.children, nullptr};
  inner.square = opener == '[';
  inner.absForm = opener == '(' && at(pos_) == '|';
  if (inner.absForm) ++pos_;
  while (!lexSequence(inner)) {
    if (continueBracket(inner, opener, openLine, openText)) continue;
    bracket.code = '{';
    break;
  }
  if (inner.absForm && !inner.absClosed) throw SyntaxError("abs bracket form (| not closed");
  // The bracket's own text when it closed on the line it opened on, else that line's part.
  bracket.text = input_.lineNumber() == openLine && pos_ <= text_.size()
                     ? text_.substr(open, pos_ - open)
                     : std::move(openText);
  if (inner.square) finishSquareBracket(seq, bracket);
  if (bracket.children.empty() && opener != '{') {
    if (opener == '[') throw SyntaxError("empty bracket");
    if (seq.out.empty() || seq.out.back().kind != kNameToken) throw SyntaxError("empty bracket?");
  }
  if (inner.absForm) push(seq, makeToken(kNameToken, '(', "abs"), blankBefore);
  if (bracket.code != '{' && at(pos_) == '.' && at(pos_ + 1) != '.') {
    ++pos_;
    bracket.kind = kBracketDotToken;
  }
  push(seq, std::move(bracket), blankBefore);
  addPostfix(seq);
}

// Drops a trailing ';' and turns the ':,' and ',:' forms into a kind-14 bracket.
void Lexer::finishSquareBracket(Sequence& outer, Token& bracket) {
  TokenList& items = bracket.children;
  auto isSep = [](const Token& t, char code) { return t.kind == kSeparatorToken && t.code == code; };
  if (!items.empty() && isSep(items.back(), ';')) items.pop_back();
  if (items.size() >= 2 && isSep(items[0], ':') && isSep(items[1], ',')) {
    items.erase(items.begin(), items.begin() + 2);
    bracket.kind = kBackslashToken;
    bracket.code = 2;
  } else if (items.size() >= 2 && isSep(items.back(), ':') && isSep(items[items.size() - 2], ',')) {
    items.resize(items.size() - 2);
    bracket.kind = kBackslashToken;
    bracket.code = 1;
  } else if (items.size() >= 3 && (isSep(items.front(), ':') || isSep(items.back(), ':'))) {
    throw SyntaxError("incorrect use of ':'");
  }
  if (bracket.kind == kBackslashToken) {
    if (outer.out.empty() || outer.out.back().kind != kNameToken) {
      throw SyntaxError("stray colon in the bracket");
    }
    outer.out.back().code = '\\';
  }
}

bool isSeparator(const Token& t, char code) { return t.kind == kSeparatorToken && t.code == code; }

// Cuts tokens [begin, end) into statements and appends them to `statements`.
void cutStatements(TokenList& tokens, std::size_t begin, std::size_t end,
                   std::vector<TokenList>& statements) {
  std::size_t first = begin;  // start of the statement being cut
  // Moves tokens [first, last) out as one statement (one allocation per statement).
  auto finish = [&](std::size_t last) {
    if (last > first) {
      statements.emplace_back(std::make_move_iterator(tokens.begin() + first),
                              std::make_move_iterator(tokens.begin() + last));
    }
    first = last;
  };
  for (std::size_t i = begin; i < end; ++i) {
    const Token& t = tokens[i];
    if (isSeparator(t, ';')) {
      finish(i);
      first = i + 1;
      continue;
    }
    bool atStatementStart = i == first || isSeparator(tokens[i - 1], ':');
    bool closedBrace = t.kind == kBracketToken && t.code == '}' && atStatementStart;
    if (t.kind == kDisplayMarkerToken || t.kind == kBlockCloseToken || closedBrace) finish(i + 1);
  }
  finish(end);
}

}  // namespace

void lex(const std::string& text, char terminator, LexInput& input, TokenList& out,
         int* suchThatIndex) {
  if (suchThatIndex != nullptr) *suchThatIndex = -1;
  Lexer lexer(text, input);
  // A token takes two or more characters of most lines; growing the list costs more.
  out.reserve(out.size() + text.size() / 2);
  Sequence seq{terminator, out, suchThatIndex};
  if (!lexer.lexSequence(seq)) throw SyntaxError("unexpected end of line");
}

std::vector<TokenList> splitStatements(TokenList tokens, int suchThatIndex, bool typed) {
  std::vector<TokenList> statements;
  if (suchThatIndex >= 0) {
    if (suchThatIndex == 0) {
      throw SyntaxError("'such-that' clause is not allowed at the beginning of a line");
    }
    std::size_t j = static_cast<std::size_t>(suchThatIndex);
    cutStatements(tokens, j + 1, tokens.size(), statements);
    std::size_t mainEnd = j;
    if (isSeparator(tokens[j - 1], ';')) {
      mainEnd = j - 1;
    } else if (typed) {
      tokens[j] = makeToken(kDisplayMarkerToken, ';');
      mainEnd = j + 1;
    }
    cutStatements(tokens, 0, mainEnd, statements);
    return statements;
  }
  if (typed && !tokens.empty()) {
    const Token& last = tokens.back();
    bool definition = false;
    if (tokens.size() >= 3) {
      for (const Token& t : tokens) definition = definition || t.kind == kFunctionDefToken;
    }
    if (!isSeparator(last, ';') && last.kind != kDisplayMarkerToken && !definition) {
      tokens.push_back(makeToken(kDisplayMarkerToken, ';'));
    }
  }
  cutStatements(tokens, 0, tokens.size(), statements);
  return statements;
}

bool lexNextLine(LexInput& input, bool throwAtEnd, std::vector<TokenList>& statements) {
  statements.clear();
  std::string line;
  if (!input.getLine(line, throwAtEnd, false)) return false;
  bool typed = input.isTyped();
  TokenList tokens;
  int suchThat = -1;
  lex(line + " #", '#', input, tokens, &suchThat);
  statements = splitStatements(std::move(tokens), suchThat, typed);
  return !statements.empty();
}

std::string composeSyntaxMessage(const std::string& message, const std::string& tokenText) {
  if (tokenText.empty()) return "syntax error, {g " + message;
  // The token is the user's own text: its markup characters are escaped so that the
  // console shows them as typed (a name such as a_b would otherwise lose its '_').
  std::string shown;
  for (char c : tokenText) {
    if (c == '{' || c == '}' || c == '_' || c == '^' || c == '\\') shown += '\\';
    shown += c;
  }
  return message + " {g " + shown;
}

bool scanNumber(const std::string& text, std::size_t pos, NumberScan& result) {
  std::size_t i = pos;
  auto digits = [&]() {
    std::size_t start = i;
    while (i < text.size() && isDigit(text[i])) ++i;
    return i - start;
  };
  if (i < text.size() && text[i] == '-') ++i;
  bool leadingDot = i < text.size() && text[i] == '.';
  if (leadingDot) ++i;
  if (digits() == 0) return false;
  bool integer = !leadingDot;
  // "1..." is the number 1 and an ellipsis, not a second '.'.
  if (i < text.size() && text[i] == '.' && !(i + 1 < text.size() && text[i + 1] == '.')) {
    if (leadingDot) return false;
    ++i;
    digits();
    integer = false;
    if (i < text.size() && text[i] == '.' && !(i + 1 < text.size() && text[i + 1] == '.')) {
      return false;
    }
  }
  if (i < text.size() && text[i] == 'e') {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
    integer = false;
  }
  result.length = i - pos;
  result.isInteger = integer;
  return true;
}

}  // namespace zirbin::compiler
