// Per-element helpers that differ by element type (zero test, size for extremes, number
// text, character code, negation). Internal to the values folder.
#pragma once

#include <complex>
#include <cstdint>
#include <string>
#include <type_traits>

#include "values/list_value.h"
#include "values/value.h"

namespace zirbin::values::detail {

template <typename T>
inline constexpr bool kIsList = std::is_same_v<T, ListItem>;

// NaN counts as non-zero; a complex number tests its real part; an item is zero when it
// is empty or holds an empty value.
inline bool isZero(int x) { return x == 0; }
inline bool isZero(double x) { return x == 0; }
inline bool isZero(const std::complex<double>& x) { return x.real() == 0; }
inline bool isZero(const ListItem& x) { return !x.value || x.value->size == 0; }

// What the extremes compare: the number, the modulus, an item's size.
inline double magnitude(int x) { return x; }
inline double magnitude(double x) { return x; }
inline double magnitude(const std::complex<double>& x) { return std::abs(x); }
inline double magnitude(const ListItem& x) { return x.value ? x.value->size : 0; }

// The character code an element stands for (truncated toward zero; complex: real part).
inline int characterCode(int x) { return x; }
inline int characterCode(double x) { return truncateToInt(x); }
inline int characterCode(const std::complex<double>& x) { return truncateToInt(x.real()); }

// Negation; integers wrap (-INT_MIN is INT_MIN) instead of overflowing.
inline int negated(int x) { return static_cast<int>(0u - static_cast<uint32_t>(x)); }
inline double negated(double x) { return -x; }
inline std::complex<double> negated(const std::complex<double>& x) { return -x; }

// Text of one number: integers in decimal; doubles in the default floating notation with
// `precision` significant digits and a trimmed exponent (1e6, 1.2e-5); complex numbers as
// 3+2i, 3-2i, 3+i, 2i, dropping a part that is negligible beside the other.
std::string formatNumber(int x, int precision);
std::string formatNumber(double x, int precision);
std::string formatNumber(const std::complex<double>& x, int precision);

}  // namespace zirbin::values::detail
