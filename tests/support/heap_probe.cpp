// The allocation counters behind heap_probe.h: every replaceable form of
// operator new and delete (the sanitizer runtime exports each form, so all
// of them have to be replaced for every allocation to come here) and the
// --wrap targets of the C allocation functions.
#include "support/heap_probe.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <new>

extern "C" {
void *__real_malloc(size_t size);
void *__real_calloc(size_t count, size_t size);
void *__real_realloc(void *block, size_t size);
void __real_free(void *block);
#if defined(__SANITIZE_ADDRESS__)
size_t __sanitizer_get_current_allocated_bytes(void);
#endif
}

namespace support {
namespace {

// Plain counters: the program and the tests run on one thread.
HeapCounts g_counts;

constexpr unsigned char kGuardByte = 0xA5;
constexpr size_t kGuardSlots = 256;

struct GuardedBlock {
  unsigned char *user = nullptr;
  size_t size = 0;
};
GuardedBlock g_guarded[kGuardSlots];
size_t g_damagedOnRelease = 0;

bool GuardIntact(const unsigned char *guard) {
  for (size_t i = 0; i < kGuardSize; ++i) {
    if (guard[i] != kGuardByte) return false;
  }
  return true;
}

size_t DamageOf(const GuardedBlock &b) {
  return (GuardIntact(b.user - kGuardSize) ? 0 : 1) + (GuardIntact(b.user + b.size) ? 0 : 1);
}

GuardedBlock *FindGuarded(const void *user) {
  for (GuardedBlock &b : g_guarded) {
    if (b.user != nullptr && b.user == user) return &b;
  }
  return nullptr;
}

GuardedBlock *FreeSlot() {
  for (GuardedBlock &b : g_guarded) {
    if (b.user == nullptr) return &b;
  }
  return nullptr;
}

// A large block with guards, or null when every slot is taken (the block
// is then made without them).
void *AllocateGuarded(size_t size) {
  GuardedBlock *slot = FreeSlot();
  if (slot == nullptr) return nullptr;
  auto *base = static_cast<unsigned char *>(__real_malloc(size + 2 * kGuardSize));
  if (base == nullptr) throw std::bad_alloc();
  std::memset(base, kGuardByte, kGuardSize);
  std::memset(base + kGuardSize + size, kGuardByte, kGuardSize);
  slot->user = base + kGuardSize;
  slot->size = size;
  return slot->user;
}

// operator new's own refusals: a request above kRefusedAbove, and the one
// that FailNewAfter chose. Sanitizer allocators end the process on an
// impossible request instead of throwing, so the probe refuses it first.
size_t g_largestNewRequest = 0;
int g_failNewAfter = -1;

void RefuseIfAsked(size_t size) {
  if (size > g_largestNewRequest) g_largestNewRequest = size;
  if (g_failNewAfter == 0) {
    g_failNewAfter = -1;
    throw std::bad_alloc();
  }
  if (g_failNewAfter > 0) --g_failNewAfter;
  if (size > kRefusedAbove) throw std::bad_alloc();
}

void *Allocate(size_t size) {
  RefuseIfAsked(size);
  void *p = nullptr;
  if (size >= kGuardedSize) {
    p = AllocateGuarded(size);
    if (p != nullptr) {
      ++g_counts.news;
      ++g_counts.liveBlocks;
      g_counts.liveBytes += static_cast<int64_t>(size);
      return p;
    }
  }
  p = __real_malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  ++g_counts.news;
  ++g_counts.liveBlocks;
  g_counts.liveBytes += static_cast<int64_t>(malloc_usable_size(p));
  return p;
}

void *AllocateAligned(size_t size, std::align_val_t alignment) {
  RefuseIfAsked(size);
  const size_t a = static_cast<size_t>(alignment);
  const size_t rounded = (size + a - 1) / a * a;
  void *p = std::aligned_alloc(a, rounded == 0 ? a : rounded);
  if (p == nullptr) throw std::bad_alloc();
  ++g_counts.news;
  ++g_counts.liveBlocks;
  g_counts.liveBytes += static_cast<int64_t>(malloc_usable_size(p));
  return p;
}

void Release(void *p) {
  if (p == nullptr) return;
  ++g_counts.deletes;
  --g_counts.liveBlocks;
  if (GuardedBlock *b = FindGuarded(p)) {
    g_damagedOnRelease += DamageOf(*b);
    g_counts.liveBytes -= static_cast<int64_t>(b->size);
    unsigned char *base = b->user - kGuardSize;
    *b = GuardedBlock{};
    __real_free(base);
    return;
  }
  g_counts.liveBytes -= static_cast<int64_t>(malloc_usable_size(p));
  __real_free(p);
}

}  // namespace

HeapCounts Heap() { return g_counts; }

void FailNewAfter(int succeeding) { g_failNewAfter = succeeding; }

size_t LargestNewRequest() { return g_largestNewRequest; }

void ResetLargestNewRequest() { g_largestNewRequest = 0; }

size_t AllocatorBytesInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;  // small blocks and mapped large ones
#endif
}

