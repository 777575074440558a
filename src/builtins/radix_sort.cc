// Least-significant-digit radix sort of doubles and ints through order-preserving
// unsigned keys.
#include "builtins/radix_sort.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <memory>
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

// Calls f(first, last) for the index blocks of n elements in order, looking for an
// interrupt before each: a long sort can be interrupted within a pass.
template <typename F>
void forEachBlock(std::size_t n, F f) {
  for (std::size_t first = 0; first < n; first += session::kPollBlock) {
    session::pollInterrupt();
    f(first, std::min(n, first + session::kPollBlock));
  }
}

// The keys of n numbers, in a buffer left uninitialised: zero-filling it first would cost
// as much as a pass, and its pages are touched block by block instead.
template <typename Key>
using KeyBuffer = std::unique_ptr<Key[]>;

// Sorts the n keys at `keys`, passing over every digit position in which all keys agree.
// The sorted keys end in `keys`.
template <typename Key>
void radixSort(KeyBuffer<Key>& keys, std::size_t n) {
  constexpr int kPasses = (8 * sizeof(Key) + kDigitBits - 1) / kDigitBits;
  std::vector<std::array<uint32_t, kBuckets>> counts(kPasses);
  for (auto& c : counts) c.fill(0);
  forEachBlock(n, [&](std::size_t first, std::size_t last) {
    for (std::size_t i = first; i < last; ++i) {
      const Key k = keys[i];
      for (int p = 0; p < kPasses; ++p) ++counts[p][(k >> (p * kDigitBits)) & (kBuckets - 1)];
    }
  });
  KeyBuffer<Key> other(new Key[n]);
  for (int p = 0; p < kPasses; ++p) {
    std::array<uint32_t, kBuckets>& c = counts[p];
    if (std::find(c.begin(), c.end(), n) != c.end()) continue;  // one bucket: no-op
    uint32_t start = 0;
    for (uint32_t& count : c) {
      uint32_t here = count;
      count = start;
      start += here;
    }
    const int shift = p * kDigitBits;
    const Key* from = keys.get();
    Key* to = other.get();
    forEachBlock(n, [&](std::size_t first, std::size_t last) {
      for (std::size_t i = first; i < last; ++i)
        to[c[(from[i] >> shift) & (kBuckets - 1)]++] = from[i];
    });
    keys.swap(other);
  }
}

// Sorts [begin, end) through the keys keyOf gives, in blocks that look for an interrupt;
// an interrupt leaves the numbers as they were.
template <typename Key, typename Number>
void radixSortNumbers(Number* begin, Number* end) {
  const std::size_t n = static_cast<std::size_t>(end - begin);
  KeyBuffer<Key> keys(new Key[n]);
  forEachBlock(n, [&](std::size_t first, std::size_t last) {
    for (std::size_t i = first; i < last; ++i) keys[i] = keyOf(begin[i]);
  });
  radixSort(keys, n);
  // Not interrupted: `sortit` sorts a variable in place, which must never be left half
  // written back.
  for (std::size_t i = 0; i < n; ++i) begin[i] = numberOf(keys[i]);
}

}  // namespace

void sortAscending(double* begin, double* end) {
  double* firstNaN = std::partition(begin, end, [](double x) { return x == x; });
  if (firstNaN - begin < kRadixThreshold) {
    std::sort(begin, firstNaN);
    return;
  }
  radixSortNumbers<uint64_t>(begin, firstNaN);
}

void sortAscending(int* begin, int* end) {
  if (end - begin < kRadixThreshold) {
    std::sort(begin, end);
    return;
  }
  radixSortNumbers<uint32_t>(begin, end);
}

}  // namespace zirbin::builtins
