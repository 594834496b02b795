// The control points: the generator's sequence, InitScene's draws, the face
// codes, random positions and bounces.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "math/view.h"
#include "scene/points.h"
#include "velmora/headless.h"

namespace {

void StandardBox() { g_box = Box{-1000, 1000, -1000, 1000, -1000, 1000}; }

// The first outputs of x = x * 214013 + 2531011 mod 2^32, (x >> 16) & 0x7FFF
// for three seeds, worked out from the formula by hand-checked arithmetic
// (seed 1 is the well-known 41, 18467, 6334, ... sequence).
TEST(RandomGenerator, FixedSeedsGiveTheFormulasSequence) {
  SeedRandom(1);
  for (int expected : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358}) {
    EXPECT_EQ(NextRandom(), expected);
  }
  SeedRandom(0);
  for (int expected : {38, 7719, 21238, 2437}) EXPECT_EQ(NextRandom(), expected);
  // The multiplication wraps modulo 2^32 from the largest state.
  SeedRandom(0xFFFFFFFFu);
  for (int expected : {35, 29739, 3374, 11141}) EXPECT_EQ(NextRandom(), expected);
}

TEST(RandomGenerator, ReseedingRestartsTheSequenceAndValuesStayIn15Bits) {
  SeedRandom(987654321u);
  std::vector<int> first;
  for (int i = 0; i < 1000; ++i) {
    first.push_back(NextRandom());
    EXPECT_GE(first.back(), 0);
    EXPECT_LE(first.back(), 32767);
  }
  SeedRandom(987654321u);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(NextRandom(), first[i]) << i;
}

// InitScene seeds with the tick count, so a known tick fixes every start
// velocity. Per component the magnitude is drawn before the sign; for tick
// 123456 the draws are 9977 (magnitude 2.9977), 22818 (even: negative),
// 10150, 16017 (odd: positive), 7706, 20368 (even: negative), ...
TEST(InitScene, DrawsMagnitudeThenSignPerComponentPointByPoint) {
  velmora::headless::SetTick(123456);
  for (auto &p : g_positions) p = Point3{0, 0, 0};
  ASSERT_EQ(InitScene(), 0);

  EXPECT_DOUBLE_EQ(g_velocities[0].x, -2.9977);
  EXPECT_DOUBLE_EQ(g_velocities[0].y, 3.0150);
  EXPECT_DOUBLE_EQ(g_velocities[0].z, -2.7706);
  EXPECT_DOUBLE_EQ(g_velocities[1].x, 4.1548);
  EXPECT_DOUBLE_EQ(g_velocities[1].y, -2.0828);
  EXPECT_DOUBLE_EQ(g_velocities[1].z, 5.0493);
  EXPECT_DOUBLE_EQ(g_velocities[8].x, -3.9483);
  EXPECT_DOUBLE_EQ(g_velocities[8].y, 4.1268);
  EXPECT_DOUBLE_EQ(g_velocities[8].z, -2.2118);
  // 54 draws in all: the 55th value of that sequence comes next.
  EXPECT_EQ(NextRandom(), 2417);
}

TEST(InitScene, SetsBoxAndViewAndLeavesThePointsAtTheOrigin) {
  velmora::headless::SetTick(1000);
  g_viewRotation = Matrix3{{2, 2, 2, 2, 2, 2, 2, 2, 2}};
  ASSERT_EQ(InitScene(), 0);
  EXPECT_EQ(g_box.xMin, -1000);
  EXPECT_EQ(g_box.xMax, 1000);
  EXPECT_EQ(g_box.yMin, -1000);
  EXPECT_EQ(g_box.yMax, 1000);
  EXPECT_EQ(g_box.zMin, -1000);
  EXPECT_EQ(g_box.zMax, 1000);
  EXPECT_EQ(g_viewOffset.x, 0);
  EXPECT_EQ(g_viewOffset.y, 0);
  EXPECT_EQ(g_viewOffset.z, 8000);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(g_viewRotation.m[i], i % 4 == 0 ? 1.0 : 0.0) << i;
  for (const Point3 &p : g_positions) {
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(p.z, 0);
  }
  // Tick 1000 draws 3304, 8221 (odd), 26849, 14038 (even), 1509, 6367 (odd).
  EXPECT_DOUBLE_EQ(g_velocities[0].x, 2.3304);
  EXPECT_DOUBLE_EQ(g_velocities[0].y, -4.6849);
  EXPECT_DOUBLE_EQ(g_velocities[0].z, 2.1509);
}

// Every speed is 2 + r / 10000 for a 15-bit r: from 2.0 to 5.2767, never 0.
TEST(RandomVelocity, EverySpeedLiesFrom2To5Point2767) {
  SeedRandom(31337);
  double smallest = 10, largest = 0;
  int positive = 0, negative = 0;
  for (int i = 0; i < 20000; ++i) {
    Point3 v{0, 0, 0};
    RandomVelocity(v);
    for (double c : {v.x, v.y, v.z}) {
      ASSERT_NE(c, 0.0);
      double speed = std::fabs(c);
      ASSERT_GE(speed, 2.0);
      ASSERT_LE(speed, 5.2767);
      smallest = std::min(smallest, speed);
      largest = std::max(largest, speed);
      (c > 0 ? positive : negative)++;
    }
  }
  // 120000 draws cover nearly the whole range and both signs.
  EXPECT_LT(smallest, 2.01);
  EXPECT_GT(largest, 5.26);
  EXPECT_GT(positive, 25000);
  EXPECT_GT(negative, 25000);
}

