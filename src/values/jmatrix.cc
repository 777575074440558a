// The JMatrix<T> container algorithms: allocation and growth, assignment and widening,
// zero tests, slicing, selection, erasure, transposition and indexed assignment.
#include "values/jmatrix.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <type_traits>
#include <vector>

#include "base/errors.h"
#include "values/element_ops.h"
#include "values/indexed_places.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::values {

using detail::checkIndex;
using detail::kIsList;

namespace {

// Shrinking keeps the block unless it removes at least this many elements (when less
// than half goes) ...
constexpr int kShrinkReallocateLarge = 100001;
// ... or at least this many (when half or more goes).
constexpr int kShrinkReallocateSmall = 4;

template <typename T>
void copyElements(T* dest, const T* source, int64_t n) {
  if constexpr (std::is_trivially_copyable_v<T>) {
    if (n > 0) std::memcpy(dest, source, static_cast<size_t>(n) * sizeof(T));
  } else {
    for (int64_t i = 0; i < n; ++i) dest[i] = source[i];
  }
}

template <typename T>
void moveElements(T* dest, T* source, int64_t n) {
  if constexpr (std::is_trivially_copyable_v<T>) {
    if (n > 0) std::memmove(dest, source, static_cast<size_t>(n) * sizeof(T));
  } else {
    for (int64_t i = 0; i < n; ++i) dest[i] = std::move(source[i]);
  }
}

// Empties list items in [from, to) so that their values are freed at once.
template <typename T>
void resetItems(T* data, int64_t from, int64_t to) {
  if constexpr (kIsList<T>) {
    for (int64_t i = from; i < to; ++i) data[i].value.reset();
  }
}

// The flags a slice takes: the source's, except that a part of a 3-D array is plain.
int sliceFlags(const Value& source) {
  return source.kind() == JMAT_3D ? JMAT_PLAIN : source.flags;
}

}  // namespace

// ---- allocation ------------------------------------------------------------------------

template <typename T>
T* JMatrix<T>::allocate(int64_t n) {
  int count = checkedCount(n, static_cast<int>(sizeof(T)));
  if (count == 0) return nullptr;
  try {
    return new T[count];  // numbers stay uninitialised, items empty
  } catch (const std::bad_alloc&) {
    throw session::RuntimeError("out of memory: cannot allocate " + std::to_string(n) +
                                " elements");
  }
}

template <typename T>
void JMatrix<T>::deallocate(T* array) {
  delete[] array;
}

template <typename T>
JMatrix<T>::JMatrix(const JMatrix& other) : Value() {
  copyFrom(other);
}

template <typename T>
JMatrix<T>& JMatrix<T>::operator=(const JMatrix& other) {
  copyFrom(other);
  return *this;
}

template <typename T>
JMatrix<T>::JMatrix(JMatrix&& other) noexcept : Value() {
  *this = std::move(other);
}

template <typename T>
JMatrix<T>& JMatrix<T>::operator=(JMatrix&& other) noexcept {
  if (this == &other) return *this;
  deallocate(data);
  data = other.data;
  size = other.size;
  nrow = other.nrow;
  flags = other.flags;
  capacity_ = other.capacity_;
  other.data = nullptr;
  other.size = other.nrow = other.flags = other.capacity_ = 0;
  return *this;
}

template <typename T>
JMatrix<T>::~JMatrix() {
  deallocate(data);
}

template <typename T>
void JMatrix<T>::resize(int n) {
  if (n == size) return;
  // A block at most twice as large as needed is reused rather than reallocated: the
  // contents are not kept either way, and scratch values change size often. (A count
  // that fits the block needs no checking.)
  if (n > 0 && n <= capacity_ && 2 * static_cast<int64_t>(n) >= capacity_) {
    resetItems(data, 0, size);
    size = n;
    return;
  }
  checkedCount(n, static_cast<int>(sizeof(T)));
  resetItems(data, 0, size);
  T* fresh = allocate(n);
  deallocate(data);
  data = fresh;
  size = capacity_ = n;
}

