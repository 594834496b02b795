// The view rotation, the wheel's focal-length step, the saturating
// truncation and the perspective projection with its single-pixel plot
// (the batched plot is in view_batch_test.cpp).
#include "math/view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "projection.h"
#include "raster/colours.h"
#include "support/view_model.h"

namespace {

using namespace projection_test;

Matrix3 Make(double m00, double m01, double m02, double m10, double m11, double m12, double m20, double m21,
             double m22) {
  return Matrix3{{m00, m01, m02, m10, m11, m12, m20, m21, m22}};
}

bool SameBits(const Matrix3 &a, const Matrix3 &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The view's rotation as the tests' model of it, and back.
Matrix3 FromModel(const view_model::Rotation &r) {
  Matrix3 m;
  std::copy(std::begin(r.m), std::end(r.m), m.m);
  return m;
}
view_model::Rotation ToModel(const Matrix3 &m) {
  view_model::Rotation r;
  std::copy(std::begin(m.m), std::end(m.m), r.m);
  return r;
}

void ExpectNear(const Matrix3 &actual, const Matrix3 &expected, double tolerance) {
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(actual.m[i], expected.m[i], tolerance) << "entry " << i;
}

Matrix3 XTable(double degrees) { return FromModel(view_model::TurnX(degrees)); }
Matrix3 YTable(double degrees) { return FromModel(view_model::TurnY(degrees)); }
Matrix3 Product(const Matrix3 &a, const Matrix3 &b) { return FromModel(view_model::Product(ToModel(a), ToModel(b))); }

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
  // 360 degrees are 6.2832 radians, which is 2π + 1.46928e-5.
  const double s = view_model::Radians(360) - 2 * 3.14159265358979323846;
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

  // The other order gives another rotation: its entries differ from those
  // above by more than 0.1 in all, far beyond the tolerance.
  g_viewRotation = kSkewedView;
  RotateViewY(40);
  RotateViewX(30);
  ExpectNear(g_viewRotation, Product(XTable(30), Product(YTable(40), kSkewedView)), 1e-12);
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
  ExpectNear(axis, Make(y.m[0], y.m[3], y.m[6], y.m[1], y.m[4], y.m[7], y.m[2], y.m[5], y.m[8]), 1e-15);
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

TEST_F(Projection, TurnedViewPutsPointsWhereTheModelDoes) {
  // Turned about two axes, offset on all three, another focal length and a
  // client area away from the origin: every entry of the rotation and every
  // term of the formula moves the result.
  view_model::View v;
  v.Turn(view_model::TurnY(35));
  v.Turn(view_model::TurnX(-40));
  v.ox = 120;
  v.oy = -75;
  v.oz = 7000;
  v.focal = 900;
  v.left = 20;
  v.top = 30;
  g_viewRotation = FromModel(v.rotation);
  g_viewOffset = {v.ox, v.oy, v.oz};
  g_focalLength = v.focal;
  frame_->app().clientRect = RECT{20, 30, 820, 630};
  for (const Point3 &p : {Point3{0, 0, 0}, Point3{1500, -700, 300}, Point3{-2000, 2000, -2000},
                          Point3{2000, 2000, 2000}, Point3{-400, 900, 1800}}) {
    const view_model::Projected expected = view_model::Project(v, p.x, p.y, p.z);
    const ScreenPoint actual = ProjectPoint(-1, p);
    EXPECT_NEAR(actual.x, expected.x, 1e-9) << p.x << ", " << p.y << ", " << p.z;
    EXPECT_NEAR(actual.y, expected.y, 1e-9) << p.x << ", " << p.y << ", " << p.z;
  }
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
  frame_->app().clientRect = RECT{20, 30, 820, 630};
  ScreenPoint o = ProjectPoint(-1, {0, 0, 0});
  EXPECT_EQ(o.x, 380.0);
  EXPECT_EQ(o.y, 270.0);
}

TEST_F(Projection, MultipliesByTheFocalLengthBeforeDividing) {
  // (0.1 × 3) / 10 rounds to just above 0.03; 0.1 × (3 / 10) and
  // (0.1 / 10) × 3 give 0.03 exactly.
  frame_->app().halfClientWidth = 0;
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
  for (Point3 p :
       {Point3{0, 0, -1e-9}, Point3{0, 0, -1}, Point3{0, 0, -9000}, Point3{0, 0, kNaN}, Point3{0, 0, -kInf}}) {
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
  EXPECT_EQ(changed[0].second, kSurfaceGreen);
}

TEST_F(Projection, PixelStaysInsideAFrameBufferSmallerThanTheClient) {
  Use(800, 600, 500, 400);
  ProjectPoint(0, {1000, -500, 0});   // (500, 350): in the client, right of the buffer
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

}  // namespace
