// Counts every allocation the test binary makes, through the replaced global
// operator new and delete and, for C allocation called from the program's
// own code, through link-time wrappers of malloc, calloc, realloc and free.
// Large blocks (the frame buffer and the window images among them) get guard
// words on both sides, checked when they are released and on request.
// Reading the counters allocates nothing, so a poll hook can read them
// between two frames of the real loop.
#ifndef VELMORA_TESTS_SUPPORT_HEAP_PROBE_H
#define VELMORA_TESTS_SUPPORT_HEAP_PROBE_H

#include <cstddef>
#include <cstdint>

namespace support {

struct HeapCounts {
  uint64_t news = 0;       // operator new of any form
  uint64_t deletes = 0;    // operator delete of a non-null pointer
  uint64_t mallocs = 0;    // malloc, calloc, and realloc that made a new block
  uint64_t frees = 0;      // free of a non-null pointer, and realloc to size 0
  int64_t liveBlocks = 0;  // blocks made through either path and not yet released
  int64_t liveBytes = 0;   // their usable sizes
};

HeapCounts Heap();

// Refusals of operator new, which throws std::bad_alloc as a real allocator
// does: every request above kRefusedAbove (the sanitizers' allocators would
// end the process instead), and, once set, the request after the next
// `succeeding` ones (-1: none). A refusal counts as no allocation.
constexpr size_t kRefusedAbove = size_t{1} << 30;
void FailNewAfter(int succeeding);
// The largest size operator new was asked for since the last reset,
// refused requests included.
size_t LargestNewRequest();
void ResetLargestNewRequest();

// Bytes the process's allocator reports in use (the sanitizer's allocator
// when there is one): a second opinion on the counts above.
size_t AllocatorBytesInUse();

// Blocks of at least kGuardedSize bytes from operator new carry kGuardSize
// guard bytes before and after them: more than a dozen rows of the frame
// buffer (5120 bytes a row at the default desktop), so that a write one row
// too far lands in a guard rather than in whatever lies beyond.
constexpr size_t kGuardedSize = size_t{64} << 10;
constexpr size_t kGuardSize = size_t{64} << 10;
bool IsGuarded(const void *block);
// Checks the guards of every live guarded block; the result is the number
// of damaged guards found now plus those found on blocks already released.
size_t DamagedGuards();

}  // namespace support

#endif
