// ScratchSlot: the slot's own value, and the spares of nested runs.
#include "engine/scratch_slot.h"

#include <gtest/gtest.h>

#include "values/math_matrix.h"

namespace zirbin::engine {
namespace {

TEST(ScratchSlot, NestedRunsGetSparesThatAreKeptForTheNextNesting) {
  ScratchSlot slot(values::DOUBLE_VAL);
  Value* outer = nullptr;
  Value* inner = nullptr;
  Value* innermost = nullptr;
  {
    ScratchSlot::Lease a(slot);
    ScratchSlot::Lease b(slot);
    ScratchSlot::Lease c(slot);
    outer = &a.value();
    inner = &b.value();
    innermost = &c.value();
    EXPECT_NE(outer, inner);
    EXPECT_NE(inner, innermost);
    EXPECT_EQ(inner->valueType(), values::DOUBLE_VAL);
    inner->assignDouble(4);
    innermost->setLayout(100, 100, 0);
  }
  ScratchSlot::Lease a(slot);
  ScratchSlot::Lease b(slot);
  ScratchSlot::Lease c(slot);
  EXPECT_EQ(&a.value(), outer);
  EXPECT_EQ(&b.value(), inner);
  EXPECT_EQ(&c.value(), innermost);
  EXPECT_EQ(b.value().size, 1) << "a spare keeps a number's storage";
  EXPECT_EQ(c.value().size, 0) << "but not an array's";
}

}  // namespace
}  // namespace zirbin::engine
