// A long run of the real program under a storm of input: every key code
// with auto-repeat, drags that leave the window and come back, the wheel
// driven to its floor and far the other way, motion paused in the middle of
// a bounce, resizes through every degenerate client area, a desktop that
// changes size and a clock that wraps. The run must stay finite, keep its
// memory flat, leave the frame buffer's surroundings alone and still end on
// Escape. VELMORA_SOAK_FRAMES sets the length (scripts/soak.sh runs 200000).
#include <gtest/gtest.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "heap_probe.h"
#include "math/view.h"
#include "program.h"
#include "scene/frame.h"

namespace soak {
namespace {

constexpr uint64_t kShortRunFrames = 5000;  // two cycles
// Every frame takes a simulation step: steps need more than 10 ms.
constexpr DWORD kTickPerPoll = 11;
// Each cycle starts this many polls before the 32-bit tick count wraps.
constexpr DWORD kPollsBeforeWrap = 300;
// A point may end a step outside the box by at most one velocity component
// (it left through two faces and was bounced on one); its next step puts
// it back inside. Speeds never exceed 2 + 32767 / 10000.
constexpr double kBoxReach = 1000 + 2 + 32767 / 10000.0;
constexpr int kFocalStart = 800;

enum class Act {
  Idle, NearWrap, KeyDown, KeyRepeat, KeyUp, Move, Press, Release, Wheel,
  Resize, MoveWindow, Minimize, Restore, Desktop, Expose, PauseAtBounce,
};

struct Step {
  Act act;
  int a = 0, b = 0, c = 0;
};

void Idle(std::vector<Step> &s, int polls) {
  for (int i = 0; i < polls; ++i) s.push_back({Act::Idle});
}

void Key(std::vector<Step> &s, UINT vk) {
  s.push_back({Act::KeyDown, static_cast<int>(vk)});
  s.push_back({Act::KeyUp, static_cast<int>(vk)});
}

void Wheel(std::vector<Step> &s, int count, int delta, int x = 400, int y = 300) {
  for (int i = 0; i < count; ++i) s.push_back({Act::Wheel, delta, x, y});
}

// One cycle of the storm, one action per poll, so the queue never holds
// more than a few messages and the run's memory can be compared cycle by
// cycle. The cycle leaves the view's focal length, the toggles and the
// window as it found them.
std::vector<Step> BuildCycle() {
  std::vector<Step> s;
  s.push_back({Act::NearWrap});

  // Every key code (Escape ends the run, so it waits for the end): pressed,
  // auto-repeated and released. 1, P and F toggle twice and end as before.
  for (int vk = 0; vk <= 255; ++vk) {
    if (vk == VK_ESCAPE) continue;
    s.push_back({Act::KeyDown, vk});
    s.push_back({Act::KeyRepeat, vk});
    s.push_back({Act::KeyUp, vk});
  }

  // A drag that leaves the client area on the left, comes back, runs to
  // its last pixel and out again, is released outside (unseen, so the drag
  // goes on) and ends inside; then one off the top edge.
  const int moves[][2] = {{450, 320}, {300, 300}, {100, 300}, {-1, 300},  {-400, 200},
                          {5, 250},   {600, 500}, {791, 672}, {792, 673}};
  s.push_back({Act::Press, 400, 300});
  for (const auto &m : moves) s.push_back({Act::Move, m[0], m[1]});
  s.push_back({Act::Release, 900, 800});
  s.push_back({Act::Move, 400, 300});
  s.push_back({Act::Move, 420, 310});
  s.push_back({Act::Release, 420, 310});
  s.push_back({Act::Press, 200, 0});
  s.push_back({Act::Move, 200, -30});
  s.push_back({Act::Move, 200, 5});
  s.push_back({Act::Release, 200, 5});

  // P pressed right after a point bounced, motion held, then resumed.
  for (int i = 0; i < 2; ++i) {
    s.push_back({Act::PauseAtBounce});
    s.push_back({Act::KeyUp, static_cast<int>(kKeyP)});
    Idle(s, 40);
    Key(s, kKeyP);
  }

  // The wheel: 60 steps away from the user (the last 8 stay at the floor
  // of 20), 600 towards it (to 9020, the largest distance there is among
  // them), and 548 away again with distances of three notches, zero and
  // the largest positive one: back at 800.
  Wheel(s, 60, 120);
  Wheel(s, 599, -120);
  Wheel(s, 1, -32768);
  Wheel(s, 546, 360);
  Wheel(s, 1, 0);
  Wheel(s, 1, 32767);

  // Window sizes, with the frames-per-second overlay on.
  Key(s, kKeyF);
  s.push_back({Act::Minimize});
  s.push_back({Act::Press, 10, 10});
  s.push_back({Act::Release, 10, 10});
  s.push_back({Act::Wheel, 120, 0, 0});
  Idle(s, 20);
  s.push_back({Act::Restore});
  Idle(s, 10);
  s.push_back({Act::Resize, 9, 400});  // client area 1 by 373
  s.push_back({Act::Press, 0, 100});
  s.push_back({Act::Move, 0, 200});
  s.push_back({Act::Move, 5, 200});
  s.push_back({Act::Release, 0, 200});
  s.push_back({Act::Wheel, 120, 0, 10});
  s.push_back({Act::Wheel, -120, 0, 10});
  Idle(s, 20);
  s.push_back({Act::Resize, 8, 400});  // 0 by 373
  Idle(s, 10);
  s.push_back({Act::Resize, 800, 27});  // full width, no height
  Idle(s, 20);
  s.push_back({Act::Resize, 800, 28});  // 792 by 1
  Idle(s, 10);
  s.push_back({Act::Resize, 800, 29});  // 792 by 2
  Idle(s, 10);
  s.push_back({Act::Resize, 0, 0});  // 0 by 0 without being minimised
  Idle(s, 10);
  s.push_back({Act::Resize, 3000, 2500});  // far larger than the desktop
  s.push_back({Act::Press, 1500, 1200});
  s.push_back({Act::Move, 2900, 2400});
  s.push_back({Act::Move, 100, 100});
  s.push_back({Act::Release, 100, 100});
  s.push_back({Act::Wheel, 120, 2000, 2000});
  s.push_back({Act::Wheel, -120, 2000, 2000});
  s.push_back({Act::Expose});
  Idle(s, 30);
  s.push_back({Act::MoveWindow, -1000, -800});
  Idle(s, 10);
  s.push_back({Act::MoveWindow, 2000, 1500});
  Idle(s, 10);
  s.push_back({Act::MoveWindow, 50, 50});
  // The desktop changes size; each resize makes the program read it again.
  const int desktops[][4] = {{640, 480, 1500, 1200}, {4000, 3000, 3900, 2900}, {1, 1, 500, 400}, {0, 0, 600, 500}};
  for (const auto &d : desktops) {
    s.push_back({Act::Desktop, d[0], d[1]});
    s.push_back({Act::Resize, d[2], d[3]});
    Idle(s, 20);
  }
  s.push_back({Act::Desktop, 1280, 1024});
  s.push_back({Act::Resize, kWindowWidth, kWindowHeight});
  s.push_back({Act::Expose});
  Key(s, kKeyF);

  // Quiet turns, so the queue is empty when the cycle ends.
  Idle(s, 200);
  return s;
}

uint64_t FramesWanted() {
  if (const char *text = std::getenv("VELMORA_SOAK_FRAMES")) {
    const unsigned long long n = std::strtoull(text, nullptr, 10);
    if (n > 0) return n;
  }
  return kShortRunFrames;
}

struct Figures {
  uint64_t polls = 0;
  uint64_t cycles = 0;
  uint64_t nonFinitePolls = 0;
  uint64_t outsideBoxPolls = 0;
  uint64_t movedWhilePaused = 0;
  uint64_t pausesAtBounce = 0;
  uint64_t wraps = 0;
  uint64_t stepsSoonAfterWrap = 0;
  uint64_t focalMismatches = 0;
  int minFocal = kFocalStart, maxFocal = kFocalStart;
  HeapCounts atFrame1000, atEnd;
  size_t allocatorAt1000 = 0, allocatorAtEnd = 0;
  std::vector<HeapCounts> atCycleEnds;
};

class Storm {
 public:
  explicit Storm(uint64_t frames) : frames_(frames), cycle_(BuildCycle()) {
    // Room for every cycle's figures, so that recording them allocates
    // nothing while the run is measured.
    f_.atCycleEnds.reserve(frames / cycle_.size() + 8);
  }

