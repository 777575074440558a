// User functions: declaration matching, compilation bookkeeping, the general call with
// saved frames and by-reference parameters, the quick call, and the function table.
#include "engine/user_function.h"

#include <algorithm>
#include <cstring>

#include "base/errors.h"
#include "base/run_context.h"
#include "engine/assign_statements.h"
#include "engine/run_state.h"
#include "values/math_matrix.h"
#include "values/value.h"

namespace zirbin::engine {

using session::RuntimeError;
using session::SyntaxError;

namespace {

// Counts one activation of any user function for the time of a call.
class ActivationCount {
 public:
  explicit ActivationCount(const std::string& name) {
    if (session::runContext->activeCalls >= kMaxTotalActivations) {
      session::checkFailed(name, "max recursion depth exceeded");
    }
    ++session::runContext->activeCalls;
  }
  ~ActivationCount() { --session::runContext->activeCalls; }
  ActivationCount(const ActivationCount&) = delete;
  ActivationCount& operator=(const ActivationCount&) = delete;
};

// to := from when both are doubles and from is a single number, without the general
// assignment's steps; the usual case of arguments and results. Returns false otherwise.
bool assignSingleDouble(Value& to, const Value& from) {
  if (from.size != 1 || from.valueType() != values::DOUBLE_VAL ||
      to.valueType() != values::DOUBLE_VAL) {
    return false;
  }
  auto& target = static_cast<values::DoubleValue&>(to);
  if (target.size != 1) target.resize(1);
  target.data[0] = static_cast<const values::DoubleValue&>(from).data[0];
  target.nrow = from.nrow;
  target.flags = from.flags;
  return true;
}

// An argument of type t suits a parameter of type p when t = p or t < p <= 2.
bool suits(int t, int p) { return t == p || (t < p && p <= values::COMPLEX_VAL); }

}  // namespace

int activeCalls() { return session::runContext->activeCalls; }

bool FunctionDeclaration::matches(const FunctionDeclaration& other) const {
  return parameterTypes == other.parameterTypes && outputTypes == other.outputTypes &&
         referenceMask == other.referenceMask && defaults == other.defaults;
}

UserFunc::UserFunc(FunctionDeclaration declaration) : declaration_(std::move(declaration)) {}

UserFunc::~UserFunc() = default;

int UserFunc::outputType() const {
  if (output_) return output_->valueType();
  return declaration_.outputTypes.empty() ? values::DOUBLE_VAL : declaration_.outputTypes[0];
}

void UserFunc::beginCompilation() {
  body_.reset();
  locals_.clear();
  localNames_.clear();
  persistentCount_ = 0;
  output_ = nullptr;
  ownedOutput_.reset();
  extras_.clear();
  frames_.clear();
  flags_ = (flags_ & kResourceFunction) | kCallsOnlyQuick | kSelfContained;
  const bool allDouble =
      std::all_of(declaration_.parameterTypes.begin(), declaration_.parameterTypes.end(),
                  [](int t) { return t == values::DOUBLE_VAL; }) &&
      std::all_of(declaration_.outputTypes.begin(), declaration_.outputTypes.end(),
                  [](int t) { return t == values::DOUBLE_VAL; });
  if (parameterCount() <= kMaxQuickParameters && declaration_.outputs.size() <= 1 && allDouble &&
      declaration_.defaults.empty()) {
    flags_ |= kQuickSignature;
  }
}

void UserFunc::adoptLocal(const std::string& name, std::unique_ptr<values::Value> value) {
  Value* raw = value.get();
  locals_.push_back(std::move(value));
  localNames_.push_back(name);
  const auto& outputs = declaration_.outputs;
  for (std::size_t k = 0; k < outputs.size(); ++k) {
    if (outputs[k] != name) continue;
    if (k == 0) {
      output_ = raw;
    } else {
      extras_.push_back(raw);
    }
  }
}

bool UserFunc::addPersistent() {
  ++persistentCount_;
  return static_cast<int>(locals_.size()) == parameterCount() + persistentCount_;
}

Value* UserFunc::ensureOutput() {
  if (!output_) {
    ownedOutput_ = values::newValue(values::DOUBLE_VAL);
    output_ = ownedOutput_.get();
  }
  return output_;
}

void UserFunc::insertReturn(BlockStm& block) {
  // The last statement, when it is an expression, gives the function's value.
  if (block.statements().empty()) return;
  Statement& last = *block.statements().back();
  if (!dynamic_cast<EvalStm*>(&last) || !last.expression()) return;
  const int line = last.line();
  EvaluatablePtr expression = last.releaseExpression();
  if (expression->resultType() != values::DOUBLE_VAL && expression->resultType() != values::INTEGER_VAL) {
    ownedOutput_ = values::newValue(expression->resultType() == kUnknownType ? values::DOUBLE_VAL
                                                                            : expression->resultType());
    output_ = ownedOutput_.get();
  }
  block.replaceLast(std::make_unique<ReturnStm>(std::move(expression), line, output_));
}

void UserFunc::finish(StatementPtr body) {
  const auto* block = dynamic_cast<const BlockStm*>(body.get());
  const bool singleReturn = dynamic_cast<const ReturnStm*>(body.get()) != nullptr;
  if ((flags_ & kQuickSignature) && (flags_ & kCallsOnlyQuick) && singleReturn &&
      body->expression() != nullptr) {
    flags_ |= kQuick;
  } else {
    flags_ &= ~kQuick;
  }
  if (!output_) {
    if (!block && !singleReturn) {
      throw SyntaxError("could not infer a return value for function " + name());
    }
    ensureOutput();
    if (block) insertReturn(*static_cast<BlockStm*>(body.get()));
  }
  const std::size_t wanted = declaration_.outputs.empty() ? 0 : declaration_.outputs.size() - 1;
  if (extras_.size() > wanted) {
    throw SyntaxError(name() + " is incorrectly declared. Try clearing it and recompiling.");
  }
  if (extras_.size() < wanted) throw SyntaxError(" output has not been set");
  body_ = std::move(body);
}

Evaluatable* UserFunc::quickExpression() const {
  return quick() ? body_->expression() : nullptr;
}

bool UserFunc::refersTo(const Value* value) const { return body_ && body_->uses(value); }

bool UserFunc::savedLocal(std::size_t index) const {
  const auto params = static_cast<std::size_t>(parameterCount());
  return index < params || index >= params + static_cast<std::size_t>(persistentCount_);
}

void UserFunc::pushFrame() {
  // Frames lie one after another in one array that keeps its capacity, so that a
  // recursive call allocates nothing once the deepest frame has been reached. A single
  // number (or an empty local) is saved in the frame itself: the local is emptied but
  // keeps its block (resizeKeep(0) keeps a one-element block), so binding the next
  // argument or assigning the next number allocates nothing either.
  for (std::size_t i = 0; i < locals_.size(); ++i) {
    Value& v = *locals_[i];
    if (!savedLocal(i)) {
      frames_.push_back(SavedSlot{nullptr, 0, 0, 0});
      continue;
    }
    if (v.size <= 1 && v.valueType() <= values::COMPLEX_VAL) {
      // Filled in place: a slot built aside and copied in stalls on its partial writes.
      SavedSlot& slot = frames_.emplace_back();
      slot.size = v.size;
      slot.nrow = v.nrow;
      slot.flags = v.flags;
      slot.inlineNumber = true;
      if (v.size == 1) {
        std::memcpy(slot.number, v.rawData(), static_cast<std::size_t>(v.elementSize()));
      }
      v.resizeKeep(0);
    } else {
      frames_.push_back(SavedSlot{v.rawData(), v.size, v.nrow, v.flags});
      v.release();
    }
    v.nrow = 0;
    v.flags = 0;
  }
}

void UserFunc::popFrame() {
  const std::size_t first = frames_.size() - locals_.size();
  for (std::size_t i = 0; i < locals_.size(); ++i) {
    if (!savedLocal(i)) continue;
    const SavedSlot& s = frames_[first + i];
    Value& v = *locals_[i];
    if (s.inlineNumber && s.size == 1) {
      v.setLayout(1, s.nrow, s.flags);
      std::memcpy(v.rawData(), s.number, static_cast<std::size_t>(v.elementSize()));
    } else if (s.inlineNumber) {
      v.resizeKeep(0);
      v.nrow = s.nrow;
      v.flags = s.flags;
    } else {
      v.adopt(s.data, s.size, s.nrow, s.flags);
    }
  }
  frames_.resize(first);
}

void UserFunc::releaseArrays() {
  for (std::size_t i = 0; i < locals_.size(); ++i) {
    if (savedLocal(i) && locals_[i]->size > 1) locals_[i]->clear();
  }
}

void UserFunc::bindArguments(std::span<const Value* const> arguments) {
  const int n = parameterCount();
  const int firstDefault = n - static_cast<int>(declaration_.defaults.size());
  for (int i = 0; i < n; ++i) {
    Value& parameter = *locals_[i];
    const Value* argument = i < static_cast<int>(arguments.size()) ? arguments[i] : nullptr;
    if (!argument) {
      parameter.assignDouble(declaration_.defaults[i - firstDefault]);
      continue;
    }
    if ((declaration_.referenceMask >> i) & 1U) {
      if (!suits(argument->valueType(), parameter.valueType())) {
        throw RuntimeError("argument has incorrect type");
      }
    }
    if (!assignSingleDouble(parameter, *argument)) parameter.assign(*argument);
  }
}

void UserFunc::copyBackReferences(std::span<Value* const> references) {
  for (std::size_t i = 0; i < references.size(); ++i) {
    Value* target = references[i];
    if (!target) continue;
    Value& parameter = *locals_[i];
    if (parameter.valueType() != values::DOUBLE_VAL) {
      throw RuntimeError("pass by reference not yet implemented for complex or list");
    }
    if (target->valueType() == values::DOUBLE_VAL) {
      target->adopt(parameter.rawData(), parameter.size, parameter.nrow, parameter.flags);
      parameter.release();
      parameter.nrow = 0;
      parameter.flags = 0;
    } else {
      target->assign(parameter);
      parameter.clear();
    }
  }
}

void UserFunc::call(std::span<const Value* const> arguments, std::span<Value* const> references,
                    std::span<Value* const> extraTargets, Value& result) {
  // The command cycle compiles every declared body before a command runs; a call that
  // still finds none is refused rather than run.
  if (!body_) session::checkFailed(name(), "declared function has no body");
  if (depth_ < 0) session::checkFailed(name(), "negative recursion depth: something is wrong");
  if (depth_ >= kMaxRecursionDepth) session::checkFailed(name(), "max recursion depth exceeded");
  session::pollInterrupt();
  ActivationCount count(name());
  if (depth_ > 0) pushFrame();
  ++depth_;
  bool binding = true;
  try {
    bindArguments(arguments);
    binding = false;
    body_->exe();
    session::runContext->keepRunning =
        !session::haltRequested && !session::runContext->endRequested;
    if (!assignSingleDouble(result, *output_)) result.assign(*output_);
    for (std::size_t k = 0; k < extraTargets.size() && k < extras_.size(); ++k) {
      if (extras_[k]->valueType() != values::DOUBLE_VAL) {
        throw RuntimeError("non-double type output not yet implemented");
      }
      extraTargets[k]->assign(*extras_[k]);
    }
    copyBackReferences(references);
  } catch (...) {
    if (binding) consoleLine("invalid input argument");
    try {
      copyBackReferences(references);
    } catch (...) {
      // The first failure is the one reported.
    }
    consoleLine("in " + name() + ";");
    session::runContext->keepRunning =
        !session::haltRequested && !session::runContext->endRequested;
    --depth_;
    if (depth_ > 0) {
      popFrame();
    } else {
      releaseArrays();
    }
    throw;
  }
  --depth_;
  if (depth_ > 0) {
    popFrame();
  } else {
    releaseArrays();
  }
}

void UserFunc::callMouse(const Value& first, const Value& second, Value& result) {
  if (!body_) session::checkFailed(name(), "declared function has no body");
  if (depth_ != 0) session::checkFailed(name(), "recursion not allowed in mouse function");
  ActivationCount count(name());
  ++depth_;
  try {
    const Value* arguments[] = {&first, &second};
    int n = std::min(parameterCount(), 2);
    for (int i = 0; i < n; ++i) locals_[i]->assign(*arguments[i]);
    const int firstDefault = minimumArguments();
    for (int i = n; i < parameterCount(); ++i) {
      if (i >= firstDefault) locals_[i]->assignDouble(declaration_.defaults[i - firstDefault]);
    }
    body_->exe();
    session::runContext->keepRunning = !session::haltRequested;
    result.assign(*output_);
  } catch (...) {
    consoleLine("in " + name() + ";");
    session::runContext->keepRunning = !session::haltRequested;
    --depth_;
    releaseArrays();
    throw;
  }
  --depth_;
  releaseArrays();
}

const Value* UserFunc::callQuick(std::span<const Value* const> arguments, bool vectorised,
                                 Value& result) {
  // Built-ins call quick functions at points of their own (integrands, right-hand sides,
  // targets of fzero and fmin): each call is a place where an interrupt is seen.
  session::pollInterrupt();
  if (!quick()) {
    // A call compiled while the function was quick, run after it was redefined.
    call(arguments, {}, {}, result);
    return &result;
  }
  ActivationCount count(name());
  if (!quickActive_) {
    quickActive_ = true;
    try {
      const Value* v = evaluateQuick(arguments, vectorised, result);
      quickActive_ = false;
      return v;
    } catch (...) {
      quickActive_ = false;
      throw;
    }
  }
  // Re-entered through a general function that its expression calls (an inline function
  // of a recursive body): the outer evaluation's parameters and scratch are set aside.
  std::vector<std::unique_ptr<Value>> saved;
  for (int i = 0; i < parameterCount(); ++i) saved.push_back(values::newValueCopy(*locals_[i]));
  std::unique_ptr<Value> point = std::move(point_);
  const auto restore = [&]() {
    for (std::size_t i = 0; i < saved.size(); ++i) locals_[i]->assign(*saved[i]);
    point_ = std::move(point);
  };
  try {
    const Value* v = evaluateQuick(arguments, vectorised, result);
    if (v != &result) result.assign(*v);
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return &result;
}

const Value* UserFunc::evaluateQuick(std::span<const Value* const> arguments, bool vectorised,
                                     Value& result) {
  Evaluatable* expression = quickExpression();
  const std::size_t n = std::min(arguments.size(), static_cast<std::size_t>(parameterCount()));
  for (std::size_t i = 0; i < n; ++i) {
    if (!suits(arguments[i]->valueType(), locals_[i]->valueType())) {
      throw RuntimeError("invalid data type for quick user function");
    }
  }
  if (!vectorised || n == 0) {
    for (std::size_t i = 0; i < n; ++i) locals_[i]->assign(*arguments[i]);
    // The expression computes into a value of its own class; callers compute with the
    // workspace's class, so a value of another class (an integer body f := 2, a complex
    // one f(t) := t + z) is assigned into it: widened, or refused with '=' as narrowing.
    const int type = expression->resultType();
    std::unique_ptr<Value> own;
    if (type != result.valueType() && type <= values::LIST_VAL) own = values::newValue(type);
    const Value* v = expression->pValue(own ? *own : result);
    if (v->valueType() != result.valueType() && result.valueType() <= values::COMPLEX_VAL) {
      result.assign(*v);
      return &result;
    }
    return v;
  }
  if (outputType() != values::DOUBLE_VAL) {
    throw RuntimeError("vectorization only implemented for functions of output-type double");
  }
  for (std::size_t i = 0; i + 1 < n; ++i) locals_[i]->assign(*arguments[i]);
  values::DoubleValue points;
  points.assign(*arguments[n - 1]);
  if (!point_) point_ = values::newValue(values::DOUBLE_VAL);
  values::DoubleValue out;
  out.setLayout(points.size, points.nrow, points.flags & ~values::kKindMask);
  Value& parameter = *locals_[n - 1];
  for (int k = 0; k < points.size; ++k) {
    session::pollInterrupt();
    parameter.assignDouble(points.data[k]);
    const Value* v = expression->pValue(*point_);
    // Each element must give one number.
    if (v->size != 1) session::checkFailed(name(), "vectorized function must give one value per element");
    out.data[k] = v->getDouble();
  }
  result.assign(out);
  return &result;
}

FunctionTable::FunctionTable(session::ConsoleLine console) : console_(std::move(console)) {}

FunctionTable::~FunctionTable() = default;

UserFunc* FunctionTable::get(const std::string& name) const {
  auto it = table_.find(name);
  return it == table_.end() ? nullptr : it->second.get();
}

bool FunctionTable::findFunction(const std::string& name) {
  UserFunc* f = get(name);
  if (!f && loader_ && !loading_.count(name)) {
    // A resource file may define the name; its compilation must not disturb the
    // bookkeeping of the function being compiled now. A file that names itself without
    // defining it is not read again.
    UserFunc* outer = compiling_;
    compiling_ = nullptr;
    loading_.insert(name);
    try {
      loader_(name);
    } catch (...) {
      loading_.erase(name);
      compiling_ = outer;
      throw;
    }
    loading_.erase(name);
    compiling_ = outer;
    f = get(name);
  }
  if (!f) return false;
  found_ = f;
  if (compiling_) {
    if (f == compiling_) {
      compiling_->addFlags(kRecursive);
      compiling_->removeFlags(kCallsOnlyQuick);
    } else {
      compiling_->removeFlags(kSelfContained);
      if (!(f->flags() & (kCallsOnlyQuick | kSelfContained))) {
        compiling_->removeFlags(kCallsOnlyQuick);
      }
    }
  }
  return true;
}

UserFunc* FunctionTable::declareFunction(bool definition, FunctionDeclaration declaration) {
  const std::string name = declaration.name;
  if (!name.empty() && name.back() == '_') {
    throw SyntaxError("user function names may not end with underline");
  }
  UserFunc* existing = get(name);
  if (!existing) {
    auto made = std::make_unique<UserFunc>(std::move(declaration));
    UserFunc* f = made.get();
    if (loadingResource()) f->addFlags(kResourceFunction);
    table_[name] = std::move(made);
    return f;
  }
  if (loadingResource() && !(existing->flags() & kResourceFunction)) {
    throw SyntaxError("name clash with resource function " + name);
  }
  if (existing->depth() != 0) {
    // Replacing the body of a running function would free the statement being run.
    session::checkFailed(name, "can't redefine a function while it runs");
  }
  if (!existing->declaration().matches(declaration)) {
    if (loadingResource()) throw SyntaxError("zirbin resource defs do not match");
    if (definition) throw SyntaxError("does not match existing declaration");
    if (console_) console_("does not match existing declaration");
    removeFunction(name);
    auto made = std::make_unique<UserFunc>(std::move(declaration));
    UserFunc* f = made.get();
    table_[name] = std::move(made);
    return f;
  }
  existing->setDeclaration(std::move(declaration));
  return existing;
}

std::vector<std::string> FunctionTable::pendingFunctions() const {
  std::vector<std::string> names;
  for (const auto& [name, f] : table_) {
    if (!f->hasBody()) names.push_back(name);
  }
  return names;
}

void FunctionTable::removePendingFunctions() {
  for (const std::string& name : pendingFunctions()) removeFunction(name);
}

FunctionTable::Table::iterator FunctionTable::retire(Table::iterator it) {
  if (found_ == it->second.get()) found_ = nullptr;
  retired_.push_back(std::move(it->second));
  return table_.erase(it);
}

bool FunctionTable::removeFunction(const std::string& name) {
  auto it = table_.find(name);
  if (it == table_.end()) return false;
  if (it->second->depth() != 0) return false;
  retire(it);
  removeDependentFunctions();
  return true;
}

void FunctionTable::discard(const std::string& name) {
  auto it = table_.find(name);
  if (it != table_.end()) retire(it);
}

void FunctionTable::removeDependentFunctions() {
  int removed = 0;
  for (auto it = table_.begin(); it != table_.end();) {
    if ((it->second->flags() & kSelfContained) || it->second->depth() != 0) {
      ++it;
      continue;
    }
    if (console_) console_(it->first + " removed");
    it = retire(it);
    ++removed;
  }
  if (removed > 0 && console_) console_(std::to_string(removed) + " functions removed");
}

void FunctionTable::removeAll() {
  for (auto it = table_.begin(); it != table_.end();) it = retire(it);
}

bool FunctionTable::refersTo(const values::Value* value) {
  return std::any_of(table_.begin(), table_.end(),
                     [value](const auto& entry) { return entry.second->refersTo(value); });
}

std::string describeFunction(const UserFunc& function) {
  std::string text = (function.flags() & kResourceFunction) ? "Zirbin resource"
                                                             : "user-defined function";
  text += "\n" + function.name() + ", output type " +
          (function.outputType() == values::INTEGER_VAL   ? "int"
           : function.outputType() == values::COMPLEX_VAL ? "complex"
           : function.outputType() == values::LIST_VAL    ? "list"
                                                          : "double");
  std::size_t start = 0;
  const std::string& source = function.source();
  while (start < source.size()) {
    std::size_t end = source.find('\n', start);
    if (end == std::string::npos) end = source.size();
    text += "\n line " + source.substr(start, end - start);
    start = end + 1;
  }
  return text;
}

std::string FunctionTable::listFunctions(char mode) const {
  std::string text;
  if (mode == 'r') {
    for (const auto& [name, f] : table_) {
      if (f->flags() & kResourceFunction) text += name + "  ";
    }
    return text.empty() ? text : "Resources:\n" + text;
  }
  std::string others;
  for (const auto& [name, f] : table_) {
    if (f->flags() & kResourceFunction) continue;
    (f->quick() ? text : others) += describeFunction(*f) + "\n";
  }
  if (!text.empty()) text = "--Quick functions:\n" + text;
  if (!others.empty()) text += "\n--User Functions:\n" + others;
  return text;
}

}  // namespace zirbin::engine
