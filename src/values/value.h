// The run-time value model: the abstract Value with its fields and virtual interface, the
// type codes and shape kinds, and the two value factories.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zirbin::values {

// Value type codes (valueType), ordered by width: widening only ever goes to a higher
// code among 0, 1, 2; the list code is never a widening target.
inline constexpr int INTEGER_VAL = 0;
inline constexpr int DOUBLE_VAL = 1;
inline constexpr int COMPLEX_VAL = 2;
inline constexpr int LIST_VAL = 3;
// Used by the compilers for a node whose type only evaluation decides; no value has it.
inline constexpr int RUNTIME_TYPE_VAL = 4;

// Shape kinds: the low nibble of `flags`. For JMAT_3D the page count is flags >> 4.
inline constexpr int JMAT_PLAIN = 0;   // ordinary numeric matrix
inline constexpr int JMAT_BOOL = 1;    // logical matrix of 0 and 1
inline constexpr int JMAT_CHAR = 2;    // character matrix; a string is one row
inline constexpr int JMAT_PAIRED = 3;  // complex joined from real and imaginary parts
inline constexpr int JMAT_ZIPKEY = 4;  // zipped key; displays like a string
inline constexpr int JMAT_LIST = 6;    // every non-empty ListValue
inline constexpr int JMAT_3D = 8;      // three-dimensional array
inline constexpr int kKindMask = 0xF;
inline constexpr int kPageShift = 4;

// Modes of getSlice/selectItems/eraseItems and the "irc" of IndexedAssign: what a 1-based
// index names. A negative slicing mode chooses automatically (page for a 3-D value,
// element for a vector, column otherwise).
inline constexpr int kElementMode = 0;
inline constexpr int kRowMode = 1;
inline constexpr int kColumnMode = 2;
inline constexpr int kPageMode = 3;
inline constexpr int kAutoMode = -1;

// A value: a column-major 2-D (or 3-D) array whose elements are all of one kind.
// Element (r, c), both 0-based, is element c*nrow + r. Every value owns its element array
// exclusively; copies are deep. An empty value has size 0, nrow 0, flags 0.
//
// Operations that take a destination `Value&` fill it directly when it is of the same
// class as `*this`; a destination of another class receives the result by widening
// assignment (operator code '=' when that would narrow). The destination may be `*this`.
// Index arguments are 1-based unless said otherwise; a position outside the value throws
// the operator code '('; a mode that an operation does not know throws an internal text
// ("invalid mode in ...").
// Errors: the one-character operator codes ('=' incompatible assignment, '(' out of
// bounds), internal texts thrown as std::string, RuntimeError for allocation failures
// ("out of memory: cannot allocate N elements").
class Value {
 public:
  int32_t size = 0;   // number of elements
  int32_t nrow = 0;   // number of rows; the column count is derived
  int32_t flags = 0;  // bits 0-3 shape kind, bits 4 and up the page count of a 3-D array

  Value() = default;
  virtual ~Value() = default;

