// The Workspace: the table of every name a compiled line can refer to (variables, user and
// named constants, user functions, built-ins), with the global scope and the scope of the
// function body being compiled, and the process-wide named-constant table.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zirbin::values {
class Value;
}

namespace zirbin::session {

// Value type codes used when a variable is declared: 0 int, 1 double, 2 complex, 3 list;
// 4 is a type decided only at run time (the compilers use it).
inline constexpr int kUnknownTypeCode = 4;

// What `classify` found. The numbers are the kinds the compilers test.
enum class SymbolKind : int { kUnknown = 0, kConstant = 1, kFunction = 2, kVariable = 3 };

// Results of clearSymbol.
enum class ClearResult : int {
  kCleared = 0,          // removed (or "reset"/"everything" done)
  kNoSuchSymbol = 1,     // the name is not known
  kBuiltin = 2,          // a built-in function; refused
  kConstantCleared = 3,  // a constant removed in const mode
  kFailed = 4,           // could not be removed
};

// One entry of the named-constant table, filled at start and by "clear reset".
struct NamedConstant {
  const char* name;
  double value;
};

// The 28 named constants, in table order. "inf" and "nan" are filled in by the table's
// builder (their bit patterns 0x7FF0000000000000 and 0x7FF8000000000000).
inline constexpr int kNamedConstantCount = 28;
extern const NamedConstant kNamedConstants[kNamedConstantCount];

// The process-wide named-constant table (bytewise ordered). Written at start and by
// `clear reset`/`clear everything`/`clear (const) name` through a Workspace; read by every
// Workspace's classify. Shared by all interpreter instances.
std::map<std::string, double>& namedConstants();

// Refills the named-constant table with the 28 entries.
void fillNamedConstants();

// Hook to the user-function table (a field of the workspace once user functions exist).
// Until one is installed, no name is a user function. The table, not the workspace, owns
// the functions.
class FunctionTableHook {
 public:
  virtual ~FunctionTableHook() = default;
  // Returns true iff `name` is a user function (may load a resource function).
  virtual bool findFunction(const std::string& name) = 0;
  // Destroys the user function `name` and then every function that is not self-contained,
  // announcing each on the console (name + " removed", then n + " functions removed").
  // Returns false when it could not be removed.
  virtual bool removeFunction(const std::string& name) = 0;
  // Destroys every user function.
  virtual void removeAll() = 0;
  // Returns true iff some user function refers to `value` (a global variable).
  virtual bool refersTo(const values::Value* value) = 0;
};

// Hook to the built-in registry: returns true iff `name` is a built-in function. The
// process-wide registry is used unless another lookup is installed.
using BuiltinLookup = std::function<bool(const std::string& name)>;

// Hook to the function whose body is being compiled (its `UserFunc`), which owns the
// local values declared while its body compiles.
class FunctionScopeOwner {
 public:
  virtual ~FunctionScopeOwner() = default;
  // Takes ownership of a new local value declared under `name`: appends it to the local
  // values and, when `name` is one of the output names, makes it that output's value.
  virtual void adoptLocal(const std::string& name, std::unique_ptr<values::Value> value) = 0;
  // Raises the persistent count by one. Returns true iff the local values are now exactly
  // the parameters followed by the persistent variables.
  virtual bool addPersistent() = 0;
};

// Writes one console line (the console output of the instance that owns the workspace).
using ConsoleLine = std::function<void(const std::string& text)>;

class Workspace {
 public:
  // Builds an empty workspace, fills the named-constant table and installs "c", "G", "g".
  // `console` receives the workspace's console lines (when empty they go to the running
  // session's console).
  explicit Workspace(ConsoleLine console = {});
  // Removes every user function, global variable and user constant. The named-constant
  // table stays: the other sessions of the process go on using it.
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  // Installs the hooks (either may be null / empty; not owned).
  void setFunctionTable(FunctionTableHook* table) { functions_ = table; }
  FunctionTableHook* functionTable() const { return functions_; }
  void setBuiltinLookup(BuiltinLookup lookup) { builtins_ = std::move(lookup); }
  void setConsole(ConsoleLine console) { console_ = std::move(console); }
  // Writes one console line through the installed console.
  void print(const std::string& text) const;

  // The results of the last classify; callers read them right after the call.
  struct Lookup {
    SymbolKind kind = SymbolKind::kUnknown;
    values::Value* value = nullptr;        // the variable found
    values::Value* scopedValue = nullptr;  // found through the function's scope
    double constant = 0.0;                 // the constant's value
    bool declaredGlobal = false;           // step 1 sent the search to the globals
    bool builtin = false;                  // a function found in the built-in registry
  };

  // Says what `name` is. Search order (first hit wins): in function scope, declared globals
  // go straight to the globals; function variables; function constants; global variables;
  // user constants, then named constants; user functions, then built-ins; else unknown.
  SymbolKind classify(const std::string& name);
  const Lookup& lookup() const { return lookup_; }

