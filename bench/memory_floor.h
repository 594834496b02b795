// The memory traffic of a frame that no frame can avoid, on buffers of the
// sizes the program's own frame has (read from g_app once it runs): fill
// the client area's rows at the frame buffer's stride, copy them to a
// window image, fill the window's area white. Both frame benchmarks set
// the frame against it.
#ifndef VELMORA_BENCH_MEMORY_FLOOR_H
#define VELMORA_BENCH_MEMORY_FLOOR_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/app_context.h"

class MemoryFloor {
 public:
  MemoryFloor()
      : stride_(g_app->pixelStride),
        cw_(g_app->clientRect.right - g_app->clientRect.left),
        ch_(g_app->clientRect.bottom - g_app->clientRect.top),
        ww_(std::min(g_app->windowWidth, g_app->pixelStride)),
        wh_(std::min(g_app->windowHeight, g_app->pixelRows)),
        frame_(static_cast<size_t>(stride_) * g_app->pixelRows, 0x00FFFFFF),
        window_(static_cast<size_t>(cw_) * ch_, 0) {}

  void Pass() {
    uint32_t *f = frame_.data();
    for (int y = 0; y < ch_; ++y) std::memset(f + static_cast<size_t>(y) * stride_, 0x78, cw_ * sizeof(uint32_t));
    for (int y = 0; y < ch_; ++y) {
      std::memcpy(window_.data() + static_cast<size_t>(y) * cw_, f + static_cast<size_t>(y) * stride_,
                  cw_ * sizeof(uint32_t));
    }
    for (int y = 0; y < wh_; ++y) std::memset(f + static_cast<size_t>(y) * stride_, 0xFF, ww_ * sizeof(uint32_t));
    // Keeps the compiler from dropping stores it cannot see being read.
    asm volatile("" : : "r"(frame_.data()), "r"(window_.data()) : "memory");
  }

  // Written, read, written, written.
  int64_t Bytes() const { return (int64_t{cw_} * ch_ * 3 + int64_t{ww_} * wh_) * 4; }

 private:
  int stride_, cw_, ch_, ww_, wh_;
  std::vector<uint32_t> frame_, window_;
};

#endif