  // The type code (INTEGER_VAL ... LIST_VAL).
  virtual int valueType() const = 0;
  // Widening assignment (assignPromoting); returns *this.
  virtual Value& assign(const Value& source);
  // One element per byte, taken as a signed char; nrow 1, kind JMAT_CHAR. A complex value
  // throws the text "you can't assign a character string to a complex value"; a list
  // becomes a 1x1 JMAT_LIST holding an IntValue string.
  virtual void assignString(const std::string& text) = 0;
  // Copies size, nrow, flags and the elements of a value of the same class (another class
  // is assigned by widening, '=' when narrowing). A list instead becomes a 1x1 list whose
  // item is a copy of the source (any class).
  virtual void assignSame(const Value& source) = 0;
  // 1x1, flags 0 (an IntValue truncates toward zero); a list becomes a 1x1 list of it.
  virtual void assignDouble(double number) = 0;
  virtual void assignInt(int number) = 0;
  // Same class: a copy; int -> double -> complex widens element by element keeping
  // shape and flags; narrowing and any list/numeric mix throw the operator code '='.
  virtual void assignPromoting(const Value& source) = 0;
  // nrow := rows; resize to rows*cols when that differs from size (contents not kept).
  virtual void setShape(int rows, int cols) = 0;
  // resize(size), then nrow := rows and flags := flags.
  virtual void setLayout(int size, int rows, int flags) = 0;
  // New element count keeping the first min(old, n) elements. A column vector (nrow equal
  // to the old size, 1x1 included) stays a column: nrow := n. Growth is amortised O(1).
  virtual void resizeKeep(int n) = 0;
  // Bytes per element: 4, 8, 16, and 4 for a list item.
  virtual int elementSize() const = 0;
  // Zero tests: NaN counts as non-zero; complex values test the real part only; list
  // items count by whether they hold a non-empty value.
  virtual bool anyNonZero() const = 0;
  virtual bool allNonZero() const = 0;
  // 0-based position of the first smallest/largest element (complex by modulus, lists by
  // the items' sizes); 0 for an empty value.
  virtual int indexOfMin() const = 0;
  virtual int indexOfMax() const = 0;
  // 1-based position of the first/last non-zero element; 0 if none.
  virtual int findFirst() const = 0;
  virtual int findLast() const = 0;
  // Text of element `index` (0-based) with `precision` significant digits (doubles and
  // complex numbers; integers ignore it).
  virtual void stringItem(std::string& out, int index, int precision) const = 0;
  // The elements as bytes (low byte of each element truncated to an integer); a matrix
  // that is not a vector runs row after row.
  virtual std::string toString() const = 0;
  // Element 0 as a double / truncated int (0 for complex and list values). An empty
  // numeric value throws the operator code ']'.
  virtual double getDouble() const;
  virtual int getInt() const;
  // The element array (null when empty), and the address of element i (0-based).
  virtual void* rawData() const = 0;
  virtual void* elementPtr(int i) const = 0;
  // Element, row, column or page i (mode; negative = automatic) into `dest`, which takes
  // this value's flags. A page beyond the page count throws '('; page mode on a value
  // that is not 3-D throws "BUG: ncol3D called for non-3D value".
  virtual void getSlice(int i, Value& dest, int mode) const = 0;
  // The elements (row if this is a row of 2 or more, else a column), rows or columns named
  // by list[0..count) into `dest`.
  virtual void selectItems(const int* list, int count, Value& dest, int mode) const = 0;
  // The rowCount x colCount block of the listed rows and columns into `dest`.
  virtual void subMatrix(const int* rows, int rowCount, const int* cols, int colCount,
                         Value& dest) const = 0;
  // Removes the listed elements, rows or columns (duplicates count once, any order).
  virtual void eraseItems(int mode, const int* indices, int count) = 0;
  // Row i (0-based) as a 1-row value; a list assigns item i's value to `dest` (any class).
  virtual void getRow(int i, Value& dest) const = 0;
  // In place; a vector only swaps its orientation.
  virtual void transpose() = 0;
  // Negates the imaginary parts of a complex value; a no-op for the others.
  virtual void conjugate() = 0;
  // Forgets the array without freeing it (size := 0); the caller has taken it over.
  virtual void release() = 0;
  // Frees the array; size and nrow := 0, flags kept.
  virtual void clear() = 0;
  // clear(), then takes over `array` (allocated by JMatrix<T>::allocate for this class's
  // element type) with the given size, rows and flags.
  virtual void adopt(void* array, int size, int rows, int flags) = 0;
  // Each element := 1 if it is zero, else 0 (NaN gives 0). A no-op on lists.
  virtual void logicalNot() = 0;
  // Each element := its negation. A no-op on lists.
  virtual void negate() = 0;

  // Non-virtual shape tests and counts.
  int kind() const { return flags & kKindMask; }
  int ncol() const { return nrow < 1 ? 0 : size / nrow; }
  // Page count of a 3-D value (0 for any other).
  int pages() const { return kind() == JMAT_3D ? (flags >> kPageShift) : 0; }
  // Columns of one page of a 3-D value; throws "BUG: ncol3D called for non-3D value".
  int ncol3D() const;
  bool isEmpty() const { return size == 0; }
  bool isScalar() const { return size == 1; }
  bool isVector() const { return nrow == 1 || nrow == size; }
  bool isBoolean() const { return kind() == JMAT_BOOL; }
  bool isChar() const { return kind() == JMAT_CHAR; }

 protected:
  Value(const Value&) = default;
  Value& operator=(const Value&) = default;
};

// A new empty value of the class for type codes 0 to 3. Any other code writes the warning
// "variable of unknown type declared; double assumed" to the console and returns an empty
// DoubleValue.
std::unique_ptr<Value> newValue(int typeCode);
// A deep copy of any value (same class, size, nrow, flags, elements; lists item by item).
std::unique_ptr<Value> newValueCopy(const Value& source);

// The process-wide empty placeholder: an empty DoubleValue that lives for the whole run,
// returned by nodes that must yield a value but have none. Never to be modified.
Value& emptyPlaceholder();

// Checks an element count before an allocation: returns it as an int, or throws
// RuntimeError "out of memory: cannot allocate N elements" when it is negative, does not
// fit the 32-bit size field, or needs more memory than the machine has.
int checkedCount(int64_t count, int elementBytes);

// Truncation toward zero that never traps: NaN gives 0, values beyond the int range
// saturate to INT_MIN / INT_MAX.
int truncateToInt(double number);

}  // namespace zirbin::values
