// ScratchSlot: a statement's own scratch value, reused from one run to the next so that
// evaluating into it allocates nothing inside a loop.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "engine/evaluatable.h"
#include "values/value.h"

namespace zirbin::engine {

// A run that finds the slot busy (a recursive user-function call reaching the same
// statement while an outer run still uses it) gets a value of its own instead: one of the
// slot's spares, one per level of nesting, kept for the next nested run so that recursion
// allocates nothing once it has been as deep before. Leases end in the reverse order of
// their start (they are scoped).
class ScratchSlot {
 public:
  // `typeCode` 0 to 3; the unknown type (4) gives a double slot.
  explicit ScratchSlot(int typeCode)
      : typeCode_(typeCode >= 0 && typeCode <= 3 ? typeCode : values::DOUBLE_VAL),
        value_(values::newValue(typeCode_)) {}
  ScratchSlot(const ScratchSlot&) = delete;
  ScratchSlot& operator=(const ScratchSlot&) = delete;

  int typeCode() const { return typeCode_; }

  // Holds the slot's value (or a spare) for the time of one evaluation.
  class Lease {
   public:
    explicit Lease(ScratchSlot& slot) : slot_(slot) {
      if (!slot.busy_) {
        slot.busy_ = true;
        value_ = slot.value_.get();
        return;
      }
      nested_ = true;
      if (slot.nested_ == slot.spares_.size()) {
        slot.spares_.push_back(values::newValue(slot.typeCode_));
      }
      value_ = slot.spares_[slot.nested_++].get();
    }
    ~Lease() {
      if (!nested_) {
        slot_.busy_ = false;
        return;
      }
      --slot_.nested_;
      // A spare keeps a few numbers' storage, not an array's.
      if (value_->size > kSpareElements) value_->clear();
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    Value& value() const { return *value_; }

   private:
    ScratchSlot& slot_;
    Value* value_;
    bool nested_ = false;
  };

 private:
  // The most elements a spare keeps between nested runs.
  static constexpr int kSpareElements = 16;

  int typeCode_;
  std::unique_ptr<Value> value_;
  bool busy_ = false;
  std::vector<std::unique_ptr<Value>> spares_;
  std::size_t nested_ = 0;  // spares in use
};

}  // namespace zirbin::engine