  const Figures &Result() const { return f_; }
  size_t CycleLength() const { return cycle_.size(); }

  void Poll() {
    ++f_.polls;
    Observe();
    if (f_.polls == 1000) {
      f_.atFrame1000 = Heap();
      f_.allocatorAt1000 = AllocatorBytesInUse();
    }
    if (!quitting_) Act();
    Remember();
  }

 private:
  void Observe() {
    if (!AllPointsFinite()) ++f_.nonFinitePolls;
    bounced_ = false;
    bool moved = false;
    for (int i = 0; i < kPointCount; ++i) {
      const Point3 &p = g_positions[i], &v = g_velocities[i];
      if (!(std::fabs(p.x) <= kBoxReach && std::fabs(p.y) <= kBoxReach && std::fabs(p.z) <= kBoxReach)) {
        ++f_.outsideBoxPolls;
      }
      moved = moved || p.x != lastPositions_[i].x || p.y != lastPositions_[i].y || p.z != lastPositions_[i].z;
      bounced_ = bounced_ || (v.x < 0) != (lastVelocities_[i].x < 0) || (v.y < 0) != (lastVelocities_[i].y < 0) ||
                 (v.z < 0) != (lastVelocities_[i].z < 0);
    }
    if (lastPaused_ != 0 && g_paused != 0 && moved) ++f_.movedWhilePaused;
    const DWORD tick = GetTickCount();
    if (tick < lastTick_) {
      ++f_.wraps;
      pollsSinceWrap_ = 0;
    }
    if (pollsSinceWrap_ < 200) {
      ++pollsSinceWrap_;
      if (g_lastStepTick != lastStepTick_) ++f_.stepsSoonAfterWrap;
    }
    if (g_focalLength < f_.minFocal) f_.minFocal = g_focalLength;
    if (g_focalLength > f_.maxFocal) f_.maxFocal = g_focalLength;
  }

