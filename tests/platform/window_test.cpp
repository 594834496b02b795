// Windows: creation, first show and destruction sequences, the default
// procedure's WM_CLOSE, frame geometry, minimising, dead handles and
// refused creation.
#include "test_window.h"

#include <gtest/gtest.h>

namespace {

using Creation = test::Conformance;
using Showing = test::Conformance;
using Destruction = test::Conformance;
using DefaultProcedure = test::Conformance;
using Geometry = test::Conformance;
using Classes = test::Conformance;

const std::vector<UINT> kFirstShow = {WM_SHOWWINDOW,  WM_WINDOWPOSCHANGING, WM_ACTIVATEAPP,
                                      WM_NCACTIVATE,  WM_ACTIVATE,          WM_SETFOCUS,
                                      WM_NCPAINT,     WM_ERASEBKGND,        WM_WINDOWPOSCHANGED,
                                      WM_SIZE,        WM_MOVE};

TEST_F(Creation, SendsTheCreationMessagesOnlyAndHoldsBackSizeAndMove) {
  ASSERT_NE(test::RegisterTestClass(L"MyClass"), 0);
  HWND seen = nullptr;
  test::ProcHook() = [&](HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT *) {
    if (message == WM_NCCREATE) seen = hwnd;
    return false;
  };
  HWND hwnd = test::CreateTestWindow(L"MyClass");
  test::ProcHook() = nullptr;
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(seen, hwnd);  // the procedure gets the handle before the caller does
  EXPECT_EQ(test::Messages(hwnd),
            (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE}));
  EXPECT_EQ(test::Traced(hwnd, WM_NCCALCSIZE).at(0).wParam, static_cast<WPARAM>(FALSE));
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));  // hidden: nothing to paint
}

TEST_F(Creation, ClassNamesAreMatchedWithoutCaseAndUnknownOnesFail) {
  ASSERT_NE(test::RegisterTestClass(L"MyClass"), 0);
  EXPECT_EQ(test::RegisterTestClass(L"MYCLASS"), 0);  // already exists
  EXPECT_NE(test::CreateTestWindow(L"myclass"), nullptr);
  EXPECT_EQ(test::CreateTestWindow(L"NoSuchClass"), nullptr);
}

TEST_F(Creation, RefusedByTheProcedureFails) {
  ASSERT_NE(test::RegisterTestClass(L"MyClass"), 0);
  test::ProcHook() = [](HWND, UINT message, WPARAM, LPARAM, LRESULT *result) {
    if (message != WM_CREATE) return false;
    *result = -1;
    return true;
  };
  EXPECT_EQ(test::CreateTestWindow(L"MyClass"), nullptr);
  test::ProcHook() = nullptr;
  ASSERT_FALSE(test::Log().empty());
  HWND hwnd = test::Log().front().hwnd;
  // No WM_DESTROY: the window never existed for its procedure (Wine; the
  // reference page says only that the window is destroyed).
  EXPECT_EQ(test::Messages(hwnd),
            (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_NCDESTROY}));
  RECT rect{};
  EXPECT_FALSE(GetWindowRect(hwnd, &rect));

  test::ClearLog();
  test::ProcHook() = [](HWND, UINT message, WPARAM, LPARAM, LRESULT *result) {
    if (message != WM_NCCREATE) return false;
    *result = FALSE;
    return true;
  };
  EXPECT_EQ(test::CreateTestWindow(L"MyClass"), nullptr);
  test::ProcHook() = nullptr;
  EXPECT_EQ(test::Messages(test::Log().front().hwnd),
            (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCDESTROY}));
}

TEST_F(Showing, FirstShowSendsItsSequenceAndLeavesPaintToTheLoop) {
  ASSERT_NE(test::RegisterTestClass(L"MyClass"), 0);
  HWND hwnd = test::CreateTestWindow(L"MyClass");
  test::ClearLog();
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));  // was not visible
  EXPECT_EQ(test::Messages(hwnd), kFirstShow);
  EXPECT_EQ(test::Traced(hwnd, WM_SHOWWINDOW).at(0).wParam, static_cast<WPARAM>(TRUE));
  const auto size = test::Traced(hwnd, WM_SIZE).at(0);
  EXPECT_EQ(size.wParam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(LOWORD(size.lParam), 792);
  EXPECT_EQ(HIWORD(size.lParam), 673);
  const auto move = test::Traced(hwnd, WM_MOVE).at(0);
  EXPECT_EQ(LOWORD(move.lParam), 54);  // client origin on the screen
  EXPECT_EQ(HIWORD(move.lParam), 73);

  // The pointer resting over a window that appears may add a mouse move
  // ahead of it on a real display.
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, hwnd);

  test::ClearLog();
  EXPECT_TRUE(ShowWindow(hwnd, SW_SHOW));  // already visible: nothing happens
  EXPECT_TRUE(test::Log().empty());
}

