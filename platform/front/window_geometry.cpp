// USER32 geometry: the frame metrics (Wine's defaults), the client area
// inside a window's frame, and the rectangles of windows and the desktop.
#include "front.h"

#include <algorithm>

namespace velmora::platform {

// ---------------------------------------------------------------------------
// Geometry

RECT FrameInsets(DWORD style, DWORD exStyle, bool menu) {
  constexpr DWORD kDialogFrameStyle = 0x00400000L;  // WS_DLGFRAME
  constexpr DWORD kDialogModalFrame = 0x00000001L;  // WS_EX_DLGMODALFRAME
  constexpr DWORD kStaticEdge = 0x00020000L;        // WS_EX_STATICEDGE
  constexpr DWORD kClientEdgeStyle = 0x00000200L;   // WS_EX_CLIENTEDGE
  constexpr DWORD kToolWindow = 0x00000080L;        // WS_EX_TOOLWINDOW
  const bool thickFrame = (style & WS_THICKFRAME) && (style & (kDialogFrameStyle | WS_BORDER)) != kDialogFrameStyle;
  const bool dialogFrame = (exStyle & kDialogModalFrame) || ((style & kDialogFrameStyle) && !(style & WS_THICKFRAME));
  const bool thinFrame = (style & WS_BORDER) || !(style & (WS_CHILD | WS_POPUP));
  int frame = 0;
  if ((exStyle & (kStaticEdge | kDialogModalFrame)) == kStaticEdge) {
    frame = kBorder;
  } else if (thickFrame) {
    frame = kFrameSize;
  } else if (dialogFrame) {
    frame = kDialogFrame;
  } else if (thinFrame) {
    frame = kBorder;
  }
  RECT insets{frame, frame, frame, frame};
  if ((style & WS_CAPTION) == WS_CAPTION) {
    insets.top += (exStyle & kToolWindow) ? kCaptionHeight - 4 : kCaptionHeight;
  }
  if (menu) insets.top += kMenuHeight;
  if (exStyle & kClientEdgeStyle) {
    insets.left += kClientEdge;
    insets.top += kClientEdge;
    insets.right += kClientEdge;
    insets.bottom += kClientEdge;
  }
  return insets;
}

RECT ClientScreenRect(const Window &window) {
  if (window.minimized) return RECT{window.rect.left, window.rect.top, window.rect.left, window.rect.top};
  if (window.isDesktop) return window.rect;
  const RECT insets = FrameInsets(window.style, window.exStyle, false);
  RECT client{window.rect.left + insets.left, window.rect.top + insets.top, window.rect.right - insets.right,
              window.rect.bottom - insets.bottom};
  client.right = std::max(client.right, client.left);
  client.bottom = std::max(client.bottom, client.top);
  return client;
}

int ClientWidth(const Window &window) {
  const RECT client = ClientScreenRect(window);
  return client.right - client.left;
}

int ClientHeight(const Window &window) {
  const RECT client = ClientScreenRect(window);
  return client.bottom - client.top;
}

// The desktop window's handle, made on first use.
static HWND DesktopHandle() {
  State &state = GetState();
  if (state.desktop == nullptr) {
    auto window = std::make_unique<Window>();
    window->handle = reinterpret_cast<HWND>(NewHandleValue());
    window->isDesktop = true;
    window->visible = true;
    window->needSize = false;
    window->queue = nullptr;
    state.desktop = window->handle;
    state.windows.emplace(HandleKey(state.desktop), std::move(window));
  }
  return state.desktop;
}

}  // namespace velmora::platform

using namespace velmora::platform;

// AdjustWindowRectEx: keeps the outer rectangle for the frame, caption,
// menu bar and client edge of the style, with Wine's default metrics (4 px
// sizing frame, 19 px caption, so WS_OVERLAPPEDWINDOW adds 4 px left, right
// and bottom and 23 px on top). Leaves out DPI scaling and themes.
BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (rect == nullptr) return FALSE;
  const RECT insets = FrameInsets(style, exStyle, menu != FALSE);
  rect->left -= insets.left;
  rect->top -= insets.top;
  rect->right += insets.right;
  rect->bottom += insets.bottom;
  return TRUE;
}

// GetDesktopWindow: keeps one handle whose window rectangle is the desktop
// (the display's bounds, or the headless desktop size). Leaves out painting
// on it and enumerating its children.
HWND WINAPI GetDesktopWindow(void) { return DesktopHandle(); }

// GetWindowRect: keeps the outer rectangle in screen coordinates, the
// parking place of a minimised window, and failure (rectangle untouched)
// for a null or dead handle.
BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr || rect == nullptr) return FALSE;
  *rect = window->isDesktop ? ActiveBackend().DesktopRect() : window->rect;
  return TRUE;
}

// GetClientRect: keeps (0, 0, width, height) of the client area, 0 by 0
// when minimised, and failure (rectangle untouched) for a null or dead
// handle.
BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr || rect == nullptr) return FALSE;
  if (window->isDesktop) {
    const RECT desktop = ActiveBackend().DesktopRect();
    *rect = RECT{0, 0, desktop.right - desktop.left, desktop.bottom - desktop.top};
  } else {
    *rect = WholeClient(*window);
  }
  return TRUE;
}
