// The surface samples against the sampling loop exactly as it is written
// out for the program: X and Y advanced by repeated addition, m, K and d in
// the order of their formulas, each root put through ProjectPoint in mode 0.
// The drawing works the samples a batch at a time; whatever it does inside,
// every scene has to leave the same pixels as that loop.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "math/view.h"
#include "raster/colours.h"
#include "raster/pixels.h"
#include "scene/points.h"
#include "scene/quadric.h"
#include "scene_test_support.h"

namespace {

using namespace scene_test;

void ReferenceSurface() {
  const double *c = g_quadric;
  for (double y = 2 * g_box.yMin; y < 2 * g_box.yMax; y += (g_box.yMax - g_box.yMin) / 40) {
    for (double x = 2 * g_box.xMin; x < 2 * g_box.xMax; x += (g_box.xMax - g_box.xMin) / 40) {
      double m = c[3] * x + c[4] * y + c[7];
      double k = c[0] * x * x + c[1] * y * y + c[2] * x * y + c[5] * x + c[6] * y + c[8];
      double d = m * m - 4 * k;
      if (d >= 0) {
        double z = (std::sqrt(d) - m) * 0.5;
        if (2 * g_box.zMin < z && z < 2 * g_box.zMax) ProjectPoint(0, Point3{x, y, z});
      }
      if (d > 0) {
        double z = (-m - std::sqrt(d)) * 0.5;
        if (2 * g_box.zMin < z && z < 2 * g_box.zMax) ProjectPoint(0, Point3{x, y, z});
      }
    }
  }
}

// RenderScene on coefficients of our choosing: with all nine points in one
// place the fit is singular and keeps them.
struct Scene {
  double coefficients[9];
  Point3 points;
};

void Install(const Scene &s) {
  for (auto &p : g_positions) p = s.points;
  std::copy(std::begin(s.coefficients), std::end(s.coefficients), g_quadric);
}

// Draws the scene both ways and reports how many surface pixels it has.
int ExpectSamePicture(FrameBuffer &fb, const Scene &s) {
  Install(s);
  fb.Fill(kSentinel);
  for (const Point3 &p : g_positions) ProjectPoint(1, p);
  ReferenceSurface();
  DrawCube();
  const std::vector<uint32_t> expected = fb.Pixels();

  Install(s);
  fb.Fill(kSentinel);
  RenderScene();
  EXPECT_EQ(std::memcmp(g_quadric, s.coefficients, sizeof g_quadric), 0) << "the fit was meant to fail";

  const std::vector<uint32_t> drawn = fb.Pixels();
  size_t differing = 0, first = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    if (drawn[i] != expected[i] && differing++ == 0) first = i;
  }
  EXPECT_EQ(differing, 0u) << "first at x " << first % kBufferWidth << ", y " << first / kBufferWidth;
  int green = 0;
  for (uint32_t p : expected) green += p == kSurfaceGreen;
  return green;
}

// Coefficients that put part of the surface inside the doubled box: a
// sphere-like, saddle-like or tilted shape, each term scaled at random.
Scene RandomScene(std::mt19937 &rng) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  Scene s{};
  const double scale[9] = {1, 1, 1, 1, 1, 1000, 1000, 1000, 1e6};
  for (int k = 0; k < 9; ++k) s.coefficients[k] = unit(rng) * scale[k];
  // Some terms exactly zero, as the fit of a flat arrangement gives.
  for (int k = 0; k < 9; ++k) {
    if (rng() % 5 == 0) s.coefficients[k] = 0.0;
  }
  s.points = Point3{unit(rng) * 900, unit(rng) * 900, unit(rng) * 900};
  return s;
}

TEST(SurfaceSamples, MatchTheLoopSampleBySampleOverManyScenesAndViews) {
  FrameBuffer fb;
  StandardScene();
  std::mt19937 rng(20261208);
  std::uniform_real_distribution<double> angle(-180.0, 180.0);
  int drawn = 0;
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    ResetViewRotation();
    RotateViewX(angle(rng));
    RotateViewY(angle(rng));
    g_focalLength = 200 + static_cast<int>(rng() % 3000);
    drawn += ExpectSamePicture(fb, RandomScene(rng));
  }
  // Not a vacuous comparison: most scenes show a surface.
  EXPECT_GT(drawn, 60 * 1000);
}

