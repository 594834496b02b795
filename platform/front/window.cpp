// USER32 windows: the window records, creation, showing, hiding,
// minimising and destruction with the message sequences a program sees on
// Windows, the moves and resizes a window manager makes, and the update
// region. Any window procedure may destroy the window it is called for, so
// every step after a sent message looks the window up again.
#include "front.h"

#include <algorithm>

namespace velmora::platform {

State &GetState() {
  static State *state = new State;  // never destroyed: reachable from any exit path
  return *state;
}

uintptr_t NewHandleValue() {
  State &state = GetState();
  uintptr_t value = state.nextHandle;
  state.nextHandle += 4;
  return value;
}

Window *FindWindowRecord(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  State &state = GetState();
  auto it = state.windows.find(HandleKey(hwnd));
  return it == state.windows.end() ? nullptr : it->second.get();
}

Observers &FrontObservers() {
  static Observers observers;
  return observers;
}

LRESULT SendToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr || window->proc == nullptr) return 0;
  WNDPROC proc = window->proc;
  if (FrontObservers().message != nullptr) FrontObservers().message(hwnd, message, wParam, lParam);
  return proc(hwnd, message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Update region: a bounding box is enough for a program that always
// repaints the whole client area.

void InvalidateClient(Window &window, const RECT &rect, bool erase) {
  if (!window.visible || window.minimized) return;
  RECT r{std::max<LONG>(rect.left, 0), std::max<LONG>(rect.top, 0), std::min<LONG>(rect.right, ClientWidth(window)),
         std::min<LONG>(rect.bottom, ClientHeight(window))};
  if (r.right <= r.left || r.bottom <= r.top) return;
  if (window.update.right <= window.update.left || window.update.bottom <= window.update.top) {
    window.update = r;
  } else {
    window.update.left = std::min(window.update.left, r.left);
    window.update.top = std::min(window.update.top, r.top);
    window.update.right = std::max(window.update.right, r.right);
    window.update.bottom = std::max(window.update.bottom, r.bottom);
  }
  if (erase) window.erasePending = true;
}

void ValidateClient(Window &window) {
  window.update = RECT{};
  window.erasePending = false;
}

RECT WholeClient(const Window &window) { return RECT{0, 0, ClientWidth(window), ClientHeight(window)}; }

void SendErase(HWND hwnd, const RECT &region) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr) return;
  window->eraseRect = region;
  window->erasing = true;
  SendToWindow(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(window->paintDc), 0);
  if ((window = FindWindowRecord(hwnd)) != nullptr) window->erasing = false;
}

// Sends WM_ERASEBKGND for what the update region holds now; the region
// itself stays, as with RDW_ERASENOW.
static void EraseNow(HWND hwnd) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr || !window->erasePending) return;
  window->erasePending = false;
  SendErase(hwnd, window->update);
}

static void SendWindowPos(HWND hwnd, UINT message, UINT flags) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr) return;
  WindowPos pos{hwnd,
                nullptr,
                window->rect.left,
                window->rect.top,
                window->rect.right - window->rect.left,
                window->rect.bottom - window->rect.top,
                flags};
  SendToWindow(hwnd, message, 0, reinterpret_cast<LPARAM>(&pos));
}

static LPARAM PackPoint(int x, int y) { return MAKELPARAM(x, y); }

static void SendSize(HWND hwnd) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr) return;
  if (window->minimized) {
    SendToWindow(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
  } else {
    SendToWindow(hwnd, WM_SIZE, SIZE_RESTORED, PackPoint(ClientWidth(*window), ClientHeight(*window)));
  }
}

static void SendMove(HWND hwnd) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr) return;
  const RECT client = ClientScreenRect(*window);
  SendToWindow(hwnd, WM_MOVE, 0, PackPoint(client.left, client.top));
}

