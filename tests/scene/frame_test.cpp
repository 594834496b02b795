// The frame driver called directly: the step gate, the step itself with its
// bounces and re-placements, pausing, and the clear of the client area.
#include <gtest/gtest.h>

#include <cwchar>

#include "raster/colours.h"
#include "scene/frame.h"
#include "scene/points.h"
#include "scene/quadric.h"
#include "scene_test_support.h"
#include "velmora/headless.h"

namespace {

using namespace scene_test;
namespace headless = velmora::headless;

TEST(HelpLines, HoldTheFourTextsZeroPadded) {
  const wchar_t *texts[4] = {L"1 - toggle this text", L"P - pouse motion", L"F - show FPS",
                             L"Click & mousemove - rotate"};
  for (int k = 0; k < 4; ++k) {
    size_t n = std::wcslen(texts[k]);
    for (size_t i = 0; i < n; ++i) EXPECT_EQ(static_cast<wchar_t>(g_helpLines[k][i]), texts[k][i]);
    for (size_t i = n; i < 40; ++i) EXPECT_EQ(g_helpLines[k][i], 0) << k << ":" << i;
  }
  EXPECT_EQ(g_showHelp, 1);
  EXPECT_EQ(g_paused, 0);
}

// The points as InitScene leaves them, with start velocities from a known
// tick, and the last step at a given tick.
class UpdateFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::SetTick(123456);
    ASSERT_EQ(InitScene(), 0);
    g_paused = 0;
    g_showHelp = 0;
  }

  void StartAt(DWORD lastStep) { g_lastStepTick = lastStep; }
  // Runs one frame at the given tick and tells whether the points moved.
  bool FrameAt(DWORD now) {
    Point3 before = g_positions[0];
    headless::SetTick(now);
    EXPECT_EQ(UpdateFrame(), 0);
    return g_positions[0].x != before.x || g_positions[0].y != before.y || g_positions[0].z != before.z;
  }

  FrameBuffer fb_;
};

TEST_F(UpdateFrameTest, FirstStepPutsEveryPointAtItsVelocity) {
  StartAt(5000);
  EXPECT_TRUE(FrameAt(5011));
  for (int i = 0; i < kPointCount; ++i) {
    EXPECT_EQ(g_positions[i].x, g_velocities[i].x) << i;
    EXPECT_EQ(g_positions[i].y, g_velocities[i].y) << i;
    EXPECT_EQ(g_positions[i].z, g_velocities[i].z) << i;
  }
  EXPECT_DOUBLE_EQ(g_positions[0].x, -2.9977);
  EXPECT_EQ(g_lastStepTick, 5011u);
  // Nothing left the box, so the step drew no random number: the 55th draw
  // of InitScene's sequence is still next.
  EXPECT_EQ(NextRandom(), 2417);
}

TEST_F(UpdateFrameTest, StepNeedsMoreThan10Milliseconds) {
  StartAt(5000);
  EXPECT_FALSE(FrameAt(5000));
  EXPECT_FALSE(FrameAt(5010));
  EXPECT_EQ(g_lastStepTick, 5000u);
  EXPECT_TRUE(FrameAt(5011));
  EXPECT_EQ(g_lastStepTick, 5011u);
  // One step per frame whatever the gap: no catching up.
  Point3 before = g_positions[0];
  EXPECT_TRUE(FrameAt(9000));
  EXPECT_DOUBLE_EQ(g_positions[0].x, before.x + g_velocities[0].x);
  EXPECT_EQ(g_lastStepTick, 9000u);
  EXPECT_FALSE(FrameAt(9010));
  EXPECT_TRUE(FrameAt(9011));
}

