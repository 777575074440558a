// The text of a single number, shared by stringItem and the display.
#include "values/element_ops.h"

#include <cmath>
#include <cstdio>

namespace zirbin::values::detail {

namespace {

// A part of a complex number below this fraction of the other part is not written (five
// times the double epsilon).
constexpr double kNegligiblePart = 1.1102230246251565e-15;

}  // namespace

std::string formatNumber(int x, int precision) {
  (void)precision;
  return std::to_string(x);
}

std::string formatNumber(double x, int precision) {
  // A NaN's sign means nothing, and the C library writes sqrt(-1) as "-nan": every NaN
  // reads "nan", as the constant nan does.
  if (std::isnan(x)) return "nan";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*g", precision, x);
  std::string text = buffer;
  size_t e = text.find('e');
  if (e == std::string::npos) return text;
  if (e + 1 < text.size() && text[e + 1] == '+') text.erase(e + 1, 1);
  size_t digit = (e + 1 < text.size() && text[e + 1] == '-') ? e + 2 : e + 1;
  if (digit < text.size() && text[digit] == '0') text.erase(digit, 1);
  return text;
}

std::string formatNumber(const std::complex<double>& x, int precision) {
  double a = x.real();
  double b = x.imag();
  if (std::fabs(b) < kNegligiblePart * std::fabs(a)) return formatNumber(a, precision);
  bool imaginaryOnly = std::fabs(a) < kNegligiblePart * std::fabs(b);
  std::string text = imaginaryOnly ? "" : formatNumber(a, precision);
  if (b == 0) return text;
  if (b > 0 && !imaginaryOnly) text += '+';
  if (b != 1) text += formatNumber(b, precision);
  return text + 'i';
}

}  // namespace zirbin::values::detail
