// A long run of the real program under a storm of input: every key code
// with auto-repeat, drags that leave the window and come back, the wheel
// driven to its floor and far the other way, motion paused in the middle of
// a bounce, resizes through every degenerate client area, a desktop that
// changes size and a clock that wraps. The run must stay finite, keep its
// memory flat, leave the frame buffer's surroundings alone and still end on
// Escape. VELMORA_SOAK_FRAMES sets the length (scripts/soak.sh runs 200000).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/shell/shell.h"
#include "math/view.h"
#include "soak_support.h"
#include "raster/colours.h"
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
constexpr int kHeldPause = 40;

// Drain waits until the loop has taken every queued message, so that each
// later step's message is handled in the turn right after it and the
// Expect steps can check its effect at the next poll.
enum class Act {
  Idle,
  NearWrap,
  KeyDown,
  KeyRepeat,
  KeyUp,
  Move,
  Press,
  Release,
  Wheel,
  Resize,
  MoveWindow,
  Minimize,
  Restore,
  Desktop,
  Expose,
  PauseAtBounce,
  Drain,
  ExpectDragging,
  RememberView,
  ExpectViewTurned,
  ExpectViewKept,
  ExpectClient,
  ExpectDesktop,
  ExpectToggles,
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

// A resize to the given outer size, then a check of the client area the
// program took from it (the stand-in's frame is 8 wide and 27 high).
void Resize(std::vector<Step> &s, int outerWidth, int outerHeight) {
  s.push_back({Act::Resize, outerWidth, outerHeight});
  s.push_back({Act::ExpectClient, std::max(outerWidth - kFrameLeft - kFrameRight, 0),
               std::max(outerHeight - kFrameTop - kFrameBottom, 0)});
}

// One cycle of the storm, one action per poll; only the key storm queues
// more than the loop takes, and the cycle waits for that backlog to drain,
// so that every cycle ends with an empty queue and the run's memory can be
// compared cycle by cycle. The cycle leaves the view's focal length, the
// toggles and the window as it found them.
std::vector<Step> BuildCycle() {
  std::vector<Step> s;
  // The frame counter stays on for the whole cycle, across the clock's
  // wrap. The clock only goes forwards, as a real one does, in hops shorter
  // than 2^31 ms (the longest interval a signed difference of ticks can
  // tell), to kPollsBeforeWrap frames before the wrap.
  Key(s, kKeyF);
  for (int hop = 0; hop < 3; ++hop) s.push_back({Act::NearWrap, hop});

  // Every key code (Escape ends the run, so it waits for the end): pressed,
  // auto-repeated and released. 1, P and F toggle twice and end as before.
  for (int vk = 0; vk <= 255; ++vk) {
    if (vk == VK_ESCAPE) continue;
    s.push_back({Act::KeyDown, vk});
    s.push_back({Act::KeyRepeat, vk});
    s.push_back({Act::KeyUp, vk});
  }
  // The storm queues messages faster than the loop takes them, one a turn.
  s.push_back({Act::Drain});
  s.push_back({Act::ExpectToggles, 1, 0, 1});  // help shown, running, counter on

  // A drag that leaves the client area on the left, comes back, runs to
  // its last pixel and out again, is released outside (unseen, so the drag
  // goes on) and ends inside; then one off the top edge.
  const int moves[][2] = {{450, 320}, {300, 300}, {100, 300}, {-1, 300}, {-400, 200},
                          {5, 250},   {600, 500}, {791, 672}, {792, 673}};
  s.push_back({Act::Press, 400, 300});
  for (const auto &m : moves) s.push_back({Act::Move, m[0], m[1]});
  s.push_back({Act::Release, 900, 800});
  s.push_back({Act::ExpectDragging, 1});  // the release outside was not seen
  s.push_back({Act::Move, 400, 300});
  s.push_back({Act::RememberView});
  s.push_back({Act::Move, 420, 310});
  s.push_back({Act::ExpectViewTurned});  // the first move back inside turns it
  s.push_back({Act::Release, 420, 310});
  s.push_back({Act::ExpectDragging, 0});
  s.push_back({Act::RememberView});
  s.push_back({Act::Move, 500, 400});
  s.push_back({Act::ExpectViewKept});  // no button, no turn
  s.push_back({Act::Press, 200, 0});
  s.push_back({Act::Move, 200, -30});
  s.push_back({Act::Move, 200, 5});
  s.push_back({Act::Release, 200, 5});
  s.push_back({Act::ExpectDragging, 0});

  // P pressed right after a point bounced, motion held, then resumed.
  for (int i = 0; i < 2; ++i) {
    s.push_back({Act::PauseAtBounce});
    s.push_back({Act::KeyUp, static_cast<int>(kKeyP)});
    Idle(s, kHeldPause);
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
  s.push_back({Act::ExpectToggles, 1, 0, 1});
  s.push_back({Act::Minimize});
  s.push_back({Act::ExpectClient, 0, 0});
  s.push_back({Act::Press, 10, 10});
  s.push_back({Act::Release, 10, 10});
  s.push_back({Act::Wheel, 120, 0, 0});
  Idle(s, 20);
  s.push_back({Act::Restore});
  s.push_back({Act::ExpectClient, kClientWidth, kClientHeight});
  Idle(s, 10);
  Resize(s, 9, 400);  // client area 1 by 373
  s.push_back({Act::Press, 0, 100});
  s.push_back({Act::Move, 0, 200});
  s.push_back({Act::Move, 5, 200});
  s.push_back({Act::Release, 0, 200});
  s.push_back({Act::Wheel, 120, 0, 10});
  s.push_back({Act::Wheel, -120, 0, 10});
  Idle(s, 20);
  Resize(s, 8, 400);  // 0 by 373
  Idle(s, 10);
  Resize(s, 800, 27);  // full width, no height
  Idle(s, 20);
  Resize(s, 800, 28);  // 792 by 1
  Idle(s, 10);
  Resize(s, 800, 29);  // 792 by 2
  Idle(s, 10);
  Resize(s, 0, 0);  // 0 by 0 without being minimised
  Idle(s, 10);
  Resize(s, 3000, 2500);  // far larger than the desktop
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
    Resize(s, d[2], d[3]);
    s.push_back({Act::ExpectDesktop, d[0], d[1]});
    Idle(s, 20);
  }
  s.push_back({Act::Desktop, 1280, 1024});
  Resize(s, kWindowWidth, kWindowHeight);
  s.push_back({Act::ExpectDesktop, 1280, 1024});
  s.push_back({Act::Expose});
  Key(s, kKeyF);
  Idle(s, 2);
  s.push_back({Act::ExpectToggles, 1, 0, 0});

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
  uint64_t fpsRenewedAfterWrap = 0;
  uint64_t focalMismatches = 0;
  uint64_t pausesWithoutBounce = 0;  // no bounce came in 5000 frames
  uint64_t pausesMissed = 0;         // P after a bounce not taking hold in the next frame
  int shortestHeldPause = 1 << 30;   // frames, of the pauses begun at a bounce
  uint64_t drains = 0;
  uint64_t expectations = 0, expectationsFailed = 0;
  uint64_t frameBufferChanged = 0;  // polls with another frame buffer than at start
  uint64_t turnsChecked = 0, turnsAfterResize = 0, turnsAllocatingOtherwise = 0;
  uint64_t firstOddTurn = 0;  // its poll, 0 if none
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
    CountTurn();
    Observe();
    if (f_.polls == 1000) {
      f_.atFrame1000 = Heap();
      f_.allocatorAt1000 = AllocatorBytesInUse();
    }
    if (!quitting_) Act();
    Remember();
  }

