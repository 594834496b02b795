// The window procedure and the keyboard and mouse handling: geometry
// refreshes, frames drawn on erase requests, the end of the program, and
// the toggles, turns and zoom that the next frame reads.
#include "app/shell/shell.h"

#include "math/view.h"
#include "scene/frame.h"

int g_dragging = 0;
int g_lastMouseX = 0;
int g_lastMouseY = 0;

namespace {

// Virtual-key codes of the main keyboard's letters and digits are their
// upper-case ASCII codes; the keypad's 1 is a different code.
constexpr WPARAM kKeyF = 0x46;
constexpr WPARAM kKeyP = 0x50;
constexpr WPARAM kKey1 = 0x31;

constexpr double kPixelsPerDegree = 5.0;
constexpr double kAxisTurnDegrees = 2.0;

int Toggled(int flag) { return flag == 0 ? 1 : 0; }

// The pointer's client coordinates are unsigned 16-bit numbers; the view
// works with the position relative to the client centre.
int RelativeX(LPARAM lParam) {
  return static_cast<int>(LOWORD(lParam)) + static_cast<int>(g_app->clientRect.left) - g_app->halfClientWidth;
}

int RelativeY(LPARAM lParam) {
  return static_cast<int>(HIWORD(lParam)) + static_cast<int>(g_app->clientRect.top) - g_app->halfClientHeight;
}

void HandleKey(WPARAM key) {
  switch (key) {
    case VK_ESCAPE:
      // Ends the loop with the window still there; only closing destroys it.
      PostQuitMessage(0);
      break;
    case VK_UP: RotateViewAxis(0, 0, 5, -kAxisTurnDegrees); break;
    case VK_DOWN: RotateViewAxis(0, 0, 5, kAxisTurnDegrees); break;
    case kKey1: g_showHelp = Toggled(g_showHelp); break;
    case kKeyP: g_paused = Toggled(g_paused); break;
    default: break;
  }
}

// A move to the right turns the view the negative way about y, a move
// downwards the positive way about x; y is always composed first.
void DragStep(LPARAM lParam) {
  const int relX = RelativeX(lParam);
  const int relY = RelativeY(lParam);
  RotateViewY((relX - g_lastMouseX) / -kPixelsPerDegree);
  RotateViewX((relY - g_lastMouseY) / kPixelsPerDegree);
  g_lastMouseX = relX;
  g_lastMouseY = relY;
}

}  // namespace

int HandleInput(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN: HandleKey(wParam); break;
    case WM_LBUTTONDOWN:
      // Every press starts from where the pointer is, so a drag never jumps.
      g_dragging = 1;
      g_lastMouseX = RelativeX(lParam);
      g_lastMouseY = RelativeY(lParam);
      break;
    case WM_LBUTTONUP: g_dragging = 0; break;
    case WM_MOUSEMOVE:
      if (g_dragging != 0) {
        DragStep(lParam);
      }
      break;
    case WM_MOUSEWHEEL: ChangeFocalLength(GET_WHEEL_DELTA_WPARAM(wParam)); break;
    default: break;
  }
  return 0;
}

// Uses the hwnd it is given, never g_app->hwnd: it runs inside
// CreateWindowExW before that field is set.
LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_ERASEBKGND:
      // The frame covers the whole client area, so the class background is
      // never painted; before the frame buffer and scene exist nothing is.
      if (g_app->running != 0) {
        UpdateFrame();
      }
      return 0;
    case WM_MOVE:
    case WM_SIZE:
    case WM_SIZING: UpdateWindowGeometry(); break;
    case WM_CLOSE: DestroyWindow(hwnd); break;
    case WM_KEYDOWN:
      if (wParam == kKeyF) {
        g_app->showFps = Toggled(g_app->showFps);
      }
      break;
    default: break;
  }
  if (HandleInput(message, wParam, lParam) != 0) {
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}
