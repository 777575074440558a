// The data-file built-ins as registry entries: each routine reads its arguments in the
// shape of its kind and hands the work to the open-file table, the text-file and the
// value-file routines.
#include "files/file_builtins.h"

#include <optional>
#include <span>
#include <string>

#include "base/console_output.h"
#include "base/errors.h"
#include "base/run_context.h"
#include "engine/registry.h"
#include "files/open_files.h"
#include "files/shell_command.h"
#include "files/text_files.h"
#include "files/value_files.h"
#include "values/math_matrix.h"
#include "values/value.h"

namespace zirbin::files {
namespace {

using builtins::BuiltinArgs;
using builtins::BuiltinKind;
using values::Value;

const PathList& paths() {
  if (session::runContext->pathList == nullptr)
    throw session::RuntimeError("no interpreter session is running");
  return *session::runContext->pathList;
}

// One console line shown as it stands (a file's text may hold markup characters).
void plainLine(const std::string& text) {
  if (session::runContext->console == nullptr) return;
  session::runContext->console->print(text, true, session::kPrintText);
  session::runContext->console->newLine();
}

// One console line of markup.
void markupLine(const std::string& text) {
  if (session::runContext->console == nullptr) return;
  session::runContext->console->print(text, true, session::kPrintLines);
  session::runContext->console->newLine();
}

// ---- The open-file table (ElementWise int and TwoArg kinds)

// fopen(name [, mode]): the id as a double scalar, or empty when the file could not be
// opened and the mode asks for no failure.
void fopenBuiltin(Value& name, const Value* mode, Value& result) {
  const int id = fopenFile(openFiles(), paths(), name, mode, plainLine);
  if (id == 0) {
    result.assign(values::DoubleValue());
  } else {
    result.assignDouble(id);
  }
}

int fcloseBuiltin(int id) {
  fcloseFile(openFiles(), values::DoubleValue(id));
  return 0;
}

int feofBuiltin(int id) { return feofFile(openFiles(), values::DoubleValue(id)) ? 1 : 0; }

// `id` may be the result value itself; freadFile reads it before it writes the result.
void freadBuiltin(Value& id, const Value* count, Value& result) {
  freadFile(openFiles(), id, count, result);
}

void fwriteBuiltin(Value& id, const Value* value, Value& result) {
  fwriteFile(openFiles(), id, value);
  result.assign(values::DoubleValue());
}

// ---- Whole files (General kind)

void readtextBuiltin(BuiltinArgs& args, Value& result, std::span<Value* const>) {
  result.assign(*readTextFile(paths(), args.value(0)));
}

void writetextBuiltin(BuiltinArgs& args, Value& result, std::span<Value* const>) {
  result.assignInt(writeTextFile(paths(), args.value(0), args.value(1)));
}

void dispfileBuiltin(BuiltinArgs& args, Value& result, std::span<Value* const>) {
  const Value* line = args.count() > 1 ? &args.value(1) : nullptr;
  result.assignInt(dispFile(paths(), args.value(0), line, markupLine, plainLine));
}

// load(name): the table, or one column per output; load(name, x): every number as one
// vector.
void loadBuiltin(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  if (args.count() > 1) {
    loadVector(paths(), args.value(0), result, extraOutputs);
  } else {
    loadTable(paths(), args.value(0), result, extraOutputs);
  }
}

void qsaveBuiltin(BuiltinArgs& args, Value& result, std::span<Value* const>) {
  qsaveFile(paths(), args.value(0), args.value(1));
  result.assignInt(1);
}

void qloadBuiltin(BuiltinArgs& args, Value& result, std::span<Value* const>) {
  qloadInto(paths(), args.value(0), result);
}

// The type a qload call compiles with when its file name is written as a string: a stored
// list or complex value makes the call give that type; numbers and strings keep the double
// result, which holds them (ints widened, a string keeping its kind).
int qloadResultType(const std::string& name) {
  if (session::runContext->pathList == nullptr) return -1;
  const std::optional<int> type = storedValueType(*session::runContext->pathList, name);
  if (!type || *type <= values::DOUBLE_VAL) return -1;
  return *type;
}

void saveBuiltin(BuiltinArgs&, Value&, std::span<Value* const>) { saveRefused(); }

// sysCommand(cmd): 0 before the command runs, 1 once it has returned. `command` may be the
// result value itself, so its text is taken first.
void sysCommandBuiltin(Value& command, Value& result) {
  const std::string text = command.toString();
  result.assignInt(0);
  result.assignInt(runShellCommand(text));
}

constexpr builtins::BuiltinEntry kEntries[] = {
    {"fclose", BuiltinKind::ElementWise, builtins::kIntResult, fcloseBuiltin},
    {"feof", BuiltinKind::ElementWise, builtins::kIntResult, feofBuiltin},
    {"fopen", BuiltinKind::TwoArg, builtins::kDoubleResult, fopenBuiltin},
    {"fread", BuiltinKind::TwoArg, builtins::kDoubleResult, freadBuiltin},
    {"fwrite", BuiltinKind::TwoArg, builtins::kDoubleResult, fwriteBuiltin},
    {"sysCommand", BuiltinKind::ValueToValue, builtins::kIntResult, sysCommandBuiltin},
    {"readtext", BuiltinKind::General, builtins::kListResult, readtextBuiltin, 1, 1},
    {"dispfile", BuiltinKind::General, builtins::kIntResult, dispfileBuiltin, 1, 2},
    {"save", BuiltinKind::General, builtins::kIntResult, saveBuiltin, 2, builtins::kNoUpperBound},
    {"qsave", BuiltinKind::General, builtins::kIntResult, qsaveBuiltin, 2, 2},
    {"writetext", BuiltinKind::General, builtins::kIntResult, writetextBuiltin, 2, 2},
    {"load", BuiltinKind::General, builtins::kDoubleResult, loadBuiltin, 1, 2},
    {"qload", BuiltinKind::General, builtins::kDoubleResult, qloadBuiltin, 1, 1, false,
     qloadResultType},
};

}  // namespace

void registerFileBuiltins(builtins::BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::files
