// The order of start-up and the loop's contract with the scene, seen from a
// stand-in for the scene: what RunApplication has done when it prepares the
// scene, and what it does when the scene or a frame reports failure.
// This binary links no real scene: the stand-in below defines every symbol
// the shell takes from it.
#include <gtest/gtest.h>
#include <velmora/headless.h>

#include <vector>

#include "app/shell/shell.h"
#include "support/program.h"
#include "scene/frame.h"
#include "scene/points.h"

int g_paused = 0;
int g_showHelp = 1;

namespace {

namespace hl = velmora::headless;

struct SceneSeen {
  int initCalls = 0;
  int runningAtInit = -1;
  DWORD *pixelsAtInit = nullptr;
  int windowWidthAtInit = 0;
  size_t consoleCallsAtInit = 0;
  int initResult = 0;
  int frames = 0;
  int framesBeforeRunning = 0;
  int frameResult = 0;
};
SceneSeen g_seen;

}  // namespace

int InitScene() {
  ++g_seen.initCalls;
  g_seen.runningAtInit = g_app->running;
  g_seen.pixelsAtInit = g_app->pixels;
  g_seen.windowWidthAtInit = g_app->windowWidth;
  g_seen.consoleCallsAtInit = hl::ConsoleCalls().size();
  return g_seen.initResult;
}

int UpdateFrame() {
  ++g_seen.frames;
  if (g_app->running == 0) {
    ++g_seen.framesBeforeRunning;
  }
  return g_seen.frameResult;
}

TEST(StartUpOrder, SceneIsPreparedAfterShowConsoleAndFrameBufferAndBeforeRunning) {
  EXPECT_EQ(support::RunSteps({support::PressEscape}), 0);
  EXPECT_EQ(g_seen.initCalls, 1);
  EXPECT_EQ(g_seen.runningAtInit, 0);
  EXPECT_NE(g_seen.pixelsAtInit, nullptr);
  EXPECT_EQ(g_seen.windowWidthAtInit, 800);
  EXPECT_EQ(g_seen.consoleCallsAtInit, 3u);
  EXPECT_EQ(g_seen.framesBeforeRunning, 0);
  EXPECT_GE(g_seen.frames, 1);
}

TEST(StartUpOrder, PollingDrawsAFrameOnEveryTurn) {
  std::vector<int> frames;
  std::vector<support::Step> steps(5, [&frames] { frames.push_back(g_seen.frames); });
  steps.push_back(support::PressEscape);
  EXPECT_EQ(support::RunSteps(steps), 0);
  ASSERT_EQ(frames.size(), 5u);
  for (size_t i = 1; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i] - frames[i - 1], 1) << "turn " << i;
  }
}

TEST(StartUpOrder, AFailedSceneSkipsTheLoopAndStillTearsDown) {
  g_seen.initResult = 1;
  EXPECT_EQ(support::RunSteps({}), 1);
  EXPECT_EQ(g_seen.initCalls, 1);
  EXPECT_EQ(g_seen.frames, 0);
  EXPECT_EQ(g_app->running, 0);
  EXPECT_EQ(g_app->windowDc, nullptr);
  ASSERT_EQ(hl::ConsoleCalls().size(), 5u);
  EXPECT_EQ(hl::ConsoleCalls()[4], "FreeConsole");
}

TEST(StartUpOrder, AFrameThatAsksToStopEndsTheLoop) {
  g_seen.frameResult = 1;
  EXPECT_EQ(support::RunSteps({}), 1);
  EXPECT_EQ(g_seen.frames, 1);
  EXPECT_EQ(g_app->windowDc, nullptr);
}
