// A frame buffer owned by a test, for drawing code called directly: g_app
// points at a record of its own while the frame lives, with the given
// buffer, window and client sizes, and the buffer is fenced by guard words
// so that a write beyond it shows instead of corrupting memory.
#ifndef VELMORA_TESTS_SUPPORT_TEST_FRAME_H
#define VELMORA_TESTS_SUPPORT_TEST_FRAME_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/app_context.h"

namespace support {

struct Pixel {
  int x, y;
  bool operator==(const Pixel &o) const { return x == o.x && y == o.y; }
  bool operator<(const Pixel &o) const { return y != o.y ? y < o.y : x < o.x; }
};

class TestFrame {
 public:
  // A colour no drawing routine writes: a pixel that lost it was written.
  static constexpr uint32_t kUnwritten = 0x5A5A5A5Au;
  static constexpr uint32_t kGuard = 0xDEADBEEFu;

  // A frame buffer of stride x rows (0 x 0: none, pixels null) filled with
  // `fill`, a window of the given outer size and a client rectangle (0, 0,
  // clientWidth, clientHeight) with its size and centre. The record starts
  // as a copy of the one g_app points at, if any, so that the program's
  // handles stay usable; it is given back when the frame goes.
  TestFrame(int stride, int rows, int windowWidth, int windowHeight, int clientWidth, int clientHeight,
            uint32_t fill = kUnwritten)
      : fill_(fill), guard_(static_cast<size_t>(stride) + 64), previous_(g_app) {
    const size_t area = static_cast<size_t>(stride) * static_cast<size_t>(rows);
    words_.assign(area + 2 * guard_, fill);
    for (size_t i = 0; i < guard_; ++i) words_[i] = words_[guard_ + area + i] = kGuard;
    if (previous_ != nullptr) app_ = *previous_;
    app_.pixels = area != 0 ? reinterpret_cast<DWORD *>(words_.data() + guard_) : nullptr;
    app_.pixelStride = stride;
    app_.pixelRows = rows;
    app_.desktopWidth = stride;
    app_.desktopHeight = rows;
    app_.windowWidth = windowWidth;
    app_.windowHeight = windowHeight;
    app_.clientRect = RECT{0, 0, clientWidth, clientHeight};
    app_.clientWidth = clientWidth;
    app_.clientHeight = clientHeight;
    app_.halfClientWidth = clientWidth / 2;
    app_.halfClientHeight = clientHeight / 2;
    g_app = &app_;
  }
  ~TestFrame() { g_app = previous_; }
  TestFrame(const TestFrame &) = delete;
  TestFrame &operator=(const TestFrame &) = delete;

  AppContext &app() { return app_; }

  uint32_t At(int x, int y) const { return words_[Index(x, y)]; }

  // The buffer's pixels, row by row, without the guards.
  std::vector<uint32_t> Pixels() const { return std::vector<uint32_t>(words_.begin() + guard_, words_.end() - guard_); }
  void Fill(uint32_t colour) {
    for (size_t i = guard_; i < words_.size() - guard_; ++i) words_[i] = colour;
  }
  int Count(uint32_t colour) const {
    int n = 0;
    for (size_t i = guard_; i < words_.size() - guard_; ++i) n += words_[i] == colour;
    return n;
  }

  bool GuardsIntact() const {
    const size_t area = words_.size() - 2 * guard_;
    for (size_t i = 0; i < guard_; ++i) {
      if (words_[i] != kGuard || words_[guard_ + area + i] != kGuard) return false;
    }
    return true;
  }

  // Every pixel that no longer holds the colour the frame was made with,
  // top row first.
  std::vector<Pixel> Written() const {
    std::vector<Pixel> out;
    for (int y = 0; y < app_.pixelRows; ++y) {
      for (int x = 0; x < app_.pixelStride; ++x) {
        if (At(x, y) != fill_) out.push_back({x, y});
      }
    }
    return out;
  }

 private:
  size_t Index(int x, int y) const { return guard_ + static_cast<size_t>(y) * app_.pixelStride + x; }

  uint32_t fill_;
  size_t guard_;
  AppContext *previous_;
  std::vector<uint32_t> words_;
  AppContext app_{};
};

}  // namespace support

#endif
