// A frame buffer and view for scene tests that call the drawing directly:
// an 800 by 600 client area over a larger pixel array, the box of the
// running program, and the view InitScene leaves (identity rotation, offset
// (0, 0, 8000), focal length 800), plus the projection that view implies.
#ifndef VELMORA_TESTS_SCENE_SUPPORT_H
#define VELMORA_TESTS_SCENE_SUPPORT_H

#include <cstdint>
#include <vector>

#include "app/app_context.h"
#include "math/view.h"
#include "scene/points.h"

namespace scene_test {

constexpr int kClientWidth = 800;
constexpr int kClientHeight = 600;
// The pixel array is wider and taller than the window so that writes that
// stray past the client area show up instead of corrupting memory.
constexpr int kBufferWidth = 900;
constexpr int kBufferHeight = 720;
constexpr uint32_t kSentinel = 0x123456;
constexpr uint32_t kGreen = 0x00FA00;
constexpr uint32_t kBlue = 0x0000FA;
constexpr uint32_t kRed = 0xFA0000;
constexpr uint32_t kGrey = 0x787878;

struct ScreenPixel {
  int x, y;
  bool operator<(const ScreenPixel &o) const { return y != o.y ? y < o.y : x < o.x; }
  bool operator==(const ScreenPixel &o) const { return x == o.x && y == o.y; }
};

class FrameBuffer {
 public:
  FrameBuffer() : pixels_(static_cast<size_t>(kBufferWidth) * kBufferHeight, kSentinel) {
    // Use the record the application library made, if it made one, so that
    // nothing it allocated is lost; otherwise a zeroed one of our own.
    static AppContext own{};
    if (g_app == nullptr) g_app = &own;
    AppContext &app = *g_app;
    app.pixels = reinterpret_cast<DWORD *>(pixels_.data());
    app.pixelStride = kBufferWidth;
    app.pixelRows = kBufferHeight;
    app.desktopWidth = kBufferWidth;
    app.desktopHeight = kBufferHeight;
    app.clientRect = RECT{0, 0, kClientWidth, kClientHeight};
    app.clientWidth = kClientWidth;
    app.clientHeight = kClientHeight;
    app.halfClientWidth = kClientWidth / 2;
    app.halfClientHeight = kClientHeight / 2;
    app.windowWidth = kClientWidth + 8;
    app.windowHeight = kClientHeight + 31;
  }
  ~FrameBuffer() { g_app->pixels = nullptr; }

  void Fill(uint32_t colour) { pixels_.assign(pixels_.size(), colour); }
  uint32_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * kBufferWidth + x]; }
  const std::vector<uint32_t> &Pixels() const { return pixels_; }
  int Count(uint32_t colour) const {
    int n = 0;
    for (uint32_t p : pixels_) n += p == colour;
    return n;
  }

 private:
  std::vector<uint32_t> pixels_;
};

// The box and view the program runs with.
inline void StandardScene() {
  g_box = Box{-1000, 1000, -1000, 1000, -1000, 1000};
  ResetViewRotation();
  g_viewOffset = Point3{0, 0, 8000};
  g_focalLength = 800;
  for (int i = 0; i < kPointCount; ++i) g_positions[i] = Point3{0, 0, 0};
}

// Where the standard view puts a point: depth z + 8000, magnified by
// 800 / depth about the client centre (400, 300), y upwards on the screen.
inline void Project(double x, double y, double z, double &sx, double &sy) {
  double depth = z + 8000;
  sx = x * 800.0 / depth + 400;
  sy = 300 - y * 800.0 / depth;
}

inline ScreenPixel ProjectToPixel(double x, double y, double z) {
  double sx, sy;
  Project(x, y, z, sx, sy);
  return ScreenPixel{static_cast<int>(sx), static_cast<int>(sy)};
}

}  // namespace scene_test

#endif
