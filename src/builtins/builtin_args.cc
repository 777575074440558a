// Argument reading for General built-ins: each reader names the built-in in its message.
#include "engine/registry.h"

#include "base/errors.h"
#include "values/value.h"

namespace zirbin::builtins {

Value& BuiltinArgs::value(int i) const {
  ZB_ASSERT(i >= 0 && i < count(), "argument index beyond the checked count");
  // A function reference may stand first in any call; only the routines that evaluate
  // functions read it as one.
  if (slots_[i].value == nullptr) fail("function reference not allowed here");
  return *slots_[i].value;
}

const engine::Evaluatable& BuiltinArgs::function(int i) const {
  ZB_ASSERT(i >= 0 && i < count(), "argument index beyond the checked count");
  if (slots_[i].function == nullptr) throw session::RuntimeError("function missing a parameter");
  return *slots_[i].function;
}

double BuiltinArgs::scalar(int i, const char* message) const {
  const Value& v = value(i);
  if (v.size != 1 || v.valueType() > values::DOUBLE_VAL) fail(message);
  return v.getDouble();
}

int BuiltinArgs::scalarInt(int i, const char* message) const {
  const Value& v = value(i);
  if (v.size != 1 || v.valueType() > values::DOUBLE_VAL) fail(message);
  return v.getInt();
}

std::string BuiltinArgs::text(int i) const { return value(i).toString(); }

void BuiltinArgs::fail(const std::string& message) const { session::checkFailed(name_, message); }

}  // namespace zirbin::builtins