TEST_F(Destruction, SendsDestroyThenNcDestroyAndKillsTheHandle) {
  ASSERT_NE(test::RegisterTestClass(L"MyClass"), 0);
  HWND hidden = test::CreateTestWindow(L"MyClass");
  test::ClearLog();
  EXPECT_TRUE(DestroyWindow(hidden));
  EXPECT_EQ(test::Messages(hidden), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));

  HWND shown = test::CreateTestWindow(L"MyClass");
  ShowWindow(shown, SW_SHOW);
  test::ClearLog();
  EXPECT_TRUE(DestroyWindow(shown));
  const std::vector<UINT> messages = test::Messages(shown);
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(messages[messages.size() - 2], static_cast<UINT>(WM_DESTROY));
  EXPECT_EQ(messages.back(), static_cast<UINT>(WM_NCDESTROY));
  EXPECT_EQ(messages.front(), static_cast<UINT>(WM_WINDOWPOSCHANGING));  // hidden first

  test::ClearLog();
  RECT rect{1, 2, 3, 4};
  EXPECT_FALSE(GetWindowRect(shown, &rect));
  EXPECT_FALSE(GetClientRect(shown, &rect));
  EXPECT_EQ(rect.left, 1);
  EXPECT_EQ(rect.bottom, 4);
  EXPECT_FALSE(DestroyWindow(shown));
  EXPECT_FALSE(ShowWindow(shown, SW_SHOW));
  EXPECT_EQ(DefWindowProcW(shown, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(GetDC(shown), nullptr);
  EXPECT_TRUE(test::Log().empty());
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));  // its WM_PAINT went with it
}

TEST_F(DefaultProcedure, CloseDestroysTheWindowAndReturnsZero) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  test::ClearLog();
  EXPECT_EQ(DefWindowProcW(hwnd, WM_CLOSE, 0, 0), 0);
  const std::vector<UINT> messages = test::Messages(hwnd);
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(messages.back(), static_cast<UINT>(WM_NCDESTROY));
  RECT rect;
  EXPECT_FALSE(GetWindowRect(hwnd, &rect));
  // As in the program: the procedure destroys, then passes WM_CLOSE on.
  EXPECT_EQ(DefWindowProcW(hwnd, WM_CLOSE, 0, 0), 0);
}

TEST_F(DefaultProcedure, AnswersCreationAndLeavesOtherMessagesAtZero) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  RECT calc{50, 50, 850, 750};
  EXPECT_EQ(DefWindowProcW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&calc)), 0);
  EXPECT_EQ(calc.left, 54);
  EXPECT_EQ(calc.top, 73);
  EXPECT_EQ(calc.right, 846);
  EXPECT_EQ(calc.bottom, 746);
  EXPECT_EQ(DefWindowProcW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0), 0);
  EXPECT_EQ(DefWindowProcW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0), 0);
  EXPECT_EQ(DefWindowProcW(hwnd, WM_USER + 5, 0, 0), 0);
  RECT rect;
  EXPECT_TRUE(GetWindowRect(hwnd, &rect));  // none of them touched the window
}

TEST_F(Geometry, OverlappedWindowOf800By700HasA792By673ClientArea) {
  ASSERT_NE(test::RegisterTestClass(L"MyClass"), 0);
  HWND hwnd = test::CreateTestWindow(L"MyClass");
  RECT window{}, client{};
  ASSERT_TRUE(GetWindowRect(hwnd, &window));
  EXPECT_EQ(window.left, 50);
  EXPECT_EQ(window.top, 50);
  EXPECT_EQ(window.right, 850);
  EXPECT_EQ(window.bottom, 750);
  ASSERT_TRUE(GetClientRect(hwnd, &client));
  EXPECT_EQ(client.left, 0);
  EXPECT_EQ(client.top, 0);
  EXPECT_EQ(client.right, 792);
  EXPECT_EQ(client.bottom, 673);
}

