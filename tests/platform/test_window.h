// Shared pieces of the platform tests: a window class whose procedure hands
// every message to DefWindowProcW (or to a test's own procedure first), the
// program's own window geometry, and the message numbers that reached a
// window.
#ifndef VELMORA_TESTS_PLATFORM_TEST_WINDOW_H
#define VELMORA_TESTS_PLATFORM_TEST_WINDOW_H

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <velmora/headless.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace test {

// A test may look at a message first; returning true means handled, with
// *result as the procedure's result.
inline std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT *)> &ProcHook() {
  static std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT *)> hook;
  return hook;
}

inline LRESULT CALLBACK TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ProcHook() && ProcHook()(hwnd, message, wParam, lParam, &result)) return result;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

inline HINSTANCE Instance() {
  static int module;
  return reinterpret_cast<HINSTANCE>(&module);
}

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

inline std::vector<UINT> Messages(HWND hwnd) {
  std::vector<UINT> messages;
  for (const auto &m : velmora::headless::MessageTrace()) {
    if (m.hwnd == hwnd) messages.push_back(m.message);
  }
  return messages;
}

inline std::vector<velmora::headless::TracedMessage> Traced(HWND hwnd, UINT message) {
  std::vector<velmora::headless::TracedMessage> found;
  for (const auto &m : velmora::headless::MessageTrace()) {
    if (m.hwnd == hwnd && m.message == message) found.push_back(m);
  }
  return found;
}

// Drains the queue without dispatching; returns the messages taken.
inline std::vector<MSG> TakeAll() {
  std::vector<MSG> taken;
  MSG msg;
  while (taken.size() < 100 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    taken.push_back(msg);
    if (msg.message == WM_PAINT) break;  // stays until validated
  }
  return taken;
}

}  // namespace test

#endif