template <typename T>
void JMatrix<T>::reallocateKeep(int n, int64_t blockSize) {
  T* fresh = allocate(blockSize);
  moveElements(fresh, data, std::min(size, n));
  deallocate(data);
  data = fresh;
  capacity_ = static_cast<int32_t>(blockSize);
}

template <typename T>
void JMatrix<T>::resizeKeep(int n) {
  if (n == size) return;
  int oldSize = size;
  if (n > size) {
    checkedCount(n, static_cast<int>(sizeof(T)));
    // Spare capacity makes growing one element at a time amortised O(1).
    if (n > capacity_) {
      int64_t grown = std::max<int64_t>(n, static_cast<int64_t>(size) + size / 2 + 4);
      grown = std::min<int64_t>(grown, INT32_MAX);
      reallocateKeep(n, grown);
    }
  } else {
    int removed = size - n;
    bool reallocate = 2 * static_cast<int64_t>(n) > size ? removed >= kShrinkReallocateLarge
                                                          : removed >= kShrinkReallocateSmall;
    if (reallocate) {
      reallocateKeep(n, n);
    } else {
      resetItems(data, n, size);
    }
  }
  if (nrow == oldSize) nrow = n;
  size = n;
}

template <typename T>
void JMatrix<T>::resizeFill(int n, int rows, const T& v) {
  if constexpr (kIsList<T>) {
    ListItem fill = v;  // v may be one of our own items
    resize(n);
    for (int i = 0; i < n; ++i) data[i] = fill;
  } else {
    T fill = v;
    resize(n);
    if constexpr (std::is_same_v<T, double>) {
      if (fill == 0.0 && !std::signbit(fill)) {
        if (n > 0) std::memset(data, 0, static_cast<size_t>(n) * sizeof(double));
        nrow = rows;
        return;
      }
    }
    std::fill(data, data + n, fill);
  }
  nrow = rows;
}

template <typename T>
void JMatrix<T>::copyFrom(const JMatrix& source) {
  if (this == &source) return;
  if constexpr (kIsList<T>) {
    // The source may live inside one of our own items (x = x{2}): copy it completely
    // before our items go.
    JMatrix copy;
    copy.data = allocate(source.size);
    copy.size = copy.capacity_ = source.size;
    copyElements(copy.data, source.data, source.size);
    copy.nrow = source.nrow;
    copy.flags = source.flags;
    *this = std::move(copy);
    return;
  }
  resize(source.size);
  copyElements(data, source.data, source.size);
  nrow = source.nrow;
  flags = source.flags;
}

template <typename T>
void JMatrix<T>::setShape(int rows, int cols) {
  int64_t count = (rows < 0 || cols < 0) ? std::min(rows, cols)
                                         : static_cast<int64_t>(rows) * cols;
  int n = checkedCount(count, static_cast<int>(sizeof(T)));
  nrow = rows;
  if (n != size) resize(n);
}

template <typename T>
void JMatrix<T>::setLayout(int newSize, int rows, int newFlags) {
  resize(newSize);
  nrow = rows;
  flags = newFlags;
}

template <typename T>
void JMatrix<T>::release() {
  data = nullptr;
  size = 0;
  capacity_ = 0;
}

template <typename T>
void JMatrix<T>::clear() {
  deallocate(data);
  data = nullptr;
  size = nrow = capacity_ = 0;
}

template <typename T>
void JMatrix<T>::adopt(void* array, int newSize, int rows, int newFlags) {
  clear();
  data = static_cast<T*>(array);
  size = capacity_ = newSize;
  nrow = rows;
  flags = newFlags;
}

// ---- type, assignment ------------------------------------------------------------------

template <typename T>
int JMatrix<T>::valueType() const {
  if constexpr (std::is_same_v<T, int>) return INTEGER_VAL;
  else if constexpr (std::is_same_v<T, double>) return DOUBLE_VAL;
  else if constexpr (std::is_same_v<T, Complex>) return COMPLEX_VAL;
  else return LIST_VAL;
}