static void Deactivate(HWND hwnd, HWND next) {
  State &state = GetState();
  if (state.active != hwnd) return;
  state.active = nullptr;
  SendToWindow(hwnd, WM_NCACTIVATE, FALSE, 0);
  SendToWindow(hwnd, WM_ACTIVATE, kWaInactive, reinterpret_cast<LPARAM>(next));
  if (next == nullptr) SendToWindow(hwnd, WM_ACTIVATEAPP, FALSE, 0);
  if (state.focus == hwnd) {
    state.focus = nullptr;
    SendToWindow(hwnd, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
  }
}

static void Activate(HWND hwnd) {
  State &state = GetState();
  if (state.active == hwnd) return;
  const HWND previous = state.active;
  if (previous != nullptr) Deactivate(previous, hwnd);
  state.active = hwnd;
  if (previous == nullptr) SendToWindow(hwnd, WM_ACTIVATEAPP, TRUE, 0);
  SendToWindow(hwnd, WM_NCACTIVATE, TRUE, 0);
  // The keyboard focus follows from DefWindowProcW's handling of it.
  SendToWindow(hwnd, WM_ACTIVATE, kWaActive, reinterpret_cast<LPARAM>(previous));
}

// The window becomes visible: the sequence of SetWindowPos with
// SWP_SHOWWINDOW, then the WM_SIZE and WM_MOVE held back since creation.
static void ShowNow(HWND hwnd, bool activate) {
  SendToWindow(hwnd, WM_SHOWWINDOW, TRUE, 0);
  SendWindowPos(hwnd, WM_WINDOWPOSCHANGING, kSwpShowWindow | kSwpNoSize | kSwpNoMove);
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr) return;
  window->visible = true;
  ActiveBackend().UpdateNativeState(BackendView(*window));
  if (activate) Activate(hwnd);
  if (FindWindowRecord(hwnd) == nullptr) return;
  SendToWindow(hwnd, WM_NCPAINT, 1, 0);
  if ((window = FindWindowRecord(hwnd)) == nullptr) return;
  InvalidateClient(*window, WholeClient(*window), true);
  EraseNow(hwnd);
  SendWindowPos(hwnd, WM_WINDOWPOSCHANGED,
                kSwpShowWindow | kSwpNoSize | kSwpNoMove | kSwpNoClientSize | kSwpNoClientMove);
  if ((window = FindWindowRecord(hwnd)) == nullptr) return;
  if (window->needSize) {
    window->needSize = false;
    SendSize(hwnd);
    SendMove(hwnd);
  }
}

static void HideNow(HWND hwnd, bool showWindowMessage) {
  if (showWindowMessage) SendToWindow(hwnd, WM_SHOWWINDOW, FALSE, 0);
  const UINT flags = kSwpHideWindow | kSwpNoSize | kSwpNoMove | kSwpNoActivate | kSwpNoZOrder;
  SendWindowPos(hwnd, WM_WINDOWPOSCHANGING, flags);
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr) return;
  window->visible = false;
  ValidateClient(*window);
  ActiveBackend().UpdateNativeState(BackendView(*window));
  SendWindowPos(hwnd, WM_WINDOWPOSCHANGED, flags);
  Deactivate(hwnd, nullptr);
}

static void MinimizeNow(HWND hwnd) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr || window->minimized) return;
  window->restored = window->rect;
  window->minimized = true;
  window->rect =
      RECT{kIconicPosition, kIconicPosition, kIconicPosition + kIconicWidth, kIconicPosition + kIconicHeight};
  ValidateClient(*window);
  ActiveBackend().UpdateNativeState(BackendView(*window));
  if (window->needSize) return;  // the first show reports it
  SendMove(hwnd);
  SendSize(hwnd);
}

static void RestoreNow(HWND hwnd) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr || !window->minimized) return;
  window->minimized = false;
  window->rect = window->restored;
  ActiveBackend().UpdateNativeState(BackendView(*window));
  InvalidateClient(*window, WholeClient(*window), true);
  if (window->needSize) return;
  SendMove(hwnd);
  SendSize(hwnd);
}

void UserMoveWindow(HWND hwnd, int outerX, int outerY) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr || window->isDesktop) return;
  RECT &rect = window->minimized ? window->restored : window->rect;
  if (rect.left == outerX && rect.top == outerY) return;
  const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
  rect = RECT{outerX, outerY, outerX + width, outerY + height};
  if (!window->minimized && !window->needSize) SendMove(hwnd);
}

void UserResizeWindow(HWND hwnd, int outerWidth, int outerHeight) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr || window->isDesktop) return;
  outerWidth = std::max(outerWidth, 0);
  outerHeight = std::max(outerHeight, 0);
  RECT &rect = window->minimized ? window->restored : window->rect;
  if (rect.right - rect.left == outerWidth && rect.bottom - rect.top == outerHeight) return;
  if (window->minimized || window->needSize) {
    rect.right = rect.left + outerWidth;
    rect.bottom = rect.top + outerHeight;
    return;
  }
  RECT proposed{rect.left, rect.top, rect.left + outerWidth, rect.top + outerHeight};
  SendToWindow(hwnd, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&proposed));
  if ((window = FindWindowRecord(hwnd)) == nullptr) return;
  const int oldWidth = ClientWidth(*window), oldHeight = ClientHeight(*window);
  window->rect.right = window->rect.left + outerWidth;
  window->rect.bottom = window->rect.top + outerHeight;
  const int newWidth = ClientWidth(*window), newHeight = ClientHeight(*window);
  if (newWidth != oldWidth || newHeight != oldHeight) {
    const UINT classStyle = window->windowClass ? window->windowClass->style : 0;
    if ((newWidth != oldWidth && (classStyle & CS_HREDRAW)) || (newHeight != oldHeight && (classStyle & CS_VREDRAW))) {
      InvalidateClient(*window, WholeClient(*window), true);
    } else {
      if (newWidth > oldWidth) InvalidateClient(*window, RECT{oldWidth, 0, newWidth, newHeight}, true);
      if (newHeight > oldHeight) InvalidateClient(*window, RECT{0, oldHeight, newWidth, newHeight}, true);
    }
  }
  SendSize(hwnd);
}

