// Texts of the operator-code errors and the internal check.
#include "base/errors.h"

#include <cstdio>
#include <cstdlib>

namespace zirbin::session {

std::string operatorCodeText(OperatorCode code) {
  switch (code) {
    case '(': return "out of bounds error";
    case ']': return "value requested from an empty array";
    case 'R': return "invalid matrix power";
    case '=': return "incompatible lhs, rhs in assignment";
    // Input and `use` failures that have no text of their own elsewhere.
    case 'e': return "input ended before the statement was complete";
    case 'f': return "script file not found (use)";
    case 'n': return "script file could not be opened (use)";
    default: return std::string("incompatible objects at operator ") + code;
  }
}

void checkFailed(const std::string& context, const std::string& message) {
  std::string text = message;
  if (message.size() == 1) {
    switch (message[0]) {
      case 'B': text = "index out of bounds"; break;
      case ')': text = "missing closing bracket"; break;
      default: text = "incompatible sizes at operator " + message; break;
    }
  }
  if (context.empty()) throw RuntimeError(text);
  throw RuntimeError("in " + context + ": " + text);
}

void check(bool condition, const std::string& context, const std::string& message) {
  if (!condition) checkFailed(context, message);
}

void internalFailure(const char* file, int line, const char* why) {
  std::fprintf(stderr, "zirbin: internal failure at %s:%d: %s\n", file, line, why);
  std::abort();
}

}  // namespace zirbin::session