template <typename T>
int JMatrix<T>::elementSize() const {
  if constexpr (kIsList<T>) return 4;  // a 32-bit pointer in the stored records
  else return static_cast<int>(sizeof(T));
}

// A list assignment of a scalar or string: a 1x1 JMAT_LIST holding `item`.
template <typename T>
static void becomeSingleItemList(JMatrix<T>& list, std::unique_ptr<Value> item) {
  if constexpr (kIsList<T>) {
    list.resize(1);
    list.data[0].value = std::move(item);
    list.nrow = 1;
    list.flags = JMAT_LIST;
  }
}

template <typename T>
void JMatrix<T>::assignString(const std::string& text) {
  if constexpr (kIsList<T>) {
    auto item = std::make_unique<IntValue>();
    item->assignString(text);
    becomeSingleItemList(*this, std::move(item));
  } else if constexpr (std::is_same_v<T, Complex>) {
    throw std::string("you can't assign a character string to a complex value");
  } else {
    int n = checkedCount(static_cast<int64_t>(text.size()), static_cast<int>(sizeof(T)));
    resize(n);
    for (int i = 0; i < n; ++i) data[i] = static_cast<signed char>(text[i]);
    nrow = 1;
    flags = JMAT_CHAR;
  }
}

template <typename T>
void JMatrix<T>::assignSame(const Value& source) {
  if constexpr (kIsList<T>) {
    becomeSingleItemList(*this, newValueCopy(source));
  } else {
    // Another class is a caller's slip: widen it, or refuse a narrowing with '='.
    if (source.valueType() != valueType()) assignPromoting(source);
    else copyFrom(static_cast<const JMatrix&>(source));
  }
}

template <typename T>
void JMatrix<T>::assignDouble(double number) {
  if constexpr (kIsList<T>) {
    becomeSingleItemList(*this, std::make_unique<DoubleValue>(number));
  } else {
    resize(1);
    if constexpr (std::is_same_v<T, int>) data[0] = truncateToInt(number);
    else data[0] = number;
    nrow = 1;
    flags = 0;
  }
}

template <typename T>
void JMatrix<T>::assignInt(int number) {
  if constexpr (kIsList<T>) {
    becomeSingleItemList(*this, std::make_unique<IntValue>(number));
  } else {
    resize(1);
    data[0] = number;
    nrow = 1;
    flags = 0;
  }
}

// Element-by-element widening of a narrower number class into this one.
template <typename T, typename S>
static void widenFrom(JMatrix<T>& target, const Value& source) {
  const S* from = static_cast<const JMatrix<S>&>(source).data;
  target.resize(source.size);
  target.nrow = source.nrow;
  target.flags = source.flags;
  for (int i = 0; i < source.size; ++i) target.data[i] = T(from[i]);
}

template <typename T>
void JMatrix<T>::assignPromoting(const Value& source) {
  int t = valueType();
  int s = source.valueType();
  if (t != s && (t < s || t > COMPLEX_VAL)) throw '=';
  if (t == s) {
    copyFrom(static_cast<const JMatrix&>(source));
    return;
  }
  if constexpr (std::is_same_v<T, double>) {
    widenFrom<T, int>(*this, source);
  } else if constexpr (std::is_same_v<T, Complex>) {
    if (s == INTEGER_VAL) widenFrom<T, int>(*this, source);
    else widenFrom<T, double>(*this, source);
  }
}

// ---- zero tests, extremes --------------------------------------------------------------

template <typename T>
bool JMatrix<T>::anyNonZero() const {
  for (int i = 0; i < size; ++i) {
    if (!detail::isZero(data[i])) return true;
  }
  return false;
}

template <typename T>
bool JMatrix<T>::allNonZero() const {
  for (int i = 0; i < size; ++i) {
    if constexpr (kIsList<T>) {
      // An empty item holds no value and does not count as zero here.
      if (data[i].value && data[i].value->size == 0) return false;
    } else if (detail::isZero(data[i])) {
      return false;
    }
  }
  return true;
}

