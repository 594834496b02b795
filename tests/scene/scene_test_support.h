// A frame buffer and view for scene tests that call the drawing directly:
// an 800 by 600 client area over a larger pixel array, the box of the
// running program, and the view InitScene leaves (identity rotation, offset
// (0, 0, 8000), focal length 800), plus where that view puts a point.
#ifndef VELMORA_TESTS_SCENE_SUPPORT_H
#define VELMORA_TESTS_SCENE_SUPPORT_H

#include <cstdint>
#include <vector>

#include "math/view.h"
#include "raster/colours.h"
#include "scene/points.h"
#include "support/test_frame.h"
#include "support/view_model.h"

namespace scene_test {

constexpr int kClientWidth = 800;
constexpr int kClientHeight = 600;
// The pixel array is wider and taller than the window so that writes that
// stray past the client area show up instead of corrupting memory.
constexpr int kBufferWidth = 900;
constexpr int kBufferHeight = 720;
constexpr uint32_t kSentinel = 0x123456;

using ScreenPixel = support::Pixel;

// The 800 by 600 client area over the larger pixel array, every pixel the
// sentinel until drawn on.
class FrameBuffer : public support::TestFrame {
 public:
  FrameBuffer()
      : TestFrame(kBufferWidth, kBufferHeight, kClientWidth + 8, kClientHeight + 31, kClientWidth, kClientHeight,
                  kSentinel) {}
};

// The box and view the program runs with.
inline void StandardScene() {
  g_box = Box{-1000, 1000, -1000, 1000, -1000, 1000};
  ResetViewRotation();
  g_viewOffset = Point3{0, 0, 8000};
  g_focalLength = 800;
  for (int i = 0; i < kPointCount; ++i) g_positions[i] = Point3{0, 0, 0};
}

// The pixel where the standard view puts a point, truncated as it is
// plotted.
inline ScreenPixel ProjectToPixel(double x, double y, double z) {
  const view_model::Projected p = view_model::Project(view_model::View{}, x, y, z);
  return ScreenPixel{static_cast<int>(p.x), static_cast<int>(p.y)};
}

}  // namespace scene_test

#endif
