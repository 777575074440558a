// User functions: `UserFunc` (declaration, locals, compiled body, call state with saved
// frames) and the `FunctionTable` that owns them by name, with lookup, declaration,
// finishing of a compiled body, removal of dependants and the listing.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "engine/evaluatable.h"
#include "engine/statement.h"
#include "engine/workspace.h"

namespace zirbin::engine {

// Flag bits of a UserFunc.
inline constexpr int kCallsOnlyQuick = 1;     // calls only functions usable in quick contexts
inline constexpr int kQuickSignature = 2;     // signature allows quick use
inline constexpr int kQuick = 4;              // body is one return of one expression
inline constexpr int kSelfContained = 8;      // calls no other user function
inline constexpr int kRecursive = 16;         // the body calls the function itself
inline constexpr int kResourceFunction = 64;  // loaded from the resource folder

// Activations of one function at a time; one more is "max recursion depth exceeded".
inline constexpr int kMaxRecursionDepth = 50;
// A quick function takes at most this many parameters.
inline constexpr int kMaxQuickParameters = 2;
// Activations of user functions of any kind (quick ones included) at a time. A chain of
// different functions calling each other ends here with a clear error instead of
// exhausting the C++ stack (each activation costs a few kilobytes of native stack through
// the nested evaluation).
inline constexpr int kMaxTotalActivations = 2000;

// What a definition header says about a function. The parameter type codes are 1 (double)
// for a plain parameter, 2 (complex) for a parameter written name*, 3 (list) for name[];
// bit i of `referenceMask` is set when parameter i was written with a leading '^'.
struct FunctionDeclaration {
  std::string name;
  std::vector<std::string> outputs;  // the first is the main output ("return" by default)
  std::vector<std::string> parameters;
  std::vector<int> parameterTypes;
  std::vector<int> outputTypes;
  unsigned referenceMask = 0;
  std::vector<double> defaults;  // for the last defaults.size() parameters
  bool vectorised = false;       // defined with '::='

  // True iff the two declarations agree on parameter and output types, references and
  // defaults (names may differ).
  bool matches(const FunctionDeclaration& other) const;
};

class UserFunc : public session::FunctionScopeOwner {
 public:
  explicit UserFunc(FunctionDeclaration declaration);
  ~UserFunc() override;
  UserFunc(const UserFunc&) = delete;
  UserFunc& operator=(const UserFunc&) = delete;

  const std::string& name() const { return declaration_.name; }
  const FunctionDeclaration& declaration() const { return declaration_; }
  int flags() const { return flags_; }
  bool quick() const { return (flags_ & kQuick) != 0; }
  bool hasBody() const { return body_ != nullptr; }
  int parameterCount() const { return static_cast<int>(declaration_.parameters.size()); }
  // Fewest arguments a call needs (the defaults cover the rest).
  int minimumArguments() const {
    return parameterCount() - static_cast<int>(declaration_.defaults.size());
  }
  // Type code of the main output.
  int outputType() const;
  int extraOutputCount() const { return static_cast<int>(extras_.size()); }
  int depth() const { return depth_; }
  const std::string& source() const { return source_; }
  void setSource(std::string text) { source_ = std::move(text); }
  // The file the definition was read from (empty when typed or pasted) and the line of
  // its header there; the debugger shows the lines around a stop from it.
  const std::string& sourceFile() const { return sourceFile_; }
  int headerLine() const { return headerLine_; }
  void setSourceFile(std::string file, int headerLine) {
    sourceFile_ = std::move(file);
    headerLine_ = headerLine;
  }
  void setDeclaration(FunctionDeclaration declaration) { declaration_ = std::move(declaration); }
  void addFlags(int bits) { flags_ |= bits; }
  void removeFlags(int bits) { flags_ &= ~bits; }

  // Starts a compilation of the body: forgets the locals and the output, keeps bit 64,
  // sets bits 1 and 8, and bit 2 when the signature allows quick use.
  void beginCompilation();
  // The value of the local declared at position `index` (parameters first).
  Value* local(int index) const { return locals_[index].get(); }
  int localCount() const { return static_cast<int>(locals_.size()); }
  // The name the local at position `index` was declared with.
  const std::string& localName(int index) const { return localNames_[index]; }
  // The main output value (null before the body declared or finished it).
  Value* mainOutput() const { return output_; }
  // Makes sure a main output exists, creating a double local named "return" if needed.
  Value* ensureOutput();

  // FunctionScopeOwner.
  void adoptLocal(const std::string& name, std::unique_ptr<values::Value> value) override;
  bool addPersistent() override;

  // Takes the compiled body, makes sure of the outputs and decides `quick`. Throws the
  // SyntaxErrors "could not infer a return value for function " + name, " output has not
  // been set" and name + " is incorrectly declared. Try clearing it and recompiling.".
  void finish(StatementPtr body);

  // A general call: binds `arguments` (null entries take defaults; `references[i]` is the
  // caller's variable for a by-reference parameter, or null), runs the body, writes the
  // main output into `result` and extra output k into extraTargets[k]. Prints
  // "invalid input argument" and "in " + name + ";" on the way out of a failure.
  void call(std::span<const Value* const> arguments, std::span<Value* const> references,
            std::span<Value* const> extraTargets, Value& result);
  // A quick call: assigns up to two arguments to the parameters and evaluates the
  // expression of the single return statement into `result` (element by element over
  // the last argument when `vectorised`). Returns the value that holds the result.
  const Value* callQuick(std::span<const Value* const> arguments, bool vectorised,
                         Value& result);
  // A figure callback: refused with "recursion not allowed in mouse function" while the
  // function runs; otherwise assigns `first` to the first parameter and `second` to the
  // second (when there is one), runs the body and writes the main output into `result`.
  void callMouse(const Value& first, const Value& second, Value& result);
  // The expression of a quick function's return statement (null otherwise).
  Evaluatable* quickExpression() const;