template <typename T>
int JMatrix<T>::indexOfMin() const {
  int best = 0;
  for (int i = 1; i < size; ++i) {
    if (detail::magnitude(data[i]) < detail::magnitude(data[best])) best = i;
  }
  return best;
}

template <typename T>
int JMatrix<T>::indexOfMax() const {
  int best = 0;
  for (int i = 1; i < size; ++i) {
    if (detail::magnitude(data[i]) > detail::magnitude(data[best])) best = i;
  }
  return best;
}

template <typename T>
int JMatrix<T>::findFirst() const {
  for (int i = 0; i < size; ++i) {
    if (!detail::isZero(data[i])) return i + 1;
  }
  return 0;
}

template <typename T>
int JMatrix<T>::findLast() const {
  for (int i = size - 1; i >= 0; --i) {
    if (!detail::isZero(data[i])) return i + 1;
  }
  return 0;
}

// ---- text ------------------------------------------------------------------------------

template <typename T>
void JMatrix<T>::stringItem(std::string& out, int index, int precision) const {
  if constexpr (kIsList<T>) {
    (void)index;
    (void)precision;
    out = "nested list: stringItem not yet implemented";
  } else {
    out = detail::formatNumber(data[index], precision);
  }
}

template <typename T>
std::string JMatrix<T>::toString() const {
  if constexpr (kIsList<T>) {
    return "ListValue::toString not implemented yet";
  } else {
    int cols = ncol();
    bool vector = isVector() || cols < 1;
    int64_t length = vector ? size : static_cast<int64_t>(nrow) * cols;
    std::string text(static_cast<size_t>(length), '\0');
    for (int64_t i = 0; i < length; ++i) {
      // A matrix runs row after row: the i-th character is element (i / cols, i % cols).
      int64_t from = vector ? i : (i % cols) * nrow + i / cols;
      text[i] = static_cast<char>(detail::characterCode(data[from]) & 0xFF);
    }
    return text;
  }
}

// ---- slicing and selection -------------------------------------------------------------

template <typename T>
void JMatrix<T>::getSlice(int i, Value& dest, int mode) const {
  if (dest.valueType() == valueType() && &dest != this) {
    sliceInto(i, static_cast<JMatrix&>(dest), mode);
    return;
  }
  JMatrix slice;
  sliceInto(i, slice, mode);
  if (dest.valueType() == valueType()) static_cast<JMatrix&>(dest) = std::move(slice);
  else dest.assignPromoting(slice);
}

template <typename T>
void JMatrix<T>::sliceInto(int i, JMatrix& dest, int mode) const {
  if (mode < 0) mode = kind() == JMAT_3D ? kPageMode : isVector() ? kElementMode : kColumnMode;
  int cols = ncol();
  switch (mode) {
    case kElementMode:
      checkIndex(i, size);
      dest.resize(1);
      dest.data[0] = data[i - 1];
      dest.nrow = 1;
      break;
    case kRowMode:
      checkIndex(i, nrow);
      dest.resize(cols);
      for (int c = 0; c < cols; ++c) dest.data[c] = data[static_cast<int64_t>(c) * nrow + i - 1];
      dest.nrow = 1;
      break;
    case kColumnMode:
      checkIndex(i, cols);
      dest.resize(nrow);
      copyElements(dest.data, data + static_cast<int64_t>(i - 1) * nrow, nrow);
      dest.nrow = nrow;
      break;
    case kPageMode: {
      int pageCols = ncol3D();
      checkIndex(i, pages());
      int64_t run = static_cast<int64_t>(nrow) * pageCols;
      dest.resize(static_cast<int>(run));
      copyElements(dest.data, data + (i - 1) * run, run);
      dest.nrow = nrow;
      break;
    }
    default:
      throw std::string("invalid mode in JMatrix<T>::getSlice");
  }
  dest.flags = sliceFlags(*this);
}