bool IsGuarded(const void *block) { return block != nullptr && FindGuarded(block) != nullptr; }

size_t DamagedGuards() {
  size_t damaged = g_damagedOnRelease;
  for (const GuardedBlock &b : g_guarded) {
    if (b.user != nullptr) damaged += DamageOf(b);
  }
  return damaged;
}

}  // namespace support

using support::Allocate;
using support::AllocateAligned;
using support::Release;

void *operator new(size_t size) { return Allocate(size); }
void *operator new[](size_t size) { return Allocate(size); }
void *operator new(size_t size, const std::nothrow_t &) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void *operator new[](size_t size, const std::nothrow_t &) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void *operator new(size_t size, std::align_val_t a) { return AllocateAligned(size, a); }
void *operator new[](size_t size, std::align_val_t a) { return AllocateAligned(size, a); }
void *operator new(size_t size, std::align_val_t a, const std::nothrow_t &) noexcept {
  try {
    return AllocateAligned(size, a);
  } catch (...) {
    return nullptr;
  }
}
void *operator new[](size_t size, std::align_val_t a, const std::nothrow_t &) noexcept {
  try {
    return AllocateAligned(size, a);
  } catch (...) {
    return nullptr;
  }
}

void operator delete(void *p) noexcept { Release(p); }
void operator delete[](void *p) noexcept { Release(p); }
void operator delete(void *p, size_t) noexcept { Release(p); }
void operator delete[](void *p, size_t) noexcept { Release(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { Release(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { Release(p); }
void operator delete(void *p, std::align_val_t) noexcept { Release(p); }
void operator delete[](void *p, std::align_val_t) noexcept { Release(p); }
void operator delete(void *p, size_t, std::align_val_t) noexcept { Release(p); }
void operator delete[](void *p, size_t, std::align_val_t) noexcept { Release(p); }
void operator delete(void *p, std::align_val_t, const std::nothrow_t &) noexcept { Release(p); }
void operator delete[](void *p, std::align_val_t, const std::nothrow_t &) noexcept { Release(p); }

// C allocation from the program's own objects and static libraries (the
// linker redirects their calls here; shared libraries keep their own).
extern "C" {

void *__wrap_malloc(size_t size) {
  void *p = __real_malloc(size);
  if (p != nullptr) {
    ++support::g_counts.mallocs;
    ++support::g_counts.liveBlocks;
    support::g_counts.liveBytes += static_cast<int64_t>(malloc_usable_size(p));
  }
  return p;
}

void *__wrap_calloc(size_t count, size_t size) {
  void *p = __real_calloc(count, size);
  if (p != nullptr) {
    ++support::g_counts.mallocs;
    ++support::g_counts.liveBlocks;
    support::g_counts.liveBytes += static_cast<int64_t>(malloc_usable_size(p));
  }
  return p;
}

void *__wrap_realloc(void *block, size_t size) {
  const int64_t before = block != nullptr ? static_cast<int64_t>(malloc_usable_size(block)) : 0;
  void *p = __real_realloc(block, size);
  if (block == nullptr) {
    if (p != nullptr) {
      ++support::g_counts.mallocs;
      ++support::g_counts.liveBlocks;
      support::g_counts.liveBytes += static_cast<int64_t>(malloc_usable_size(p));
    }
  } else if (p != nullptr) {
    support::g_counts.liveBytes += static_cast<int64_t>(malloc_usable_size(p)) - before;
  } else if (size == 0) {  // glibc frees the block and returns null
    ++support::g_counts.frees;
    --support::g_counts.liveBlocks;
    support::g_counts.liveBytes -= before;
  }
  return p;
}

void __wrap_free(void *block) {
  if (block != nullptr) {
    ++support::g_counts.frees;
    --support::g_counts.liveBlocks;
    support::g_counts.liveBytes -= static_cast<int64_t>(malloc_usable_size(block));
  }
  __real_free(block);
}

}  // extern "C"