TEST(SurfaceSamples, MatchTheLoopOnTheEdgesOfTheWindows) {
  FrameBuffer fb;
  StandardScene();
  // The plane z = 0 (one double root per sample) and z = 2000 and -2000
  // (every root exactly on a face of the window, none drawn), then a cylinder
  // whose roots land on both faces of the window for some samples.
  Scene plane{{0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0}};
  EXPECT_GT(ExpectSamePicture(fb, plane), 3000);
  Scene onFarFace{{0, 0, 0, 0, 0, 0, 0, -4000, 4e6}, {0, 0, 0}};  // (z - 2000)^2 = 0
  EXPECT_EQ(ExpectSamePicture(fb, onFarFace), 0);
  Scene onNearFace{{0, 0, 0, 0, 0, 0, 0, 4000, 4e6}, {0, 0, 0}};  // (z + 2000)^2 = 0
  EXPECT_EQ(ExpectSamePicture(fb, onNearFace), 0);
  Scene cylinder{{1, 0, 0, 0, 0, 0, 0, 0, -4e6}, {0, 0, 0}};  // z^2 + x^2 = 2000^2
  EXPECT_GT(ExpectSamePicture(fb, cylinder), 0);

  // Not a number, infinite and huge coefficients.
  Scene notANumber{{0, 0, 0, 0, 0, 0, 0, NAN, 0}, {0, 0, 0}};
  EXPECT_EQ(ExpectSamePicture(fb, notANumber), 0);
  Scene infinite{{INFINITY, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0}};
  ExpectSamePicture(fb, infinite);
  Scene huge{{1e300, -1e300, 1e300, 1e200, -1e200, 1e300, 1e300, 1e150, -1e308}, {0, 0, 0}};
  ExpectSamePicture(fb, huge);
}

// Tilted planes counted twice, (z - (a x + b y + c))^2 = 0: d is zero in
// exact arithmetic, so the rounding of m * m - 4 K alone decides, sample by
// sample, whether there is no root, a double root or two. A single rounding
// more or less in the drawing (a fused multiply-add, a reordered sum) shows
// as a pixel that one way has and the other has not.
TEST(SurfaceSamples, MatchTheLoopWhereTheDiscriminantIsRoundingAlone) {
  FrameBuffer fb;
  StandardScene();
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> slope(-0.9, 0.9), height(-900.0, 900.0);
  int drawn = 0;
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    const double a = slope(rng), b = slope(rng), c = height(rng);
    Scene tangent{{a * a, b * b, 2 * a * b, -2 * a, -2 * b, 2 * a * c, 2 * b * c, -2 * c, c * c}, {0, 0, 0}};
    drawn += ExpectSamePicture(fb, tangent);
  }
  EXPECT_GT(drawn, 20 * 500);  // the rounding goes the drawing way often enough
}

TEST(SurfaceSamples, MatchTheLoopForOtherClientAreasAndBoxes) {
  FrameBuffer fb;
  StandardScene();
  std::mt19937 rng(7);
  const Scene bowl{{-0.001, -0.001, 0, 0, 0, 0, 0, 0, 900000}, {100, 100, 100}};
  const RECT clients[] = {
      {0, 0, 800, 600},   {0, 0, 1, 1},       {0, 0, 0, 0},
      {0, 0, 300, 700},   {0, 0, 2000, 1500},  // larger than the pixel array: held inside it
      {40, 30, 840, 630},                      // an origin off the corner, as the formulas allow
  };
  for (const RECT &client : clients) {
    SCOPED_TRACE(client.right);
    g_app->clientRect = client;
    g_app->halfClientWidth = (client.right - client.left) / 2;
    g_app->halfClientHeight = (client.bottom - client.top) / 2;
    ExpectSamePicture(fb, bowl);
  }
  g_app->clientRect = RECT{0, 0, kClientWidth, kClientHeight};
  g_app->halfClientWidth = kClientWidth / 2;
  g_app->halfClientHeight = kClientHeight / 2;

  // Boxes whose steps do not divide their extents evenly, and a wide one
  // with more columns' worth of width than any window.
  const Box boxes[] = {
      {-999.7, 1000.3, -1000, 1000, -1000, 1000},
      {-1, 2, -3, 0.5, -1000, 1000},
      {-123456.25, 98765.5, -77.125, 1e5, -1000, 1000},
  };
  for (const Box &box : boxes) {
    SCOPED_TRACE(box.xMin);
    g_box = box;
    ExpectSamePicture(fb, bowl);
    ExpectSamePicture(fb, RandomScene(rng));
  }
  StandardScene();
}

}  // namespace
