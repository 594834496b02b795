// The view rotation, the wheel's focal-length step, the saturating
// truncation and the perspective projection with its single-pixel plot.
#include "math/view.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "app/app_context.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const DWORD kWhite = 0xFFFFFF;

Matrix3 Make(double m00, double m01, double m02, double m10, double m11, double m12, double m20,
             double m21, double m22) {
  return Matrix3{{m00, m01, m02, m10, m11, m12, m20, m21, m22}};
}

bool SameBits(const Matrix3 &a, const Matrix3 &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

Matrix3 Product(const Matrix3 &a, const Matrix3 &b) {
  Matrix3 p;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      p.m[3 * r + c] = a.m[3 * r] * b.m[c] + a.m[3 * r + 1] * b.m[3 + c] + a.m[3 * r + 2] * b.m[6 + c];
    }
  }
  return p;
}

void ExpectNear(const Matrix3 &actual, const Matrix3 &expected, double tolerance) {
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(actual.m[i], expected.m[i], tolerance) << "entry " << i;
}

// The rotation tables, with the degree conversion of the view.
Matrix3 XTable(double degrees) {
  const double t = degrees * 3.1416 / 180;
  return Make(1, 0, 0, 0, std::cos(t), std::sin(t), 0, -std::sin(t), std::cos(t));
}
Matrix3 YTable(double degrees) {
  const double t = degrees * 3.1416 / 180;
  return Make(std::cos(t), 0, std::sin(t), 0, 1, 0, -std::sin(t), 0, std::cos(t));
}

// A view that is no rotation at all, so products with it show their order.
const Matrix3 kSkewedView = Make(0.5, -1.25, 2.0, 3.0, 0.75, -0.5, -2.0, 1.5, 1.0);

TEST(ViewState, StartsZeroedWithFocalLength800) {
  for (double v : g_viewRotation.m) EXPECT_EQ(v, 0.0);
  EXPECT_EQ(g_viewOffset.x, 0.0);
  EXPECT_EQ(g_viewOffset.y, 0.0);
  EXPECT_EQ(g_viewOffset.z, 0.0);
  EXPECT_EQ(g_focalLength, 800);
}

TEST(ViewRotation, ResetGivesTheIdentityAndKeepsTheOffset) {
  g_viewOffset = {1, 2, 3};
  g_viewRotation = kSkewedView;
  ResetViewRotation();
  EXPECT_TRUE(SameBits(g_viewRotation, Make(1, 0, 0, 0, 1, 0, 0, 0, 1)));
  EXPECT_EQ(g_viewOffset.x, 1.0);
  EXPECT_EQ(g_viewOffset.y, 2.0);
  EXPECT_EQ(g_viewOffset.z, 3.0);
}

TEST(ViewRotation, ApplyPutsTheNewRotationOnTheLeftAndChangesNothing) {
  g_viewRotation = Make(1, 0, 0, 3, 1, 0, 0, 0, 1);
  const Matrix3 r = Make(1, 2, 0, 0, 1, 0, 0, 0, 1);
  const Matrix3 p = ApplyViewRotation(r);
  EXPECT_TRUE(SameBits(p, Make(7, 2, 0, 3, 1, 0, 0, 0, 1)));  // R·V, not V·R = (1 2 0; 3 7 0; ...)
  EXPECT_TRUE(SameBits(g_viewRotation, Make(1, 0, 0, 3, 1, 0, 0, 0, 1)));
}

TEST(ViewRotation, ZeroDegreesLeavesTheRotationAsItWas) {
  g_viewRotation = kSkewedView;
  RotateViewX(0);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(g_viewRotation.m[i], kSkewedView.m[i]);
  RotateViewY(0);
  RotateViewAxis(0, 0, 5, 0);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(g_viewRotation.m[i], kSkewedView.m[i]);
}

