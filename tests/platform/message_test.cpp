// The message queue: WM_QUIT, WM_PAINT from the loop and its default
// handling, and dispatching.
#include "test_window.h"

#include <gtest/gtest.h>

namespace {

using Retrieval = test::Conformance;
using Paint = test::Conformance;
using Dispatch = test::Conformance;

using test::kDefWinProc;
using test::kOptional;
using test::kPosted;
using test::kSent;

TEST_F(Retrieval, QuitComesOnceWithItsCodeAndGetMessageReturnsZero) {
  PostQuitMessage(42);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 42u);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));  // still there
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));  // removed

  PostQuitMessage(7);
  msg = MSG{};
  EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

// The reference pages of PeekMessage and GetMessage: WM_QUIT is retrieved
// whatever the message range.
TEST_F(Retrieval, QuitComesWhateverTheRangeAsks) {
  PostQuitMessage(5);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER, WM_USER + 1, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 5u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  PostQuitMessage(6);
  EXPECT_EQ(GetMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYUP), 0);
  EXPECT_EQ(msg.wParam, 6u);
}

TEST_F(Paint, StaysUntilValidatedAndDefaultHandlingValidatesOnce) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  // Only WM_PAINT is asked for: on a real display the pointer over the new
  // window may add input.
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));  // PM_REMOVE does not remove it
  EXPECT_EQ(msg.hwnd, hwnd);
  test::ClearLog();
  test::Dispatch(msg);
  // The first show erased the window already; a window manager that has
  // exposed it anew since asks for another erase.
  const test::Sequence kPainted = {{WM_PAINT, kPosted, 0, 0}, {WM_ERASEBKGND, kSent | kDefWinProc | kOptional, 0, 0}};
  EXPECT_SEQUENCE(hwnd, kPainted);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
}

TEST_F(Paint, AProcedureThatIgnoresPaintGetsItAgain) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  test::ProcHook() = [](HWND, UINT message, WPARAM, LPARAM, LRESULT *) { return message == WM_PAINT; };
  MSG msg;
  test::ClearLog();
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
    test::Dispatch(msg);
  }
  test::ProcHook() = nullptr;
  // A window manager may place the new window meanwhile.
  const test::Sequence kPaintedThrice = {
      {WM_MOVE, kSent | kOptional, 0, 0}, {WM_PAINT, kPosted, 0, 0},  //
      {WM_MOVE, kSent | kOptional, 0, 0}, {WM_PAINT, kPosted, 0, 0},  //
      {WM_MOVE, kSent | kOptional, 0, 0}, {WM_PAINT, kPosted, 0, 0},
  };
  EXPECT_SEQUENCE(hwnd, kPaintedThrice);
}

TEST_F(Paint, DefaultEraseReturnsOneWithABrushAndZeroWithout) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  HDC dc = GetDC(hwnd);
  EXPECT_EQ(DefWindowProcW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
  ReleaseDC(hwnd, dc);

  ASSERT_NE(test::RegisterTestClass(L"NoBrush", 0, nullptr), 0);
  HWND bare = test::CreateTestWindow(L"NoBrush");
  ShowWindow(bare, SW_SHOW);
  HDC bareDc = GetDC(bare);
  EXPECT_EQ(DefWindowProcW(bare, WM_ERASEBKGND, reinterpret_cast<WPARAM>(bareDc), 0), 0);
}

TEST_F(Dispatch, CallsTheProcedureAndReturnsItsResult) {
  HWND hwnd = test::QuietWindow();
  test::ProcHook() = [](HWND, UINT message, WPARAM, LPARAM, LRESULT *result) {
    *result = 77;
    return message == WM_USER + 1;
  };
  MSG msg{};
  msg.hwnd = hwnd;
  msg.message = WM_USER + 1;
  EXPECT_EQ(test::Dispatch(msg), 77);
  test::ProcHook() = nullptr;
  const test::Sequence kDispatched = {{WM_USER + 1, kPosted, 0, 0}};
  EXPECT_SEQUENCE(hwnd, kDispatched);
  MSG orphan{};
  EXPECT_EQ(DispatchMessageW(&orphan), 0);
}

}  // namespace
