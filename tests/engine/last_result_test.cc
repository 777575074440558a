// The last displayed value: its slots survive a store, so that a display statement that
// evaluates into a slot while a built-in stores its answer there sees that answer.
#include <gtest/gtest.h>

#include "engine/run_state.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::engine {
namespace {

TEST(LastResult, StoreCopiesIntoTheSlotWithoutReplacingItFixed) {
  // today and oclock store their answer as the last result and return the slot; the
  // display statement holds a reference to the same slot (this used to dangle).
  values::Value& slot = lastResult().slot(values::INTEGER_VAL);
  values::IntValue date;
  date.assignString("Tue Dec  8 2026");
  lastResult().store(date);
  EXPECT_EQ(&lastResult().slot(values::INTEGER_VAL), &slot);
  EXPECT_EQ(slot.toString(), "Tue Dec  8 2026");
  EXPECT_EQ(lastResult().currentType(), values::INTEGER_VAL);
  EXPECT_EQ(&lastResult().current(), &slot);
}

TEST(LastResult, StoringTheSlotItselfKeepsItsValue) {
  values::Value& slot = lastResult().slot(values::DOUBLE_VAL);
  slot.assignDouble(2.5);
  lastResult().store(slot);
  EXPECT_DOUBLE_EQ(lastResult().current().getDouble(), 2.5);
}

}  // namespace
}  // namespace zirbin::engine
