// DefWindowProcW, and the system colours its default erase paints with.
#include "front.h"

#include <algorithm>

namespace velmora::platform {

// ---------------------------------------------------------------------------
// System colours: the Windows 10 defaults of the classic colour indices.

bool SystemColour(int index, uint32_t *colour) {
  static const uint32_t kColours[] = {
      0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000, 0x000000, 0xB4B4B4,
      0xF4F7FC, 0xABABAB, 0x0078D7, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969,
      0xE3E3E3, 0x000000, 0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0,
  };
  if (index < 0 || index >= static_cast<int>(sizeof kColours / sizeof kColours[0])) return false;
  *colour = kColours[index];
  return true;
}

}  // namespace velmora::platform

using namespace velmora::platform;

// DefWindowProcW: keeps WM_NCCREATE (TRUE), WM_CLOSE (destroys the window),
// WM_SYSKEYDOWN of F4 with Alt held (posts WM_SYSCOMMAND SC_CLOSE unless
// the class has CS_NOCLOSE), WM_SYSCOMMAND SC_CLOSE (sends WM_CLOSE and
// returns its result),
// WM_NCCALCSIZE (client rectangle from the frame), WM_NCACTIVATE (TRUE),
// WM_ACTIVATE (an active window that is not minimised takes the keyboard
// focus, with WM_SETFOCUS),
// WM_PAINT (the BeginPaint part: validates, then sends WM_ERASEBKGND if an
// erase is pending) and WM_ERASEBKGND (fills with the class brush when it
// is a system colour value, returns 1); everything else returns 0, and a
// dead handle gets nothing done. Leaves out non-client painting and hit
// testing, the other system commands and keys, WM_WINDOWPOSCHANGED's
// WM_SIZE/WM_MOVE (the stand-in sends those itself) and brushes other than
// system colours.
LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr || window->isDesktop) return 0;
  switch (message) {
    case WM_NCCREATE:
    case WM_NCACTIVATE: return TRUE;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SYSCOMMAND:
      // The low four bits of the command are the system's own.
      if ((wParam & 0xFFF0) == SC_CLOSE) return SendToWindow(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_ACTIVATE: {
      State &state = GetState();
      if (LOWORD(wParam) != kWaInactive && !window->minimized && state.active == hwnd && state.focus != hwnd) {
        const HWND previous = state.focus;
        state.focus = hwnd;
        SendToWindow(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
      }
      return 0;
    }
    case WM_SYSKEYDOWN:
      // Alt+F4 closes the window the way its system menu's Close does. The
      // command is posted, so the key's own handling ends before the
      // window goes. Bit 29 of lParam says Alt was held.
      if (wParam == VK_F4 && (static_cast<uintptr_t>(lParam) & (1u << 29)) != 0 &&
          (window->windowClass == nullptr || (window->windowClass->style & CS_NOCLOSE) == 0)) {
        PostToWindow(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    case WM_NCCALCSIZE: {
      RECT *rect = reinterpret_cast<RECT *>(lParam);
      if (rect != nullptr) {
        const RECT insets = FrameInsets(window->style, window->exStyle, false);
        rect->left += insets.left;
        rect->top += insets.top;
        rect->right = std::max(rect->left, rect->right - insets.right);
        rect->bottom = std::max(rect->top, rect->bottom - insets.bottom);
      }
      return 0;
    }
    case WM_PAINT: {
      const bool erase = window->erasePending;
      const RECT region = window->update;
      ValidateClient(*window);
      if (erase) SendErase(hwnd, region);
      return 0;
    }
    case WM_ERASEBKGND: {
      const uintptr_t brush = window->windowClass ? reinterpret_cast<uintptr_t>(window->windowClass->background) : 0;
      uint32_t colour = 0;
      if (brush == 0 || !SystemColour(static_cast<int>(brush) - 1, &colour)) return 0;
      DeviceContext *dc = FindDc(reinterpret_cast<HDC>(wParam));
      if (dc != nullptr && !dc->memory && dc->hwnd == hwnd) {
        FillWindow(*window, window->erasing ? window->eraseRect : WholeClient(*window), colour);
      }
      return 1;
    }
    default: return 0;
  }
}
