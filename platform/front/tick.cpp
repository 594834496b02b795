// KERNEL32's clock: GetTickCount, and the 64 Hz system timer that the real
// backends' clocks step with.
#include "front.h"

#include <time.h>

namespace velmora::platform {

DWORD SystemTimerTick(uint64_t monotonicNanoseconds) {
  constexpr uint64_t kTimerHz = 64;
  const uint64_t ticks = monotonicNanoseconds / (1000000000u / kTimerHz);  // 15.625 ms each
  return static_cast<DWORD>(ticks * 1000u / kTimerHz);
}

DWORD MonotonicSystemTick() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return SystemTimerTick(static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec));
}

}  // namespace velmora::platform

// GetTickCount: keeps milliseconds as a 32-bit count that wraps, and on a
// real display the default granularity of the system timer, steps of 15 or
// 16 ms (SystemTimerTick); headless it reads the virtual clock, which moves
// only when told to. Leaves out timeBeginPeriod, which does not change it
// on Windows either.
DWORD WINAPI GetTickCount(void) { return velmora::platform::ActiveBackend().Tick(); }
