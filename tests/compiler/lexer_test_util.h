// Helpers for the lexer tests: lex whole inputs and show tokens in a compact text form.
#pragma once

#include <string>
#include <vector>

#include "compiler/input_source.h"
#include "compiler/lexer.h"
#include "base/errors.h"

namespace zirbin::compiler::testing {

// One token as text: names and numbers as written, strings quoted, operators as kind
// letter + code (b binary, u unary, a assignment, s separator, m display marker),
// brackets with their children, '_' implicit separator, '/' row break, '}' block close.
inline std::string describe(const TokenList& tokens);

inline std::string quoted(const std::string& text) {
  std::string out(1, '\'');
  out += text;
  out += '\'';
  return out;
}

inline std::string describe(const Token& t) {
  switch (t.kind) {
    case kNameToken: return t.text;
    case kIntegerToken: return t.text;
    case kRealToken: return t.code == 'i' ? t.text + "i" : t.text;
    case kStringToken: return quoted(t.text);
    case kBinaryOpToken: return std::string("b") + t.code;
    case kUnaryOpToken: return std::string("u") + t.code;
    case kAssignOpToken: return std::string("a") + t.code;
    case kSeparatorToken: return std::string("s") + t.code;
    case kDisplayMarkerToken: return std::string("m") + t.code;
    case kImplicitSepToken: return "_";
    case kRowBreakToken: return "/";
    case kBlockCloseToken: return "}";
    case kEmptySetToken: return "[]";
    case kFunctionDefToken: return std::string("def") + t.code + "{" + std::string(t.text) + "}";
    case kBackslashToken:
      if (t.children.empty()) return std::string("\\") + std::to_string(int(t.code)) + t.text;
      return "\\" + std::to_string(int(t.code)) + "[" + describe(t.children) + "]";
    case kBracketToken:
    case kBracketDotToken: {
      std::string open = t.code == ')' ? "(" : t.code == ']' ? "[" : "{";
      std::string close(1, t.code);
      return open + describe(t.children) + close + (t.kind == kBracketDotToken ? "." : "");
    }
    default: return "?" + std::to_string(t.kind);
  }
}

inline std::string describe(const TokenList& tokens) {
  std::string out;
  for (const Token& t : tokens) {
    if (!out.empty()) out += ' ';
    out += describe(t);
  }
  return out;
}

// Lexes every line of `text` (typed for mode '>', pasted otherwise) and returns the
// statements, each described, joined by " | ".
inline std::string statementsOf(const std::string& text, char mode = '>') {
  UserInput input;
  input.load(text, mode);
  std::vector<TokenList> statements;
  std::string out;
  while (lexNextLine(input, false, statements)) {
    for (const TokenList& s : statements) {
      if (!out.empty()) out += " | ";
      out += describe(s);
    }
  }
  return out;
}

// The message of the SyntaxError that lexing `text` raises, or "no error".
inline std::string lexError(const std::string& text, char mode = '>') {
  try {
    statementsOf(text, mode);
  } catch (const session::SyntaxError& e) {
    return e.text;
  }
  return "no error";
}

}  // namespace zirbin::compiler::testing
