// What the soak tests share: the program's run without the message trace,
// its default frame metrics, the fit's heap traffic, and the heap probe.
#ifndef VELMORA_TESTS_SOAK_SOAK_SUPPORT_H
#define VELMORA_TESTS_SOAK_SOAK_SUPPORT_H

#include <cmath>
#include <cstdint>
#include <functional>
#include <utility>

#include "app/app_context.h"
#include "scene/points.h"
#include "support/heap_probe.h"
#include "support/program.h"
#include "velmora/headless.h"

namespace soak {

using support::AllocatorBytesInUse;
using support::DamagedGuards;
using support::Heap;
using support::HeapCounts;
using support::IsGuarded;

namespace headless = velmora::headless;

// The heap blocks of one frame's fit, all released by its end: the 9 by 9
// system, its right-hand side and the solver's two working copies, each a
// record, a row array and a block per row (9 + 2).
constexpr uint64_t kBlocksPerFit = 4 * (9 + 2);

// Virtual-key codes the program acts on.
constexpr UINT kKey1 = 0x31, kKeyF = 0x46, kKeyP = 0x50;

// The default window: 800 by 700 outside; the stand-in's frame (4 pixels
// left, right and bottom, 23 on top) leaves a client area of 792 by 673.
constexpr int kWindowWidth = 800, kWindowHeight = 700;
constexpr int kFrameLeft = 4, kFrameTop = 23, kFrameRight = 4, kFrameBottom = 4;
constexpr int kClientWidth = kWindowWidth - kFrameLeft - kFrameRight;
constexpr int kClientHeight = kWindowHeight - kFrameTop - kFrameBottom;

// The message trace is off in every soak run: it grows with every message
// and would hide what the program itself allocates.
inline int RunProgram(std::function<void(uint64_t)> script) {
  headless::SetMessageTraceEnabled(false);
  return support::RunProgram(std::move(script));
}

inline bool AllPointsFinite() {
  for (const Point3 &p : g_positions) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
  }
  return true;
}

inline int CountColour(const headless::Image &image, uint32_t colour) {
  int n = 0;
  for (uint32_t p : image.pixels) n += p == colour;
  return n;
}

}  // namespace soak

#endif
