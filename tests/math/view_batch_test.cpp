// PlotPoints, the batched projection behind the surface: the pixels of
// ProjectPoint in mode 0 for every point of a batch. The vector versions of
// the batch are tested here, each one alone, too (tests/scene).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "math/view.h"
#include "projection.h"
#include "raster/colours.h"

namespace {

using namespace projection_test;

// PlotPoints is ProjectPoint in mode 0 for a batch: the same tests on the
// same doubles, so every edge case above gives the same pixel or none.
class PlotPointsTest : public Projection {
 protected:
  void Plot(const std::vector<Point3> &points) {
    std::vector<double> x, y, z;
    for (const Point3 &p : points) {
      x.push_back(p.x);
      y.push_back(p.y);
      z.push_back(p.z);
    }
    PlotPoints(x.data(), y.data(), z.data(), static_cast<int>(points.size()));
  }
  std::vector<size_t> Drawn() const {
    std::vector<size_t> drawn;
    for (const auto &[index, colour] : Changed()) {
      EXPECT_EQ(colour, kSurfaceGreen);
      drawn.push_back(index);
    }
    return drawn;
  }
};

TEST_F(PlotPointsTest, DrawsExactlyWhatProjectPointDrawsAtEveryEdge) {
  g_viewOffset = {0, 0, 800};  // depth 800 at z = 0: exactly the focal length
  Plot({{0, 0, 0},             // depth = f: (400, 300), shown
        {0, 0, -1e-9},
        {0, 0, kNaN},
        {0, 0, -kInf},  // nearer than f, not a number
        {kNaN, 0, 0},
        {0, kInf, 0}});
  EXPECT_EQ(Drawn(), std::vector<size_t>{Index(400, 300)});

  Use(800, 600, 1024, 768);
  // x = ±4000 maps to 400 ± 400 and y = ±3000 to 300 ∓ 300: the four edges,
  // none drawn; just inside the far edges (799, 599) and the near ones
  // (0.1, 0.1), which truncate to the first column and row.
  Plot({{-4000, 0, 0},
        {4000, 0, 0},
        {0, 3000, 0},
        {0, -3000, 0},
        {1e300, -1e300, 0},
        {3990, -2990, 0},
        {-3999, 2999, 0}});
  EXPECT_EQ(Drawn(), (std::vector<size_t>{Index(0, 0), Index(799, 599)}));
}

TEST_F(PlotPointsTest, StaysInsideAFrameBufferSmallerThanTheClient) {
  Use(800, 600, 500, 400);
  // (500, 350) right of the buffer, (350, 400) one row below it, (499, 399)
  // its last pixel.
  Plot({{1000, -500, 0}, {-500, -1000, 0}, {990, -990, 0}});
  EXPECT_EQ(Drawn(), std::vector<size_t>{Index(499, 399)});
  Use(800, 600, 0, 0);  // no frame buffer yet: a write would end the test
  Plot({{0, 0, 0}});
}

// Points a hair from the lines between pixels, in random views: where a
// single rounding more or less (a fused multiply-add, a reordered sum) would
// move a pixel, the batch must still put each point exactly where
// ProjectPoint puts it.
TEST_F(PlotPointsTest, AgreesWithProjectPointAHairFromThePixelEdges) {
  std::mt19937_64 random(20261208);
  std::uniform_real_distribution<double> degrees(-180.0, 180.0), unit(0.0, 1.0);
  int drawn = 0;
  for (int view = 0; view < 40; ++view) {
    SCOPED_TRACE(view);
    Use(800, 600, 1024, 768);
    RotateViewX(degrees(random));
    RotateViewY(degrees(random));
    RotateViewAxis(unit(random) - 0.5, unit(random) - 0.5, unit(random) - 0.5, degrees(random));
    g_focalLength = 200 + static_cast<int>(random() % 2000);
    const Matrix3 r = g_viewRotation;
    const Point3 o = g_viewOffset;
    const double f = g_focalLength;

    std::vector<Point3> points;
    for (int k = 0; k < 400; ++k) {
      // A corner between pixels, a few units in the last place off it.
      double sx = 1.0 + static_cast<double>(random() % 798);
      double sy = 1.0 + static_cast<double>(random() % 598);
      const int nudgeX = static_cast<int>(random() % 9) - 4, nudgeY = static_cast<int>(random() % 9) - 4;
      for (int n = 0; n < std::abs(nudgeX); ++n) sx = std::nextafter(sx, nudgeX < 0 ? 0.0 : 1e9);
      for (int n = 0; n < std::abs(nudgeY); ++n) sy = std::nextafter(sy, nudgeY < 0 ? 0.0 : 1e9);
      // The eye's coordinates that project there, turned back into the
      // scene by the transposed rotation: they come out within a few units
      // in the last place of the corner, on either side of it.
      const double depth = f + unit(random) * 20000.0;
      const double ex = (sx - 400.0) * depth / f - o.x, ey = (300.0 - sy) * depth / f - o.y, ez = depth - o.z;
      points.push_back({r.m[0] * ex + r.m[3] * ey + r.m[6] * ez, r.m[1] * ex + r.m[4] * ey + r.m[7] * ez,
                        r.m[2] * ex + r.m[5] * ey + r.m[8] * ez});
    }

    for (const Point3 &p : points) ProjectPoint(0, p);
    const auto expected = Changed();
    frame_->Fill(kWhite);
    Plot(points);
    EXPECT_EQ(Changed(), expected);
    drawn += static_cast<int>(expected.size());
  }
  EXPECT_GT(drawn, 40 * 300);  // nearly every point is on screen
}

TEST_F(PlotPointsTest, BatchesOfAnyLengthPlotEveryPoint) {
  // A row of points 10 units (one pixel) apart from sx = 1 rightwards: the
  // batch is worked in runs, and no point at a run's edge may be lost.
  for (int count : {0, 1, 63, 64, 65, 128, 200}) {
    SCOPED_TRACE(count);
    Use(800, 600, 1024, 768);
    std::vector<Point3> row;
    for (int i = 0; i < count; ++i) row.push_back({-3990.0 + 10 * i, 0, 0});
    Plot(row);
    std::vector<size_t> expected;
    for (int i = 0; i < count; ++i) expected.push_back(Index(1 + i, 300));
    EXPECT_EQ(Drawn(), expected);
  }
}

}  // namespace