TEST(ViewRotation, ThreeHundredSixtyDegreesIsNotAWholeTurn) {
  ResetViewRotation();
  RotateViewX(360);
  // 360 × 3.1416 / 180 = 6.2832, which is 2π + 1.46928e-5.
  const double s = 6.2832 - 2 * 3.14159265358979323846;
  EXPECT_NE(g_viewRotation.m[5], 0.0);
  EXPECT_NEAR(g_viewRotation.m[5], s, 1e-12);
  EXPECT_NEAR(g_viewRotation.m[7], -s, 1e-12);
  EXPECT_EQ(g_viewRotation.m[0], 1.0);
}

TEST(ViewRotation, XThenYComposesAsRyRxV) {
  g_viewRotation = kSkewedView;
  RotateViewX(30);
  RotateViewY(40);
  const Matrix3 expected = Product(YTable(40), Product(XTable(30), kSkewedView));
  ExpectNear(g_viewRotation, expected, 1e-12);

  const Matrix3 otherOrder = Product(XTable(30), Product(YTable(40), kSkewedView));
  double difference = 0;
  for (int i = 0; i < 9; ++i) difference += std::fabs(otherOrder.m[i] - expected.m[i]);
  EXPECT_GT(difference, 0.1);

  g_viewRotation = kSkewedView;
  RotateViewY(40);
  RotateViewX(30);
  ExpectNear(g_viewRotation, otherOrder, 1e-12);
}

TEST(ViewRotation, AxisLengthDoesNotMatter) {
  g_viewRotation = kSkewedView;
  RotateViewAxis(0, 0, 5, 25);
  const Matrix3 longAxis = g_viewRotation;
  g_viewRotation = kSkewedView;
  RotateViewAxis(0, 0, 1, 25);
  EXPECT_TRUE(SameBits(g_viewRotation, longAxis));
}

TEST(ViewRotation, AxisAboutXMatchesRotateViewX) {
  ResetViewRotation();
  RotateViewAxis(1, 0, 0, 33);
  ExpectNear(g_viewRotation, XTable(33), 1e-15);
}

TEST(ViewRotation, YAndAxisAboutYTurnOppositeWays) {
  ResetViewRotation();
  RotateViewY(20);
  const Matrix3 y = g_viewRotation;
  ResetViewRotation();
  RotateViewAxis(0, 1, 0, 20);
  const Matrix3 axis = g_viewRotation;
  EXPECT_GT(y.m[2], 0.3);  // sin 20° ≈ 0.342
  EXPECT_LT(axis.m[2], -0.3);
  // The axis matrix is the transpose of the Y one, i.e. Y by the other angle.
  ExpectNear(axis, Make(y.m[0], y.m[3], y.m[6], y.m[1], y.m[4], y.m[7], y.m[2], y.m[5], y.m[8]),
             1e-15);
  ResetViewRotation();
  RotateViewY(-20);
  ExpectNear(axis, g_viewRotation, 1e-15);
}

TEST(ViewRotation, AxisWithoutDirectionLeavesTheViewUnchanged) {
  g_viewRotation = kSkewedView;
  RotateViewAxis(0, 0, 0, 30);
  RotateViewAxis(-0.0, 0, 0, 30);
  RotateViewAxis(kNaN, 0, 1, 30);
  RotateViewAxis(kInf, 0, 0, 30);
  RotateViewAxis(0, -kInf, 1, 30);
  EXPECT_TRUE(SameBits(g_viewRotation, kSkewedView));
}

TEST(FocalLength, FiftyTwoStepsAwayReach20AndStay) {
  g_focalLength = 800;
  for (int i = 0; i < 51; ++i) ChangeFocalLength(120);
  EXPECT_EQ(g_focalLength, 35);
  ChangeFocalLength(0);  // zero counts as away from the user
  EXPECT_EQ(g_focalLength, 20);
  for (int i = 0; i < 10; ++i) ChangeFocalLength(360);
  EXPECT_EQ(g_focalLength, 20);
}

TEST(FocalLength, StepsTowardsTheUserAdd15Each) {
  g_focalLength = 800;
  ChangeFocalLength(-1200);  // several notches are still one step
  EXPECT_EQ(g_focalLength, 815);
  for (int i = 0; i < 999; ++i) ChangeFocalLength(-120);
  EXPECT_EQ(g_focalLength, 800 + 15 * 1000);
  ChangeFocalLength(120);
  EXPECT_EQ(g_focalLength, 800 + 15 * 999);
}