void UserMinimize(HWND hwnd) { MinimizeNow(hwnd); }
void UserRestore(HWND hwnd) { RestoreNow(hwnd); }

void UserExpose(HWND hwnd) {
  if (Window *window = FindWindowRecord(hwnd)) InvalidateClient(*window, WholeClient(*window), true);
}

WindowView BackendView(const Window &window) {
  WindowView view;
  view.handle = window.handle;
  view.title = window.title.c_str();
  view.client = ClientScreenRect(window);
  view.frame = FrameInsets(window.style, window.exStyle, false);
  view.visible = window.visible;
  view.minimized = window.minimized;
  view.native = window.native;
  return view;
}

bool DescribeWindow(HWND hwnd, WindowView *view) {
  const Window *window = FindWindowRecord(hwnd);
  if (window == nullptr || window->isDesktop) return false;
  *view = BackendView(*window);
  return true;
}

HWND InputWindow() {
  State &state = GetState();
  Window *active = FindWindowRecord(state.active);
  if (active != nullptr && active->visible && !active->destroying) return active->handle;
  for (Window *window : state.windowOrder) {
    if (window->visible && !window->destroying && !window->isDesktop) return window->handle;
  }
  return nullptr;
}

HWND MinimizedWindow() {
  for (Window *window : GetState().windowOrder) {
    if (window->visible && window->minimized && !window->destroying) return window->handle;
  }
  return nullptr;
}

static HDC NewWindowDc(HWND hwnd, bool internal) {
  auto dc = std::make_unique<DeviceContext>();
  dc->handle = reinterpret_cast<HDC>(NewHandleValue());
  dc->hwnd = hwnd;
  dc->internal = internal;
  const HDC handle = dc->handle;
  GetState().dcs.emplace(HandleKey(handle), std::move(dc));
  return handle;
}

HDC NewWindowDcFor(HWND hwnd) { return NewWindowDc(hwnd, false); }

// Removes a window whose WM_NCDESTROY has been sent: its queued messages,
// device contexts and native window go with it.
static void ReleaseWindowRecord(HWND hwnd) {
  State &state = GetState();
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr) return;
  if (window->queue != nullptr) {
    window->queue->posted.EraseWindow(hwnd);
    window->queue->input.EraseWindow(hwnd);
  }
  for (auto it = state.dcs.begin(); it != state.dcs.end();) {
    if (!it->second->memory && it->second->hwnd == hwnd) {
      it = state.dcs.erase(it);
    } else {
      ++it;
    }
  }
  ActiveBackend().DestroyNativeWindow(BackendView(*window));
  window->native = nullptr;
  if (state.active == hwnd) state.active = nullptr;
  if (state.focus == hwnd) state.focus = nullptr;
  state.windowOrder.erase(std::remove(state.windowOrder.begin(), state.windowOrder.end(), window),
                          state.windowOrder.end());
  state.windows.erase(HandleKey(hwnd));
}

}  // namespace velmora::platform

using namespace velmora::platform;

// A creation the procedure refused: the record goes with WM_NCDESTROY
// alone, unless the procedure destroyed the window itself.
static HWND AbandonCreation(HWND hwnd) {
  if (FindWindowRecord(hwnd) != nullptr) {
    SendToWindow(hwnd, WM_NCDESTROY, 0, 0);
    ReleaseWindowRecord(hwnd);
  }
  return nullptr;
}

