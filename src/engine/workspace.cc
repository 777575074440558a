// The Workspace: classification of names, declarations in the two scopes, and clearing.
#include "engine/workspace.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "base/console_output.h"
#include "base/errors.h"
#include "base/run_context.h"
#include "engine/registry.h"
#include "values/value.h"

namespace zirbin::session {

using values::Value;

const NamedConstant kNamedConstants[kNamedConstantCount] = {
    {"pi", 3.141592653589793},
    {"rt2", 1.4142135623730951},
    {"rt3", 1.7320508075688772},
    {"ee", 2.718281828459045},
    {"ln2", 0.6931471805599453},
    {"deg", 0.017453292519943295},
    {"cc", 299792458.0},
    {"mu0", 1.25663706212e-06},
    {"eps0", 8.8541878128e-12},
    {"GG", 6.674301e-11},
    {"year", 31557600.0},
    {"AU", 149597870700.0},
    {"hbar", 1.054571817e-34},
    {"kB", 1.3806494e-23},
    {"eV", 1.602176634e-19},
    {"Mp", 1.67262192369e-27},
    {"Me", 9.1093837015e-31},
    {"au", 1.6605390666e-27},
    {"NA", 6.02214076e+23},
    {"T0", 273.15},
    {"alpha", 0.0072973525693},
    {"muB", 9.27400915e-24},
    {"sigSB", 5.670373e-08},
    {"lPlanck", 1.616199e-35},
    {"aBohr", 5.2917721092e-11},
    {"Mpc", 3.08567758149137e+22},
    {"inf", std::bit_cast<double>(std::uint64_t{0x7FF0000000000000})},
    {"nan", std::bit_cast<double>(std::uint64_t{0x7FF8000000000000})},
};

namespace {
// The user constants every workspace installs at start and at "clear reset".
constexpr double kStandardGravity = 9.80665;  // "g", m/s^2 (exact by definition)
}  // namespace

std::map<std::string, double>& namedConstants() {
  static std::map<std::string, double> table;
  return table;
}

void fillNamedConstants() {
  auto& table = namedConstants();
  table.clear();
  for (const NamedConstant& c : kNamedConstants) table.emplace(c.name, c.value);
}

Workspace::Workspace(ConsoleLine console) : console_(std::move(console)) {
  builtins_ = [](const std::string& name) {
    return builtinRegistry().lookup(name) != builtins::BuiltinKind::None;
  };
  fillNamedConstants();
  installUserConstants();
}

Workspace::~Workspace() { removeOwnSymbols(); }

void Workspace::print(const std::string& text) const {
  if (console_) {
    console_(text);
  } else if (runContext->console) {
    runContext->console->print(text, true, kPrintText);
  }
}

void Workspace::installUserConstants() {
  userConstants_["c"] = kNamedConstants[6].value;   // "cc"
  userConstants_["G"] = kNamedConstants[9].value;   // "GG"
  userConstants_["g"] = kStandardGravity;
}

SymbolKind Workspace::classify(const std::string& name) {
  lookup_ = Lookup{};
  bool toGlobals = false;
  if (depth_ > 0) {
    if (declaredGlobals_.count(name)) {
      toGlobals = true;
      lookup_.declaredGlobal = true;
    } else {
      if (auto v = functionVariables_.find(name); v != functionVariables_.end()) {
        lookup_.value = lookup_.scopedValue = v->second;
        return lookup_.kind = SymbolKind::kVariable;
      }
      if (auto c = functionConstants_.find(name); c != functionConstants_.end()) {
        lookup_.constant = c->second;
        return lookup_.kind = SymbolKind::kConstant;
      }
    }
  }
  if (auto v = globals_.find(name); v != globals_.end()) {
    lookup_.value = v->second.get();
    if (toGlobals) lookup_.scopedValue = lookup_.value;
    return lookup_.kind = SymbolKind::kVariable;
  }
  if (auto c = userConstants_.find(name); c != userConstants_.end()) {
    lookup_.constant = c->second;
    return lookup_.kind = SymbolKind::kConstant;
  }
  const auto& named = namedConstants();
  if (auto c = named.find(name); c != named.end()) {
    lookup_.constant = c->second;
    return lookup_.kind = SymbolKind::kConstant;
  }
  if (functions_) {
    const bool found = functions_->findFunction(name);
    // Loading a resource file classifies other names on the way.
    lookup_ = Lookup{};
    if (found) return lookup_.kind = SymbolKind::kFunction;
  }
  if (builtins_ && builtins_(name)) {
    lookup_.builtin = true;
    return lookup_.kind = SymbolKind::kFunction;
  }
  return lookup_.kind = SymbolKind::kUnknown;
}

Value* Workspace::declareVariable(const std::string& name, int code) {
  if (depth_ == 0) {
    // Globals are never int: an int or unknown code gives a double.
    std::unique_ptr<Value> value =
        (code <= 1 || code == kUnknownTypeCode) ? values::newValue(1) : values::newValue(code);
    Value* raw = value.get();
    auto& slot = globals_[name];
    if (slot) retire(std::move(slot));
    slot = std::move(value);
    return raw;
  }
  std::unique_ptr<Value> value = code <= 1 ? values::newValue(1) : values::newValue(code);
  Value* raw = value.get();
  if (scopeOwner_) scopeOwner_->adoptLocal(name, std::move(value));
  else retire(std::move(value));  // no owner: keep it alive with the workspace
  functionVariables_[name] = raw;
  return raw;
}

void Workspace::setVariable(const std::string& name, Value* value) {
  if (depth_ > 0) {
    functionVariables_[name] = value;
    return;
  }
  auto& slot = globals_[name];
  if (slot.get() == value) return;
  if (slot) retire(std::move(slot));
  slot.reset(value);
}

void Workspace::eraseVariable(const std::string& name) {
  if (depth_ > 0) {
    functionVariables_.erase(name);
    return;
  }
  auto v = globals_.find(name);
  if (v == globals_.end()) return;
  retire(std::move(v->second));
  globals_.erase(v);
}

std::string Workspace::defineConst(const std::string& name, double x) {
  auto& constants = depth_ > 0 ? functionConstants_ : userConstants_;
  if (auto c = constants.find(name); c != constants.end()) {
    if (c->second == x && !std::isnan(x)) return {};
    return "attempt to change value of a const";
  }
  const bool isVariable =
      depth_ > 0 ? functionVariables_.count(name) > 0 : globals_.count(name) > 0;
  if (isVariable) return "const name clash";
  constants.emplace(name, x);
  return {};
}

std::string Workspace::declareGlobal(const std::string& name) {
  if (depth_ == 0) return "invalid command at global scope";
  if (functionVariables_.count(name)) return "misplaced declaration";
  declaredGlobals_.emplace(name, 0);
  if (!globals_.count(name)) globals_[name] = values::newValue(1);
  return {};
}

std::string Workspace::declarePersistent(const std::string& name, double x) {
  if (depth_ == 0) return "invalid command at global scope";
  if (functionVariables_.count(name)) return "misplaced declaration";
  Value* value = declareVariable(name, 1);
  value->assignDouble(x);
  if (scopeOwner_ && !scopeOwner_->addPersistent()) {
    throw SyntaxError("misplaced persistent declaration");
  }
  return {};
}

ClearResult Workspace::clearSymbol(const std::string& name, bool constMode) {
  if (name == "reset" || name == "everything") {
    clearAll(name == "reset");
    return ClearResult::kCleared;
  }
  const SymbolKind kind = classify(name);
  if (constMode) {
    if (kind != SymbolKind::kConstant) return ClearResult::kCleared;
    if (userConstants_.erase(name) == 0) namedConstants().erase(name);
    return ClearResult::kConstantCleared;
  }
  switch (kind) {
    case SymbolKind::kUnknown:
      return ClearResult::kNoSuchSymbol;
    case SymbolKind::kFunction:
      if (lookup_.builtin || !functions_) return ClearResult::kBuiltin;
      return functions_->removeFunction(name) ? ClearResult::kCleared : ClearResult::kFailed;
    case SymbolKind::kVariable:
      eraseVariable(name);
      return ClearResult::kCleared;
    case SymbolKind::kConstant:
      throw RuntimeError("To clear a constant you must use 'clear (const) " + name + "'");
  }
  ZB_UNREACHABLE();
}

void Workspace::removeOwnSymbols() {
  if (functions_) functions_->removeAll();
  // Statements compiled earlier in the command that runs "clear" may still point at the
  // values; releaseRetired frees them after the command.
  for (auto& [name, value] : globals_) retire(std::move(value));
  globals_.clear();
  userConstants_.clear();
}

void Workspace::clearAll(bool rebuild) {
  removeOwnSymbols();
  if (rebuild) {
    fillNamedConstants();
    installUserConstants();
  } else {
    namedConstants().clear();
  }
}

bool Workspace::inUse(const Value* value, const InUseQuery& openStatements) const {
  return openStatements && openStatements(value);
}

void Workspace::enterFunctionScope(FunctionScopeOwner* owner, std::string name) {
  scopeOwner_ = owner;
  functionName_ = std::move(name);
  depth_ = 1;
}

void Workspace::leaveFunctionScope() {
  functionConstants_.clear();
  functionVariables_.clear();
  declaredGlobals_.clear();
  scopeOwner_ = nullptr;
  functionName_.clear();
  depth_ = 0;
}

Workspace::SuspendedScope Workspace::suspendFunctionScope() {
  SuspendedScope scope{depth_,          std::move(functionConstants_), std::move(functionVariables_),
                       std::move(declaredGlobals_), scopeOwner_, std::move(functionName_)};
  leaveFunctionScope();
  return scope;
}

Workspace::SuspendedScope Workspace::bindInlineParameter(const std::string& name,
                                                         Value* parameter) {
  SuspendedScope scope{depth_,           functionConstants_, functionVariables_,
                       declaredGlobals_, scopeOwner_,        functionName_};
  if (depth_ == 0) {
    // No owner: the expression declares nothing, and the parameter belongs to the caller.
    scopeOwner_ = nullptr;
    depth_ = 1;
  }
  functionConstants_.erase(name);
  declaredGlobals_.erase(name);
  functionVariables_[name] = parameter;
  return scope;
}

void Workspace::resumeFunctionScope(SuspendedScope scope) {
  depth_ = scope.depth;
  functionConstants_ = std::move(scope.constants);
  functionVariables_ = std::move(scope.variables);
  declaredGlobals_ = std::move(scope.declaredGlobals);
  scopeOwner_ = scope.owner;
  functionName_ = std::move(scope.name);
}

Value* Workspace::findGlobal(const std::string& name) const {
  auto v = globals_.find(name);
  return v == globals_.end() ? nullptr : v->second.get();
}

void Workspace::retire(std::unique_ptr<Value> value) {
  if (value) retired_.push_back(std::move(value));
}

void Workspace::releaseRetired() {
  std::vector<std::unique_ptr<Value>> kept;
  for (auto& value : retired_) {
    if (functions_ && functions_->refersTo(value.get())) {
      value->clear();
      kept.push_back(std::move(value));
    }
  }
  retired_ = std::move(kept);
}

}  // namespace zirbin::session
