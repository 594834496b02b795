// The driver of one frame: step the points when their interval is up, clear
// the client area, draw the scene and the help text, and present.
#include "scene/frame.h"

#include "raster/colours.h"
#include "raster/pixels.h"
#include "scene/points.h"
#include "scene/quadric.h"

int g_paused = 0;
int g_showHelp = 1;
WCHAR g_helpLines[4][40] = {
    L"1 - toggle this text",
    L"P - pouse motion",
    L"F - show FPS",
    L"Click & mousemove - rotate",
};

namespace {

constexpr DWORD kStepInterval = 10;  // a step needs more than this many ms

void StepPoint(Point3 &p, Point3 &v) {
  // A point that ended the last step outside (it left through two faces and
  // was bounced on one) starts again from a random place inside. So does a
  // point that is not a number: it fails every face test and would count as
  // inside for ever, leaving the fit without a surface for the rest of the run.
  if (ClassifyPoint(p.x, p.y, p.z) != 0 || p.x != p.x || p.y != p.y || p.z != p.z) {
    RandomPosition(p);
  }
  switch (ClassifyPoint(p.x + v.x, p.y + v.y, p.z + v.z)) {
    case 1:
    case 2: BounceX(v); break;
    case 3:
    case 4: BounceY(v); break;
    case 5:
    case 6: BounceZ(v); break;
    default: break;
  }
  p.x += v.x;
  p.y += v.y;
  p.z += v.z;
}

}  // namespace

int UpdateFrame() {
  DWORD now = GetTickCount();
  // Elapsed time by unsigned difference, so the gate keeps its 11 ms spacing
  // when the tick count wraps after 49.7 days instead of closing until the
  // count catches up with a sum that wrapped.
  DWORD elapsed = now - g_lastStepTick;
  if (elapsed > kStepInterval && g_paused == 0) {
    for (int i = 0; i < kPointCount; ++i) {
      StepPoint(g_positions[i], g_velocities[i]);
    }
    g_lastStepTick = now;
  }

  const RECT &client = g_app->clientRect;
  FillPixelRect(0, 0, client.right - client.left - 1, client.bottom - client.top - 1, kBackgroundGrey);

  RenderScene();

  if (g_showHelp != 0) {
    const int slotSize = static_cast<int>(sizeof g_helpLines[0] / sizeof g_helpLines[0][0]);
    for (int k = 0; k < 4; ++k) {
      TextOutW(g_app->memoryDc, 10, 35 + 20 * k, g_helpLines[k], TextSlotLength(g_helpLines[k], slotSize));
    }
  }

  PresentFrame();
  return 0;
}