TEST_F(UpdateFrameTest, GateKeepsItsSpacingAcrossTheTickWrap) {
  // Last step 6 ms before the wrap: 10 ms later is tick 4, 11 ms tick 5.
  StartAt(0xFFFFFFFAu);
  EXPECT_FALSE(FrameAt(0xFFFFFFFFu));
  EXPECT_FALSE(FrameAt(4));
  EXPECT_TRUE(FrameAt(5));
  EXPECT_EQ(g_lastStepTick, 5u);
  // Last step 2 ms before the wrap: 1 ms later is not yet a step.
  StartAt(0xFFFFFFFEu);
  EXPECT_FALSE(FrameAt(0xFFFFFFFFu));
  EXPECT_FALSE(FrameAt(8));
  EXPECT_TRUE(FrameAt(9));
  // A frame that comes 20 ms later, past the wrap, still steps.
  StartAt(0xFFFFFFF0u);
  EXPECT_TRUE(FrameAt(4));
  EXPECT_EQ(g_lastStepTick, 4u);
}

TEST_F(UpdateFrameTest, PointLeavingThroughTwoFacesBouncesOnXAndIsReplacedNextStep) {
  // Point 0 heads out through x = 1000 and y = 1000 at once; the others sit
  // still at the origin and draw nothing.
  for (int i = 1; i < kPointCount; ++i) g_velocities[i] = Point3{2, 2, 2};
  g_positions[0] = Point3{999, 999, 0};
  g_velocities[0] = Point3{3, 3, 1};
  // Seed 4242 draws 13891 (speed 3.3891), then 22171, 8669, 6693 (mod 2000:
  // 171, 669, 693), then 17999.
  SeedRandom(4242);
  StartAt(5000);
  ASSERT_TRUE(FrameAt(5011));
  // Bounced on x only; y went on and left the box.
  EXPECT_DOUBLE_EQ(g_velocities[0].x, -3.3891);
  EXPECT_EQ(g_velocities[0].y, 3);
  EXPECT_EQ(g_velocities[0].z, 1);
  EXPECT_DOUBLE_EQ(g_positions[0].x, 999 - 3.3891);
  EXPECT_EQ(g_positions[0].y, 1002);
  EXPECT_EQ(g_positions[0].z, 1);
  EXPECT_EQ(ClassifyPoint(g_positions[0].x, g_positions[0].y, g_positions[0].z), 4);

  // Next step: re-placed at (-829, -331, -307), then moved by the same velocity.
  ASSERT_TRUE(FrameAt(5022));
  EXPECT_DOUBLE_EQ(g_positions[0].x, -829 - 3.3891);
  EXPECT_EQ(g_positions[0].y, -331 + 3);
  EXPECT_EQ(g_positions[0].z, -307 + 1);
  EXPECT_DOUBLE_EQ(g_velocities[0].x, -3.3891);
  for (int i = 1; i < kPointCount; ++i) EXPECT_EQ(g_positions[i].x, 4) << i;
  EXPECT_EQ(NextRandom(), 17999);
}

TEST_F(UpdateFrameTest, EachFaceBouncesItsOwnAxis) {
  for (int i = 3; i < kPointCount; ++i) g_velocities[i] = Point3{2, 2, 2};
  // Point 0 would cross x = -1000, point 1 y = 1000, point 2 z = 1000; seed 1
  // draws 41, 18467, 6334 (speeds 2.0041, 3.8467, 2.6334) in point order.
  g_positions[0] = Point3{-999, 0, 0};
  g_velocities[0] = Point3{-2, 2, 2};
  g_positions[1] = Point3{0, 999, 0};
  g_velocities[1] = Point3{2, 2, 2};
  g_positions[2] = Point3{0, 0, 999};
  g_velocities[2] = Point3{2, 2, 2};
  SeedRandom(1);
  StartAt(5000);
  ASSERT_TRUE(FrameAt(5011));
  EXPECT_DOUBLE_EQ(g_velocities[0].x, 2.0041);
  EXPECT_EQ(g_velocities[0].y, 2);
  EXPECT_EQ(g_velocities[0].z, 2);
  EXPECT_EQ(g_velocities[1].x, 2);
  EXPECT_DOUBLE_EQ(g_velocities[1].y, -3.8467);
  EXPECT_EQ(g_velocities[1].z, 2);
  EXPECT_EQ(g_velocities[2].x, 2);
  EXPECT_EQ(g_velocities[2].y, 2);
  EXPECT_DOUBLE_EQ(g_velocities[2].z, -2.6334);
  EXPECT_DOUBLE_EQ(g_positions[1].y, 999 - 3.8467);
}

