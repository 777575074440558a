// The built-ins that talk to the session: disp, error, assert, set, ans, exepath, the
// constants true, false, on, off and pi, `end` outside an index, and rat (continued
// fractions).
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <numbers>
#include <string_view>

#include "base/console_output.h"
#include "base/run_context.h"
#include "builtins/builtins_state.h"
#include "builtins/families.h"
#include "builtins/routine_support.h"
#include "builtins/session_settings.h"
#include "engine/run_state.h"
#include "files/state_dir.h"
#include "graphics/colour_table.h"
#include "graphics/graphics_state.h"
#include "values/display.h"

namespace zirbin::builtins {

namespace {

using session::RuntimeError;

// `text` as markup that shows it as it is: each markup character after a backslash.
std::string escapedMarkup(const std::string& text) {
  std::string markup;
  for (char c : text) {
    if (std::string_view(session::kMarkupChars).find(c) != std::string_view::npos) markup += '\\';
    markup += c;
  }
  return markup;
}

// Writes values as disp shows them: a string as its text appended to the current line
// (literally), anything else through the value display. The first value starts a new line
// when `newLineFirst` is set and the current line holds anything. A new line follows the
// last value, unless it is an empty string, which leaves the line open for the next output.
void showValues(const BuiltinArgs& args, int first, bool newLineFirst) {
  session::ConsoleOutput* out = session::runContext->console;
  if (out == nullptr) return;
  bool lineOpen = false;
  // Set when this line began with a displayed value: its group then runs to the end of
  // the line, and a line that is one group shows its text as it is.
  bool inValueGroup = false;
  for (int i = first; i < args.count(); ++i) {
    const Value& v = args.value(i);
    if (v.isChar()) {
      // The literal prefix shows a whole line literally, so it serves only a string that
      // has its line to itself; beside other output its markup characters are escaped,
      // so that neither it nor what follows it is read as markup.
      const std::string text = v.toString();
      const bool ownLine = newLineFirst && i + 1 == args.count();
      if (ownLine || !session::hasMarkupChars(text)) {
        out->print(text, newLineFirst, session::kPrintText);
      } else if (inValueGroup && text.find('}') == std::string::npos) {
        out->print(text, newLineFirst, session::kPrintLines);
      } else {
        out->print(escapedMarkup(text), newLineFirst, session::kPrintLines);
        inValueGroup = false;
      }
      lineOpen = v.size == 0;
    } else {
      inValueGroup = newLineFirst && i == first;
      values::Display(v, false, newLineFirst, false);
      lineOpen = false;
    }
    newLineFirst = false;
  }
  if (!lineOpen) out->newLine();
  builtinsState().dispLeftLineOpen = lineOpen;
}

// The empty string that disp and assert give.
void emptyText(Value& result) {
  result.clear();
  result.flags = values::JMAT_CHAR;
}

void disp(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  // A value shown just before (or any other output) leaves its line unfinished: disp
  // starts its own line then, and continues only a line that an earlier disp left open.
  showValues(args, 0, !builtinsState().dispLeftLineOpen);
  emptyText(result);
  // The empty string means nothing to whoever typed disp(x): no '' after the output.
  session::runContext->answerPrinted = true;
}

// assert(c, ...): nothing when c is non-zero; otherwise writes "assertion" in red with
// the further arguments as disp shows them, and fails.
void assertion(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  if (args.value(0).size != 1) session::checkFailed("assert", "condition was not scalar");
  if (args.value(0).getInt() != 0) {
    emptyText(result);
    return;
  }
  if (session::runContext->console != nullptr)
    session::runContext->console->print("{r assertion} ", true, session::kPrintLines);
  showValues(args, 1, false);
  throw RuntimeError("assertion failed");
}

// error(level, message): a non-zero level fails with the message's text; level 0 writes
// the message as a warning and execution goes on.
void error(Value& level, const Value* message, Value& result) {
  if (level.size != 1) session::checkFailed("error", "level was not scalar");
  if (level.getInt() != 0) throw RuntimeError(message != nullptr ? message->toString() : "");
  if (session::runContext->console != nullptr) {
    session::runContext->console->print("{r warning:} ", true, session::kPrintLines);
    if (message != nullptr && message->isChar()) {
      session::runContext->console->print(message->toString(), false, session::kPrintText);
    } else if (message != nullptr) {
      values::Display(*message, false, false, false);
    }
    session::runContext->console->newLine();
  }
  result.clear();
  result.flags = 0;
  session::runContext->answerPrinted = true;  // the warning is the answer; no [] after it
}

// The one number of the second argument of set; anything else is the operator code ']'.
double settingNumber(const BuiltinArgs& args) {
  if (args.count() < 2 || args.value(1).size != 1) throw session::OperatorCode(']');
  return args.value(1).getDouble();
}

// The colour part of set: "RGB x" gives the colour letter x the colour of the second
// argument (three numbers), or (10, 10, 10) without one.
void setColour(BuiltinArgs& args, const std::string& name, Value& result) {
  if (name.size() <= 4) throw RuntimeError("format should be 'RGB u'");
  // The letter is taken as typed: the colour table tells upper- and lower-case apart.
  unsigned char letter = static_cast<unsigned char>(name[4]);
  graphics::Rgb colour = graphics::rgb(10, 10, 10);
  if (args.count() == 2) {
    std::vector<double> rgb = doublesOf(args.value(1));
    if (rgb.size() != 3) throw RuntimeError("RGB code should have three numbers");
    // Truncated, then taken modulo 256 (the low byte of each channel).
    auto channel = [](double x) { return values::truncateToInt(x) & 0xff; };
    colour = graphics::rgb(channel(rgb[0]), channel(rgb[1]), channel(rgb[2]));
    result.assign(args.value(1));
  } else {
    double* out = shapeDoubles(result, 1, 3);
    out[0] = out[1] = out[2] = 10;
  }
  if (letter < 128 && std::isalpha(letter))
    graphics::colourTable().set(static_cast<char>(letter), colour);
}

// set(name, value): changes a session setting; set() lists the names.
void set(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  if (args.count() == 0) {
    result.assignString("airy, RGB, text");
    return;
  }
  std::string typed = args.text(0);
  std::string name = typed;
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  SessionSettings& settings = sessionSettings();
  if (name == "airy") {
    settings.airyMode = args.count() == 2 ? settingNumber(args) : 1e-09;
    result.assignDouble(settings.airyMode);
  } else if (name == "text") {
    graphics::graphicsState().textRedraw =
        args.count() == 2 ? static_cast<int>(settingNumber(args)) != 0 : true;
    // The result is the switch as a truth value (a double here: General built-ins of
    // double result deliver doubles).
    result.assignDouble(graphics::graphicsState().textRedraw ? 1 : 0);
    result.flags = values::JMAT_BOOL;
  } else if (name.compare(0, 3, "rgb") == 0) {
    setColour(args, typed, result);
  } else if (name == "cd") {
    settings.cdSetting = values::truncateToInt(settingNumber(args));
    result.assignDouble(settings.cdSetting);
  } else {
    session::checkFailed("set", "not a recognized parameter");
  }
}

// rat: continued fractions. The expansion of x takes a = floor(x) as the next term and
// stops when |x - a| < 1e-8 or at 20 terms; otherwise it goes on with 1/(x - a).
constexpr double kRatTolerance = 1e-8;
constexpr int kRatMaxTerms = 20;

std::vector<int> ratTerms(double x) {
  std::vector<int> terms;
  while (static_cast<int>(terms.size()) < kRatMaxTerms) {
    double a = std::floor(x);
    terms.push_back(values::truncateToInt(a));
    if (std::fabs(x - a) < kRatTolerance) break;
    x = 1 / (x - a);
  }
  return terms;
}

// The convergent p/q of the terms with the smallest relative difference from x (the
// first on ties). p and q are 32-bit integers, as the terms are.
std::pair<int, int> bestConvergent(double x) {
  int32_t p0 = 1, q0 = 0;  // the convergent before the first
  int32_t p1 = 0, q1 = 1;  // the one before that
  std::pair<int, int> best{0, 1};
  double bestError = INFINITY;
  for (int a : ratTerms(x)) {
    // Wrapping 32-bit arithmetic, computed unsigned so that overflow is defined.
    int32_t p = static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(p0) +
                                     static_cast<uint32_t>(p1));
    int32_t q = static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(q0) +
                                     static_cast<uint32_t>(q1));
    p1 = p0;
    q1 = q0;
    p0 = p;
    q0 = q;
    double error = std::fabs(static_cast<double>(p) / q - x) / std::fabs(x);
    if (x == 0) error = std::fabs(static_cast<double>(p) / q);
    if (error < bestError) {
      bestError = error;
      best = {p, q};
    }
  }
  return best;
}