template <typename T>
void JMatrix<T>::selectItems(const int* list, int count, Value& dest, int mode) const {
  if (&dest == this || dest.valueType() != valueType()) {
    JMatrix result;
    selectItems(list, count, result, mode);
    if (&dest == this) static_cast<JMatrix&>(dest) = std::move(result);
    else dest.assignPromoting(result);
    return;
  }
  auto& target = static_cast<JMatrix&>(dest);
  if (mode < 0) mode = isVector() ? kElementMode : kColumnMode;
  int cols = ncol();
  if (mode == kElementMode) {
    for (int k = 0; k < count; ++k) checkIndex(list[k], size);
    target.resize(count);
    for (int k = 0; k < count; ++k) target.data[k] = data[list[k] - 1];
    target.nrow = (nrow == 1 && size >= 2) ? 1 : count;
  } else if (mode == kColumnMode) {
    for (int k = 0; k < count; ++k) checkIndex(list[k], cols);
    target.resize(checkedCount(static_cast<int64_t>(nrow) * count, sizeof(T)));
    for (int k = 0; k < count; ++k) {
      copyElements(target.data + static_cast<int64_t>(k) * nrow,
                   data + static_cast<int64_t>(list[k] - 1) * nrow, nrow);
    }
    target.nrow = nrow;
  } else {
    if (mode != kRowMode) throw std::string("invalid mode in JMatrix<T>::selectItems");
    for (int k = 0; k < count; ++k) checkIndex(list[k], nrow);
    target.resize(checkedCount(static_cast<int64_t>(cols) * count, sizeof(T)));
    for (int c = 0; c < cols; ++c) {
      for (int k = 0; k < count; ++k) {
        target.data[static_cast<int64_t>(c) * count + k] =
            data[static_cast<int64_t>(c) * nrow + list[k] - 1];
      }
    }
    target.nrow = count;
  }
  target.flags = sliceFlags(*this);
}

template <typename T>
void JMatrix<T>::subMatrix(const int* rows, int rowCount, const int* cols, int colCount,
                           Value& dest) const {
  if (&dest == this || dest.valueType() != valueType()) {
    JMatrix result;
    subMatrix(rows, rowCount, cols, colCount, result);
    if (&dest == this) static_cast<JMatrix&>(dest) = std::move(result);
    else dest.assignPromoting(result);
    return;
  }
  auto& target = static_cast<JMatrix&>(dest);
  for (int r = 0; r < rowCount; ++r) checkIndex(rows[r], nrow);
  for (int c = 0; c < colCount; ++c) checkIndex(cols[c], ncol());
  target.resize(checkedCount(static_cast<int64_t>(rowCount) * colCount, sizeof(T)));
  for (int c = 0; c < colCount; ++c) {
    const T* column = data + static_cast<int64_t>(cols[c] - 1) * nrow;
    T* out = target.data + static_cast<int64_t>(c) * rowCount;
    for (int r = 0; r < rowCount; ++r) out[r] = column[rows[r] - 1];
  }
  target.nrow = rowCount;
  target.flags = sliceFlags(*this);
}

template <typename T>
void JMatrix<T>::getRow(int i, Value& dest) const {
  if constexpr (kIsList<T>) {
    checkIndex(i + 1, size);
    if (data[i].value) dest.assignPromoting(*data[i].value);
    else dest.clear();
  } else {
    getSlice(i + 1, dest, kRowMode);
  }
}

// ---- erasure and transposition ---------------------------------------------------------

template <typename T>
void JMatrix<T>::eraseItems(int mode, const int* indices, int count) {
  std::vector<int> sorted(indices, indices + count);
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  int k = static_cast<int>(sorted.size());
  if (k == 0) return;
  if (mode == kElementMode) {
    checkIndex(sorted.front(), size);
    checkIndex(sorted.back(), size);
    eraseElements(sorted.data(), k);
  } else if (mode == kColumnMode) {
    checkIndex(sorted.front(), ncol());
    checkIndex(sorted.back(), ncol());
    eraseColumns(sorted.data(), k);
  } else {
    if (mode != kRowMode) throw std::string("invalid mode in JMatrix<T>::eraseItems");
    checkIndex(sorted.front(), nrow);
    checkIndex(sorted.back(), nrow);
    transpose();
    eraseColumns(sorted.data(), k);
    transpose();
    if (size == 0) nrow = 0;
  }
}