TEST(FocalLength, SaturatesAtIntMax) {
  g_focalLength = INT_MAX - 20;
  ChangeFocalLength(-120);
  EXPECT_EQ(g_focalLength, INT_MAX - 5);
  ChangeFocalLength(-120);
  EXPECT_EQ(g_focalLength, INT_MAX);
  ChangeFocalLength(-120);
  EXPECT_EQ(g_focalLength, INT_MAX);
  ChangeFocalLength(120);
  EXPECT_EQ(g_focalLength, INT_MAX - 15);
}

TEST(TruncateToInt, TruncatesTowardZeroInRange) {
  EXPECT_EQ(TruncateToInt(0.0), 0);
  EXPECT_EQ(TruncateToInt(-0.0), 0);
  EXPECT_EQ(TruncateToInt(1.9), 1);
  EXPECT_EQ(TruncateToInt(-1.9), -1);
  EXPECT_EQ(TruncateToInt(-0.5), 0);
  EXPECT_EQ(TruncateToInt(2147483647.0), INT_MAX);
  EXPECT_EQ(TruncateToInt(2147483647.9), INT_MAX);
  EXPECT_EQ(TruncateToInt(-2147483648.0), INT_MIN);
  EXPECT_EQ(TruncateToInt(-2147483648.9), INT_MIN);
}

TEST(TruncateToInt, SaturatesBeyondTheRange) {
  EXPECT_EQ(TruncateToInt(2147483648.0), INT_MAX);
  EXPECT_EQ(TruncateToInt(1e300), INT_MAX);
  EXPECT_EQ(TruncateToInt(kInf), INT_MAX);
  EXPECT_EQ(TruncateToInt(-2147483649.0), INT_MIN);
  EXPECT_EQ(TruncateToInt(-1e300), INT_MIN);
  EXPECT_EQ(TruncateToInt(-kInf), INT_MIN);
  EXPECT_EQ(TruncateToInt(kNaN), INT_MIN);
  EXPECT_EQ(TruncateToInt(-kNaN), INT_MIN);
}

// An 800 by 600 client area at (0, 0) over a frame buffer of the given size,
// all white, with the view of the scene: identity, offset (0, 0, 8000).
class Projection : public ::testing::Test {
 protected:
  void SetUp() override { Use(800, 600, 1024, 768); }
  // The program's own record lives for the whole run; point back at it.
  void TearDown() override { g_app = programRecord_; }

  void Use(int clientWidth, int clientHeight, int bufferWidth, int bufferRows) {
    app_ = AppContext{};
    app_.clientRect = RECT{0, 0, clientWidth, clientHeight};
    app_.clientWidth = clientWidth;
    app_.clientHeight = clientHeight;
    app_.halfClientWidth = clientWidth / 2;
    app_.halfClientHeight = clientHeight / 2;
    app_.windowWidth = clientWidth + 16;
    app_.windowHeight = clientHeight + 39;
    pixels_.assign(static_cast<size_t>(bufferWidth) * bufferRows, kWhite);
    app_.pixels = pixels_.empty() ? nullptr : pixels_.data();
    app_.pixelStride = bufferWidth;
    app_.pixelRows = bufferRows;
    if (g_app != &app_) programRecord_ = g_app;
    g_app = &app_;
    ResetViewRotation();
    g_viewOffset = {0, 0, 8000};
    g_focalLength = 800;
  }

  // Every pixel that is no longer white, as index -> colour.
  std::vector<std::pair<size_t, DWORD>> Changed() const {
    std::vector<std::pair<size_t, DWORD>> changed;
    for (size_t i = 0; i < pixels_.size(); ++i) {
      if (pixels_[i] != kWhite) changed.emplace_back(i, pixels_[i]);
    }
    return changed;
  }

  size_t Index(int x, int y) const { return static_cast<size_t>(y) * app_.pixelStride + x; }

