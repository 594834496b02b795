// One pass of the memory traffic that no frame can avoid, on buffers of a
// frame's sizes: fill the client area's rows at the frame buffer's stride,
// copy them to the window's image, fill the window's area white. The
// benchmarks' floor (memory_floor.h) and the SDL2 floor loop
// (sdl_floor.cpp) both run it.
#ifndef VELMORA_BENCH_FLOOR_PASS_H
#define VELMORA_BENCH_FLOOR_PASS_H

#include <cstddef>
#include <cstdint>
#include <cstring>

struct FloorSizes {
  int stride;                     // words from one row of the frame buffer to the next
  int clientWidth, clientHeight;  // the part copied to the window
  int windowWidth, windowHeight;  // the part filled white afterwards
};

// frame holds the frame buffer's rows, window clientWidth by clientHeight words.
inline void FloorPass(const FloorSizes &s, uint32_t *frame, uint32_t *window) {
  const size_t clientBytes = static_cast<size_t>(s.clientWidth) * sizeof(uint32_t);
  for (int y = 0; y < s.clientHeight; ++y) std::memset(frame + static_cast<size_t>(y) * s.stride, 0x78, clientBytes);
  for (int y = 0; y < s.clientHeight; ++y) {
    std::memcpy(window + static_cast<size_t>(y) * s.clientWidth, frame + static_cast<size_t>(y) * s.stride,
                clientBytes);
  }
  for (int y = 0; y < s.windowHeight; ++y) {
    std::memset(frame + static_cast<size_t>(y) * s.stride, 0xFF, static_cast<size_t>(s.windowWidth) * sizeof(uint32_t));
  }
  // Keeps the compiler from dropping stores it cannot see being read.
  asm volatile("" : : "r"(frame), "r"(window) : "memory");
}

#endif
