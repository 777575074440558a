// Zipped keys: a short name packed into one exact double (the elements of a value of kind
// JMAT_ZIPKEY), and back. zipkey builds them; the display shows them as their names.
#pragma once

#include <optional>
#include <string>

namespace zirbin::values {

// A key holds at most this many characters: eight base-97 digits stay below 2^53, so every
// key is an exact double.
inline constexpr int kKeyCharacters = 8;

// Returns the key of `name`. Fails the internal check (context "zipkey") when the name is
// longer than kKeyCharacters or holds a byte outside the printable codes 32 to 127.
double zipName(const std::string& name);

// Returns the name packed in `key`, or nothing when `key` is no key (negative, fractional,
// NaN, too large, or with a character after an empty place).
std::optional<std::string> unzipName(double key);

}  // namespace zirbin::values