 private:
  // The heap traffic of the turn just ended: whole fits, one per frame
  // drawn (two when a repaint was dispatched), and nothing else. The first
  // cycle, in which the message queue grows to its working size, and the
  // turn after a window-manager change of size, which resizes the window's
  // image, are not counted.
  void CountTurn() {
    const HeapCounts now = Heap();
    if (f_.polls > 1 && !quitting_) {
      if (f_.cycles == 0 || sizeChanged_) {
        ++f_.turnsAfterResize;
      } else {
        const uint64_t news = now.news - heap_.news, deletes = now.deletes - heap_.deletes;
        const bool fits = news > 0 && news % kBlocksPerFit == 0 && news <= 2 * kBlocksPerFit && deletes == news &&
                          now.mallocs == heap_.mallocs && now.frees == heap_.frees;
        ++f_.turnsChecked;
        if (!fits && f_.turnsAllocatingOtherwise++ == 0) f_.firstOddTurn = f_.polls;
      }
    }
    sizeChanged_ = false;
    heap_ = now;
  }

  void Observe() {
    if (firstPixels_ == nullptr) firstPixels_ = g_app->pixels;
    if (!AllPointsFinite()) ++f_.nonFinitePolls;
    if (g_app->pixels != firstPixels_ || g_app->pixelStride != 1280 || g_app->pixelRows != 1024) {
      ++f_.frameBufferChanged;
    }
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
    // The frame just drawn was drawn with g_paused as it is now: the turn's
    // message is handled before its frame.
    if (g_paused != 0 && moved) ++f_.movedWhilePaused;
    if (pauseExpected_) {
      pauseExpected_ = false;
      if (g_paused != 0) {
        ++f_.pausesAtBounce;
        heldPause_ = 0;
      } else {
        ++f_.pausesMissed;
      }
    }
    if (heldPause_ >= 0) {
      if (g_paused != 0) {
        ++heldPause_;
      } else {
        f_.shortestHeldPause = std::min(f_.shortestHeldPause, heldPause_);
        heldPause_ = -1;
      }
    }
    const DWORD tick = GetTickCount();
    if (tick < lastTick_) {
      ++f_.wraps;
      pollsSinceWrap_ = 0;
    }
    if (pollsSinceWrap_ < 200) {
      ++pollsSinceWrap_;
      if (g_lastStepTick != lastStepTick_) ++f_.stepsSoonAfterWrap;
    }
    // The frame counter's first renewal after the wrap comes one interval
    // of more than 2000 ms after the last one before it: neither at the
    // wrap nor long after it. A few frames of slack cover the F key's
    // double toggle in the key storm, which may fall at that moment.
    if (tick < lastTick_) {
      fpsBeforeWrap_ = g_app->fpsTick;
      fpsWatch_ = true;
    } else if (fpsWatch_ && g_app->fpsTick != fpsBeforeWrap_) {
      fpsWatch_ = false;
      const DWORD gap = g_app->fpsTick - fpsBeforeWrap_;
      if (gap > 2000 && gap <= 2000 + 4 * kTickPerPoll && g_app->fpsTick < 0x80000000u) ++f_.fpsRenewedAfterWrap;
    }
    if (g_focalLength < f_.minFocal) f_.minFocal = g_focalLength;
    if (g_focalLength > f_.maxFocal) f_.maxFocal = g_focalLength;
  }

