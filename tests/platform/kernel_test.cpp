// KERNEL32 and the rest: the tick count, readable before main, moving in
// the steps of the system timer and at the pace of real time, and the
// console calls.
#include "win32.h"

#include <gtest/gtest.h>

#include "conformance.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <set>
#include <thread>

namespace {

using Tick = test::Conformance;
using Console = test::Conformance;

// Read by a static initializer, as the program does before WinMain.
const DWORD g_tickBeforeMain = GetTickCount();

TEST_F(Tick, IsReadableBeforeMainAndNeverGoesBack) {
  const DWORD now = GetTickCount();
  EXPECT_LE(static_cast<DWORD>(now - g_tickBeforeMain), 60000u);
  EXPECT_LE(static_cast<DWORD>(GetTickCount() - now), 60000u);
}

// The reference page: "limited to the resolution of the system timer, which
// is typically in the range of 10 milliseconds to 16 milliseconds". Every
// change seen in half a second of polling is such a step, or several of
// them when the polling thread was not running in between (on a busy
// machine it may miss a tick or two): never less than 10 ms, and always
// within a millisecond of a whole number of the default 1/64 s.
TEST_F(Tick, MovesInStepsOfTheSystemTimer) {
  std::set<DWORD> steps;
  DWORD last = GetTickCount();
  const DWORD start = last;
  // Real time bounds the wait, for a count that does not move at all.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (static_cast<DWORD>(last - start) < 500 && std::chrono::steady_clock::now() < giveUp) {
    const DWORD now = GetTickCount();
    if (now != last) steps.insert(now - last);
    last = now;
  }
  ASSERT_FALSE(steps.empty());
  EXPECT_GE(*steps.begin(), 10u) << "the smallest step";
  for (DWORD step : steps) {
    const double ticks = std::round(step / 15.625);
    EXPECT_LE(std::fabs(step - ticks * 15.625), 1.0) << "a step of " << step << " ms";
  }
}

// A reading of both clocks close enough together to compare them: the
// tick count, and the real time in milliseconds of the process's steady
// clock. A reading the scheduler broke into is taken again.
struct Reading {
  DWORD tick;
  double realMs;
};

Reading ReadBoth() {
  using Clock = std::chrono::steady_clock;
  for (;;) {
    const auto before = Clock::now();
    const DWORD tick = GetTickCount();
    const auto after = Clock::now();
    if (after - before < std::chrono::milliseconds(1)) {
      return Reading{tick, std::chrono::duration<double, std::milli>(before.time_since_epoch()).count()};
    }
  }
}

// Over a second of real time the count advances by 1000 ms, give or take
// the one step of the system timer (1/64 s) by which the count trails the
// moment it is read: a count that runs 4 % slow is 40 ms short. The
// measure starts just after the count has moved, so that its own step
// adds nothing there.
TEST_F(Tick, KeepsPaceWithRealTime) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
  const DWORD first = GetTickCount();
  while (GetTickCount() == first && std::chrono::steady_clock::now() < giveUp) {
  }
  const Reading start = ReadBoth();
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  const Reading end = ReadBoth();
  const double real = end.realMs - start.realMs;
  const double counted = static_cast<DWORD>(end.tick - start.tick);
  EXPECT_NEAR(counted, real, 1000.0 / 64 + 1.0) << "over " << real << " ms of real time";
}

TEST_F(Console, OneConsoleAtATimeWithATitle) {
  FreeConsole();  // a console test program may have started with one
  EXPECT_TRUE(AllocConsole());
  EXPECT_FALSE(AllocConsole());  // one console per process
  EXPECT_TRUE(SetConsoleTitleW(L"VELMORA"));
  EXPECT_TRUE(FreeConsole());
  EXPECT_TRUE(AllocConsole());
  EXPECT_TRUE(FreeConsole());
}

}  // namespace
