// The help built-ins: the introduction text, the description of a name, type and kind
// codes, the isdefined placeholder, and property with its lookup program.
#include "help/help_builtins.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/console_output.h"
#include "base/errors.h"
#include "base/run_context.h"
#include "base/sandbox.h"
#include "builtins/routine_support.h"
#include "engine/registry.h"
#include "files/helper_program.h"
#include "files/state_dir.h"
#include "help/help_lookup.h"
#include "values/value.h"


namespace zirbin::help {
namespace {

using builtins::BuiltinArgs;
using builtins::BuiltinEntry;
using builtins::BuiltinKind;
using values::Value;

// The most rows a property result may announce: far beyond any table the lookup ships,
// and small enough that a corrupt count cannot ask for gigabytes.
constexpr long kMaxPropertyRows = 1000000;
// Significant digits of a number passed to the lookup program (a double's full precision).
constexpr int kWordPrecision = 17;

void consoleLines(const std::string& text) {
  if (session::runContext->console != nullptr)
    session::runContext->console->print(text + "\n", true, session::kPrintLines);
}

// The value 0 is not shown after the text: the display statement sees answerPrinted.
double help() {
  consoleLines(introductionText());
  session::runContext->answerPrinted = true;
  return 0;
}

// whatis("name"): the description of the name, as a string.
void whatis(Value& argument, Value& result) {
  if (!argument.isChar()) session::checkFailed("whatis", "requires a name as a string");
  if (session::runContext->workspace == nullptr)
    session::checkFailed("whatis", "no session is running");
  const std::string name = argument.toString();
  result.assignString(describeName(*session::runContext->workspace, name));
}

// typeinfo(x): the shape kind code of x (0 plain, 1 boolean, 2 characters, 3 paired
// complex, 4 zipped key, 6 list, 8 three-dimensional); `type` gives the type code.
int typeinfo(const Value& value) { return value.kind(); }

int isdefined(const Value&) {
  consoleLines("function isdefined is not yet implemented: sorry!");
  return -1;
}

// Starts the lookup program with `words` and waits for it.
files::HelperRun runLookup(const std::vector<std::string>& words) {
  if (session::sandboxed) session::checkFailed("property", "not available in a sandboxed run");
  return files::runHelperProgram(kLookupProgramName, words);
}

// The first line of the result file: what a failed lookup left to say why.
std::string lookupReason(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

// property(substance, property [, condition]): asks the lookup program; every argument is
// passed as one word (a string as its text, a number as written by the display).
void property(BuiltinArgs& args, Value& result, std::span<Value* const>) {
  std::vector<std::string> words;
  for (int i = 0; i < args.count(); ++i) {
    const Value& v = args.value(i);
    std::string word;
    if (v.isChar()) {
      word = v.toString();
    } else if (v.size > 0) {
      v.stringItem(word, 0, kWordPrecision);
    }
    words.push_back(word);
  }
  result.clear();
  // A result left by an earlier query must never pass for this one's.
  const std::string resultPath = files::stateFilePath(kPropertyResultFileName);
  std::remove(resultPath.c_str());
  switch (runLookup(words)) {
    case files::HelperRun::kNotStarted:
      consoleLines("problem with database lookup");
      consoleLines("property lookup is unavailable: no program \"" +
                   std::string(kLookupProgramName) + "\" in " + files::programDirectory());
      return;
    case files::HelperRun::kFailed: {
      consoleLines("problem with database lookup");
      const std::string reason = lookupReason(resultPath);
      if (!reason.empty()) consoleLines(reason);
      return;
    }
    case files::HelperRun::kSucceeded:
      break;
  }
  std::ifstream in(resultPath);
  if (!in) {
    consoleLines("zirbin can't find the database result");
    return;
  }
  readPropertyResult(in, result);
}

[[noreturn]] void brokenResult() {
  throw session::RuntimeError("in property: the database result is incomplete");
}

const BuiltinEntry kHelpBuiltins[] = {
    {"help", BuiltinKind::NoArgScalar, builtins::kDoubleResult, &help},
    {"whatis", BuiltinKind::ValueToValue, builtins::kIntResult, &whatis},
    {"typeinfo", BuiltinKind::ValueToScalar, builtins::kIntResult, &typeinfo},
    {"isdefined", BuiltinKind::ValueToScalar, builtins::kIntResult, &isdefined},
    {"property", BuiltinKind::General, builtins::kDoubleResult, &property, 2, 3},
};

}  // namespace

void registerHelpBuiltins(builtins::BuiltinRegistry& registry) {
  registry.add(kHelpBuiltins);
  registry.setHelpResponder(answerQuery);
}

void readPropertyResult(std::istream& in, Value& result) {
  std::string line;
  if (!std::getline(in, line)) brokenResult();
  if (in.peek() != '\\') {
    double x = 0;
    if (!(in >> x)) brokenResult();
    *builtins::shapeDoubles(result, 1, 1) = x;
    return;
  }
  in.get();
  std::string keyword;
  long n = -1;
  if (!(in >> keyword >> n) || n < 0 || n > kMaxPropertyRows) brokenResult();
  std::getline(in, line);
  if (keyword == "table") {
    double* out = builtins::shapeDoubles(result, n, 2);
    for (long i = 0; i < n; ++i) {
      if (!(in >> out[i] >> out[n + i])) brokenResult();
    }
    return;
  }
  std::vector<std::string> rows;
  std::size_t width = 0;
  for (long i = 0; i < n; ++i) {
    if (!std::getline(in, line)) brokenResult();
    width = std::max(width, line.size());
    rows.push_back(line);
  }
  double* out = builtins::shapeDoubles(result, n, static_cast<long>(width), values::JMAT_CHAR);
  for (long r = 0; r < n; ++r) {
    for (std::size_t c = 0; c < width; ++c) {
      const char ch = c < rows[r].size() ? rows[r][c] : ' ';
      out[c * n + r] = static_cast<unsigned char>(ch);
    }
  }
}

}  // namespace zirbin::help
