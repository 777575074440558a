// Zipped keys: names of up to eight printable characters as base-97 numbers.
#include "values/zipped_key.h"

#include <cmath>
#include <cstdint>

#include "base/errors.h"

namespace zirbin::values {

namespace {

// One base-97 digit per character: 0 for no character, 1 to 96 for the codes 32 to 127.
// Keys then compare as their names do (a shorter name before its longer continuations).
constexpr int kKeyBase = 97;
constexpr int kFirstKeyCode = 32;
constexpr int kLastKeyCode = 127;
constexpr double kKeyLimit = 7837433594376961.0;  // 97^8
static_assert(kKeyLimit < 9007199254740992.0, "keys must stay exact doubles (below 2^53)");

}  // namespace

double zipName(const std::string& name) {
  if (name.size() > static_cast<size_t>(kKeyCharacters)) {
    session::checkFailed("zipkey", "a key holds at most 8 characters");
  }
  double key = 0;
  for (int i = 0; i < kKeyCharacters; ++i) {
    int digit = 0;
    if (i < static_cast<int>(name.size())) {
      int code = static_cast<unsigned char>(name[i]);
      if (code < kFirstKeyCode || code > kLastKeyCode) {
        session::checkFailed("zipkey", "a key holds printable characters only");
      }
      digit = code - kFirstKeyCode + 1;
    }
    key = key * kKeyBase + digit;
  }
  return key;
}

std::optional<std::string> unzipName(double key) {
  if (!(key >= 0 && key < kKeyLimit && key == std::floor(key))) return std::nullopt;
  std::string name(kKeyCharacters, ' ');
  auto k = static_cast<int64_t>(key);
  for (int i = kKeyCharacters - 1; i >= 0; --i) {
    int digit = static_cast<int>(k % kKeyBase);
    k /= kKeyBase;
    name[i] = digit == 0 ? '\0' : static_cast<char>(digit - 1 + kFirstKeyCode);
  }
  // Names fill the leading digits: a character after an empty digit makes no key.
  const size_t end = name.find('\0');
  if (end != std::string::npos && name.find_first_not_of('\0', end) != std::string::npos) {
    return std::nullopt;
  }
  return name.substr(0, end);
}

}  // namespace zirbin::values