  // True iff the body (or a local) refers to `value`.
  bool refersTo(const Value* value) const;

 private:
  // One local of a saved frame: its storage handed over (data), or, for a single number,
  // the number itself while the local keeps its one-element block for the next activation.
  struct SavedSlot {
    void* data = nullptr;
    int size = 0;
    int nrow = 0;
    int flags = 0;
    bool inlineNumber = false;
    alignas(16) unsigned char number[16] = {};
  };
  void insertReturn(BlockStm& block);
  void pushFrame();
  void popFrame();
  void bindArguments(std::span<const Value* const> arguments);
  void copyBackReferences(std::span<Value* const> references);
  void releaseArrays();
  bool savedLocal(std::size_t index) const;
  // The quick call proper: binds the parameters and evaluates the expression.
  const Value* evaluateQuick(std::span<const Value* const> arguments, bool vectorised,
                             Value& result);

  FunctionDeclaration declaration_;
  int flags_ = kCallsOnlyQuick | kSelfContained;
  std::vector<std::unique_ptr<Value>> locals_;
  std::vector<std::string> localNames_;  // in the order of locals_
  int persistentCount_ = 0;
  std::string source_;
  std::string sourceFile_;
  int headerLine_ = 0;
  int depth_ = 0;
  StatementPtr body_;
  Value* output_ = nullptr;
  std::unique_ptr<Value> ownedOutput_;  // made by finish when the body declared none
  std::vector<Value*> extras_;
  std::vector<SavedSlot> frames_;  // the saved frames, locals_.size() slots each
  std::unique_ptr<Value> point_;  // scratch of vectorised quick calls
  bool quickActive_ = false;      // a quick call is being evaluated
};

// Loads the resource file of a name (the program directory's resource/ folder): compiles
// its definitions, also while another function's body is being compiled. Installed by the
// session; returns true iff a file was read.
using ResourceLoader = std::function<bool(const std::string& name)>;

class FunctionTable : public session::FunctionTableHook {
 public:
  explicit FunctionTable(session::ConsoleLine console);
  ~FunctionTable() override;
  FunctionTable(const FunctionTable&) = delete;
  FunctionTable& operator=(const FunctionTable&) = delete;

  void setResourceLoader(ResourceLoader loader) { loader_ = std::move(loader); }

  // FunctionTableHook. findFunction also keeps the self-contained and recursive bits of
  // the function being compiled.
  bool findFunction(const std::string& name) override;
  bool removeFunction(const std::string& name) override;
  void removeAll() override;
  bool refersTo(const values::Value* value) override;

  // The function of the last successful findFunction.
  UserFunc* found() const { return found_; }
  UserFunc* get(const std::string& name) const;

  // Declares a function (`definition`: a body follows; else a funcdec). Throws
  // "user function names may not end with underline", "does not match existing
  // declaration" (definition only), and for resource definitions "name clash with
  // resource function " + name and "zirbin resource defs do not match". A funcdec that
  // does not match prints "does not match existing declaration" and replaces the old
  // function (and so its dependants) by a new one without a body, since calls compiled
  // for the old declaration cannot call the new one.
  UserFunc* declareFunction(bool definition, FunctionDeclaration declaration);
  // The functions declared with funcdec whose bodies have not been compiled yet, in name
  // order.
  std::vector<std::string> pendingFunctions() const;
  // Removes every pending function, with its dependants (after a failed command).
  void removePendingFunctions();

  // The function whose body is being compiled (null at global scope).
  UserFunc* compiling() const { return compiling_; }
  void setCompiling(UserFunc* function) { compiling_ = function; }
  // True while a resource file is being read: declared functions get the resource bit
  // and are checked as such.
  bool loadingResource() const { return !loading_.empty(); }

  // Removes the function `name` alone (a definition that failed to compile).
  void discard(const std::string& name);
  // Removes every function without the self-contained bit, announcing each.
  void removeDependentFunctions();
  // Functions leave the table at once when removed, but are destroyed only here: the
  // statements of the command that removed them may still call them. The command cycle
  // calls this once no compiled statement of the command is alive.
  void releaseRetired() { retired_.clear(); }
  // The listing text for mode 'r' (resource functions) or any other mode (the others).
  std::string listFunctions(char mode) const;
  // Every function in name order.
  const std::map<std::string, std::unique_ptr<UserFunc>>& functions() const { return table_; }

 private:
  using Table = std::map<std::string, std::unique_ptr<UserFunc>>;
  // Moves the function at `it` out of the table into the retired ones; returns the next.
  Table::iterator retire(Table::iterator it);

  session::ConsoleLine console_;
  ResourceLoader loader_;
  Table table_;
  UserFunc* found_ = nullptr;
  UserFunc* compiling_ = nullptr;
  std::set<std::string> loading_;  // names whose resource files are being read
  std::vector<std::unique_ptr<UserFunc>> retired_;  // removed, destroyed by releaseRetired
};

// The description of a function for the listings and the help lookup.
std::string describeFunction(const UserFunc& function);

// Total user-function activations running now (all functions).
int activeCalls();

}  // namespace zirbin::engine
