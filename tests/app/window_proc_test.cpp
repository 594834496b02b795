// The window procedure's and the input handler's tables: keys, the end of
// the program, the drag and the zoom steps.
#include <gtest/gtest.h>
#include <velmora/headless.h>

#include <vector>

#include "app/shell/shell.h"
#include "math/view.h"
#include "scene/frame.h"
#include "support/program.h"
#include "support/view_model.h"

namespace {

namespace hl = velmora::headless;
using hl::KeyDown;

// The turns the input should make, from the tests' model of the view.
using view_model::Product;
using view_model::TurnAxis;
using view_model::TurnX;
using view_model::TurnY;

void ExpectView(const view_model::Rotation &expected) {
  for (int i = 0; i < 9; ++i) {
    EXPECT_NEAR(g_viewRotation.m[i], expected.m[i], 1e-12) << "entry " << i;
  }
}

// A client area of 800 by 600 whose centre is (400, 300).
void SetClientArea(LONG left, LONG top) {
  g_app->clientRect = RECT{left, top, left + 800, top + 600};
  g_app->halfClientWidth = 400;
  g_app->halfClientHeight = 300;
}

int Input(UINT message, int x, int y) { return HandleInput(message, 0, MAKELPARAM(x, y)); }

int Wheel(int distance) { return HandleInput(WM_MOUSEWHEEL, MAKEWPARAM(0, distance), 0); }

// Every action gets two quiet turns behind it, for the characters that
// translation adds, before the next step looks at the state.
std::vector<support::Step> Script(std::vector<support::Step> actions) {
  std::vector<support::Step> steps;
  for (const support::Step &action : actions) {
    steps.push_back(action);
    steps.push_back([] {});
    steps.push_back([] {});
  }
  return steps;
}

}  // namespace

TEST(WindowProc, KeysToggleByVirtualKeyCode) {
  EXPECT_EQ(g_showHelp, 1);
  EXPECT_EQ(g_paused, 0);
  EXPECT_EQ(g_app->showFps, 0);
  const int exitCode = support::RunSteps(Script({
      [] { KeyDown('1'); },
      [] {
        EXPECT_EQ(g_showHelp, 0);
        KeyDown(VK_NUMPAD1);  // the keypad's 1 is another key
      },
      [] {
        EXPECT_EQ(g_showHelp, 0);
        KeyDown('1', true);  // auto-repeat toggles again
      },
      [] {
        EXPECT_EQ(g_showHelp, 1);
        KeyDown('P');
      },
      [] {
        EXPECT_EQ(g_paused, 1);
        KeyDown('P', true);
      },
      [] {
        EXPECT_EQ(g_paused, 0);
        KeyDown('F');
      },
      [] {
        EXPECT_EQ(g_app->showFps, 1);
        KeyDown('F', true);
      },
      [] {
        EXPECT_EQ(g_app->showFps, 0);
        KeyDown('A');
        KeyDown(VK_LEFT);
      },
      [] {
        EXPECT_EQ(g_showHelp, 1);
        EXPECT_EQ(g_paused, 0);
        EXPECT_EQ(g_app->showFps, 0);
        support::PressEscape();
      },
  }));
  EXPECT_EQ(exitCode, 0);
}

TEST(WindowProc, EscapeQuitsWithZeroAndLeavesTheWindow) {
  EXPECT_EQ(support::RunSteps({support::PressEscape}), 0);
  RECT rect;
  EXPECT_TRUE(GetWindowRect(g_app->hwnd, &rect)) << "Escape must not destroy the window";
  EXPECT_FALSE(support::Traced(WM_DESTROY));
}

TEST(WindowProc, ClosingTheWindowDestroysItAndQuitsWithZero) {
  EXPECT_EQ(support::RunSteps({[] { hl::CloseButton(); }}), 0);
  EXPECT_TRUE(support::Traced(WM_DESTROY));
  RECT rect;
  EXPECT_FALSE(GetWindowRect(g_app->hwnd, &rect));
}

// WM_SIZING comes for every step of a border drag, also one that leaves the
// size as it was, so no WM_SIZE follows it: the geometry it refreshes is
// then the only news of a desktop that changed size meanwhile.
TEST(WindowProc, SizingRefreshesTheGeometryAndLeavesTheProposalAlone) {
  const int exitCode = support::RunSteps({
      [] {
        ASSERT_EQ(g_app->desktopWidth, 1280);
        hl::SetDesktopSize(1600, 1200);
        RECT proposed = {50, 50, 850, 750};
        MainWindowProc(g_app->hwnd, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&proposed));
        EXPECT_EQ(g_app->desktopWidth, 1600);
        EXPECT_EQ(g_app->desktopHeight, 1200);
        EXPECT_EQ(g_app->windowWidth, 800);
        EXPECT_EQ(g_app->halfClientWidth, 396);
        EXPECT_EQ(proposed.left, 50);
        EXPECT_EQ(proposed.top, 50);
        EXPECT_EQ(proposed.right, 850);
        EXPECT_EQ(proposed.bottom, 750);
      },
      support::PressEscape,
  });
  EXPECT_EQ(exitCode, 0);
}

TEST(WindowProc, DestroyPostsQuitAndEraseBeforeRunningDrawsNothing) {
  ASSERT_EQ(g_app->running, 0);
  EXPECT_EQ(MainWindowProc(nullptr, WM_ERASEBKGND, 0, 0), 0);
  EXPECT_EQ(hl::PresentCount(), 0u);

  EXPECT_EQ(MainWindowProc(nullptr, WM_DESTROY, 0, 0), 0);
  MSG msg = {};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 0u);
}

