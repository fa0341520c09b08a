#include "board/MemoryPages.h"

#include <cstdint>
#include <cstdlib>
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {
constexpr size_t SmallPage = 4096;
}  // namespace

// Mapped directly where the system allows it, the unaligned ends given
// back; elsewhere from the heap.
void* AllocateLargePageTable(size_t bytes) {
#ifdef __linux__
  // Whole large pages: the last one would otherwise be left to small ones.
  const size_t length = (bytes + LargePageBytes - 1) & ~(LargePageBytes - 1);
  const size_t span = length + LargePageBytes;
  void* mapped = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const uintptr_t raw = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t aligned = (raw + LargePageBytes - 1) & ~(LargePageBytes - 1);
  if (aligned > raw) munmap(mapped, aligned - raw);
  if (raw + span > aligned + length) munmap(reinterpret_cast<void*>(aligned + length), raw + span - aligned - length);
  void* table = reinterpret_cast<void*>(aligned);
  AdviseLargePages(table, length);
  return table;
#else
  return calloc(bytes, 1);
#endif
}

void FreeLargePageTable(void* table, size_t bytes) {
  if (table == nullptr) return;
#ifdef __linux__
  munmap(table, (bytes + LargePageBytes - 1) & ~(LargePageBytes - 1));
#else
  (void)bytes;
  free(table);
#endif
}

void AdviseLargePages(void* start, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  const uintptr_t first = (reinterpret_cast<uintptr_t>(start) + LargePageBytes - 1) & ~(LargePageBytes - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(start) + bytes) & ~(LargePageBytes - 1);
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
  (void)start;
  (void)bytes;
#endif
}

// Writing what a page holds maps it without changing it, where the system
// cannot map pages for writing on request.
void MapPagesNow(void* start, size_t bytes) {
  const uintptr_t first = reinterpret_cast<uintptr_t>(start) & ~(SmallPage - 1);
  const uintptr_t end = reinterpret_cast<uintptr_t>(start) + bytes;
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  if (madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE) == 0) return;
#endif
  for (uintptr_t page = reinterpret_cast<uintptr_t>(start); page < end; page += SmallPage) {
    volatile char* byte = reinterpret_cast<volatile char*>(page);
    *byte = *byte;
  }
}

// A frame of the size asked for, each of its pages written once.
__attribute__((noinline)) void MapStackBelow(size_t bytes) {
  constexpr size_t Most = 1024 * 1024;
  char frame[Most];
  for (size_t offset = 0; offset < bytes && offset < Most; offset += SmallPage) frame[Most - 1 - offset] = 0;
  // The writes are kept: the compiler is told the frame is read.
  __asm__ volatile("" : : "r"(frame) : "memory");
}
