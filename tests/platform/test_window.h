// Shared pieces of the platform's conformance tests, which build against
// the stand-in and against the real SDK alike: a window class whose
// procedure records every message, with how it came, and hands it to
// DefWindowProcW (or to a test's own procedure first), dispatching that
// marks what it hands over as posted, and the program's own window
// geometry.
#ifndef VELMORA_TESTS_PLATFORM_TEST_WINDOW_H
#define VELMORA_TESTS_PLATFORM_TEST_WINDOW_H

#include "win32.h"

#include "conformance.h"
#include "message_sequence.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace test {

// Messages Windows and Wine may send at any moment, whatever the call in
// progress, and which no sequence here is about: the icons the window
// manager asks for, accessibility, and the compositor's notice. Wine's own
// message tests leave out the same ones.
inline bool AlwaysIgnored(UINT message) {
  return message == 0x007F      // WM_GETICON
         || message == 0x003D   // WM_GETOBJECT
         || message == 0x031F;  // WM_DWMNCRENDERINGCHANGED
}

// A test may look at a message first; returning true means handled, with
// *result as the procedure's result.
inline std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT *)> &ProcHook() {
  static std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT *)> hook;
  return hook;
}

// How deep the test procedure and its calls of DefWindowProcW are nested,
// and the message that Dispatch is handing over: what marks a received
// message as posted or sent, and as coming from inside DefWindowProcW.
struct Nesting {
  int procedure = 0;
  int defWinProc = 0;
  bool dispatching = false;
  MSG dispatched{};
};
inline Nesting &CurrentNesting() {
  static Nesting nesting;
  return nesting;
}

inline LRESULT CALLBACK TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Nesting &nesting = CurrentNesting();
  if (!AlwaysIgnored(message)) {
    unsigned flags = kSent;
    if (nesting.dispatching && nesting.procedure == 0 && nesting.dispatched.hwnd == hwnd &&
        nesting.dispatched.message == message) {
      flags = kPosted;
      nesting.dispatching = false;
    }
    if (nesting.defWinProc > 0) flags |= kDefWinProc;
    Log().push_back(Received{hwnd, message, wParam, lParam, flags});
  }
  ++nesting.procedure;
  LRESULT result = 0;
  if (ProcHook() && ProcHook()(hwnd, message, wParam, lParam, &result)) {
    --nesting.procedure;
    return result;
  }
  ++nesting.defWinProc;
  result = DefWindowProcW(hwnd, message, wParam, lParam);
  --nesting.defWinProc;
  --nesting.procedure;
  return result;
}

// DispatchMessageW of a message taken from the queue (or made up as if it
// had been), so that the log marks it posted.
inline LRESULT Dispatch(const MSG &msg) {
  Nesting &nesting = CurrentNesting();
  nesting.dispatching = true;
  nesting.dispatched = msg;
  const LRESULT result = DispatchMessageW(&msg);
  nesting.dispatching = false;
  return result;
}

// Dispatches what the queue holds for the thread, WM_PAINT among it, until
// it is empty or a round limit is reached (a procedure that never
// validates gets WM_PAINT for ever).
inline void Pump(int rounds = 100) {
  MSG msg;
  for (int i = 0; i < rounds && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) Dispatch(msg);
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
  return CreateWindowExW(WS_EX_APPWINDOW, className, L"Test", WS_OVERLAPPEDWINDOW, 50, 50, 800, 700, nullptr, nullptr,
                         Instance(), nullptr);
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
  Pump();
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
