// A frame buffer owned by a test, fenced by guard words, with an AppContext
// of its own that g_app points at while the canvas lives.
#ifndef VELMORA_TESTS_RASTER_PIXEL_CANVAS_H
#define VELMORA_TESTS_RASTER_PIXEL_CANVAS_H

#include <stddef.h>

#include <vector>

#include "app/app_context.h"

struct Pixel {
  int x, y;
  bool operator==(const Pixel &o) const { return x == o.x && y == o.y; }
  bool operator<(const Pixel &o) const { return y != o.y ? y < o.y : x < o.x; }
};

class PixelCanvas {
 public:
  // Colours no routine under test writes: anything else is a write.
  static constexpr DWORD kBackground = 0x5A5A5A5Au;
  static constexpr DWORD kGuard = 0xDEADBEEFu;

  // A frame buffer of stride x rows (0 x 0: none, pixels null), a window of
  // the given outer size and a client rectangle (0, 0, clientWidth,
  // clientHeight).
  PixelCanvas(int stride, int rows, int windowWidth, int windowHeight, int clientWidth,
              int clientHeight)
      : guard_(static_cast<size_t>(stride) + 64), previous_(g_app) {
    const size_t area = static_cast<size_t>(stride) * static_cast<size_t>(rows);
    words_.assign(area + 2 * guard_, kBackground);
    for (size_t i = 0; i < guard_; ++i) words_[i] = words_[guard_ + area + i] = kGuard;
    app_.pixels = area != 0 ? words_.data() + guard_ : nullptr;
    app_.pixelStride = stride;
    app_.pixelRows = rows;
    app_.windowWidth = windowWidth;
    app_.windowHeight = windowHeight;
    app_.clientRect = RECT{0, 0, clientWidth, clientHeight};
    g_app = &app_;
  }
  ~PixelCanvas() { g_app = previous_; }
  PixelCanvas(const PixelCanvas &) = delete;
  PixelCanvas &operator=(const PixelCanvas &) = delete;

  AppContext &app() { return app_; }

  DWORD At(int x, int y) const {
    return words_[guard_ + static_cast<size_t>(y) * app_.pixelStride + x];
  }

  bool GuardsIntact() const {
    const size_t area = words_.size() - 2 * guard_;
    for (size_t i = 0; i < guard_; ++i) {
      if (words_[i] != kGuard || words_[guard_ + area + i] != kGuard) return false;
    }
    return true;
  }

  // Every pixel that no longer holds the background, top row first.
  std::vector<Pixel> Written() const {
    std::vector<Pixel> out;
    for (int y = 0; y < app_.pixelRows; ++y) {
      for (int x = 0; x < app_.pixelStride; ++x) {
        if (At(x, y) != kBackground) out.push_back({x, y});
      }
    }
    return out;
  }

 private:
  size_t guard_;
  AppContext *previous_;
  std::vector<DWORD> words_;
  AppContext app_{};
};

#endif
