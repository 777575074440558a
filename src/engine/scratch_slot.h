// ScratchSlot: a statement's own scratch value, reused from one run to the next so that
// evaluating into it allocates nothing inside a loop.
#pragma once

#include <memory>

#include "engine/evaluatable.h"
#include "values/value.h"

namespace zirbin::engine {

// A run that finds the slot busy (a recursive user-function call reaching the same
// statement while an outer run still uses it) gets a fresh value of its own instead.
class ScratchSlot {
 public:
  // `typeCode` 0 to 3; the unknown type (4) gives a double slot.
  explicit ScratchSlot(int typeCode)
      : typeCode_(typeCode >= 0 && typeCode <= 3 ? typeCode : values::DOUBLE_VAL),
        value_(values::newValue(typeCode_)) {}
  ScratchSlot(const ScratchSlot&) = delete;
  ScratchSlot& operator=(const ScratchSlot&) = delete;

  int typeCode() const { return typeCode_; }

  // Holds the slot's value (or a private one) for the time of one evaluation.
  class Lease {
   public:
    explicit Lease(ScratchSlot& slot) : slot_(slot) {
      if (slot.busy_) {
        own_ = values::newValue(slot.typeCode_);
        value_ = own_.get();
      } else {
        slot.busy_ = true;
        value_ = slot.value_.get();
      }
    }
    ~Lease() {
      if (!own_) slot_.busy_ = false;
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    Value& value() const { return *value_; }

   private:
    ScratchSlot& slot_;
    std::unique_ptr<Value> own_;
    Value* value_;
  };

 private:
  int typeCode_;
  std::unique_ptr<Value> value_;
  bool busy_ = false;
};

}  // namespace zirbin::engine