  AppContext app_;
  AppContext *programRecord_ = nullptr;
  std::vector<DWORD> pixels_;
};

TEST_F(Projection, SceneAxesLandWhereTheScaleSays) {
  ScreenPoint o = ProjectPoint(-1, {0, 0, 0});
  EXPECT_EQ(o.x, 400.0);
  EXPECT_EQ(o.y, 300.0);
  ScreenPoint x = ProjectPoint(-1, {1000, 0, 0});
  EXPECT_EQ(x.x, 500.0);
  EXPECT_EQ(x.y, 300.0);
  ScreenPoint y = ProjectPoint(-1, {0, 1000, 0});
  EXPECT_EQ(y.x, 400.0);
  EXPECT_EQ(y.y, 200.0);
  EXPECT_TRUE(Changed().empty());
}

TEST_F(Projection, ReadsTheViewAfreshOnEveryCall) {
  g_focalLength = 1600;
  EXPECT_EQ(ProjectPoint(-1, {1000, 0, 0}).x, 600.0);
  g_viewOffset = {-1000, 500, 8000};
  ScreenPoint p = ProjectPoint(-1, {1000, 0, 0});
  EXPECT_EQ(p.x, 400.0);
  EXPECT_EQ(p.y, 200.0);
  g_viewRotation = Make(2, 0, 0, 0, 1, 0, 0, 0, 1);
  EXPECT_EQ(ProjectPoint(-1, {1000, 0, 0}).x, 600.0);
}

TEST_F(Projection, SubtractsTheClientOrigin) {
  app_.clientRect = RECT{20, 30, 820, 630};
  ScreenPoint o = ProjectPoint(-1, {0, 0, 0});
  EXPECT_EQ(o.x, 380.0);
  EXPECT_EQ(o.y, 270.0);
}

TEST_F(Projection, MultipliesByTheFocalLengthBeforeDividing) {
  // (0.1 × 3) / 10 rounds to just above 0.03; 0.1 × (3 / 10) and
  // (0.1 / 10) × 3 give 0.03 exactly.
  app_.halfClientWidth = 0;
  g_viewOffset = {0, 0, 10};
  g_focalLength = 3;
  const double x = ProjectPoint(-1, {0.1, 0, 0}).x;
  EXPECT_EQ(x, 0.1 * 3 / 10);
  EXPECT_NE(x, 0.03);
}

TEST_F(Projection, DepthEqualToTheFocalLengthIsShown) {
  g_viewOffset = {0, 0, 800};
  ScreenPoint p = ProjectPoint(0, {0, 0, 0});
  EXPECT_EQ(p.x, 400.0);
  EXPECT_EQ(p.y, 300.0);
  auto changed = Changed();
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0].first, Index(400, 300));
}

TEST_F(Projection, DepthBelowTheFocalLengthGivesMinusTenAndDrawsNothing) {
  g_viewOffset = {0, 0, 800};
  for (Point3 p : {Point3{0, 0, -1e-9}, Point3{0, 0, -1}, Point3{0, 0, -9000}, Point3{0, 0, kNaN},
                   Point3{0, 0, -kInf}}) {
    ScreenPoint s = ProjectPoint(0, p);
    EXPECT_EQ(s.x, -10.0);
    EXPECT_EQ(s.y, -10.0);
  }
  EXPECT_TRUE(Changed().empty());
}

TEST_F(Projection, ClientEdgesAreNotDrawnButReportedTrue) {
  // x = ±4000 maps to sx = 400 ± 400; y = ±3000 to sy = 300 ∓ 300.
  const Point3 edges[] = {{-4000, 0, 0}, {4000, 0, 0}, {0, 3000, 0}, {0, -3000, 0}};
  const double expectedX[] = {0, 800, 400, 400};
  const double expectedY[] = {300, 300, 0, 600};
  for (int i = 0; i < 4; ++i) {
    ScreenPoint s = ProjectPoint(0, edges[i]);
    EXPECT_EQ(s.x, expectedX[i]) << i;
    EXPECT_EQ(s.y, expectedY[i]) << i;
  }
  ScreenPoint far = ProjectPoint(0, {1e300, -1e300, 0});
  EXPECT_GT(far.x, 1e200);
  EXPECT_GT(far.y, 1e200);
  EXPECT_TRUE(Changed().empty());
  // Just inside the far edges is drawn.
  ProjectPoint(0, {3990, -2990, 0});  // (799, 599)
  auto changed = Changed();
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0].first, Index(799, 599));
}

