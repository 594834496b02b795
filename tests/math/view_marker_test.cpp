// ProjectPoint's marker mode through the real pixel routines: the blue
// 11 by 11 square around the truncated position, only for visible points.
#include "math/view.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "projection.h"
#include "raster/colours.h"

namespace {

using projection_test::kWhite;

// The projection tests' frame: an 800 by 600 client area over a 1024 by 768
// frame buffer, all white, and the scene's view.
class Marker : public projection_test::Projection {
 protected:
  // The pixels that are blue must be exactly the given inclusive rectangle,
  // and no other pixel may have changed.
  void ExpectOnlySquare(int x0, int y0, int x1, int y1) {
    EXPECT_TRUE(frame_->GuardsIntact());
    for (int y = 0; y < 768; ++y) {
      for (int x = 0; x < 1024; ++x) {
        const bool inside = x0 <= x && x <= x1 && y0 <= y && y <= y1;
        const uint32_t expected = inside ? kMarkerBlue : kWhite;
        if (frame_->At(x, y) != expected) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << frame_->At(x, y);
          return;
        }
      }
    }
  }
};

TEST_F(Marker, ElevenByElevenSquareAroundTheTruncatedPosition) {
  ScreenPoint s = ProjectPoint(1, {5, 5, 0});  // (400.5, 299.5) -> (400, 299)
  EXPECT_EQ(s.x, 400.5);
  EXPECT_EQ(s.y, 299.5);
  ExpectOnlySquare(395, 294, 405, 304);
}

TEST_F(Marker, SquareNearTheCornerIsCutAtTheFrameBuffer) {
  ProjectPoint(1, {-3990, 2990, 0});  // (1, 1): corners (-4, -4) and (6, 6)
  ExpectOnlySquare(0, 0, 6, 6);
}

TEST_F(Marker, InvisiblePointsDrawNoSquare) {
  ProjectPoint(1, {-4000, 0, 0});  // on the left edge
  ProjectPoint(1, {0, 0, -7500});  // depth 500, nearer than the focal length
  ProjectPoint(1, {9000, 0, 0});   // right of the client area
  ExpectOnlySquare(1, 1, 0, 0);    // an empty rectangle: nothing blue
}

}  // namespace
