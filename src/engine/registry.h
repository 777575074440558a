// The built-in registry: every built-in function's name, calling convention (its kind),
// result type and routine, the complex forms of the element functions, and the keyword
// table that the statement compiler shares with it.
#pragma once

#include <complex>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zirbin::values {
class Value;
}  // namespace zirbin::values

namespace zirbin::compiler {
struct Token;
}  // namespace zirbin::compiler

namespace zirbin::session {
class ConsoleOutput;
class Workspace;
}  // namespace zirbin::session

namespace zirbin::engine {
class Evaluatable;
class UserFunc;
}  // namespace zirbin::engine

namespace zirbin::builtins {

using values::Value;

// The calling conventions. The number is the kind code the compilers and the help lookup
// use; `None` is what `lookup` answers for a name that is not a built-in.
enum class BuiltinKind : int {
  None = 0,
  NoArgScalar = 1,    // TicLikeFuncElement
  ValueFunc = 2,      // AnsFuncElement
  ElementWise = 3,    // SimpleFuncElement and kin
  ColumnWise = 4,     // ColumnWiseFuncD_Element, ColumnWiseFuncI_Element
  ValueToScalar = 5,  // Value2ScalarD_Element, Value2ScalarI_Element
  ValueToValue = 6,   // DVal_DValFuncElement, DVal_IValFuncElement
  TwoArg = 7,         // TwoArgFuncElement
  FunctorTwoArg = 8,  // SimpleFunctorElement
  General = 9,        // GeneralFuncElement
  UserFunction = 10,  // UserFuncElement, QuickUserFuncElement; never registered here
};

// Result type codes of the registry (the value type codes).
constexpr int kIntResult = 0;
constexpr int kDoubleResult = 1;
constexpr int kComplexResult = 2;
constexpr int kListResult = 3;

// A maximum argument count of -1 means "no upper bound".
constexpr int kNoUpperBound = -1;

class BuiltinArgs;

// Routine signatures, one per kind (kinds 4 and 5 share theirs, and so do 7 and 8).
//
// NoArgScalar: returns the number.
using NoArgScalarRoutine = double (*)();
// ValueFunc: takes the optional integer argument (0 when absent or empty) and returns a
// value the routine keeps owning; the caller copies it.
using ValueFuncRoutine = Value* (*)(int);
// ElementWise: applied to every element; double (result 1) or int (result 0).
using ElementDoubleRoutine = double (*)(double);
using ElementIntRoutine = int (*)(int);
// The complex forms of ElementWise double routines (see ComplexForm).
using ComplexRoutine = std::complex<double> (*)(std::complex<double>);
using ComplexToDoubleRoutine = double (*)(std::complex<double>);
// ColumnWise and ValueToScalar: a whole value (ColumnWise: a vector, one column of a
// matrix) to one double (result 1) or one int (result 0). The argument is an IntValue or
// a DoubleValue for ColumnWise; any class for ValueToScalar.
using ValueToDoubleRoutine = double (*)(const Value&);
using ValueToIntRoutine = int (*)(const Value&);
// ValueToValue: writes its result into `result`. `argument` is what the argument node
// yielded: it may be `result` itself (the routine then works in place) or a variable's
// own value, which the stack and sorting routines `pop`, `qpop` and `sortit` change on
// purpose (that is how they reach the variable); every other routine leaves it unchanged.
using ValueToValueRoutine = void (*)(Value& argument, Value& result);
// TwoArg and FunctorTwoArg: `first` as for ValueToValue (`push` changes it on purpose);
// `second` is a DoubleValue, or null when the call has one argument (TwoArg only).
using TwoArgRoutine = void (*)(Value& first, const Value* second, Value& result);
// General: reads its arguments through `args` (whose count the caller has checked against
// the entry's bounds) and writes its main output into `result`. `extraOutputs` holds the
// targets of outputs 2, 3, ... when a multiple assignment asks for more than one output
// (empty otherwise); a routine with fewer outputs than asked refuses the call.
using GeneralRoutine = void (*)(BuiltinArgs& args, Value& result,
                                std::span<Value* const> extraOutputs);

using Routine = std::variant<NoArgScalarRoutine, ValueFuncRoutine, ElementDoubleRoutine,
                             ElementIntRoutine, ValueToDoubleRoutine, ValueToIntRoutine,
                             ValueToValueRoutine, TwoArgRoutine, GeneralRoutine>;

// For a General built-in whose result type follows from a first argument written as a
// string in the command (`qload`: the type of the value stored in the named file): returns
// the type code the call compiles with, or -1 to keep the registered result type. The
// compiler calls it once, while the command compiles.
using ResultTypeProbe = int (*)(const std::string& firstArgument);

// One line of a family's table. `minArgs`/`maxArgs` matter for the General kind only (the
// other kinds have fixed bounds). `booleanResult` marks int ColumnWise routines whose
// result is a truth value (`all`, `any`): the result then gets the kind JMAT_BOOL.
// `resultTypeProbe` (General kind only) may be null.
struct BuiltinEntry {
  const char* name;
  BuiltinKind kind;
  int resultType;
  Routine routine;
  int minArgs = 0;
  int maxArgs = 0;
  bool booleanResult = false;
  ResultTypeProbe resultTypeProbe = nullptr;
};

// The complex form of an ElementWise double routine: exactly one of the two routines is
// set; `resultType` is 2 for complex -> complex and 1 for complex -> double.
struct ComplexForm {
  ComplexRoutine toComplex = nullptr;
  ComplexToDoubleRoutine toDouble = nullptr;
  int resultType = kComplexResult;
};

// One line of a family's complex-form table: the ElementWise double built-in `name` gets
// the complex form `form`.
struct ComplexFormEntry {
  const char* name;
  ComplexForm form;
};

// What `find` reports about a built-in.
struct FunctionInfo {
  BuiltinKind kind = BuiltinKind::None;
  int resultType = kDoubleResult;
  // Set for a user function, for a General built-in that takes arguments of any type
  // (complex and list arguments included), and for the value queries that answer for
  // every value (type, typeinfo, size and the is-queries of the shape).
  bool takesAnyType = false;
  bool booleanResult = false;
  const char* name = nullptr;                // the built-in's name (null for a user function)
  Routine routine;                           // a built-in's routine
  // The argument count it takes: minArgs to maxArgs (kNoUpperBound: no limit).
  int minArgs = 0;
  int maxArgs = 0;
  std::pair<int, int> bounds() const { return {minArgs, maxArgs}; }
  // The result-type probe of a General built-in (see BuiltinEntry); null for most.
  ResultTypeProbe resultTypeProbe = nullptr;
};

// The registry. Filled once at start-up by registerAll (library.h), read-only afterwards:
// lookups return what they found and change nothing, so any thread may look up.
class BuiltinRegistry {
 public:
  BuiltinRegistry() = default;
  BuiltinRegistry(const BuiltinRegistry&) = delete;
  BuiltinRegistry& operator=(const BuiltinRegistry&) = delete;

