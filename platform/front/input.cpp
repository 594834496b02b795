// Keyboard and mouse input as Windows posts it: virtual keys with scan
// codes and the previous-state bit, mouse messages in client coordinates
// with MK_ flags, the wheel in screen coordinates. Shared by every backend
// so that scripted and real input produce the same messages.
#include "front.h"

namespace velmora::platform {

namespace {

// Set-1 scan code of a virtual key, with the extended-key flag in bit 8.
unsigned ScanCode(UINT vk) {
  static const char kLetters[] = "\x1E\x30\x2E\x20\x12\x21\x22\x23\x17\x24\x25\x26\x32\x31\x18\x19"
                                 "\x10\x13\x1F\x14\x16\x2F\x11\x2D\x15\x2C";
  if (vk >= 'A' && vk <= 'Z') return static_cast<unsigned char>(kLetters[vk - 'A']);
  if (vk >= '1' && vk <= '9') return 0x02 + (vk - '1');
  if (vk >= VK_F1 && vk <= VK_F1 + 9) return 0x3B + (vk - VK_F1);
  static const unsigned char kKeypad[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return kKeypad[vk - VK_NUMPAD0];
  switch (vk) {
    case '0': return 0x0B;
    case VK_ESCAPE: return 0x01;
    case VK_BACK: return 0x0E;
    case VK_TAB: return 0x0F;
    case VK_RETURN: return 0x1C;
    case VK_CONTROL: return 0x1D;
    case VK_SHIFT: return 0x2A;
    case VK_MENU: return 0x38;
    case VK_SPACE: return 0x39;
    case VK_CAPITAL: return 0x3A;
    case VK_MULTIPLY: return 0x37;
    case VK_SUBTRACT: return 0x4A;
    case VK_ADD: return 0x4E;
    case VK_DECIMAL: return 0x53;
    case VK_NUMLOCK: return 0x45;
    case VK_F1 + 10: return 0x57;
    case VK_F12: return 0x58;
    case VK_DIVIDE: return 0x135;
    case VK_HOME: return 0x147;
    case VK_UP: return 0x148;
    case VK_PRIOR: return 0x149;
    case VK_LEFT: return 0x14B;
    case VK_RIGHT: return 0x14D;
    case VK_END: return 0x14F;
    case VK_DOWN: return 0x150;
    case VK_NEXT: return 0x151;
    case VK_INSERT: return 0x152;
    case VK_DELETE: return 0x153;
    default: return 0;
  }
}

WPARAM MouseKeyFlags() {
  const uint8_t *keys = GetState().keys;
  WPARAM flags = 0;
  if (keys[kVkLButton]) flags |= MK_LBUTTON;
  if (keys[kVkRButton]) flags |= MK_RBUTTON;
  if (keys[kVkMButton]) flags |= MK_MBUTTON;
  if (keys[VK_SHIFT]) flags |= MK_SHIFT;
  if (keys[VK_CONTROL]) flags |= MK_CONTROL;
  return flags;
}

// Client position of hwnd as a screen point, and whether it lies inside
// the client area.
bool InsideClient(HWND hwnd, int x, int y, POINT *screen) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr) return false;
  const RECT client = ClientScreenRect(*window);
  *screen = POINT{client.left + x, client.top + y};
  return window->visible && x >= 0 && y >= 0 && x < client.right - client.left && y < client.bottom - client.top;
}

}  // namespace

void ReportKey(HWND hwnd, UINT virtualKey, bool down, bool repeat) {
  if (virtualKey == 0 || virtualKey > 0xFF) return;
  uint8_t *keys = GetState().keys;
  const bool wasDown = keys[virtualKey] != 0;
  keys[virtualKey] = down ? 1 : 0;
  const bool alt = keys[VK_MENU] != 0 || virtualKey == VK_MENU;
  const unsigned scan = ScanCode(virtualKey);
  DWORD bits = 1 | ((scan & 0xFF) << 16) | ((scan & 0x100) ? 1u << 24 : 0);
  if (alt && (down || virtualKey != VK_MENU)) bits |= 1u << 29;
  UINT message;
  if (down) {
    if (repeat || wasDown) bits |= 1u << 30;
    message = alt || virtualKey == kVkF10 ? WM_SYSKEYDOWN : WM_KEYDOWN;
  } else {
    bits |= (1u << 30) | (1u << 31);
    message = alt || virtualKey == kVkF10 ? WM_SYSKEYUP : WM_KEYUP;
  }
  if (hwnd != nullptr) PostInputMessage(hwnd, message, virtualKey, static_cast<LPARAM>(bits));
}

void ReportMouseButton(HWND hwnd, UINT buttonKey, bool down, int x, int y) {
  UINT message;
  switch (buttonKey) {
    case kVkLButton: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case kVkRButton: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    case kVkMButton: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    default: return;
  }
  GetState().keys[buttonKey] = down ? 1 : 0;
  POINT screen;
  const bool inside = InsideClient(hwnd, x, y, &screen);
  if (FindWindowRecord(hwnd) != nullptr) SetCursorScreenPos(screen);
  if (inside) PostInputMessage(hwnd, message, MouseKeyFlags(), MAKELPARAM(x, y));
}

void ReportMouseMove(HWND hwnd, int x, int y) {
  POINT screen;
  const bool inside = InsideClient(hwnd, x, y, &screen);
  if (FindWindowRecord(hwnd) != nullptr) SetCursorScreenPos(screen);
  if (inside) PostInputMessage(hwnd, WM_MOUSEMOVE, MouseKeyFlags(), MAKELPARAM(x, y));
}

void ReportWheel(HWND hwnd, int delta, int x, int y) {
  POINT screen;
  if (!InsideClient(hwnd, x, y, &screen)) return;
  SetCursorScreenPos(screen);
  PostInputMessage(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(MouseKeyFlags(), delta), MAKELPARAM(screen.x, screen.y));
}

}  // namespace velmora::platform