TEST(WindowProc, MouseAndWheelThroughTheLoop) {
  const int startFocalLength = g_focalLength;
  const int exitCode = support::RunSteps(Script({
      // The client area of the 800 by 700 window is 792 by 673: centre (396, 336).
      [] { hl::LeftButton(true, 500, 400); },
      [] {
        EXPECT_EQ(g_dragging, 1);
        EXPECT_EQ(g_lastMouseX, 104);
        EXPECT_EQ(g_lastMouseY, 64);
        ExpectView(view_model::Identity());
        hl::MouseMove(505, 400);
      },
      [] {
        EXPECT_EQ(g_lastMouseX, 109);
        ExpectView(TurnY(-1));
        hl::LeftButton(false, 505, 400);
      },
      [] {
        EXPECT_EQ(g_dragging, 0);
        hl::Wheel(-WHEEL_DELTA, 500, 400);
      },
      support::PressEscape,
  }));
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(g_focalLength, startFocalLength + 15);
}

TEST(HandleInput, DragTurnsAboutYThenXOneDegreePerFivePixels) {
  SetClientArea(0, 0);
  ResetViewRotation();

  // Moves with the button up change nothing.
  EXPECT_EQ(Input(WM_MOUSEMOVE, 700, 100), 0);
  ExpectView(view_model::Identity());
  EXPECT_EQ(g_lastMouseX, 0);
  EXPECT_EQ(g_lastMouseY, 0);

  Input(WM_LBUTTONDOWN, 410, 300);
  EXPECT_EQ(g_dragging, 1);
  EXPECT_EQ(g_lastMouseX, 10);
  EXPECT_EQ(g_lastMouseY, 0);
  ExpectView(view_model::Identity());

  // 10 pixels to the right: -2 degrees about y.
  Input(WM_MOUSEMOVE, 420, 300);
  ExpectView(TurnY(-2));
  EXPECT_LT(g_viewRotation.m[2], 0.0);
  EXPECT_EQ(g_lastMouseX, 20);

  // The release keeps the last position; moves after it do nothing.
  Input(WM_LBUTTONUP, 600, 500);
  EXPECT_EQ(g_dragging, 0);
  EXPECT_EQ(g_lastMouseX, 20);
  EXPECT_EQ(g_lastMouseY, 0);
  Input(WM_MOUSEMOVE, 10, 10);
  ExpectView(TurnY(-2));

  // The next press starts afresh: no jump from (20, 0).
  ResetViewRotation();
  Input(WM_LBUTTONDOWN, 400, 310);
  EXPECT_EQ(g_lastMouseX, 0);
  EXPECT_EQ(g_lastMouseY, 10);
  ExpectView(view_model::Identity());

  // 10 down: +2 degrees about x.
  Input(WM_MOUSEMOVE, 400, 320);
  ExpectView(TurnX(2));
  EXPECT_GT(g_viewRotation.m[5], 0.0);

  // Diagonal: y is composed first, then x on top of it.
  ResetViewRotation();
  Input(WM_MOUSEMOVE, 407, 313);  // 7 right and 7 up from (0, 20)
  ExpectView(Product(TurnX(-7 / 5.0), TurnY(-7 / 5.0)));
  EXPECT_EQ(g_lastMouseX, 7);
  EXPECT_EQ(g_lastMouseY, 13);
  Input(WM_LBUTTONUP, 0, 0);
}

TEST(HandleInput, PointerPositionIsUnsignedAndRelativeToTheClientCentre) {
  SetClientArea(3, 4);
  Input(WM_LBUTTONDOWN, 0xFFFF, 0x8000);
  EXPECT_EQ(g_lastMouseX, 0xFFFF + 3 - 400);
  EXPECT_EQ(g_lastMouseY, 0x8000 + 4 - 300);
  Input(WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(g_lastMouseX, 3 - 400);
  EXPECT_EQ(g_lastMouseY, 4 - 300);
  Input(WM_LBUTTONUP, 0, 0);
}

TEST(HandleInput, UpAndDownTurnTwoDegreesAboutTheViewingAxis) {
  ResetViewRotation();
  EXPECT_EQ(HandleInput(WM_KEYDOWN, VK_UP, 0), 0);
  ExpectView(TurnAxis(0, 0, 1, -2));
  EXPECT_LT(g_viewRotation.m[1], 0.0);
  ResetViewRotation();
  HandleInput(WM_KEYDOWN, VK_DOWN, 0);
  ExpectView(TurnAxis(0, 0, 1, 2));
  HandleInput(WM_KEYDOWN, VK_UP, 0);
  ExpectView(view_model::Identity());
}

TEST(HandleInput, WheelStepsFifteenPerMessageWithAFloorOfTwenty) {
  ASSERT_EQ(g_focalLength, 800);
  for (int i = 0; i < 51; ++i) {
    Wheel(WHEEL_DELTA);
  }
  EXPECT_EQ(g_focalLength, 35);
  Wheel(WHEEL_DELTA);
  EXPECT_EQ(g_focalLength, 20);  // 52 steps away from the user
  Wheel(WHEEL_DELTA);
  Wheel(0);  // zero counts as away
  EXPECT_EQ(g_focalLength, 20);

  Wheel(-WHEEL_DELTA);
  EXPECT_EQ(g_focalLength, 35);
  Wheel(0);
  EXPECT_EQ(g_focalLength, 20);

  // Several notches in one message are still one step.
  Wheel(-3 * WHEEL_DELTA);
  EXPECT_EQ(g_focalLength, 35);
  for (int i = 0; i < 200; ++i) {
    Wheel(-WHEEL_DELTA);
  }
  EXPECT_EQ(g_focalLength, 35 + 200 * 15);  // no limit that way
  Wheel(5 * WHEEL_DELTA);
  EXPECT_EQ(g_focalLength, 20 + 200 * 15);
}
