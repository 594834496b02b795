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

using test::kDefWinProc;
using test::kLParam;
using test::kOptional;
using test::kPosted;
using test::kSent;
using test::kWParam;

// WM_ACTIVATE's wParam.
constexpr WPARAM kActive = 1, kInactive = 0;

// CreateWindowExW of a top-level window: WM_SIZE and WM_MOVE wait for the
// first show.
const test::Sequence kCreate = {
    {WM_GETMINMAXINFO, kSent, 0, 0},
    {WM_NCCREATE, kSent, 0, 0},
    {WM_NCCALCSIZE, kSent | kWParam, FALSE, 0},
    {WM_CREATE, kSent, 0, 0},
};

// The first ShowWindow(SW_SHOW) of the program's window, 792 by 673 client
// pixels at (54, 73) on the screen.
const test::Sequence kFirstShow = {
    {WM_SHOWWINDOW, kSent | kWParam | kLParam, TRUE, 0},
    {WM_WINDOWPOSCHANGING, kSent, 0, 0},
    {test::kQueryNewPalette, kSent | kOptional, 0, 0},
    {WM_ACTIVATEAPP, kSent | kWParam, TRUE, 0},
    {WM_NCACTIVATE, kSent | kWParam, TRUE, 0},
    {WM_ACTIVATE, kSent | kWParam, kActive, 0},
    // The default handling of WM_ACTIVATE gives the window the focus.
    {test::kImeSelect, kSent | kDefWinProc | kOptional, 0, 0},
    {test::kImeSetContext, kSent | kDefWinProc | kWParam | kOptional, TRUE, 0},
    {WM_SETFOCUS, kSent | kDefWinProc, 0, 0},
    {WM_NCPAINT, kSent, 0, 0},
    {WM_ERASEBKGND, kSent, 0, 0},
    {WM_WINDOWPOSCHANGED, kSent, 0, 0},
    {WM_SIZE, kSent | kWParam | kLParam, SIZE_RESTORED, MAKELPARAM(792, 673)},
    {WM_MOVE, kSent | kLParam, 0, MAKELPARAM(54, 73)},
};

// DestroyWindow of a shown, active window: hidden, deactivated, destroyed.
const test::Sequence kDestroyShown = {
    {WM_WINDOWPOSCHANGING, kSent, 0, 0},
    {WM_WINDOWPOSCHANGED, kSent, 0, 0},
    {WM_NCACTIVATE, kSent | kWParam, FALSE, 0},
    {WM_ACTIVATE, kSent | kWParam, kInactive, 0},
    {WM_ACTIVATEAPP, kSent | kWParam, FALSE, 0},
    {WM_KILLFOCUS, kSent | kWParam, 0, 0},
    {test::kImeSetContext, kSent | kWParam | kOptional, FALSE, 0},
    {WM_DESTROY, kSent, 0, 0},
    {WM_NCDESTROY, kSent, 0, 0},
};

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
  EXPECT_SEQUENCE(hwnd, kCreate);
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
  const test::Sequence kRefusedAtCreate = {
      {WM_GETMINMAXINFO, kSent, 0, 0}, {WM_NCCREATE, kSent, 0, 0},  {WM_NCCALCSIZE, kSent, 0, 0},
      {WM_CREATE, kSent, 0, 0},        {WM_NCDESTROY, kSent, 0, 0},
  };
  EXPECT_SEQUENCE(hwnd, kRefusedAtCreate);
  RECT rect{};
  EXPECT_FALSE(GetWindowRect(hwnd, &rect));

  test::ProcHook() = [](HWND, UINT message, WPARAM, LPARAM, LRESULT *result) {
    if (message != WM_NCCREATE) return false;
    *result = FALSE;
    return true;
  };
  EXPECT_EQ(test::CreateTestWindow(L"MyClass"), nullptr);
  test::ProcHook() = nullptr;
  ASSERT_FALSE(test::Log().empty());
  const test::Sequence kRefusedAtNcCreate = {
      {WM_GETMINMAXINFO, kSent, 0, 0}, {WM_NCCREATE, kSent, 0, 0}, {WM_NCDESTROY, kSent, 0, 0}};
  EXPECT_SEQUENCE(test::Log().front().hwnd, kRefusedAtNcCreate);
}

TEST_F(Showing, FirstShowSendsItsSequenceAndLeavesPaintToTheLoop) {
  ASSERT_NE(test::RegisterTestClass(L"MyClass"), 0);
  HWND hwnd = test::CreateTestWindow(L"MyClass");
  test::ClearLog();
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));  // was not visible
  EXPECT_SEQUENCE(hwnd, kFirstShow);

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
  const test::Sequence kDestroyHidden = {{WM_DESTROY, kSent, 0, 0}, {WM_NCDESTROY, kSent, 0, 0}};
  EXPECT_SEQUENCE(hidden, kDestroyHidden);

  HWND shown = test::CreateTestWindow(L"MyClass");
  ShowWindow(shown, SW_SHOW);
  test::ClearLog();
  EXPECT_TRUE(DestroyWindow(shown));
  EXPECT_SEQUENCE(shown, kDestroyShown);

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
  EXPECT_SEQUENCE(hwnd, kDestroyShown);
  RECT rect;
  EXPECT_FALSE(GetWindowRect(hwnd, &rect));
  // As in the program: the procedure destroys, then passes WM_CLOSE on.
  EXPECT_EQ(DefWindowProcW(hwnd, WM_CLOSE, 0, 0), 0);
}