  void Remember() {
    for (int i = 0; i < kPointCount; ++i) {
      lastPositions_[i] = g_positions[i];
      lastVelocities_[i] = g_velocities[i];
    }
    lastTick_ = GetTickCount();
    lastStepTick_ = g_lastStepTick;
  }

  void Expect(bool holds) {
    ++f_.expectations;
    if (!holds) ++f_.expectationsFailed;
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
      case Act::NearWrap: {
        // Hops of a quarter and three eighths of the range, then the rest.
        const DWORD hops[] = {0x40000000u, 0x60000000u};
        headless::SetTick(s.a < 2 ? GetTickCount() + hops[s.a] : 0u - kPollsBeforeWrap * kTickPerPoll);
        break;
      }
      case Act::KeyDown: headless::KeyDown(s.a); break;
      case Act::KeyRepeat: headless::KeyDown(s.a, true); break;
      case Act::KeyUp: headless::KeyUp(s.a); break;
      case Act::Move: headless::MouseMove(s.a, s.b); break;
      case Act::Press: headless::LeftButton(true, s.a, s.b); break;
      case Act::Release: headless::LeftButton(false, s.a, s.b); break;
      case Act::Wheel: headless::Wheel(s.a, s.b, s.c); break;
      case Act::Resize:
        headless::ResizeWindow(s.a, s.b);
        sizeChanged_ = true;
        break;
      case Act::MoveWindow: headless::MoveWindowTo(s.a, s.b); break;
      case Act::Minimize: headless::Minimize(); break;
      case Act::Restore:
        headless::Restore();
        sizeChanged_ = true;
        break;
      case Act::Desktop: headless::SetDesktopSize(s.a, s.b); break;
      case Act::Expose: headless::Expose(); break;
      case Act::PauseAtBounce:
        // Waits (without moving on) for a frame in which a point bounced,
        // with the queue empty, so that the next frame is the paused one.
        if (headless::QueuedMessages() != 0 || (!bounced_ && ++bounceWait_ < 5000)) return;
        bounceWait_ = 0;
        headless::KeyDown(kKeyP);
        if (bounced_) {
          pauseExpected_ = true;
        } else {
          ++f_.pausesWithoutBounce;
        }
        break;
      case Act::Drain:
        if (headless::QueuedMessages() != 0) return;
        ++f_.drains;
        break;
      case Act::ExpectDragging: Expect(g_dragging == s.a); break;
      case Act::RememberView: view_ = g_viewRotation; break;
      case Act::ExpectViewTurned: Expect(std::memcmp(&view_, &g_viewRotation, sizeof view_) != 0); break;
      case Act::ExpectViewKept: Expect(std::memcmp(&view_, &g_viewRotation, sizeof view_) == 0); break;
      case Act::ExpectClient: Expect(g_app->clientWidth == s.a && g_app->clientHeight == s.b); break;
      case Act::ExpectDesktop: Expect(g_app->desktopWidth == s.a && g_app->desktopHeight == s.b); break;
      case Act::ExpectToggles: Expect(g_showHelp == s.a && g_paused == s.b && g_app->showFps == s.c); break;
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
  bool fpsWatch_ = false;
  DWORD fpsBeforeWrap_ = 0;
  bool bounced_ = false;
  int bounceWait_ = 0;
  bool pauseExpected_ = false;
  int heldPause_ = -1;  // frames so far of a pause begun at a bounce, -1 if none
  bool sizeChanged_ = false;
  HeapCounts heap_;
  DWORD *firstPixels_ = nullptr;
  Matrix3 view_ = {};
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

  std::printf("soak: %" PRIu64 " frames (%" PRIu64 " cycles of %zu), %" PRIu64 " presented, %.1f s wall\n", f.polls,
              f.cycles, storm.CycleLength(), headless::PresentCount(), seconds);
  std::printf("soak: live allocations %" PRId64 " (%" PRId64 " bytes) at frame 1000, %" PRId64 " (%" PRId64
              " bytes) at the end; allocator in use %zu and %zu bytes\n",
              f.atFrame1000.liveBlocks, f.atFrame1000.liveBytes, f.atEnd.liveBlocks, f.atEnd.liveBytes,
              f.allocatorAt1000, f.allocatorAtEnd);
  std::printf("soak: non-finite points in %" PRIu64 " frames, outside the box in %" PRIu64
              ", moved while paused in %" PRIu64 "; %" PRIu64 " pauses at a bounce\n",
              f.nonFinitePolls, f.outsideBoxPolls, f.movedWhilePaused, f.pausesAtBounce);
  std::printf("soak: %" PRIu64 " clock wraps, %" PRIu64 " steps in the 200 frames after them, the frame counter"
              " renewed after %" PRIu64 " of them; focal length %d to %d\n",
              f.wraps, f.stepsSoonAfterWrap, f.fpsRenewedAfterWrap, f.minFocal, f.maxFocal);
  std::printf("soak: heap traffic checked in %" PRIu64 " turns, %" PRIu64
              " of them with more than whole fits (first at poll %" PRIu64 "); %" PRIu64
              " turns of the first cycle or after a resize not counted\n",
              f.turnsChecked, f.turnsAllocatingOtherwise, f.firstOddTurn, f.turnsAfterResize);
  std::printf("soak: %" PRIu64 " checks of the program's state after input, %" PRIu64 " failed; %" PRIu64
              " pauses at a bounce missed, the shortest held %d frames\n",
              f.expectations, f.expectationsFailed, f.pausesMissed, f.shortestHeldPause);
  std::printf("soak: guard words damaged %zu (frame buffer guarded: %s, moved or resized in %" PRIu64
              " frames); exit code %d\n",
              damaged, frameBufferGuarded ? "yes" : "no", f.frameBufferChanged, code);

  EXPECT_EQ(code, 0);
  ASSERT_GE(f.polls, frames);
  ASSERT_GE(f.cycles, 2u);
  EXPECT_EQ(f.nonFinitePolls, 0u);
  EXPECT_EQ(f.outsideBoxPolls, 0u);
  EXPECT_EQ(f.movedWhilePaused, 0u);
  // Both pauses of every cycle begin in the frame after a bounce and hold
  // for the P key's release and the idle turns after it.
  EXPECT_EQ(f.pausesAtBounce, 2 * f.cycles);
  EXPECT_EQ(f.pausesMissed, 0u);
  EXPECT_EQ(f.pausesWithoutBounce, 0u);
  EXPECT_GE(f.shortestHeldPause, kHeldPause);
  // Every check of a drag, a toggle, a client area or a desktop held.
  EXPECT_EQ(f.drains, f.cycles);
  EXPECT_EQ(f.expectationsFailed, 0u);
  // The fit's matrices are all a frame allocates, whatever the window.
  EXPECT_EQ(f.turnsAllocatingOtherwise, 0u) << "first at poll " << f.firstOddTurn;
  EXPECT_GT(f.turnsChecked, f.polls / 3);
  // Each cycle takes the clock past 2^32 once, and the simulation keeps
  // stepping on every frame after it (only the P key's own frame pauses).
  EXPECT_EQ(f.wraps, f.cycles);
  EXPECT_GE(f.stepsSoonAfterWrap, f.wraps * 190);
  EXPECT_EQ(f.fpsRenewedAfterWrap, f.wraps);
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
  EXPECT_EQ(f.frameBufferChanged, 0u);

  // The window is back at its first size and still shows whole frames.
  const headless::Image &last = headless::LastPresented();
  EXPECT_EQ(last.width, kClientWidth);
  EXPECT_EQ(last.height, kClientHeight);
  EXPECT_GT(CountColour(last, kBackgroundGrey), kClientWidth * kClientHeight / 2);
  EXPECT_GT(CountColour(last, kLineRed), 0);
}

}  // namespace
}  // namespace soak
