// The program itself with a watcher: how many steps the points take per
// second of the real loop, as its frame driver gates them on GetTickCount.
// A thread of the probe's own reads the last step's tick every half
// millisecond (steps are more than 10 ms apart, so none is missed), and
// after the given seconds prints the rate to standard error and ends the
// process. scripts/motion_speed.sh runs it on Linux and under Wine.
//   velmora_step_probe [seconds]   (default 10)
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/app_context.h"
#include "app/shell/shell.h"

int main(int argc, char **argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
  std::thread watcher([seconds] {
    using Clock = std::chrono::steady_clock;
    // The volatile read keeps the sampling honest; the loop thread writes
    // the tick as a whole 32-bit word.
    const volatile DWORD *lastStep = &g_lastStepTick;
    while (g_app->running == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const Clock::time_point start = Clock::now();
    DWORD seen = *lastStep;
    long steps = 0;
    while (Clock::now() - start < std::chrono::duration<double>(seconds)) {
      const DWORD now = *lastStep;
      if (now != seen) ++steps, seen = now;
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    std::fprintf(stderr, "steps per second: %.1f (%ld steps in %.1f s)\n", steps / seconds, steps, seconds);
    std::fflush(stderr);
    std::_Exit(0);
  });
  watcher.detach();
  char noArguments[] = "";
  return WinMain(nullptr, nullptr, noArguments, SW_SHOWNORMAL);
}
