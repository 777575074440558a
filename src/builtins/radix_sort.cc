// Least-significant-digit radix sort of doubles and ints through order-preserving
// unsigned keys.
#include "builtins/radix_sort.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "base/run_context.h"

namespace zirbin::builtins {

namespace {

// Below this many elements a comparison sort is quicker than the radix passes.
constexpr std::ptrdiff_t kRadixThreshold = 512;
// 11-bit digits: 2048 buckets keep the scatter of each pass within the caches.
constexpr int kDigitBits = 11;
constexpr int kBuckets = 1 << kDigitBits;

// Keys whose unsigned order is the numbers' order: a double's sign bit is flipped when
// it is clear, and every bit is flipped when it is set (negative numbers run backwards).
constexpr uint64_t kSignBit = uint64_t{1} << 63;

uint64_t keyOf(double d) {
  uint64_t u = std::bit_cast<uint64_t>(d);
  return (u & kSignBit) ? ~u : (u | kSignBit);
}

double numberOf(uint64_t k) { return std::bit_cast<double>((k & kSignBit) ? (k & ~kSignBit) : ~k); }

uint32_t keyOf(int i) { return static_cast<uint32_t>(i) ^ 0x80000000u; }

int numberOf(uint32_t k) { return static_cast<int>(k ^ 0x80000000u); }

// Sorts the keys, passing over every digit position in which all keys agree.
template <typename Key>
void radixSort(std::vector<Key>& keys) {
  constexpr int kPasses = (8 * sizeof(Key) + kDigitBits - 1) / kDigitBits;
  std::vector<std::array<uint32_t, kBuckets>> counts(kPasses);
  for (auto& c : counts) c.fill(0);
  for (Key k : keys) {
    for (int p = 0; p < kPasses; ++p) ++counts[p][(k >> (p * kDigitBits)) & (kBuckets - 1)];
  }
  std::vector<Key> other(keys.size());
  for (int p = 0; p < kPasses; ++p) {
    // A pass over 1e7 keys takes some 50 ms: a long sort can be interrupted between them.
    session::pollInterrupt();
    std::array<uint32_t, kBuckets>& c = counts[p];
    if (std::find(c.begin(), c.end(), keys.size()) != c.end()) continue;  // one bucket: no-op
    uint32_t start = 0;
    for (uint32_t& n : c) {
      uint32_t here = n;
      n = start;
      start += here;
    }
    int shift = p * kDigitBits;
    for (Key k : keys) other[c[(k >> shift) & (kBuckets - 1)]++] = k;
    keys.swap(other);
  }
}

}  // namespace

void sortAscending(double* begin, double* end) {
  double* firstNaN = std::partition(begin, end, [](double x) { return x == x; });
  if (firstNaN - begin < kRadixThreshold) {
    std::sort(begin, firstNaN);
    return;
  }
  std::vector<uint64_t> keys(firstNaN - begin);
  std::transform(begin, firstNaN, keys.begin(), [](double d) { return keyOf(d); });
  radixSort(keys);
  std::transform(keys.begin(), keys.end(), begin, [](uint64_t k) { return numberOf(k); });
}

void sortAscending(int* begin, int* end) {
  if (end - begin < kRadixThreshold) {
    std::sort(begin, end);
    return;
  }
  std::vector<uint32_t> keys(end - begin);
  std::transform(begin, end, keys.begin(), [](int i) { return keyOf(i); });
  radixSort(keys);
  std::transform(keys.begin(), keys.end(), begin, [](uint32_t k) { return numberOf(k); });
}

}  // namespace zirbin::builtins