  void Remember() {
    for (int i = 0; i < kPointCount; ++i) {
      lastPositions_[i] = g_positions[i];
      lastVelocities_[i] = g_velocities[i];
    }
    lastPaused_ = g_paused;
    lastTick_ = GetTickCount();
    lastStepTick_ = g_lastStepTick;
  }

  void Act() {
    if (next_ == cycle_.size()) {
      ++f_.cycles;
      f_.atCycleEnds.push_back(Heap());
      if (g_focalLength != kFocalStart) ++f_.focalMismatches;
      if (f_.polls >= frames_) {
        f_.atEnd = Heap();
        f_.allocatorAtEnd = AllocatorBytesInUse();
        headless::KeyDown(VK_ESCAPE);
        quitting_ = true;
        return;
      }
      next_ = 0;
    }
    const Step &s = cycle_[next_];
    switch (s.act) {
      case Act::Idle: break;
      case Act::NearWrap: headless::SetTick(0u - kPollsBeforeWrap * kTickPerPoll); break;
      case Act::KeyDown: headless::KeyDown(s.a); break;
      case Act::KeyRepeat: headless::KeyDown(s.a, true); break;
      case Act::KeyUp: headless::KeyUp(s.a); break;
      case Act::Move: headless::MouseMove(s.a, s.b); break;
      case Act::Press: headless::LeftButton(true, s.a, s.b); break;
      case Act::Release: headless::LeftButton(false, s.a, s.b); break;
      case Act::Wheel: headless::Wheel(s.a, s.b, s.c); break;
      case Act::Resize: headless::ResizeWindow(s.a, s.b); break;
      case Act::MoveWindow: headless::MoveWindowTo(s.a, s.b); break;
      case Act::Minimize: headless::Minimize(); break;
      case Act::Restore: headless::Restore(); break;
      case Act::Desktop: headless::SetDesktopSize(s.a, s.b); break;
      case Act::Expose: headless::Expose(); break;
      case Act::PauseAtBounce:
        // Waits (without moving on) for a frame in which a point bounced.
        if (!bounced_ && ++bounceWait_ < 5000) return;
        if (bounced_) ++f_.pausesAtBounce;
        bounceWait_ = 0;
        headless::KeyDown(kKeyP);
        break;
    }
    ++next_;
  }

