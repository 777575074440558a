// The kinds of failure that travel up to the command cycle, which alone catches and
// reports them: SyntaxError (reading, lexing, compiling), RuntimeError (executing),
// a bare std::string, and the one-character operator code (a char) thrown by value code.
#pragma once

#include <string>
#include <utility>

namespace zirbin::session {

// Raised while text is read, lexed or compiled. Holds exactly the message text.
class SyntaxError {
 public:
  explicit SyntaxError(std::string text) : text(std::move(text)) {}
  std::string text;
};

// Raised while statements execute. Holds exactly the message text.
class RuntimeError {
 public:
  explicit RuntimeError(std::string text) : text(std::move(text)) {}
  std::string text;
};

// The operator-code error is a plain `char` thrown by value: '(' out of bounds, ']' empty
// array, 'R' invalid matrix power, '=' incompatible assignment, any other character
// "incompatible objects at operator c". The text for a code comes from operatorCodeText.
using OperatorCode = char;

// Returns the console text for an operator-code error.
std::string operatorCodeText(OperatorCode code);

// The internal check used by nodes, indexing and built-ins: unless `condition` holds,
// throws RuntimeError with "in " + context + ": " + message (just the message when the
// context is empty). A one-character message is a code, replaced first: 'B' by "index out
// of bounds", ')' by "missing closing bracket", any other c by "incompatible sizes at
// operator " + c.
void check(bool condition, const std::string& context, const std::string& message);
[[noreturn]] void checkFailed(const std::string& context, const std::string& message);

}  // namespace zirbin::session

// Internal invariants, never user errors: a broken one is a bug in Zirbin itself.
#define ZB_ASSERT(cond, why)                                                       \
  do {                                                                             \
    if (!(cond)) ::zirbin::session::internalFailure(__FILE__, __LINE__, (why));  \
  } while (0)
#define ZB_UNREACHABLE() ::zirbin::session::internalFailure(__FILE__, __LINE__, "unreachable")

namespace zirbin::session {
[[noreturn]] void internalFailure(const char* file, int line, const char* why);
}  // namespace zirbin::session
