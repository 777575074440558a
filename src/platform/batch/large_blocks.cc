// Large blocks of memory (the elements of big arrays, a curve's samples) are asked for in
// transparent huge pages where the kernel offers them on request. On machines whose page
// faults are costly (virtual machines), touching a fresh 8 MB array costs a fault per 4 KB
// page, which dominates whole-array work and plotting a million points; a 2 MB page takes
// one fault. The blocks come from the C library as always (aligned_alloc), so the standard
// operator delete frees them; only where they start and how the kernel backs them differ.
//
// This replaces the program's operator new. It is left out under the sanitizers, which
// supply their own.
#include <sys/mman.h>

#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZIRBIN_KEEP_STANDARD_NEW 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
#define ZIRBIN_KEEP_STANDARD_NEW 1
#endif
#endif

#ifndef ZIRBIN_KEEP_STANDARD_NEW

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Blocks from this size on are rounded up to whole huge pages (at most a third wasted).
constexpr std::size_t kLargeBlock = 3 * kHugePage;

void* largeBlock(std::size_t size) {
  const std::size_t rounded = (size + kHugePage - 1) & ~(kHugePage - 1);
  void* block = std::aligned_alloc(kHugePage, rounded);
  // Only advice: where the kernel has no huge pages, small ones serve as before.
  if (block != nullptr) ::madvise(block, rounded, MADV_HUGEPAGE);
  return block;
}

}  // namespace

void* operator new(std::size_t size) {
  if (size >= kLargeBlock) {
    if (void* block = largeBlock(size)) return block;
  }
  for (;;) {
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

void* operator new[](std::size_t size) { return ::operator new(size); }

#endif  // ZIRBIN_KEEP_STANDARD_NEW
