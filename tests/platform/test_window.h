// Shared pieces of the platform's conformance tests, which build against
// the stand-in and against the real SDK alike: a window class whose
// procedure records every message and hands it to DefWindowProcW (or to a
// test's own procedure first), and the program's own window geometry.
#ifndef VELMORA_TESTS_PLATFORM_TEST_WINDOW_H
#define VELMORA_TESTS_PLATFORM_TEST_WINDOW_H

#include "win32.h"

#include "conformance.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace test {

// A message as it reached the test procedure.
struct Received {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Messages Windows and Wine send that the stand-in does not, none of which
// the program reads: icons, accessibility, the input method, hit testing and
// the cursor, and the compositor's notices.
inline bool Unmodelled(UINT message) {
  switch (message) {
    case 0x0020:  // WM_SETCURSOR
    case 0x003D:  // WM_GETOBJECT
    case 0x007F:  // WM_GETICON
    case 0x0084:  // WM_NCHITTEST
    case 0x0088:  // WM_SYNCPAINT
    case 0x0281:  // WM_IME_SETCONTEXT
    case 0x0282:  // WM_IME_NOTIFY
    case 0x0285:  // WM_IME_SELECT
    case 0x030F:  // WM_QUERYNEWPALETTE
    case 0x031F:  // WM_DWMNCRENDERINGCHANGED
      return true;
    default:
      return false;
  }
}

// Every modelled message that reached a test procedure, in order.
inline std::vector<Received> &Log() {
  static std::vector<Received> log;
  return log;
}
inline void ClearLog() { Log().clear(); }

// A test may look at a message first; returning true means handled, with
// *result as the procedure's result.
inline std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT *)> &ProcHook() {
  static std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT *)> hook;
  return hook;
}

inline LRESULT CALLBACK TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Unmodelled(message)) Log().push_back(Received{hwnd, message, wParam, lParam});
  LRESULT result = 0;
  if (ProcHook() && ProcHook()(hwnd, message, wParam, lParam, &result)) return result;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Null: the class and its windows then belong to the program's own module.
inline HINSTANCE Instance() { return nullptr; }

inline ATOM RegisterTestClass(const wchar_t *name, UINT style = CS_HREDRAW | CS_VREDRAW,
                              HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE)) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(WNDCLASSEXW);
  wc.style = style;
  wc.lpfnWndProc = TestProc;
  wc.hInstance = Instance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return RegisterClassExW(&wc);
}

// The program's window: WS_OVERLAPPEDWINDOW, 800 by 700 at (50, 50), hidden.
inline HWND CreateTestWindow(const wchar_t *className) {
  return CreateWindowExW(WS_EX_APPWINDOW, className, L"Test", WS_OVERLAPPEDWINDOW, 50, 50, 800, 700,
                         nullptr, nullptr, Instance(), nullptr);
}

inline HWND CreateShownWindow(const wchar_t *className) {
  RegisterTestClass(className);
  HWND hwnd = CreateTestWindow(className);
  ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

// A shown window whose first WM_PAINT has been handled, with an empty
// queue and log.
inline HWND QuietWindow() {
  HWND hwnd = CreateShownWindow(L"MyClass");
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  ClearLog();
  return hwnd;
}

inline std::vector<UINT> Messages(HWND hwnd) {
  std::vector<UINT> messages;
  for (const Received &m : Log()) {
    if (m.hwnd == hwnd) messages.push_back(m.message);
  }
  return messages;
}

inline std::vector<Received> Traced(HWND hwnd, UINT message) {
  std::vector<Received> found;
  for (const Received &m : Log()) {
    if (m.hwnd == hwnd && m.message == message) found.push_back(m);
  }
  return found;
}

}  // namespace test

#endif
