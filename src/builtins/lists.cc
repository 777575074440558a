// Lists and the multiple assignment: list, $multiassign.
#include <algorithm>
#include <memory>

#include "builtins/families.h"
#include "builtins/routine_support.h"
#include "values/list_value.h"

namespace zirbin::builtins {

namespace {

using values::ListValue;

// Above this many items list(n) warns; above the hard limit it refuses.
constexpr double kLargeListItems = 100000;
constexpr double kMaxListItems = 10000000;

ListValue& asList(Value& v) {
  ZB_ASSERT(v.valueType() == values::LIST_VAL, "list routine given a non-list result");
  return static_cast<ListValue&>(v);
}

// list(n) with one number n: a row of n empty items (none for n <= 0).
// list(a, b, ...) otherwise: a row holding copies of the arguments as items.
void list(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  ListValue& out = asList(result);
  bool count = args.count() == 1 && !args.isFunction(0) && args.value(0).size == 1 &&
               args.value(0).valueType() <= values::DOUBLE_VAL && !args.value(0).isChar();
  if (count) {
    double n = args.value(0).getDouble();
    if (n > kMaxListItems) {
      throw session::RuntimeError("attempt to create list of more than 10 million items");
    }
    if (n > kLargeListItems) consoleLine("creating a very large list");
    int items = n > 0 ? static_cast<int>(n) : 0;
    out.clear();
    out.resize(items);
    out.nrow = 1;
    out.flags = values::JMAT_LIST;
    return;
  }
  // The copies are made first: an argument may be the result itself.
  std::vector<std::unique_ptr<Value>> copies;
  for (int i = 0; i < args.count(); ++i) copies.push_back(values::newValueCopy(args.value(i)));
  out.clear();
  out.resize(args.count());
  for (int i = 0; i < args.count(); ++i) out.data[i].value = std::move(copies[i]);
  out.nrow = 1;
  out.flags = values::JMAT_LIST;
}

// [a, b, ...] = [x, y, ...]: output k receives argument k. The arguments are copied
// before any output is written, so that [a, b] = [b, a] swaps.
void multiassign(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  if (args.count() != static_cast<int>(extra.size()) + 1) {
    session::checkFailed("multiple assignment", "non-matching items");
  }
  std::vector<std::unique_ptr<Value>> copies;
  for (int i = 0; i < args.count(); ++i) copies.push_back(values::newValueCopy(args.value(i)));
  result.assign(*copies[0]);
  for (size_t k = 0; k < extra.size(); ++k) extra[k]->assign(*copies[k + 1]);
}

constexpr BuiltinEntry kEntries[] = {
    {"list", BuiltinKind::General, kListResult, list, 0, kNoUpperBound},
    {"$multiassign", BuiltinKind::General, kDoubleResult, multiassign, 1, kNoUpperBound},
};

}  // namespace

void registerLists(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
