// The value record: count, rows, flags and type, then the elements in column order or the
// list items as value records, read without trusting a single count.
#include "files/records.h"

#include <algorithm>
#include <cstdint>

#include "values/list_value.h"
#include "values/value.h"

namespace zirbin::files {
namespace {

// The smallest value record: count, rows, flags and type.
constexpr std::uint64_t kRecordHeaderBytes = 16;

struct RecordHeader {
  std::int32_t count = 0;
  std::int32_t rows = 0;
  std::int32_t flags = 0;
  std::int32_t type = 0;
};

bool readHeader(RecordReader& in, RecordHeader& header) {
  return in.readInt32(header.count) && in.readInt32(header.rows) &&
         in.readInt32(header.flags) && in.readInt32(header.type);
}

std::uint64_t elementBytes(std::int32_t type) {
  constexpr std::uint64_t kBytes[] = {4, 8, 16};  // ORDER of INTEGER_VAL .. COMPLEX_VAL
  return kBytes[type];
}

// True when the stored shape is one a value may have: the rows divide the count (and so
// do rows times pages for a 3-D array), and the kind agrees with the type (every non-empty
// list is a JMAT_LIST, no number matrix is one).
bool shapeFits(const RecordHeader& h) {
  if (h.rows < 0) return false;
  int kind = h.flags & values::kKindMask;
  if (h.count == 0) return true;
  if (h.rows == 0 || h.count % h.rows != 0) return false;
  if ((kind == values::JMAT_LIST) != (h.type == values::LIST_VAL)) return false;
  if (kind != values::JMAT_3D) return true;
  std::int64_t pages = h.flags >> values::kPageShift;
  return pages >= 1 && h.count % (static_cast<std::int64_t>(h.rows) * pages) == 0;
}

// The shape of a value cut to its first `kept` elements: the rows stay when they still
// divide the count, else it becomes one column; a cut 3-D array is no longer 3-D.
void cutShape(RecordHeader& h, std::int32_t kept) {
  if (h.count == kept) return;
  int kind = h.flags & values::kKindMask;
  if (kind == values::JMAT_3D) h.flags = values::JMAT_PLAIN;
  if (kept % h.rows != 0 || kind == values::JMAT_3D) h.rows = kept;
  h.count = kept;
}

bool readItems(RecordReader& in, values::ListValue& list, std::int32_t kept,
               std::int32_t stored, int depth);

bool readValueAt(RecordReader& in, std::unique_ptr<values::Value>& out, int depth) {
  out.reset();
  RecordHeader h;
  if (!readHeader(in, h)) return false;
  if (h.count < 0) return true;
  // An empty value has no pages: a stored page count (of any size) is dropped, so that
  // nothing indexes pages that were never allocated.
  if (h.count == 0 && (h.flags & values::kKindMask) == values::JMAT_3D) h.flags = values::JMAT_PLAIN;
  bool isList = h.type == values::LIST_VAL;
  if (h.type < values::INTEGER_VAL || h.type > values::LIST_VAL || !shapeFits(h) ||
      (isList && depth >= kMaxRecordNesting)) {
    in.fail();
    return false;
  }
  // Every stored element must be in the file before anything is allocated for it.
  std::uint64_t each = isList ? kRecordHeaderBytes : elementBytes(h.type);
  std::int32_t stored = h.count;
  if (static_cast<std::uint64_t>(stored) * each > in.remaining()) {
    in.fail();
    return false;
  }
  std::int32_t kept = std::min(stored, kMaxReadElements);
  cutShape(h, kept);
  std::unique_ptr<values::Value> value = values::newValue(h.type);
  value->setLayout(kept, h.rows, h.flags);
  bool ok = isList ? readItems(in, static_cast<values::ListValue&>(*value), kept, stored, depth)
                   : in.readBytes(value->rawData(), kept * each) &&
                         in.skip(static_cast<std::uint64_t>(stored - kept) * each);
  if (ok) out = std::move(value);
  return ok;
}

bool readItems(RecordReader& in, values::ListValue& list, std::int32_t kept,
               std::int32_t stored, int depth) {
  for (std::int32_t i = 0; i < kept; ++i) {
    if (!readValueAt(in, list.data[i].value, depth + 1)) return false;
  }
  std::unique_ptr<values::Value> skipped;
  for (std::int32_t i = kept; i < stored; ++i) {
    if (!readValueAt(in, skipped, depth + 1)) return false;
  }
  return true;
}

void writeNoValue(RecordWriter& out) {
  for (std::int32_t word : {-1, 0, 0, 0}) out.writeInt32(word);
}

void writeValueAt(RecordWriter& out, const values::Value* value, int depth) {
  // Deeper than a reader accepts: written as "no value" so that the file stays readable.
  if (value == nullptr || (depth >= kMaxRecordNesting && value->valueType() == values::LIST_VAL)) {
    writeNoValue(out);
    return;
  }
  out.writeInt32(value->size);
  out.writeInt32(value->nrow);
  out.writeInt32(value->flags);
  out.writeInt32(value->valueType());
  if (value->valueType() != values::LIST_VAL) {
    out.writeBytes(value->rawData(),
                   static_cast<std::uint64_t>(value->size) * value->elementSize());
    return;
  }
  const auto& list = static_cast<const values::ListValue&>(*value);
  for (std::int32_t i = 0; i < list.size; ++i) {
    writeValueAt(out, list.data[i].value.get(), depth + 1);
  }
}

}  // namespace

void writeValue(RecordWriter& out, const values::Value* value) { writeValueAt(out, value, 0); }

bool readValue(RecordReader& in, std::unique_ptr<values::Value>& out) {
  if (readValueAt(in, out, 0)) return true;
  out.reset();
  in.fail();
  return false;
}

bool nestingFits(const values::Value& value, int depth) {
  if (value.valueType() != values::LIST_VAL) return true;
  if (depth >= kMaxRecordNesting) return false;
  const auto& list = static_cast<const values::ListValue&>(value);
  for (std::int32_t i = 0; i < list.size; ++i) {
    const values::Value* item = list.data[i].value.get();
    if (item != nullptr && !nestingFits(*item, depth + 1)) return false;
  }
  return true;
}

}  // namespace zirbin::files
