// The memory traffic of a frame that no frame can avoid (floor_pass.h), on
// buffers of the sizes the program's own frame has, read from g_app once it
// runs. Both frame benchmarks set the frame against it, the two taking
// turns (TakeTurns).
#ifndef VELMORA_BENCH_MEMORY_FLOOR_H
#define VELMORA_BENCH_MEMORY_FLOOR_H

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/app_context.h"
#include "floor_pass.h"

class MemoryFloor {
 public:
  MemoryFloor()
      : sizes_{g_app->pixelStride, g_app->clientWidth, g_app->clientHeight,
               std::min(g_app->windowWidth, g_app->pixelStride), std::min(g_app->windowHeight, g_app->pixelRows)},
        frame_(static_cast<size_t>(sizes_.stride) * g_app->pixelRows, 0x00FFFFFF),
        window_(static_cast<size_t>(sizes_.clientWidth) * sizes_.clientHeight, 0) {}

  void Pass() { FloorPass(sizes_, frame_.data(), window_.data()); }

  // Written, read, written, written.
  int64_t Bytes() const {
    return (int64_t{sizes_.clientWidth} * sizes_.clientHeight * 3 + int64_t{sizes_.windowWidth} * sizes_.windowHeight) *
           4;
  }

 private:
  FloorSizes sizes_;
  std::vector<uint32_t> frame_, window_;
};

// Frames of motion before the measurement, so that the points have left
// their starting places.
constexpr int kWarmUpFrames = 500;
constexpr int kRounds = 201, kPassesPerRound = 20;

struct Turns {
  double frameUs, floorUs, ratio;  // medians over the rounds
};

// The machine is shared, and its speed drifts by more than the margin the
// figures are read for between one benchmark and the next. Here frames and
// floor passes take turns in short rounds (kPassesPerRound of each), so both
// meet the same conditions; between() runs after every round.
template <typename Frame, typename Between>
Turns TakeTurns(Frame &&frame, Between &&between) {
  MemoryFloor floor;
  using Clock = std::chrono::steady_clock;
  auto time = [](auto &&work) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kPassesPerRound; ++i) work();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kPassesPerRound;
  };
  std::vector<double> frames, floors, ratios;
  for (int r = 0; r < kRounds; ++r) {
    double frameUs = 0, floorUs = 0;
    // Each goes first in every other round, so neither always finds the
    // caches as the other left them.
    if (r % 2 == 0) {
      frameUs = time(frame);
      floorUs = time([&floor] { floor.Pass(); });
    } else {
      floorUs = time([&floor] { floor.Pass(); });
      frameUs = time(frame);
    }
    frames.push_back(frameUs);
    floors.push_back(floorUs);
    ratios.push_back(frameUs / floorUs);
    between();
  }
  auto median = [](std::vector<double> &v) {
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
  };
  return Turns{median(frames), median(floors), median(ratios)};
}

#endif
