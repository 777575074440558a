// The numeric layer: the number constructors and indexed combining (x(i) += v and kin).
#include "values/math_matrix.h"

#include <climits>
#include <cstdint>

#include "values/indexed_places.h"

namespace zirbin::values {

namespace {

// place := place op value for the indexed compound operators; integers wrap like the
// integer expressions, and an integer division by zero throws '/'.
template <typename T>
void combinePlace(T& place, const T& value, char op) {
  if constexpr (std::is_same_v<T, int>) {
    uint32_t a = static_cast<uint32_t>(place);
    uint32_t b = static_cast<uint32_t>(value);
    switch (op) {
      case 'P': place = static_cast<int>(a + b); break;
      case 'M': place = static_cast<int>(a - b); break;
      case 'T': place = static_cast<int>(a * b); break;
      case 'D':
        if (value == 0) throw '/';
        place = (place == INT_MIN && value == -1) ? INT_MIN : place / value;
        break;
    }
  } else {
    switch (op) {
      case 'P': place += value; break;
      case 'M': place -= value; break;
      case 'T': place *= value; break;
      case 'D': place /= value; break;
    }
  }
}

}  // namespace

template <typename T>
void MathMatrix<T>::mathIndexedAssign(int irc, const int* list, int count,
                                      const MathMatrix& source, char op) {
  if (&source == this) {
    MathMatrix copy;
    copy.JMatrix<T>::operator=(source);
    mathIndexedAssign(irc, list, count, copy, op);
    return;
  }
  const char* ircText = "invalid irc in in MathMatrix<T>::mathIndexedAssign";
  if (irc < 0 || irc > 3) throw std::string(ircText);
  if (op != 'P' && op != 'M' && op != 'T' && op != 'D') return;
  detail::visitPlaces<T>(*this, irc, list, count, source, ircText,
                         [op](T& place, const T& value) { combinePlace(place, value, op); });
}

template class MathMatrix<int>;
template class MathMatrix<double>;
template class MathMatrix<Complex>;

IntValue::IntValue(int number) { assignInt(number); }

DoubleValue::DoubleValue(double number) { assignDouble(number); }

}  // namespace zirbin::values
