// The lexer: cuts a line into tokens (brackets carry their contents), reads continuation
// lines where a statement is plainly unfinished, and cuts a line's tokens into statements.
#pragma once

#include <string>
#include <vector>

#include "compiler/input_source.h"
#include "compiler/token.h"

namespace zirbin::compiler {

// Lexes `text` until `terminator` (or its end), appending the tokens to `out`. A whole
// line is lexed with the terminator '#' (its text ends in " #"); continuation lines come
// from `input`. `suchThatIndex` receives the index of a top-level '/.' token (-1 when
// none); pass null inside brackets. Throws SyntaxError with the lexer's messages.
void lex(const std::string& text, char terminator, LexInput& input, TokenList& out,
         int* suchThatIndex);

// Cuts one line's tokens into statement token lists: ';' ends a statement (dropped), a
// display marker ends one (kept), as do a block close and a closed brace block at a
// statement start. For a typed line a display marker ';' is appended when the line does
// not end in ';' or a marker. A such-that clause's statements come before the main one.
std::vector<TokenList> splitStatements(TokenList tokens, int suchThatIndex, bool typed);

// Reads the next line from `input` (raw false), appends " #", lexes it and splits it into
// `statements` (which is emptied first). Returns true when a statement came out; false at
// the end of the input (or throws 'e' when `throwAtEnd`). The statement compiler's
// fetchLine is this.
bool lexNextLine(LexInput& input, bool throwAtEnd, std::vector<TokenList>& statements);

// The message for an error that names a token: "syntax error, {g " + message when the
// token text is empty, else message + " {g " + tokenText, the token's markup characters
// "{}_^\" escaped with '\' so that it shows as written.
std::string composeSyntaxMessage(const std::string& message, const std::string& tokenText);

// The one number scanner of the lexer and of the run-time text conversions: optional '-',
// optional leading '.', digits, optional '.' and digits, optional 'e', sign and digits.
struct NumberScan {
  std::size_t length = 0;  // characters consumed
  bool isInteger = false;  // neither '.' nor exponent
};
// Scans a number at `pos` of `text`. Returns false on a malformed number (what the lexer
// reports as "error in number").
bool scanNumber(const std::string& text, std::size_t pos, NumberScan& result);

}  // namespace zirbin::compiler