TEST(ClassifyPoint, FacesAreInsideAndCodesFollowTheTestOrder) {
  StandardBox();
  EXPECT_EQ(ClassifyPoint(0, 0, 0), 0);
  // On each face: inside.
  EXPECT_EQ(ClassifyPoint(-1000, 0, 0), 0);
  EXPECT_EQ(ClassifyPoint(1000, 0, 0), 0);
  EXPECT_EQ(ClassifyPoint(0, -1000, 0), 0);
  EXPECT_EQ(ClassifyPoint(0, 1000, 0), 0);
  EXPECT_EQ(ClassifyPoint(0, 0, -1000), 0);
  EXPECT_EQ(ClassifyPoint(0, 0, 1000), 0);
  EXPECT_EQ(ClassifyPoint(1000, 1000, 1000), 0);
  // Just past each face.
  const double past = 1000.0000001;
  EXPECT_EQ(ClassifyPoint(-past, 0, 0), 1);
  EXPECT_EQ(ClassifyPoint(past, 0, 0), 2);
  EXPECT_EQ(ClassifyPoint(0, -past, 0), 3);
  EXPECT_EQ(ClassifyPoint(0, past, 0), 4);
  EXPECT_EQ(ClassifyPoint(0, 0, -past), 5);
  EXPECT_EQ(ClassifyPoint(0, 0, past), 6);
  // Outside on several axes: x before y before z, minimum before maximum.
  EXPECT_EQ(ClassifyPoint(past, past, past), 2);
  EXPECT_EQ(ClassifyPoint(-past, -past, -past), 1);
  EXPECT_EQ(ClassifyPoint(0, past, -past), 4);
  EXPECT_EQ(ClassifyPoint(0, -past, past), 3);
  // A NaN coordinate fails every test.
  EXPECT_EQ(ClassifyPoint(NAN, 0, 0), 0);
  EXPECT_EQ(ClassifyPoint(NAN, NAN, 2000), 6);
}

TEST(RandomPosition, GivesWholeNumbersFromMinus1000To999) {
  StandardBox();
  // Seed 7 draws 61, 17422, 15215, 7040, 15521, 6516 (mod 2000: 61, 1422,
  // 1215, 1040, 1521, 516).
  SeedRandom(7);
  Point3 p{5, 5, 5};
  Point3 &same = RandomPosition(p);
  EXPECT_EQ(&same, &p);
  EXPECT_EQ(p.x, -939);
  EXPECT_EQ(p.y, 422);
  EXPECT_EQ(p.z, 215);
  RandomPosition(p);
  EXPECT_EQ(p.x, 40);
  EXPECT_EQ(p.y, 521);
  EXPECT_EQ(p.z, -484);

  SeedRandom(2024);
  std::set<double> seen;
  for (int i = 0; i < 30000; ++i) {
    RandomPosition(p);
    for (double c : {p.x, p.y, p.z}) {
      ASSERT_EQ(c, std::floor(c));
      ASSERT_GE(c, -1000);
      ASSERT_LE(c, 999);
      seen.insert(c);
    }
  }
  EXPECT_TRUE(seen.count(-1000));
  EXPECT_TRUE(seen.count(999));
}

TEST(RandomPosition, TruncatesTheSpanAndUsesEachAxissOwnBounds) {
  // Spans 10.9 -> 10, 3 and 2000.5 -> 2000; one draw per axis.
  g_box = Box{0.5, 11.4, -3, 0, 100, 2100.5};
  SeedRandom(7);
  Point3 p{};
  RandomPosition(p);
  EXPECT_EQ(p.x, 0.5 + 61 % 10);
  EXPECT_EQ(p.y, -3 + 17422 % 3);
  EXPECT_EQ(p.z, 100 + 15215 % 2000);
  EXPECT_EQ(NextRandom(), 7040);
}

TEST(RandomPosition, DegenerateAxisStaysDefined) {
  // A flat axis would divide by a zero span; it pins the coordinate to its
  // minimum instead and still takes its draw.
  g_box = Box{-1000, 1000, 5, 5, -1000, 1000};
  SeedRandom(7);
  Point3 p{};
  RandomPosition(p);
  EXPECT_EQ(p.x, -939);
  EXPECT_EQ(p.y, 5);
  EXPECT_EQ(p.z, 215);
}

TEST(Bounce, TurnsOneComponentBackWithANewSpeedFromOneDraw) {
  // Seed 1 draws 41, 18467, 6334, 26500: speeds 2.0041, 3.8467, 2.6334, 4.65.
  SeedRandom(1);
  Point3 v{3, -4, 5};
  BounceX(v);  // leaving through a maximum face: now negative
  EXPECT_DOUBLE_EQ(v.x, -2.0041);
  EXPECT_EQ(v.y, -4);
  EXPECT_EQ(v.z, 5);
  BounceY(v);  // leaving through a minimum face: now positive
  EXPECT_EQ(v.x, -2.0041);
  EXPECT_DOUBLE_EQ(v.y, 3.8467);
  EXPECT_EQ(v.z, 5);
  BounceZ(v);
  EXPECT_DOUBLE_EQ(v.y, 3.8467);
  EXPECT_DOUBLE_EQ(v.z, -2.6334);
  // A zero component counts as moving towards the maximum face.
  Point3 still{0, 0, 0};
  BounceX(still);
  EXPECT_DOUBLE_EQ(still.x, -4.65);
  EXPECT_EQ(still.y, 0);
  EXPECT_EQ(still.z, 0);
  EXPECT_EQ(NextRandom(), 19169);
}

}  // namespace