// rat(x): for each element the numerator and denominator of its best rational
// approximation, as the columns of a 2 x n int matrix. rat([x, 1]) gives instead the
// terms of the expansion of x as a row.
void rat(Value& argument, Value& result) {
  std::vector<double> a = doublesOf(argument);
  if (a.empty()) {
    result.clear();
    result.flags = 0;
    return;
  }
  if (a.size() == 2 && a[1] == 1) {
    std::vector<int> terms = ratTerms(a[0]);
    int* out = shapeInts(result, 1, static_cast<int64_t>(terms.size()));
    std::copy(terms.begin(), terms.end(), out);
    return;
  }
  int* out = shapeInts(result, 2, static_cast<int64_t>(a.size()));
  for (size_t i = 0; i < a.size(); ++i) {
    auto [p, q] = bestConvergent(a[i]);
    out[2 * i] = p;
    out[2 * i + 1] = q;
  }
}

// The shared values of true and false: 1x1 ints of kind JMAT_BOOL.
IntValue makeBoolean(int truth) {
  IntValue v(truth);
  v.flags = values::JMAT_BOOL;
  return v;
}

Value* booleanValue(bool truth) {
  static IntValue trueShared = makeBoolean(1);
  static IntValue falseShared = makeBoolean(0);
  return truth ? &trueShared : &falseShared;
}