template <typename T>
void JMatrix<T>::eraseElements(const int* sorted, int k) {
  int oldSize = size;
  int newSize = size - k;
  if (newSize == 0) {
    clear();
    return;
  }
  if (k == 1) {
    int at = sorted[0] - 1;
    moveElements(data + at, data + at + 1, size - at - 1);
    resetItems(data, size - 1, size);
    size = newSize;
  } else {
    T* fresh = allocate(newSize);
    int out = 0;
    int next = 0;
    for (int i = 0; i < size; ++i) {
      if (next < k && sorted[next] == i + 1) {
        ++next;
        continue;
      }
      fresh[out++] = std::move(data[i]);
    }
    deallocate(data);
    data = fresh;
    size = capacity_ = newSize;
  }
  if (nrow == oldSize) nrow = newSize;
}

template <typename T>
void JMatrix<T>::eraseColumns(const int* sorted, int k) {
  int cols = ncol();
  int64_t newSize = static_cast<int64_t>(cols - k) * nrow;
  T* fresh = allocate(newSize);
  int64_t out = 0;
  int next = 0;
  for (int c = 0; c < cols; ++c) {
    if (next < k && sorted[next] == c + 1) {
      ++next;
      continue;
    }
    moveElements(fresh + out, data + static_cast<int64_t>(c) * nrow, nrow);
    out += nrow;
  }
  deallocate(data);
  data = fresh;
  size = capacity_ = static_cast<int>(newSize);
}

template <typename T>
void JMatrix<T>::transpose() {
  if (size < 2 || nrow < 1) return;
  if (isVector()) {
    nrow = size / nrow;
    return;
  }
  int rows = nrow;
  int cols = ncol();
  T* fresh = allocate(size);
  for (int c = 0; c < cols; ++c) {
    for (int r = 0; r < rows; ++r) {
      fresh[static_cast<int64_t>(r) * cols + c] = std::move(data[static_cast<int64_t>(c) * rows + r]);
    }
  }
  deallocate(data);
  data = fresh;
  capacity_ = size;
  nrow = cols;
}

// ---- element transformations -----------------------------------------------------------

template <typename T>
void JMatrix<T>::conjugate() {
  if constexpr (std::is_same_v<T, Complex>) {
    for (int i = 0; i < size; ++i) data[i] = std::conj(data[i]);
  }
}

template <typename T>
void JMatrix<T>::logicalNot() {
  if constexpr (!kIsList<T>) {
    for (int i = 0; i < size; ++i) data[i] = (data[i] == T(0)) ? T(1) : T(0);
  }
}

template <typename T>
void JMatrix<T>::negate() {
  if constexpr (!kIsList<T>) {
    for (int i = 0; i < size; ++i) data[i] = detail::negated(data[i]);
  }
}

// ---- indexed assignment ----------------------------------------------------------------

template <typename T>
void JMatrix<T>::IndexedAssign(int irc, const int* list, int count, const JMatrix& source) {
  // A list source may be our own item, or live inside one: copy it first.
  if (&source == this || kIsList<T>) {
    JMatrix copy(source);
    detail::visitPlaces(*this, irc, list, count, copy,
                        "invalid irc in in JMatrix<T>::IndexedAssign",
                        [](T& place, const T& value) { place = value; });
    return;
  }
  detail::visitPlaces(*this, irc, list, count, source,
                      "invalid irc in in JMatrix<T>::IndexedAssign",
                      [](T& place, const T& value) { place = value; });
}

template class JMatrix<int>;
template class JMatrix<double>;
template class JMatrix<Complex>;
template class JMatrix<ListItem>;

}  // namespace zirbin::values
