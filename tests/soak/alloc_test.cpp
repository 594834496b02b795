// The heap traffic of a frame in the running program: each fit makes its
// 9 by 9 system and 9 by 1 right-hand side (11 blocks each: the record, the
// row array and a block per row) and the solver its two working copies
// (11 and 11), and all 44 are released by the end of the fit, whether the
// solve succeeds (the caller releases the returned copy) or finds the
// system singular (the solver releases both copies). Nothing else in a
// frame, in the loop or in the platform allocates, whatever the input.
#include <gtest/gtest.h>

#include <vector>

#include "soak_support.h"
#include "scene/frame.h"

namespace soak {
namespace {

enum class Phase { WarmUp, Singular, Running, Fps, NoHelp, Input, Paused, Expose, Done };

struct Sample {
  HeapCounts heap;
  uint64_t presents;
  Phase phase;
};

TEST(FrameAllocations, EveryFrameAllocatesExactlyTheFitsMatrices) {
  std::vector<Sample> samples;
  samples.reserve(2000);
  const uint64_t exposeAt = 900;
  Phase phase = Phase::WarmUp;

  auto script = [&](uint64_t poll) {
    samples.push_back(Sample{Heap(), headless::PresentCount(), phase});
    // Input of every kind once before measuring, so the queue's rings have
    // their working size; the tick stands still, so no step is taken and
    // the points stay at the origin, where the system is singular.
    if (poll == 2) headless::KeyDown('Q');
    if (poll == 3) headless::KeyUp('Q');
    if (poll == 4) headless::MouseMove(100, 100);
    if (poll == 5) headless::Wheel(120, 100, 100);
    if (poll == 6) headless::Wheel(-120, 100, 100);
    if (poll == 10) phase = Phase::Singular;
    if (poll == 60) {
      phase = Phase::Running;
      headless::SetTickPerPoll(11);  // a step on every frame
    }
    if (poll == 120) {
      phase = Phase::Fps;
      headless::KeyDown(kKeyF);  // over two updates of the text
    }
    if (poll == 121) headless::KeyUp(kKeyF);
    if (poll == 560) {
      phase = Phase::NoHelp;
      headless::KeyDown(kKey1);
    }
    if (poll == 561) headless::KeyUp(kKey1);
    if (poll == 620) phase = Phase::Input;
    if (phase == Phase::Input) {
      // A drag, keys and the wheel: one message a turn, as fast as the
      // loop takes them.
      const int t = static_cast<int>(poll - 620);
      if (t == 0) headless::LeftButton(true, 400, 300);
      if (t > 0 && t % 3 == 0) headless::MouseMove(400 + (t % 50), 300 - (t % 30));
      if (t % 3 == 1) headless::KeyDown(t % 6 == 1 ? VK_UP : VK_DOWN);
      if (t % 3 == 2) headless::Wheel(t % 6 == 2 ? 120 : -120, 300, 300);
      if (t == 200) {
        headless::LeftButton(false, 400, 300);
        phase = Phase::Paused;
        headless::KeyDown(kKeyP);
      }
    }
    if (poll == exposeAt - 1) phase = Phase::Expose;
    if (poll == exposeAt) headless::Expose();
    if (poll == exposeAt + 20) {
      phase = Phase::Done;
      headless::KeyDown(VK_ESCAPE);
    }
  };
  ASSERT_EQ(RunProgram(script), 0);
  ASSERT_GT(samples.size(), exposeAt + 5);

  // samples[k] was taken at poll k + 1; the difference to the next sample
  // is one turn of the loop: a message, if any, and the frame.
  int failures = 0;
  int exposeTurns = 0;
  for (size_t k = 10; k + 1 < samples.size(); ++k) {
    const Sample &a = samples[k], &b = samples[k + 1];
    if (a.phase == Phase::Done) break;
    const uint64_t frames = b.presents - a.presents;
    const uint64_t news = b.heap.news - a.heap.news, deletes = b.heap.deletes - a.heap.deletes;
    const uint64_t mallocs = b.heap.mallocs - a.heap.mallocs, frees = b.heap.frees - a.heap.frees;
    if (frames == 2) ++exposeTurns;
    // A turn that dispatches the repaint draws a second frame from the
    // erase request.
    const bool ok = (frames == 1 || (frames == 2 && a.phase == Phase::Expose)) && news == kBlocksPerFit * frames &&
                    deletes == kBlocksPerFit * frames && mallocs == 0 && frees == 0;
    if (!ok && ++failures <= 5) {
      ADD_FAILURE() << "turn after poll " << k + 1 << " (phase " << static_cast<int>(a.phase) << "): " << frames
                    << " frames, " << news << " news, " << deletes << " deletes, " << mallocs << " mallocs, " << frees
                    << " frees";
    }
  }
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(exposeTurns, 1);
  EXPECT_EQ(samples.back().heap.liveBlocks, samples[10].heap.liveBlocks);
}

}  // namespace
}  // namespace soak