  // Registers every entry, in order. A name registered again overwrites its record.
  // REQUIRES: each routine's signature is the one of its kind and result type; maxArgs is
  // kNoUpperBound or at least minArgs; kind is not UserFunction.
  void add(std::span<const BuiltinEntry> entries);
  // Gives ElementWise double built-ins their complex forms.
  // REQUIRES: each name is registered as an ElementWise double built-in.
  void addComplexForms(std::span<const ComplexFormEntry> entries);

  // Returns the kind of `name`, or None when it is not a built-in.
  BuiltinKind lookup(std::string_view name) const;
  // The built-in registered as `name` (kind, result type, routine, argument bounds), or
  // nullopt when there is none.
  std::optional<FunctionInfo> find(std::string_view name) const;
  // The complex form of the ElementWise double built-in `name`, if it has one.
  std::optional<ComplexForm> complexForm(std::string_view name) const;

  // Every registered name, in bytewise order (for the help lookup and its tests).
  std::vector<std::string> names() const;

  // The answer to a "?" or "??" line: the help library registers it with its built-ins, so
  // that the statement compiler, which meets the query, need not know the help subsystem.
  // Null until registered; the compiler then answers nothing.
  using HelpResponder = void (*)(const std::vector<compiler::Token>& query,
                                 session::Workspace& workspace, session::ConsoleOutput& output);
  void setHelpResponder(HelpResponder responder) { helpResponder_ = responder; }
  HelpResponder helpResponder() const { return helpResponder_; }

