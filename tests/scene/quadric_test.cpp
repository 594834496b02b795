// The quadric fit and the drawing of markers, surface samples and cube,
// observed in the pixels they leave in a frame buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "math/view.h"
#include "raster/colours.h"
#include "scene/points.h"
#include "scene/quadric.h"
#include "expected_picture.h"
#include "scene_test_support.h"

namespace {

using namespace scene_test;

// Nine points on z^2 + z(0.05x - 0.04y + 60) + 0.3x^2 - 0.2y^2 + 0.1xy +
// 120x - 80y - 500000 = 0, each z a root of that quadratic in z.
const double kKnown[9] = {0.3, -0.2, 0.1, 0.05, -0.04, 120.0, -80.0, 60.0, -500000.0};
const Point3 kOnKnown[9] = {
    {-700, -650, 626.151939305025}, {-300, 500, -796.1812170774542}, {100, -800, 699.3985559552846},
    {600, 200, -618.6512788871846}, {850, -400, 408.46846499790877}, {-500, 100, -722.7766431885051},
    {0, 0, 677.7428911688198},      {400, 750, -764.6789844250004},  {-900, -100, 582.1842485650602},
};

void SetCoefficients(std::initializer_list<double> c) {
  std::fill(std::begin(g_quadric), std::end(g_quadric), 0.0);
  std::copy(c.begin(), c.end(), g_quadric);
}

TEST(FitQuadric, NinePointsOnAKnownQuadricGiveBackItsCoefficients) {
  StandardScene();
  std::copy(std::begin(kOnKnown), std::end(kOnKnown), g_positions);
  FitQuadric();
  for (int k = 0; k < 9; ++k) {
    EXPECT_NEAR(g_quadric[k], kKnown[k], 1e-9 * std::fabs(kKnown[k])) << "c" << k;
  }
}

TEST(FitQuadric, SingularSystemsKeepThePreviousCoefficients) {
  StandardScene();
  // All points at the origin: every row is (0, ..., 0, 1); coefficients
  // that were zero stay zero.
  std::fill(std::begin(g_quadric), std::end(g_quadric), 0.0);
  FitQuadric();
  for (double c : g_quadric) EXPECT_EQ(c, 0.0);

  std::copy(std::begin(kOnKnown), std::end(kOnKnown), g_positions);
  FitQuadric();
  double fitted[9];
  std::copy(std::begin(g_quadric), std::end(g_quadric), fitted);
  // The points move to where they determine no quadric: all on one spot.
  for (auto &p : g_positions) p = Point3{100, 200, 300};
  FitQuadric();
  for (int k = 0; k < 9; ++k) EXPECT_EQ(g_quadric[k], fitted[k]) << "c" << k;
  for (auto &p : g_positions) p = Point3{0, 0, 0};
  FitQuadric();
  for (int k = 0; k < 9; ++k) EXPECT_EQ(g_quadric[k], fitted[k]) << "c" << k;
}

// The sample grid of the standard box: -2000, -1950, ..., 1950 on x and y.
std::vector<double> GridValues() {
  std::vector<double> values;
  for (int j = 0; j < 80; ++j) values.push_back(-2000.0 + 50.0 * j);
  return values;
}

// Pixels of the planes z = h for the given heights over the grid.
std::set<ScreenPixel> PlanePixels(std::initializer_list<double> heights) {
  std::set<ScreenPixel> pixels;
  for (double h : heights)
    for (double y : GridValues())
      for (double x : GridValues()) pixels.insert(ProjectToPixel(x, y, h));
  return pixels;
}

// Renders with the given coefficients while every point sits at the origin,
// so that the fit fails and those coefficients are what gets drawn.
std::vector<uint32_t> Render(FrameBuffer &fb, std::initializer_list<double> c) {
  StandardScene();
  SetCoefficients(c);
  fb.Fill(kSentinel);
  RenderScene();
  return fb.Pixels();
}

// The picture of markers and cube alone: with c8 = 1 every sample has
// d = -4 and plots nothing.
std::vector<uint32_t> Baseline(FrameBuffer &fb) { return Render(fb, {0, 0, 0, 0, 0, 0, 0, 0, 1}); }

// The surface pixels lie over the markers and under the cube's red edges:
// the picture is the baseline with the expected surface pixels turned
// green where no edge covers them.
void ExpectSurface(const std::vector<uint32_t> &picture, const std::vector<uint32_t> &baseline,
                   const std::set<ScreenPixel> &surface) {
  int mismatches = 0;
  for (int y = 0; y < kBufferHeight; ++y) {
    for (int x = 0; x < kBufferWidth; ++x) {
      size_t i = static_cast<size_t>(y) * kBufferWidth + x;
      uint32_t expected = baseline[i];
      if (surface.count(ScreenPixel{x, y}) && expected != kLineRed) expected = kSurfaceGreen;
      if (picture[i] != expected && ++mismatches <= 5) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << picture[i] << ", expected " << expected;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(RenderScene, BaselineHasMarkersAndCubeButNoSurface) {
  FrameBuffer fb;
  std::vector<uint32_t> base = Baseline(fb);
  // Nine markers at the origin: one 11 by 11 blue square around (400, 300).
  for (int y = 295; y <= 305; ++y)
    for (int x = 395; x <= 405; ++x) EXPECT_EQ(fb.At(x, y), kMarkerBlue) << x << ", " << y;
  EXPECT_EQ(fb.Count(kMarkerBlue), 121);
  EXPECT_EQ(fb.Count(kSurfaceGreen), 0);
  EXPECT_GT(fb.Count(kLineRed), 0);
  EXPECT_EQ(fb.Count(kSentinel) + fb.Count(kMarkerBlue) + fb.Count(kLineRed), kBufferWidth * kBufferHeight);
}

TEST(RenderScene, ZeroCoefficientsDrawThePlaneZ0WithOnePixelPerSample) {
  FrameBuffer fb;
  std::vector<uint32_t> base = Baseline(fb);
  std::set<ScreenPixel> plane = PlanePixels({0.0});
  // At depth 8000 the grid spacing of 50 is 5 pixels: 6400 distinct pixels
  // from (200, 500) to (595, 105).
  std::vector<uint32_t> picture = Render(fb, {0, 0, 0, 0, 0, 0, 0, 0, 0});
  ExpectSurface(picture, base, plane);

  // The grid starts on x = -2000 and y = -2000 and stops short of 2000:
  // column 200 and row 500 have samples, column 600 and row 100 none.
  EXPECT_EQ(fb.At(200, 250), kSurfaceGreen);
  EXPECT_EQ(fb.At(300, 500), kSurfaceGreen);
  for (int y = 0; y < kClientHeight; ++y) EXPECT_NE(fb.At(600, y), kSurfaceGreen) << y;
  for (int x = 0; x < kClientWidth; ++x) EXPECT_NE(fb.At(x, 100), kSurfaceGreen) << x;
  // Between samples nothing.
  EXPECT_EQ(fb.At(202, 250), kSentinel);
}

TEST(RenderScene, DoubleRootIsOnePlaneAndNegativeDiscriminantNothing) {
  FrameBuffer fb;
  std::vector<uint32_t> base = Baseline(fb);
  EXPECT_EQ(fb.Count(kSurfaceGreen), 0);  // d < 0 at every sample
  // m = -1000 and K = 250000 everywhere: d = 0, the one root z = 500.
  std::vector<uint32_t> picture = Render(fb, {0, 0, 0, 0, 0, 0, 0, -1000, 250000});
  ExpectSurface(picture, base, PlanePixels({500.0}));
}

TEST(RenderScene, PositiveDiscriminantPlotsBothRoots) {
  FrameBuffer fb;
  std::vector<uint32_t> base = Baseline(fb);
  // z^2 = 1e6: the planes z = 1000 and z = -1000.
  std::vector<uint32_t> picture = Render(fb, {0, 0, 0, 0, 0, 0, 0, 0, -1e6});
  ExpectSurface(picture, base, PlanePixels({1000.0, -1000.0}));
}

TEST(RenderScene, RootsOnTheDoubledBoxFacesAreNotPlotted) {
  FrameBuffer fb;
  std::vector<uint32_t> base = Baseline(fb);
  // z^2 = 4e6: roots exactly 2000 and -2000, both outside the strict window.
  std::vector<uint32_t> picture = Render(fb, {0, 0, 0, 0, 0, 0, 0, 0, -4e6});
  ExpectSurface(picture, base, {});
  // Just inside the window both are drawn.
  picture = Render(fb, {0, 0, 0, 0, 0, 0, 0, 0, -3.99e6});
  double root = std::sqrt(3.99e6);
  ExpectSurface(picture, base, PlanePixels({root, -root}));
}

TEST(RenderScene, FailedFitDrawsTheLastGoodSurface) {
  FrameBuffer fb;
  StandardScene();
  std::copy(std::begin(kOnKnown), std::end(kOnKnown), g_positions);
  RenderScene();
  std::vector<uint32_t> before = fb.Pixels();
  double fitted[9];
  std::copy(std::begin(g_quadric), std::end(g_quadric), fitted);
  // The points collapse onto one spot near the first marker: the picture
  // differs only by the markers, which the surface pixels cover.
  for (auto &p : g_positions) p = kOnKnown[0];
  fb.Fill(kSentinel);
  RenderScene();
  for (int k = 0; k < 9; ++k) EXPECT_EQ(g_quadric[k], fitted[k]);
  const std::vector<uint32_t> after = fb.Pixels();
  int greenBefore = 0, greenBoth = 0;
  for (size_t i = 0; i < before.size(); ++i) {
    greenBefore += before[i] == kSurfaceGreen;
    greenBoth += before[i] == kSurfaceGreen && after[i] == kSurfaceGreen;
  }
  EXPECT_GT(greenBefore, 1000);
  EXPECT_EQ(greenBoth, greenBefore);
}

// The whole scene at start, straight on and turned, against the picture
// worked out from the view and the sample grid.
void ExpectStartPicture(FrameBuffer &fb, const expected::View &v) {
  expected::Picture picture = expected::SceneAtStart(v);
  int mismatches = 0;
  for (int y = 0; y < kClientHeight; ++y)
    for (int x = 0; x < kClientWidth; ++x)
      if (fb.At(x, y) != picture.At(x, y) && ++mismatches <= 5)
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << fb.At(x, y) << ", expected "
                      << picture.At(x, y);
  EXPECT_EQ(mismatches, 0);
}

TEST(RenderScene, StartPictureMatchesTheGeometryStraightOnAndTurned) {
  FrameBuffer fb;
  StandardScene();
  std::fill(std::begin(g_quadric), std::end(g_quadric), 0.0);
  expected::View v;
  v.width = kClientWidth;
  v.height = kClientHeight;
  fb.Fill(kBackgroundGrey);
  RenderScene();
  ExpectStartPicture(fb, v);

  RotateViewY(-10);
  RotateViewX(5);
  v.Turn(view_model::TurnY(-10));
  v.Turn(view_model::TurnX(5));
  fb.Fill(kBackgroundGrey);
  RenderScene();
  ExpectStartPicture(fb, v);

  // Turned so far and zoomed so close that cube edges leave the client area
  // and are clipped.
  RotateViewY(35);
  RotateViewX(-40);
  g_focalLength = 2400;
  v.Turn(view_model::TurnY(35));
  v.Turn(view_model::TurnX(-40));
  v.focal = 2400;
  fb.Fill(kBackgroundGrey);
  RenderScene();
  ExpectStartPicture(fb, v);
}

// The doubled box under the standard view: the face z = -2000 at depth
// 6000 and the face z = 2000 at depth 10000.
struct Segment {
  ScreenPixel a, b;
};

std::vector<Segment> ExpectedCubeEdges() {
  std::vector<Segment> edges;
  const double s = 2000;
  for (int corner = 0; corner < 8; ++corner) {
    for (int axis = 0; axis < 3; ++axis) {
      int other = corner | (1 << axis);
      if (other == corner) continue;
      auto at = [&](int c) { return ProjectToPixel(c & 1 ? s : -s, c & 2 ? s : -s, c & 4 ? s : -s); };
      edges.push_back(Segment{at(corner), at(other)});
    }
  }
  return edges;
}

double DistanceToSegment(double px, double py, const Segment &s) {
  double ax = s.a.x, ay = s.a.y, bx = s.b.x, by = s.b.y;
  double dx = bx - ax, dy = by - ay;
  double t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

TEST(DrawCube, DrawsTheTwelveEdgesOfTheDoubledBoxInRed) {
  FrameBuffer fb;
  StandardScene();
  DrawCube();
  std::vector<Segment> edges = ExpectedCubeEdges();
  // The eight projected corners: the near face spans 133..666 by 33..566,
  // the far one 240..560 by 140..460.
  std::set<ScreenPixel> corners;
  for (const Segment &e : edges) {
    corners.insert(e.a);
    corners.insert(e.b);
  }
  for (const ScreenPixel &c : corners) EXPECT_EQ(fb.At(c.x, c.y), kLineRed) << c.x << ", " << c.y;

  // Every red pixel lies on one of the twelve edges, and every edge is there
  // along its whole length: one pixel per step along its longer axis.
  int expectedRed = 0;
  for (const Segment &e : edges) {
    int n = std::max(std::abs(e.b.x - e.a.x), std::abs(e.b.y - e.a.y));
    expectedRed += n + 1;
    for (int i = 0; i <= n; ++i) {
      double px = e.a.x + (e.b.x - e.a.x) * static_cast<double>(i) / n;
      double py = e.a.y + (e.b.y - e.a.y) * static_cast<double>(i) / n;
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy)
        for (int dx = -1; dx <= 1 && !found; ++dx)
          found = fb.At(static_cast<int>(std::lround(px)) + dx, static_cast<int>(std::lround(py)) + dy) == kLineRed;
      EXPECT_TRUE(found) << "gap on edge (" << e.a.x << "," << e.a.y << ")-(" << e.b.x << "," << e.b.y << ") at step "
                         << i;
    }
  }
  // Three edges meet at each corner pixel; next to a corner two lines may
  // share a pixel more, where their steps along the minor axis fall together.
  expectedRed -= 2 * 8;
  EXPECT_LE(fb.Count(kLineRed), expectedRed);
  EXPECT_GE(fb.Count(kLineRed), expectedRed - 8);
  for (int y = 0; y < kBufferHeight; ++y) {
    for (int x = 0; x < kBufferWidth; ++x) {
      uint32_t p = fb.At(x, y);
      if (p == kSentinel) continue;
      ASSERT_EQ(p, kLineRed) << x << ", " << y;  // corners are projected only, never plotted
      double nearest = 1e9;
      for (const Segment &e : edges) nearest = std::min(nearest, DistanceToSegment(x, y, e));
      ASSERT_LE(nearest, 1.0) << x << ", " << y;
    }
  }
}

TEST(DrawCube, FarOffAndNonNumberCornersDrawNothingOutsideTheClient) {
  FrameBuffer fb;
  StandardScene();
  // Corners projected billions of pixels to the right: no part of any edge
  // is in the client area.
  g_viewOffset = Point3{1e15, 0, 8000};
  DrawCube();
  EXPECT_EQ(fb.Count(kSentinel), kBufferWidth * kBufferHeight);
  // A view whose first row is not a number puts every corner at x = NaN.
  g_viewOffset = Point3{0, 0, 8000};
  g_viewRotation.m[0] = NAN;
  DrawCube();
  for (int y = 0; y < kBufferHeight; ++y)
    for (int x = kClientWidth; x < kBufferWidth; ++x) ASSERT_EQ(fb.At(x, y), kSentinel);
  for (int x = 0; x < kBufferWidth; ++x)
    for (int y = kClientHeight; y < kBufferHeight; ++y) ASSERT_EQ(fb.At(x, y), kSentinel);
  // Corners behind the eye come back as (-10, -10); the edges between them
  // and the visible corners are clipped to the client area.
  ResetViewRotation();
  g_viewOffset = Point3{0, 0, 1000};
  fb.Fill(kSentinel);
  DrawCube();
  for (int y = 0; y < kBufferHeight; ++y)
    for (int x = 0; x < kBufferWidth; ++x)
      if (fb.At(x, y) != kSentinel) {
        ASSERT_EQ(fb.At(x, y), kLineRed);
        ASSERT_TRUE(x >= 1 && x < kClientWidth && y >= 1 && y < kClientHeight) << x << ", " << y;
      }
}

}  // namespace