// The same entries, each from inside DefWindowProcW.
test::Sequence FromDefWinProc(test::Sequence sequence) {
  for (test::Message &m : sequence) m.flags |= kDefWinProc;
  return sequence;
}

// A WM_SYSKEYDOWN as a keyboard makes it: repeat count 1, the scan code,
// and bit 29 when Alt is held.
MSG SystemKey(HWND hwnd, WPARAM key, bool alt) {
  MSG msg{};
  msg.hwnd = hwnd;
  msg.message = WM_SYSKEYDOWN;
  msg.wParam = key;
  msg.lParam = static_cast<LPARAM>(0x003E0001u | (alt ? 1u << 29 : 0u));
  return msg;
}

// Alt+F4 reaching a window whose procedure leaves system keys to the
// default one closes it as the system menu's Close does: DefWindowProcW
// posts WM_SYSCOMMAND SC_CLOSE (Wine's defwnd.c), whose default handling
// sends WM_CLOSE, whose default handling destroys the window.
TEST_F(DefaultProcedure, AltF4PostsCloseWhichDestroysTheWindow) {
  HWND hwnd = test::QuietWindow();
  const MSG key = SystemKey(hwnd, VK_F4, true);
  EXPECT_EQ(test::Dispatch(key), 0);
  RECT rect;
  EXPECT_TRUE(GetWindowRect(hwnd, &rect));  // posted: nothing has happened yet
  test::Pump();
  test::Sequence altF4 = {
      {WM_SYSKEYDOWN, kPosted | kWParam | kLParam, VK_F4, key.lParam},
      {WM_SYSCOMMAND, kPosted | kWParam | kLParam, SC_CLOSE, 0},
      {WM_CLOSE, kSent | kDefWinProc, 0, 0},
  };
  for (const test::Message &m : FromDefWinProc(kDestroyShown)) altF4.push_back(m);
  EXPECT_SEQUENCE(hwnd, altF4);
  EXPECT_FALSE(GetWindowRect(hwnd, &rect));
}

// F4 without Alt, another key with Alt, and Alt+F4 to a window whose class
// has CS_NOCLOSE close nothing.
TEST_F(DefaultProcedure, OnlyAltF4ClosesAndNotWithNoCloseClass) {
  HWND hwnd = test::QuietWindow();
  test::Dispatch(SystemKey(hwnd, VK_F4, false));
  test::Dispatch(SystemKey(hwnd, VK_F1 + 4, true));  // F5
  test::Pump();
  const test::Sequence kKeysOnly = {
      {WM_SYSKEYDOWN, kPosted | kWParam, VK_F4, 0},
      {WM_SYSKEYDOWN, kPosted | kWParam, VK_F1 + 4, 0},
  };
  EXPECT_SEQUENCE(hwnd, kKeysOnly);
  RECT rect;
  EXPECT_TRUE(GetWindowRect(hwnd, &rect));

  ASSERT_NE(test::RegisterTestClass(L"NoClose", CS_NOCLOSE), 0);
  HWND noClose = test::CreateTestWindow(L"NoClose");
  ShowWindow(noClose, SW_SHOW);
  test::Pump();
  test::ClearLog();
  test::Dispatch(SystemKey(noClose, VK_F4, true));
  test::Pump();
  const test::Sequence kKeyOnly = {{WM_SYSKEYDOWN, kPosted | kWParam, VK_F4, 0}};
  EXPECT_SEQUENCE(noClose, kKeyOnly);
  EXPECT_TRUE(GetWindowRect(noClose, &rect));
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

// The record's size must be this SDK's: none, one byte short of the 32-bit
// record, or one byte off this build's is refused with 0 and registers
// nothing (Wine, which sets ERROR_INVALID_PARAMETER).
TEST_F(Classes, AWrongRecordSizeIsRefused) {
  const UINT own = sizeof(WNDCLASSEXW);
  for (UINT size : {0u, 47u, own - 1, own + 1}) {
    WNDCLASSEXW wc{};
    wc.cbSize = size;
    wc.lpfnWndProc = test::TestProc;
    wc.lpszClassName = L"Sized";
    EXPECT_EQ(RegisterClassExW(&wc), 0) << "cbSize " << size;
  }
  WNDCLASSEXW wc{};
  wc.cbSize = own;
  wc.lpfnWndProc = test::TestProc;
  wc.lpszClassName = L"Sized";
  EXPECT_NE(RegisterClassExW(&wc), 0);  // the name was still free
}

TEST_F(Classes, TheAtomNamesTheClass) {
  const ATOM atom = test::RegisterTestClass(L"MyClass");
  ASSERT_NE(atom, 0);
  HWND hwnd = CreateWindowExW(0, MAKEINTRESOURCEW(atom), L"Test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                              test::Instance(), nullptr);
  EXPECT_NE(hwnd, nullptr);
}

}  // namespace