 private:
  // The routine tables, one per (kind, result type) group; kinds 4 and 5 share theirs,
  // and so do 7 and 8; the General kind has one for all result types (see registry.cc).
  static constexpr int kTableCount = 10;
  struct Record {
    BuiltinKind kind;
    int index;
    int resultType;
  };
  struct RoutineSlot {
    const char* name;
    Routine routine;
    int minArgs;
    int maxArgs;
    bool booleanResult;
    bool takesAnyType;
    ResultTypeProbe resultTypeProbe;
  };
  static int tableOf(BuiltinKind kind, int resultType);
  // (minimum, maximum) argument count of the built-in `record` stands for.
  std::pair<int, int> argumentBounds(const Record& record) const;

  std::map<std::string, Record, std::less<>> names_;
  std::vector<RoutineSlot> tables_[kTableCount];
  std::map<std::string, ComplexForm, std::less<>> complexForms_;
  HelpResponder helpResponder_ = nullptr;
};

// One argument slot of a General call: the argument's value, or, for the leading
// function-reference arguments (`\name`), the unevaluated reference node.
struct BuiltinArg {
  Value* value = nullptr;
  const engine::Evaluatable* function = nullptr;
};

// The arguments of a General built-in, read the way Lua's luaL_check* functions read
// theirs: each reader checks what the routine needs and fails with "in " + the built-in's
// name + ": " + the message. The slots stay owned by the caller.
class BuiltinArgs {
 public:
  BuiltinArgs(const char* name, std::span<const BuiltinArg> slots) : name_(name), slots_(slots) {}

  const char* name() const { return name_; }
  int count() const { return static_cast<int>(slots_.size()); }
  bool isFunction(int i) const { return slots_[i].function != nullptr; }

  // The value of argument i. REQUIRES: i < count().
  // Fails with "function reference not allowed here" when argument i is a reference.
  Value& value(int i) const;
  // The function reference of argument i. REQUIRES: i < count().
  // Fails with "function missing a parameter" when argument i is a value.
  const engine::Evaluatable& function(int i) const;
  // Argument i as one number: it must hold exactly one element, else fails with `message`.
  double scalar(int i, const char* message) const;
  int scalarInt(int i, const char* message) const;
  // Argument i as text (its elements as bytes).
  std::string text(int i) const;

  // Throws RuntimeError "in " + name() + ": " + message.
  [[noreturn]] void fail(const std::string& message) const;

 private:
  const char* name_;
  std::span<const BuiltinArg> slots_;
};

// The keyword table of the statement compiler. The codes are fixed: 8 and 12 are unused.
enum class Keyword : int {
  None = 0,
  While = 1,
  If = 2,
  Unless = 3,
  For = 4,
  Else = 5,
  Clear = 6,
  Return = 7,
  Function = 9,
  End = 10,
  Funcdec = 11,
  Const = 13,
  Global = 14,
  Persistent = 15,
  Use = 16,
  Break = 17,
  Continue = 18,
};

// Returns the keyword `name` stands for, or Keyword::None.
Keyword keywordCode(std::string_view name);
// Every keyword, in bytewise order (for name completion).
std::vector<std::string_view> keywordNames();

}  // namespace zirbin::builtins
