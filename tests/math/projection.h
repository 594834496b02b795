// The frame and view the projection tests draw into: an 800 by 600 client
// area at (0, 0) over a white frame buffer of a given size, with the view
// of the scene (identity, offset (0, 0, 8000), focal length 800).
#ifndef VELMORA_TESTS_MATH_PROJECTION_H
#define VELMORA_TESTS_MATH_PROJECTION_H

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "math/view.h"
#include "support/test_frame.h"

namespace projection_test {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr uint32_t kWhite = 0xFFFFFF;

class Projection : public ::testing::Test {
 protected:
  void SetUp() override { Use(800, 600, 1024, 768); }

  // A fresh frame and view; the old frame goes first, so that g_app is
  // handed back before the new one takes it.
  void Use(int clientWidth, int clientHeight, int bufferWidth, int bufferRows) {
    frame_.reset();
    frame_ = std::make_unique<support::TestFrame>(bufferWidth, bufferRows, clientWidth + 16, clientHeight + 39,
                                                  clientWidth, clientHeight, kWhite);
    ResetViewRotation();
    g_viewOffset = {0, 0, 8000};
    g_focalLength = 800;
  }

  // Every pixel that is no longer white, as index -> colour.
  std::vector<std::pair<size_t, uint32_t>> Changed() const {
    EXPECT_TRUE(frame_->GuardsIntact());
    const std::vector<uint32_t> pixels = frame_->Pixels();
    std::vector<std::pair<size_t, uint32_t>> changed;
    for (size_t i = 0; i < pixels.size(); ++i) {
      if (pixels[i] != kWhite) changed.emplace_back(i, pixels[i]);
    }
    return changed;
  }

  size_t Index(int x, int y) const { return static_cast<size_t>(y) * frame_->app().pixelStride + x; }

  std::unique_ptr<support::TestFrame> frame_;
};

}  // namespace projection_test

#endif