  // Declares `name` with a type code and returns the new value. At global scope codes
  // 0, 1, 4 and negative ones give an empty double; the value replaces any earlier one
  // (which is retired, see below). In function scope codes up to 1 give a double, others
  // newValue(code); the value is handed to the FunctionScopeOwner and stored in the
  // function variables.
  values::Value* declareVariable(const std::string& name, int code);
  // Stores a non-owned pointer in the function variables (depth > 0), else stores and
  // takes ownership in the global variables.
  void setVariable(const std::string& name, values::Value* value);
  // Removes the name from the function or global variables without destroying the value
  // (at global scope the ownership passes to the retired values).
  void eraseVariable(const std::string& name);

  // Declarations. Each returns an empty text on success, else the message to throw as a
  // SyntaxError. declarePersistent throws SyntaxError "misplaced persistent declaration"
  // itself.
  std::string defineConst(const std::string& name, double x);
  std::string declareGlobal(const std::string& name);
  std::string declarePersistent(const std::string& name, double x);

  // Clears one symbol ("reset" and "everything" clear all). Throws RuntimeError for a
  // constant outside const mode.
  ClearResult clearSymbol(const std::string& name, bool constMode);
  // Removes every user function, global variable and user constant; with `rebuild` the
  // named constants and "c", "G", "g" are installed again, without it the named-constant
  // table is emptied as well.
  void clearAll(bool rebuild);

 private:
  // The part of clearAll that touches only this workspace.
  void removeOwnSymbols();

 public:
  // The in-use check of `clear`: the compiler registers a query that says whether an open
  // statement refers to a value. Returns true iff the query says so.
  using InUseQuery = std::function<bool(const values::Value* value)>;
  bool inUse(const values::Value* value, const InUseQuery& openStatements) const;

  // Scopes. enterFunctionScope starts compiling the body of the function `name`, owned by
  // `owner`; leaveFunctionScope empties the function tables and returns to global scope.
  void enterFunctionScope(FunctionScopeOwner* owner, std::string name = {});
  void leaveFunctionScope();
  int functionDepth() const { return depth_; }
  bool inFunctionScope() const { return depth_ > 0; }
  // The name of the function whose body is being compiled (empty at global scope).
  const std::string& functionName() const { return functionName_; }

  // A function scope set aside. Only resumeFunctionScope reads it.
  struct SuspendedScope {
    int depth = 0;
    std::map<std::string, double> constants;
    std::map<std::string, values::Value*> variables;
    std::map<std::string, int> declaredGlobals;
    FunctionScopeOwner* owner = nullptr;
    std::string name;
  };
  // Sets the scope of the body being compiled aside and returns to global scope, so that
  // a resource function met in the body can be compiled as a definition of its own.
  SuspendedScope suspendFunctionScope();
  // While an inline function's expression compiles, `name` means `parameter` (not owned),
  // hiding any variable, constant or global declaration of that name; the variables of an
  // enclosing function body stay visible. The scope is in function mode throughout.
  SuspendedScope bindInlineParameter(const std::string& name, values::Value* parameter);
  // Puts back the scope that suspendFunctionScope or bindInlineParameter set aside.
  void resumeFunctionScope(SuspendedScope scope);

  // Read access for the session file, the listing built-ins and tests.
  const std::map<std::string, std::unique_ptr<values::Value>>& globalVariables() const {
    return globals_;
  }
  const std::map<std::string, double>& userConstants() const { return userConstants_; }
  // Returns the global variable `name`, or null.
  values::Value* findGlobal(const std::string& name) const;

  // Frees the values of removed or re-declared globals. The statements of the command
  // that removed them may still read them, so the command cycle calls this between
  // commands, once no compiled statement is alive; values that a user function still
  // refers to are only emptied, and stay until clearAll.
  void releaseRetired();

 private:
  void installUserConstants();
  // Keeps a removed global's value object alive until releaseRetired, so that compiled
  // statements still pointing at it never read freed memory.
  void retire(std::unique_ptr<values::Value> value);

  ConsoleLine console_;
  FunctionTableHook* functions_ = nullptr;
  BuiltinLookup builtins_;

  std::map<std::string, double> userConstants_;
  std::map<std::string, std::unique_ptr<values::Value>> globals_;
  Lookup lookup_;
  int depth_ = 0;
  std::map<std::string, double> functionConstants_;
  std::map<std::string, values::Value*> functionVariables_;  // owned by the scope owner
  std::map<std::string, int> declaredGlobals_;
  FunctionScopeOwner* scopeOwner_ = nullptr;
  std::string functionName_;
  std::vector<std::unique_ptr<values::Value>> retired_;
};

}  // namespace zirbin::session
