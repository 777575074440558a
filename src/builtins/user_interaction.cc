// The built-ins that ask the user through the platform host: getline (a typed line),
// getch (one key) and messageBox. Without a host (unit tests) no one can answer.
#include <string>

#include "base/errors.h"
#include "base/host.h"
#include "base/run_context.h"
#include "builtins/families.h"
#include "builtins/routine_support.h"
#include "values/jmatrix.h"

namespace zirbin::builtins {

namespace {

using session::RuntimeError;

// getline(prompt): shows the prompt and gives the line the user types, as a string. The
// batch front end reads it from standard input. When input has ended there is no line to
// give: the call fails rather than answering "" forever to a loop that waits for a word.
void getline(Value& prompt, Value& result) {
  std::optional<std::string> line;
  if (session::runContext->host != nullptr)
    line = session::runContext->host->readLine(prompt.toString());
  // An interrupt makes a waiting host give up: the command ends with its report.
  session::pollInterrupt();
  if (!line) throw RuntimeError("in getline: no input left to read");
  values::IntValue text;
  text.assignString(*line);
  result.assign(text);
}

// getch: waits for one key typed in the console and gives its code (0 when no key can
// come, as in the batch front end).
double getch() {
  const int key = session::runContext->host != nullptr ? session::runContext->host->readKey() : 0;
  session::pollInterrupt();
  return key;
}

// messageBox(text): a box with the text, an empty caption and an OK button; gives the
// button code. The batch front end writes the text as a console line instead.
int messageBox(const Value& text) {
  if (session::runContext->host == nullptr) return session::kAnswerOk;
  return session::runContext->host->messageBox(text.toString(), "", false);
}

constexpr BuiltinEntry kEntries[] = {
    {"getline", BuiltinKind::ValueToValue, kIntResult, getline},
    {"getch", BuiltinKind::NoArgScalar, kDoubleResult, getch},
    {"messageBox", BuiltinKind::ValueToScalar, kIntResult, messageBox},
};

}  // namespace

void registerUserInteraction(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