  uint64_t frames_;
  std::vector<Step> cycle_;
  size_t next_ = 0;
  bool quitting_ = false;
  Figures f_;
  Point3 lastPositions_[kPointCount] = {};
  Point3 lastVelocities_[kPointCount] = {};
  int lastPaused_ = 0;
  bool bounced_ = false;
  int bounceWait_ = 0;
  DWORD lastTick_ = 0;
  DWORD lastStepTick_ = 0;
  int pollsSinceWrap_ = 200;
};

TEST(Soak, StormOfInputThroughTheRealLoop) {
  const uint64_t frames = FramesWanted();
  Storm storm(frames);
  headless::SetTickPerPoll(kTickPerPoll);
  const auto start = std::chrono::steady_clock::now();
  const int code = RunProgram([&](uint64_t) { storm.Poll(); });
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const Figures &f = storm.Result();
  const size_t damaged = DamagedGuards();
  const bool frameBufferGuarded = IsGuarded(g_app->pixels);

  std::printf("soak: %" PRIu64 " frames (%" PRIu64 " cycles of %zu), %" PRIu64 " presented, %.1f s wall\n",
              f.polls, f.cycles, storm.CycleLength(), headless::PresentCount(), seconds);
  std::printf("soak: live allocations %" PRId64 " (%" PRId64 " bytes) at frame 1000, %" PRId64 " (%" PRId64
              " bytes) at the end; allocator in use %zu and %zu bytes\n",
              f.atFrame1000.liveBlocks, f.atFrame1000.liveBytes, f.atEnd.liveBlocks, f.atEnd.liveBytes,
              f.allocatorAt1000, f.allocatorAtEnd);
  std::printf("soak: non-finite points in %" PRIu64 " frames, outside the box in %" PRIu64
              ", moved while paused in %" PRIu64 "; %" PRIu64 " pauses at a bounce\n",
              f.nonFinitePolls, f.outsideBoxPolls, f.movedWhilePaused, f.pausesAtBounce);
  std::printf("soak: %" PRIu64 " clock wraps, %" PRIu64 " steps in the 200 frames after them; focal length %d to %d\n",
              f.wraps, f.stepsSoonAfterWrap, f.minFocal, f.maxFocal);
  std::printf("soak: guard words damaged %zu (frame buffer guarded: %s); exit code %d\n", damaged,
              frameBufferGuarded ? "yes" : "no", code);

  EXPECT_EQ(code, 0);
  ASSERT_GE(f.polls, frames);
  ASSERT_GE(f.cycles, 2u);
  EXPECT_EQ(f.nonFinitePolls, 0u);
  EXPECT_EQ(f.outsideBoxPolls, 0u);
  EXPECT_EQ(f.movedWhilePaused, 0u);
  EXPECT_GT(f.pausesAtBounce, 0u);
  // Each cycle takes the clock past 2^32 once, and the simulation keeps
  // stepping on every frame after it (only the P key's own frame pauses).
  EXPECT_EQ(f.wraps, f.cycles);
  EXPECT_GE(f.stepsSoonAfterWrap, f.wraps * 190);
  // The wheel's floor and its unbounded other side, and every cycle's
  // steps adding up to the start again.
  EXPECT_EQ(f.minFocal, 20);
  EXPECT_EQ(f.maxFocal, 9020);
  EXPECT_EQ(f.focalMismatches, 0u);

  // Memory: the same live blocks at frame 1000 as at the end, and every
  // cycle ends with exactly the heap of the one before.
  EXPECT_EQ(f.atEnd.liveBlocks, f.atFrame1000.liveBlocks);
  EXPECT_LE(f.atEnd.liveBytes, f.atFrame1000.liveBytes + 4096);
  for (size_t i = 1; i < f.atCycleEnds.size(); ++i) {
    EXPECT_EQ(f.atCycleEnds[i].liveBlocks, f.atCycleEnds[0].liveBlocks) << "cycle " << i;
    EXPECT_EQ(f.atCycleEnds[i].liveBytes, f.atCycleEnds[0].liveBytes) << "cycle " << i;
  }

  EXPECT_TRUE(frameBufferGuarded);
  EXPECT_EQ(damaged, 0u);

  // The window is back at its first size and still shows whole frames.
  const headless::Image &last = headless::LastPresented();
  EXPECT_EQ(last.width, kClientWidth);
  EXPECT_EQ(last.height, kClientHeight);
  EXPECT_GT(CountColour(last, kGrey), kClientWidth * kClientHeight / 2);
  EXPECT_GT(CountColour(last, kRed), 0);
}

}  // namespace
}  // namespace soak