Value* trueValue(int) { return booleanValue(true); }
Value* falseValue(int) { return booleanValue(false); }

// debug [n]: switches the running session's call trace on (n != 0, default 1) and returns
// the old setting.
void debug(BuiltinArgs& args, Value& result, std::span<Value* const>) {
  bool on = true;
  if (args.count() > 0) {
    const Value& v = args.value(0);
    if (v.size != 1 || v.valueType() > values::DOUBLE_VAL) throw session::OperatorCode(']');
    on = v.getDouble() != 0;
  }
  const bool previous = session::runContext->callTrace;
  session::runContext->callTrace = on;
  result.assignInt(previous ? 1 : 0);
}

// ans: the last displayed value.
Value* ans(int) { return const_cast<Value*>(&engine::lastResult().current()); }

// The working directory of the process ("" when it cannot be read).
std::string workingDirectory() {
  std::vector<char> buffer(256);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

// exepath(0): the working directory; exepath(n) for any other n: the program directory.
// Like today and oclock it becomes the last displayed value.
Value* exepath(int which) {
  IntValue path;
  path.assignString(which == 0 ? workingDirectory() : files::programDirectory());
  return storeAsLastResult(path);
}

double on() { return 1; }
double off() { return 0; }
double pi() { return std::numbers::pi; }

// `end` means the last index inside an index; the compiler never calls it there.
double endOutsideIndex() { throw RuntimeError("??endIndex called"); }

constexpr BuiltinKind kNoArg = BuiltinKind::NoArgScalar;
constexpr BuiltinKind kGeneral = BuiltinKind::General;

constexpr BuiltinEntry kEntries[] = {
    {"disp", kGeneral, kIntResult, disp, 1, kNoUpperBound},
    {"assert", kGeneral, kIntResult, assertion, 1, kNoUpperBound},
    {"set", kGeneral, kDoubleResult, set, 0, 2},
    {"debug", kGeneral, kIntResult, debug, 0, kNoUpperBound},
    {"error", BuiltinKind::TwoArg, kDoubleResult, error},
    {"rat", BuiltinKind::ValueToValue, kIntResult, rat},
    {"ans", BuiltinKind::ValueFunc, kDoubleResult, ans},
    {"exepath", BuiltinKind::ValueFunc, kIntResult, exepath},
    {"true", BuiltinKind::ValueFunc, kIntResult, trueValue},
    {"false", BuiltinKind::ValueFunc, kIntResult, falseValue},
    {"on", kNoArg, kDoubleResult, on},
    {"off", kNoArg, kDoubleResult, off},
    {"pi", kNoArg, kDoubleResult, pi},
    {"end", kNoArg, kDoubleResult, endOutsideIndex},
};

}  // namespace

void registerSessionBuiltins(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
