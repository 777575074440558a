// JMatrix<T>: the generic column-major array behind every value, for T = int, double,
// std::complex<double> and ListItem: allocation and growth, slicing, selection, erasure,
// transposition and indexed assignment.
#pragma once

#include <complex>
#include <cstdint>
#include <string>

#include "values/value.h"

namespace zirbin::values {

class ListItem;

template <typename T>
class JMatrix : public Value {
 public:
  // The element array: exactly `size` elements in use, null when size is 0.
  T* data = nullptr;

  JMatrix() = default;
  // Deep copies.
  JMatrix(const JMatrix& other);
  JMatrix& operator=(const JMatrix& other);
  JMatrix(JMatrix&& other) noexcept;
  JMatrix& operator=(JMatrix&& other) noexcept;
  ~JMatrix() override;

  int valueType() const override;
  void assignString(const std::string& text) override;
  void assignSame(const Value& source) override;
  void assignDouble(double number) override;
  void assignInt(int number) override;
  void assignPromoting(const Value& source) override;
  void setShape(int rows, int cols) override;
  void setLayout(int size, int rows, int flags) override;
  void resizeKeep(int n) override;
  int elementSize() const override;
  bool anyNonZero() const override;
  bool allNonZero() const override;
  int indexOfMin() const override;
  int indexOfMax() const override;
  int findFirst() const override;
  int findLast() const override;
  void stringItem(std::string& out, int index, int precision) const override;
  std::string toString() const override;
  void* rawData() const override { return data; }
  void* elementPtr(int i) const override { return data + i; }
  void getSlice(int i, Value& dest, int mode) const override;
  void selectItems(const int* list, int count, Value& dest, int mode) const override;
  void subMatrix(const int* rows, int rowCount, const int* cols, int colCount,
                 Value& dest) const override;
  void eraseItems(int mode, const int* indices, int count) override;
  void getRow(int i, Value& dest) const override;
  void transpose() override;
  void conjugate() override;
  void release() override;
  void clear() override;
  void adopt(void* array, int size, int rows, int flags) override;
  void logicalNot() override;
  void negate() override;

  // If n differs from size: size := n with unspecified numbers (empty items for a list);
  // contents are not kept; nrow and flags untouched.
  virtual void resize(int n);
  // resize(n), every element := v, nrow := rows; flags untouched. A list gives every item
  // its own deep copy of v's value.
  virtual void resizeFill(int n, int rows, const T& v);

  // Stores into the places named by list[0..count): irc 0 elements, 1 rows, 2 columns,
  // 3 pages. A one-element source fills every named place; otherwise the source's
  // elements, rows, columns or pages are taken in order. REQUIRES: the source has enough
  // elements for the named places. A position outside the value throws '('; irc 3 on a
  // value that is not 3-D throws "BUG: ncol3D called for non-3D value"; another irc throws
  // "invalid irc in in JMatrix<T>::IndexedAssign".
  void IndexedAssign(int irc, const int* list, int count, const JMatrix& source);

  // The element array allocator behind every JMatrix<T>; `adopt` takes arrays made here.
  // Throws RuntimeError "out of memory: cannot allocate N elements" for an impossible n.
  static T* allocate(int64_t n);
  static void deallocate(T* array);

 protected:
  // Makes this a copy of `source` (same class): size, nrow, flags, elements.
  void copyFrom(const JMatrix& source);
  // Elements in the block beyond `size` that may be used without reallocating.
  int32_t capacity_ = 0;

 private:
  void reallocateKeep(int n, int64_t blockSize);
  void sliceInto(int i, JMatrix& dest, int mode) const;
  void eraseElements(const int* sorted, int k);
  void eraseColumns(const int* sorted, int k);
};

extern template class JMatrix<int>;
extern template class JMatrix<double>;
extern template class JMatrix<std::complex<double>>;

}  // namespace zirbin::values