TEST_F(Geometry, AdjustWindowRectExAddsTheFrame) {
  RECT rect{0, 0, 800, 600};
  ASSERT_TRUE(AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_APPWINDOW));
  EXPECT_EQ(rect.left, -4);
  EXPECT_EQ(rect.top, -23);
  EXPECT_EQ(rect.right, 804);
  EXPECT_EQ(rect.bottom, 604);

  RECT client{0, 0, 792, 673};
  AdjustWindowRectEx(&client, WS_OVERLAPPEDWINDOW, FALSE, 0);
  EXPECT_EQ(client.right - client.left, 800);
  EXPECT_EQ(client.bottom - client.top, 700);

  RECT withMenu{0, 0, 100, 100};
  AdjustWindowRectEx(&withMenu, WS_OVERLAPPEDWINDOW, TRUE, 0);
  EXPECT_LT(withMenu.top, -23);  // the menu bar comes on top of the caption
}

TEST_F(Geometry, NullAndDeadHandlesFailAndLeaveTheRectangle) {
  RECT rect{7, 8, 9, 10};
  EXPECT_FALSE(GetWindowRect(nullptr, &rect));
  EXPECT_FALSE(GetClientRect(nullptr, &rect));
  EXPECT_FALSE(GetWindowRect(reinterpret_cast<HWND>(0x1234), &rect));
  EXPECT_EQ(rect.left, 7);
  EXPECT_EQ(rect.top, 8);
  EXPECT_EQ(rect.right, 9);
  EXPECT_EQ(rect.bottom, 10);
}

TEST_F(Geometry, DesktopWindowHasTheDesktopSize) {
  HWND desktop = GetDesktopWindow();
  ASSERT_NE(desktop, nullptr);
  EXPECT_EQ(GetDesktopWindow(), desktop);
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(desktop, &rect));
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, 1280);
  EXPECT_EQ(rect.bottom, 1024);
}

TEST_F(Geometry, MinimisedWindowHasAnEmptyClientAreaUntilRestored) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  test::ClearLog();
  ShowWindow(hwnd, SW_MINIMIZE);
  const auto sizes = test::Traced(hwnd, WM_SIZE);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0].wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
  EXPECT_EQ(sizes[0].lParam, 0);
  RECT client{1, 1, 1, 1};
  ASSERT_TRUE(GetClientRect(hwnd, &client));
  EXPECT_EQ(client.right - client.left, 0);
  EXPECT_EQ(client.bottom - client.top, 0);

  test::ClearLog();
  ShowWindow(hwnd, SW_RESTORE);
  const auto restored = test::Traced(hwnd, WM_SIZE);
  ASSERT_EQ(restored.size(), 1u);
  EXPECT_EQ(restored[0].wParam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(LOWORD(restored[0].lParam), 792);
  EXPECT_EQ(HIWORD(restored[0].lParam), 673);
  RECT window{};
  GetWindowRect(hwnd, &window);
  EXPECT_EQ(window.left, 50);
  EXPECT_EQ(window.top, 50);
  EXPECT_EQ(window.right, 850);
  EXPECT_EQ(window.bottom, 750);
}

// A class needs a name, not a procedure (Wine; the reference page is
// silent); a window of a class without one cannot be made.
TEST_F(Classes, NeedANameAndTheCursorIsThere) {
  EXPECT_NE(LoadCursorW(nullptr, IDC_ARROW), nullptr);
  EXPECT_NE(test::RegisterTestClass(L"MyClass"), 0);

  WNDCLASSEXW noName{};
  noName.cbSize = sizeof noName;
  noName.lpfnWndProc = test::TestProc;
  EXPECT_EQ(RegisterClassExW(&noName), 0);
  WNDCLASSEXW noProcedure{};
  noProcedure.cbSize = sizeof noProcedure;
  noProcedure.lpszClassName = L"Other";
  EXPECT_NE(RegisterClassExW(&noProcedure), 0);
}

TEST_F(Classes, TheAtomNamesTheClass) {
  const ATOM atom = test::RegisterTestClass(L"MyClass");
  ASSERT_NE(atom, 0);
  HWND hwnd = CreateWindowExW(0, MAKEINTRESOURCEW(atom), L"Test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                              nullptr, nullptr, test::Instance(), nullptr);
  EXPECT_NE(hwnd, nullptr);
}

}  // namespace