TEST_F(Projection, ModeMinusOneNeverDraws) {
  ProjectPoint(-1, {0, 0, 0});
  ProjectPoint(-1, {5, 5, 0});
  ProjectPoint(-7, {100, 100, 0});
  EXPECT_TRUE(Changed().empty());
}

TEST_F(Projection, ModeZeroPlotsOneGreenPixelAtTheTruncatedPosition) {
  ScreenPoint s = ProjectPoint(0, {5, 5, 0});  // (400.5, 299.5)
  EXPECT_EQ(s.x, 400.5);
  EXPECT_EQ(s.y, 299.5);
  auto changed = Changed();
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0].first, Index(400, 299));  // the row is pixelStride = 1024 wide
  EXPECT_EQ(changed[0].second, 0x00FA00u);
}

TEST_F(Projection, PixelStaysInsideAFrameBufferSmallerThanTheClient) {
  Use(800, 600, 500, 400);
  ProjectPoint(0, {1000, -500, 0});  // (500, 350): in the client, right of the buffer
  ProjectPoint(0, {-500, -1000, 0});  // (350, 400): one row below the buffer
  EXPECT_TRUE(Changed().empty());
  ProjectPoint(0, {990, -990, 0});  // (499, 399): the buffer's last pixel
  auto changed = Changed();
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0].first, Index(499, 399));
}

TEST_F(Projection, NothingIsWrittenBeforeTheFrameBufferExists) {
  Use(800, 600, 0, 0);
  ScreenPoint s = ProjectPoint(0, {0, 0, 0});
  EXPECT_EQ(s.x, 400.0);
  EXPECT_EQ(s.y, 300.0);
}

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
      EXPECT_EQ(colour, 0x00FA00u);
      drawn.push_back(index);
    }
    return drawn;
  }
};

TEST_F(PlotPointsTest, DrawsExactlyWhatProjectPointDrawsAtEveryEdge) {
  g_viewOffset = {0, 0, 800};  // depth 800 at z = 0: exactly the focal length
  Plot({{0, 0, 0},                                  // depth = f: (400, 300), shown
        {0, 0, -1e-9}, {0, 0, kNaN}, {0, 0, -kInf},  // nearer than f, not a number
        {kNaN, 0, 0}, {0, kInf, 0}});
  EXPECT_EQ(Drawn(), std::vector<size_t>{Index(400, 300)});

  Use(800, 600, 1024, 768);
  // x = ±4000 maps to 400 ± 400 and y = ±3000 to 300 ∓ 300: the four edges,
  // none drawn; just inside the far edges (799, 599) and the near ones
  // (0.1, 0.1), which truncate to the first column and row.
  Plot({{-4000, 0, 0}, {4000, 0, 0}, {0, 3000, 0}, {0, -3000, 0}, {1e300, -1e300, 0},
        {3990, -2990, 0}, {-3999, 2999, 0}});
  EXPECT_EQ(Drawn(), (std::vector<size_t>{Index(0, 0), Index(799, 599)}));
}

TEST_F(PlotPointsTest, StaysInsideAFrameBufferSmallerThanTheClient) {
  Use(800, 600, 500, 400);
  // (500, 350) right of the buffer, (350, 400) one row below it, (499, 399)
  // its last pixel.
  Plot({{1000, -500, 0}, {-500, -1000, 0}, {990, -990, 0}});
  EXPECT_EQ(Drawn(), std::vector<size_t>{Index(499, 399)});
  Use(800, 600, 0, 0);  // no frame buffer yet
  Plot({{0, 0, 0}});
  EXPECT_TRUE(Changed().empty());
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
    pixels_.assign(pixels_.size(), kWhite);
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