// CreateWindowExW: keeps the class lookup (name or atom), CW_USEDEFAULT,
// and the creation sequence sent before it returns: WM_GETMINMAXINFO,
// WM_NCCREATE (creation fails when it returns FALSE), WM_NCCALCSIZE,
// WM_CREATE (fails on -1, destroying the window), with WM_SIZE and WM_MOVE
// held back for the first show of an overlapped window; WS_VISIBLE shows it
// at once. Leaves out child windows (refused), owners, menus, extra bytes,
// and any use of what the procedure writes into the records it is sent.
HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  const WindowClass *windowClass = FindClass(className);
  if (windowClass == nullptr || (style & WS_CHILD)) return nullptr;
  if (parent != nullptr && FindWindowRecord(parent) == nullptr) return nullptr;
  State &state = GetState();
  const RECT desktop = ActiveBackend().DesktopRect();
  if (x == CW_USEDEFAULT) x = y = 26;
  if (width == CW_USEDEFAULT) {
    width = (desktop.right - desktop.left) * 3 / 4;
    height = (desktop.bottom - desktop.top) * 3 / 4;
  }
  width = std::max(width, 0);
  height = std::max(height, 0);

  auto record = std::make_unique<Window>();
  record->windowClass = windowClass;
  record->proc = windowClass->proc;
  record->style = style & ~WS_VISIBLE;
  record->exStyle = exStyle;
  if (windowName != nullptr) record->title = windowName;
  record->rect = RECT{x, y, static_cast<LONG>(static_cast<int64_t>(x) + width),
                      static_cast<LONG>(static_cast<int64_t>(y) + height)};
  record->restored = record->rect;
  record->queue = &ThreadQueue();
  record->handle = reinterpret_cast<HWND>(NewHandleValue());
  record->native = ActiveBackend().CreateNativeWindow(BackendView(*record));
  if (record->native == nullptr) return nullptr;
  const HWND hwnd = record->handle;
  state.windowOrder.push_back(record.get());
  state.windows.emplace(HandleKey(hwnd), std::move(record));
  FindWindowRecord(hwnd)->paintDc = NewWindowDc(hwnd, true);

  MinMaxInfo minMax{};
  minMax.ptMaxSize = POINT{desktop.right - desktop.left, desktop.bottom - desktop.top};
  minMax.ptMaxTrackSize = minMax.ptMaxSize;
  minMax.ptMinTrackSize = POINT{112, 27};
  SendToWindow(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&minMax));

  CreateStruct create{param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
                      windowName, className, exStyle};
  if (FindWindowRecord(hwnd) == nullptr) return nullptr;
  if (SendToWindow(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == 0) return AbandonCreation(hwnd);
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr) return nullptr;
  RECT calc = window->rect;
  SendToWindow(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&calc));
  if (FindWindowRecord(hwnd) == nullptr) return nullptr;
  // Refused: the record goes with WM_NCDESTROY alone, as after a refused
  // WM_NCCREATE; no WM_DESTROY comes (Wine; the reference page says only
  // that the window is destroyed).
  if (SendToWindow(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) return AbandonCreation(hwnd);
  if (FindWindowRecord(hwnd) == nullptr) return nullptr;
  if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
  return FindWindowRecord(hwnd) != nullptr ? hwnd : nullptr;
}

// ShowWindow: keeps the result (whether the window was visible before), the
// first show's synchronous sequence (WM_SHOWWINDOW, WM_WINDOWPOSCHANGING,
// activation, WM_NCPAINT, WM_ERASEBKGND, WM_WINDOWPOSCHANGED, then the
// WM_SIZE and WM_MOVE held back since creation) with WM_PAINT left to the
// message loop, hiding, minimising and restoring. Leaves out maximising
// (SW_SHOWMAXIMIZED shows normally), z-order and the STARTUPINFO show
// command that SW_SHOWDEFAULT would consult.
BOOL WINAPI ShowWindow(HWND hwnd, int showCommand) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr || window->isDesktop) return FALSE;
  const BOOL wasVisible = window->visible ? TRUE : FALSE;
  switch (showCommand) {
    case SW_HIDE:
      if (wasVisible) HideNow(hwnd, true);
      break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case kShowMinNoActive:
    case kShowForceMinimize:
      if (!wasVisible) ShowNow(hwnd, showCommand == SW_SHOWMINIMIZED);
      MinimizeNow(hwnd);
      break;
    case SW_SHOWNORMAL:
    case SW_SHOWMAXIMIZED:
    case SW_SHOW:
    case kShowNoActivate:
    case kShowNa:
    case SW_RESTORE:
    case kShowDefault: {
      const bool activate = showCommand != kShowNoActivate && showCommand != kShowNa;
      if (window->minimized && showCommand != SW_SHOW && showCommand != kShowNa) RestoreNow(hwnd);
      if (!wasVisible) ShowNow(hwnd, activate);
      break;
    }
    default: return FALSE;
  }
  return wasVisible;
}

// DestroyWindow: keeps hiding and deactivating a visible window first, then
// WM_DESTROY and WM_NCDESTROY before it returns; afterwards the handle is
// dead, its queued messages and device contexts are gone, and every call
// with it fails. Leaves out owned and child windows (there are none).
BOOL WINAPI DestroyWindow(HWND hwnd) {
  Window *window = FindWindowRecord(hwnd);
  if (window == nullptr || window->isDesktop || window->destroying) return FALSE;
  window->destroying = true;
  if (window->visible) HideNow(hwnd, false);
  SendToWindow(hwnd, WM_DESTROY, 0, 0);
  SendToWindow(hwnd, WM_NCDESTROY, 0, 0);
  ReleaseWindowRecord(hwnd);
  return TRUE;
}