TEST_F(UpdateFrameTest, PointBouncesOnTheFaceItWouldCross) {
  for (int i = 1; i < kPointCount; ++i) g_velocities[i] = Point3{2, 2, 2};
  // z would pass below -1000: bounced upwards with the first draw of seed 1
  // (41: speed 2.0041).
  g_positions[0] = Point3{0, 0, -999};
  g_velocities[0] = Point3{2, 2, -3};
  SeedRandom(1);
  StartAt(5000);
  ASSERT_TRUE(FrameAt(5011));
  EXPECT_EQ(g_velocities[0].x, 2);
  EXPECT_EQ(g_velocities[0].y, 2);
  EXPECT_DOUBLE_EQ(g_velocities[0].z, 2.0041);
  EXPECT_DOUBLE_EQ(g_positions[0].z, -999 + 2.0041);
  // A point reaching the face exactly stays inside and keeps its velocity.
  g_positions[0] = Point3{998, 0, 0};
  g_velocities[0] = Point3{2, 2, 2};
  ASSERT_TRUE(FrameAt(5022));
  EXPECT_EQ(g_positions[0].x, 1000);
  EXPECT_EQ(g_velocities[0].x, 2);
  EXPECT_EQ(NextRandom(), 18467);
}

TEST_F(UpdateFrameTest, PauseFreezesPointsAndStepTickAndResumeStepsAtOnce) {
  StartAt(5000);
  ASSERT_TRUE(FrameAt(5011));
  Point3 frozen[kPointCount];
  std::copy(std::begin(g_positions), std::end(g_positions), frozen);
  g_paused = 1;
  EXPECT_FALSE(FrameAt(5100));
  EXPECT_FALSE(FrameAt(9000));
  EXPECT_EQ(g_lastStepTick, 5011u);
  for (int i = 0; i < kPointCount; ++i) {
    EXPECT_EQ(g_positions[i].x, frozen[i].x);
    EXPECT_EQ(g_positions[i].y, frozen[i].y);
    EXPECT_EQ(g_positions[i].z, frozen[i].z);
  }
  // Frames are still drawn while paused.
  EXPECT_EQ(fb_.At(10, 590), kBackgroundGrey);
  g_paused = 0;
  EXPECT_TRUE(FrameAt(9000));
  EXPECT_EQ(g_lastStepTick, 9000u);
  EXPECT_FALSE(FrameAt(9010));
}

TEST_F(UpdateFrameTest, ClearsTheClientAreaToGreyAndDrawsTheScene) {
  StartAt(5000);
  FrameAt(5000);
  // Grey fills columns 0 to 799 and rows 0 to 599, and nothing beyond.
  EXPECT_EQ(fb_.At(0, 0), kBackgroundGrey);
  EXPECT_EQ(fb_.At(799, 599), kBackgroundGrey);
  EXPECT_EQ(fb_.At(799, 0), kBackgroundGrey);
  EXPECT_EQ(fb_.At(0, 599), kBackgroundGrey);
  for (int y = 0; y < kBufferHeight; ++y) EXPECT_EQ(fb_.At(kClientWidth, y), kSentinel) << y;
  for (int x = 0; x < kBufferWidth; ++x) EXPECT_EQ(fb_.At(x, kClientHeight), kSentinel) << x;
  // All points still at the origin: the fit fails and the plane z = 0 is
  // drawn, under the cube; the markers under it show between samples.
  EXPECT_EQ(fb_.At(200, 300), kSurfaceGreen);
  EXPECT_EQ(fb_.At(401, 301), kMarkerBlue);
  EXPECT_EQ(fb_.At(133, 33), kLineRed);
}

}  // namespace
