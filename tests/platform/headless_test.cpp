// The headless backend as a harness, and what only it can show: its
// virtual clock, failure injection, poll hook and message trace, the images
// that reached a window, the calls it records, and user input and
// window-manager actions scripted as the system would deliver them. These
// are not part of the conformance suite (tests/platform/*_test.cpp built
// against Win32 alone), which runs on every backend and under Wine.
#include "test_dib.h"
#include "test_window.h"

#include <velmora/headless.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace headless = velmora::headless;

namespace {

using test::Dib;
using test::Info;
using test::MakeDib;
using test::Pattern;

// Read by a static initializer, as the program does before WinMain.
const DWORD g_tickBeforeMain = GetTickCount();

std::set<std::string> FilesHere() {
  std::set<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(".")) names.insert(entry.path().filename());
  return names;
}

TEST(Geometry, WindowManagerMinimiseAndRestoreAnswerWithMoveAndSize) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  test::ClearLog();
  headless::Minimize();
  EXPECT_EQ(test::Messages(hwnd), (std::vector<UINT>{WM_MOVE, WM_SIZE}));
  EXPECT_EQ(test::Traced(hwnd, WM_SIZE).at(0).wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
  test::ClearLog();
  headless::Restore();
  EXPECT_EQ(test::Messages(hwnd), (std::vector<UINT>{WM_MOVE, WM_SIZE}));
  const auto move = test::Traced(hwnd, WM_MOVE).at(0);
  EXPECT_EQ(LOWORD(move.lParam), 54);
  EXPECT_EQ(HIWORD(move.lParam), 73);
}

TEST(Geometry, MovesKeepTheSizes) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  test::ClearLog();
  headless::MoveWindowTo(100, 120);
  EXPECT_EQ(test::Messages(hwnd), std::vector<UINT>{WM_MOVE});
  const auto move = test::Traced(hwnd, WM_MOVE).at(0);
  EXPECT_EQ(LOWORD(move.lParam), 104);
  EXPECT_EQ(HIWORD(move.lParam), 143);
  RECT window{}, client{};
  GetWindowRect(hwnd, &window);
  GetClientRect(hwnd, &client);
  EXPECT_EQ(window.left, 100);
  EXPECT_EQ(window.top, 120);
  EXPECT_EQ(window.right - window.left, 800);
  EXPECT_EQ(window.bottom - window.top, 700);
  EXPECT_EQ(client.right, 792);
  EXPECT_EQ(client.bottom, 673);
  test::ClearLog();
  headless::MoveWindowTo(100, 120);  // no change, no message
  EXPECT_TRUE(test::Log().empty());
}

TEST(Geometry, ResizeSendsSizingThenSizeAndRepaintsWithErase) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  DispatchMessageW(&msg);  // the first WM_PAINT
  test::ClearLog();
  headless::ResizeWindow(640, 480);
  EXPECT_EQ(test::Messages(hwnd), (std::vector<UINT>{WM_SIZING, WM_SIZE}));
  const auto size = test::Traced(hwnd, WM_SIZE).at(0);
  EXPECT_EQ(LOWORD(size.lParam), 632);
  EXPECT_EQ(HIWORD(size.lParam), 453);
  RECT window{};
  GetWindowRect(hwnd, &window);
  EXPECT_EQ(window.left, 50);
  EXPECT_EQ(window.right, 690);
  EXPECT_EQ(window.bottom, 530);

  test::ClearLog();
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  DispatchMessageW(&msg);
  EXPECT_EQ(test::Messages(hwnd), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
}

TEST(CreateWindow, FailureInjectionFailsOnceWithoutMessages) {
  ASSERT_NE(test::RegisterTestClass(L"MyClass"), 0);
  headless::FailNextCreateWindow();
  EXPECT_EQ(test::CreateTestWindow(L"MyClass"), nullptr);
  EXPECT_TRUE(test::Log().empty());
  EXPECT_NE(test::CreateTestWindow(L"MyClass"), nullptr);
}

TEST(RegisterClass, FailureInjectionFailsOnce) {
  headless::FailNextRegisterClass();
  EXPECT_EQ(test::RegisterTestClass(L"MyClass"), 0);
  EXPECT_NE(test::RegisterTestClass(L"MyClass"), 0);
}

TEST(Geometry, TheDesktopFollowsItsSize) {
  HWND desktop = GetDesktopWindow();
  RECT rect{};
  headless::SetDesktopSize(1920, 1080);
  ASSERT_TRUE(GetWindowRect(desktop, &rect));
  EXPECT_EQ(rect.right, 1920);
  EXPECT_EQ(rect.bottom, 1080);
}

TEST(Retrieval, PostedThenQuitThenInputThenPaint) {
  HWND hwnd = test::QuietWindow();
  headless::KeyDown('A');
  headless::KeyDown('B');
  headless::Expose();
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  ASSERT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('A'));
  EXPECT_EQ(msg.hwnd, hwnd);
  TranslateMessage(&msg);  // posts WM_CHAR
  PostQuitMessage(3);

  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_CHAR));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('a'));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_EQ(msg.hwnd, nullptr);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('B'));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  EXPECT_EQ(msg.hwnd, hwnd);
}

TEST(Retrieval, FiltersSkipToTheFirstMatchingMessage) {
  test::QuietWindow();
  headless::KeyDown('A');
  headless::MouseMove(5, 6);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_MOUSEMOVE));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(Paint, ExposureErasesOnceThenValidates) {
  HWND hwnd = test::QuietWindow();
  headless::Expose();
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  ASSERT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  DispatchMessageW(&msg);
  EXPECT_EQ(test::Messages(hwnd), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(Translate, PostsCharactersOnlyForCharacterKeys) {
  test::QuietWindow();
  headless::KeyDown(VK_UP);
  headless::KeyDown(VK_SHIFT);
  headless::KeyDown('P');
  MSG msg;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_TRUE(TranslateMessage(&msg));
  }
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_CHAR));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('P'));  // with Shift down
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(Input, KeysCarryVirtualKeyCodesAndTheRepeatBit) {
  HWND hwnd = test::QuietWindow();
  headless::KeyDown(VK_ESCAPE);
  headless::KeyDown(VK_ESCAPE, true);
  headless::KeyUp(VK_ESCAPE);
  headless::KeyDown(VK_NUMPAD1);
  headless::KeyDown('1');
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(msg.wParam, 0x1Bu);
  EXPECT_EQ(msg.hwnd, hwnd);
  EXPECT_EQ(msg.lParam & (1 << 30), 0);
  EXPECT_EQ(msg.lParam & 0xFFFF, 1);  // repeat count
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_NE(msg.lParam & (1 << 30), 0);  // auto-repeat
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYUP));
  EXPECT_EQ(msg.wParam, 0x1Bu);
  EXPECT_NE(msg.lParam & (1 << 30), 0);
  EXPECT_NE(msg.lParam & (LPARAM{1} << 31), 0);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 0x61u);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 0x31u);
}

TEST(Input, MouseOutsideTheClientAreaProducesNothing) {
  test::QuietWindow();
  headless::MouseMove(-1, 10);
  headless::MouseMove(792, 10);  // one past the right edge
  headless::MouseMove(10, 673);
  headless::LeftButton(true, 900, 10);
  headless::Wheel(120, 10, -5);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  headless::LeftButton(false, 900, 10);
}

TEST(Input, MouseMessagesCarryClientCoordinatesAndButtonFlags) {
  HWND hwnd = test::QuietWindow();
  headless::MouseMove(791, 672);
  headless::LeftButton(true, 100, 200);
  headless::MouseMove(110, 190);
  headless::LeftButton(false, 110, 190);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_MOUSEMOVE));
  EXPECT_EQ(msg.hwnd, hwnd);
  EXPECT_EQ(LOWORD(msg.lParam), 791);
  EXPECT_EQ(HIWORD(msg.lParam), 672);
  EXPECT_EQ(msg.wParam, 0u);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(LOWORD(msg.lParam), 100);
  EXPECT_EQ(HIWORD(msg.lParam), 200);
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(MK_LBUTTON));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_MOUSEMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(MK_LBUTTON));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONUP));
  EXPECT_EQ(msg.wParam, 0u);
}

TEST(Input, WheelDeltaIsSignedInTheHighWordAndThePositionOnTheScreen) {
  test::QuietWindow();
  headless::Wheel(-120, 10, 20);
  headless::Wheel(360, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_MOUSEWHEEL));
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(msg.wParam), -120);
  EXPECT_EQ(LOWORD(msg.lParam), 54 + 10);  // client origin (54, 73) plus the position
  EXPECT_EQ(HIWORD(msg.lParam), 73 + 20);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(msg.wParam), 360);
}

TEST(Input, NothingArrivesWithoutAVisibleWindow) {
  ASSERT_NE(test::RegisterTestClass(L"MyClass"), 0);
  test::CreateTestWindow(L"MyClass");  // hidden
  headless::KeyDown('A');
  headless::MouseMove(1, 1);
  headless::CloseButton();
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(test::Log().size(), 4u);  // only the creation
}

// A window manager's close takes Wine's route: WM_SYSCOMMAND with SC_CLOSE,
// posted, so the program's own loop takes it and DefWindowProcW makes it
// WM_CLOSE, whose default destroys the window.
TEST(Input, CloseButtonPostsTheCloseSystemCommand) {
  HWND hwnd = test::QuietWindow();
  headless::CloseButton();
  EXPECT_TRUE(test::Log().empty());
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, hwnd);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_SYSCOMMAND));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(SC_CLOSE));
  EXPECT_TRUE(test::Log().empty());  // nothing reached the window before dispatch
  DispatchMessageW(&msg);
  const std::vector<UINT> messages = test::Messages(hwnd);
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(messages[0], static_cast<UINT>(WM_SYSCOMMAND));
  EXPECT_EQ(messages[1], static_cast<UINT>(WM_CLOSE));
  EXPECT_EQ(messages.back(), static_cast<UINT>(WM_NCDESTROY));
  RECT rect;
  EXPECT_FALSE(GetWindowRect(hwnd, &rect));
}

// Alt+F4 that the window manager passes through reaches the window as a
// system key, with the context bit (29) that tells DefWindowProcW Alt is
// held.
TEST(Input, AltF4ArrivesAsASystemKeyWithTheContextBit) {
  test::QuietWindow();
  headless::KeyDown(VK_MENU);
  headless::KeyDown(VK_F4);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_SYSKEYDOWN));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_MENU));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_SYSKEYDOWN));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_F4));
  EXPECT_NE(msg.lParam & (LPARAM{1} << 29), 0);
  EXPECT_EQ((msg.lParam >> 16) & 0xFF, 0x3E);  // F4's scan code
  headless::KeyUp(VK_F4);
  headless::KeyUp(VK_MENU);
}

TEST(Input, DestroyingAWindowDropsItsQueuedInput) {
  HWND hwnd = test::QuietWindow();
  headless::KeyDown('A');
  headless::MouseMove(3, 4);
  DestroyWindow(hwnd);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(PollHook, RunsAtEveryPollWithItsCountAndCanFeedAWaitingGetMessage) {
  test::QuietWindow();
  std::vector<uint64_t> polls;
  headless::SetPollHook([&](uint64_t poll) {
    polls.push_back(poll);
    if (polls.size() == 3) headless::KeyDown(VK_ESCAPE);
  });
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), 1);  // waits through two rounds
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  ASSERT_EQ(polls.size(), 3u);
  EXPECT_EQ(polls[1], polls[0] + 1);
  EXPECT_EQ(polls[2], polls[0] + 2);
  headless::SetPollHook(nullptr);
}

TEST(PollHook, CanReplaceItselfWhileRunning) {
  int first = 0, second = 0;
  headless::SetPollHook([&](uint64_t) {
    ++first;
    headless::SetPollHook([&](uint64_t) { ++second; });
  });
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
  headless::SetPollHook(nullptr);
}

TEST(PollHook, TickMovesByTickPerPollBeforeTheHook) {
  headless::SetTickPerPoll(16);
  DWORD seen = 0;
  headless::SetPollHook([&](uint64_t) { seen = GetTickCount(); });
  const DWORD before = GetTickCount();
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(seen, before + 16);
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(GetTickCount(), before + 32);
  headless::SetPollHook(nullptr);
}

TEST(Trace, CanBeTurnedOff) {
  headless::SetMessageTraceEnabled(false);
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  EXPECT_NE(hwnd, nullptr);
  EXPECT_TRUE(headless::MessageTrace().empty());
  headless::SetMessageTraceEnabled(true);
  DestroyWindow(hwnd);
  EXPECT_FALSE(headless::MessageTrace().empty());
}

TEST(Paint, DefaultEraseFillsWithTheClassBrush) {
  test::CreateShownWindow(L"MyClass");
  // Brush value 15 is system colour 14, white by default.
  const headless::Image &image = headless::LastPresented();
  ASSERT_EQ(image.width, 792);
  ASSERT_EQ(image.height, 673);
  EXPECT_EQ(image.At(0, 0), 0xFFFFFFu);
  EXPECT_EQ(image.At(791, 672), 0xFFFFFFu);
}

TEST(DibSection, FailureInjectionFailsOnce) {
  headless::FailNextCreateDIBSection();
  const BITMAPINFO info = Info(8, -8);
  void *bits = reinterpret_cast<void *>(1);
  EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  EXPECT_NE(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_NE(bits, nullptr);
}

TEST(StretchBlt, EqualSizesCopyIntoTheClientAreaClippedToTheSourceBitmap) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");  // erased white
  HDC windowDc = GetDC(hwnd);
  Dib dib = MakeDib(100, 80);
  // The program copies its window size (800 by 700) from a frame buffer
  // that may be smaller than that and than the 792 by 673 client area.
  ASSERT_TRUE(StretchBlt(windowDc, 0, 0, 800, 700, dib.dc, 0, 0, 800, 700, SRCCOPY));
  const headless::Image &image = headless::LastPresented();
  ASSERT_EQ(image.width, 792);
  ASSERT_EQ(image.height, 673);
  EXPECT_EQ(image.At(0, 0), Pattern(0, 0));
  EXPECT_EQ(image.At(99, 79), Pattern(99, 79));
  EXPECT_EQ(image.At(100, 0), 0xFFFFFFu);  // beyond the source: untouched
  EXPECT_EQ(image.At(0, 80), 0xFFFFFFu);
  EXPECT_EQ(image.At(791, 672), 0xFFFFFFu);
}

TEST(StretchBlt, ASourceLargerThanTheClientAreaIsCutOff) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  Dib dib = MakeDib(1280, 1024);
  ASSERT_TRUE(StretchBlt(GetDC(hwnd), 0, 0, 800, 700, dib.dc, 0, 0, 800, 700, SRCCOPY));
  const headless::Image &image = headless::LastPresented();
  ASSERT_EQ(image.width, 792);
  EXPECT_EQ(image.At(791, 672), Pattern(791, 672));
  EXPECT_EQ(image.At(400, 300), Pattern(400, 300));
}

TEST(StretchBlt, OffsetsAndNegativeOriginsShiftTheCopy) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  HDC windowDc = GetDC(hwnd);
  Dib dib = MakeDib(64, 64);
  ASSERT_TRUE(StretchBlt(windowDc, 0, 0, 64, 64, dib.dc, 10, 5, 64, 64, SRCCOPY));
  EXPECT_EQ(headless::LastPresented().At(0, 0), Pattern(10, 5));
  EXPECT_EQ(headless::LastPresented().At(53, 58), Pattern(63, 63));
  EXPECT_EQ(headless::LastPresented().At(54, 0), 0xFFFFFFu);
  ASSERT_TRUE(StretchBlt(windowDc, -3, -2, 64, 64, dib.dc, 0, 0, 64, 64, SRCCOPY));
  EXPECT_EQ(headless::LastPresented().At(0, 0), Pattern(3, 2));
  ASSERT_TRUE(StretchBlt(windowDc, 0, 0, 64, 64, dib.dc, -4, 0, 64, 64, SRCCOPY));
  EXPECT_EQ(headless::LastPresented().At(4, 0), Pattern(0, 0));
  // Entirely outside either side: nothing to copy, nothing goes wrong.
  EXPECT_TRUE(StretchBlt(windowDc, 5000, 0, 64, 64, dib.dc, 0, 0, 64, 64, SRCCOPY));
  EXPECT_TRUE(StretchBlt(windowDc, 0, 0, 64, 64, dib.dc, 0, 9000, 64, 64, SRCCOPY));
  EXPECT_TRUE(StretchBlt(windowDc, 0, 0, 0x7FFFFFFF, 0x7FFFFFFF, dib.dc, 0, 0, 0x7FFFFFFF, 0x7FFFFFFF, SRCCOPY));
}

TEST(Presentation, CountsTransfersToAVisibleWindowOnly) {
  ASSERT_NE(test::RegisterTestClass(L"MyClass"), 0);
  HWND hwnd = test::CreateTestWindow(L"MyClass");
  HDC windowDc = GetDC(hwnd);
  Dib dib = MakeDib(32, 32);
  EXPECT_TRUE(StretchBlt(windowDc, 0, 0, 32, 32, dib.dc, 0, 0, 32, 32, SRCCOPY));  // hidden
  EXPECT_EQ(headless::PresentCount(), 0u);
  ShowWindow(hwnd, SW_SHOW);
  EXPECT_EQ(headless::PresentCount(), 0u);  // the erase is not a transfer

  int hooked = 0;
  headless::SetPresentHook([&](const headless::Image &image) {
    ++hooked;
    EXPECT_EQ(image.At(31, 31), Pattern(31, 31));
  });
  StretchBlt(windowDc, 0, 0, 32, 32, dib.dc, 0, 0, 32, 32, SRCCOPY);
  StretchBlt(windowDc, 0, 0, 32, 32, dib.dc, 0, 0, 32, 32, SRCCOPY);
  EXPECT_EQ(headless::PresentCount(), 2u);
  EXPECT_EQ(hooked, 2);
  headless::SetPresentHook(nullptr);

  ShowWindow(hwnd, SW_MINIMIZE);
  StretchBlt(windowDc, 0, 0, 32, 32, dib.dc, 0, 0, 32, 32, SRCCOPY);
  EXPECT_EQ(headless::PresentCount(), 2u);
  EXPECT_EQ(headless::LastPresented().width, 792);  // what was shown stays
}

TEST(Presentation, TheLastImageOutlivesItsWindowAndFollowsResizes) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  HDC windowDc = GetDC(hwnd);
  Dib dib = MakeDib(1280, 1024);
  headless::ResizeWindow(1000, 900);
  StretchBlt(windowDc, 0, 0, 1000, 900, dib.dc, 0, 0, 1000, 900, SRCCOPY);
  EXPECT_EQ(headless::LastPresented().width, 992);
  EXPECT_EQ(headless::LastPresented().height, 873);
  DestroyWindow(hwnd);
  EXPECT_EQ(headless::LastPresented().width, 992);
  EXPECT_EQ(headless::LastPresented().At(991, 872), Pattern(991, 872));
}

TEST(DeviceContext, WindowDcOriginFollowsAMove) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  HDC windowDc = GetDC(hwnd);
  POINT origin{};
  headless::MoveWindowTo(100, 120);
  ASSERT_TRUE(GetDCOrgEx(windowDc, &origin));
  EXPECT_EQ(origin.x, 104);
  EXPECT_EQ(origin.y, 143);
}

TEST(DeviceContext, RasterOperationsLeftOutAreRefused) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  Dib dib = MakeDib(16, 16);
  EXPECT_FALSE(StretchBlt(GetDC(hwnd), 0, 0, 16, 16, dib.dc, 0, 0, 16, 16, 0x00EE0086));  // SRCPAINT
}

TEST(TickCount, StartsAtTheVirtualStartAndMovesOnlyWhenTold) {
  EXPECT_TRUE(headless::IsActive());
  EXPECT_EQ(g_tickBeforeMain, headless::kStartTick);
  EXPECT_EQ(GetTickCount(), headless::kStartTick);
  headless::AdvanceTick(5);
  EXPECT_EQ(GetTickCount(), headless::kStartTick + 5);
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);  // no tick per poll unless set
  EXPECT_EQ(GetTickCount(), headless::kStartTick + 5);
}

TEST(Console, CallsAreRecordedAndTheReopenCreatesNoFile) {
  const std::set<std::string> before = FilesHere();
  EXPECT_TRUE(AllocConsole());
  EXPECT_FALSE(AllocConsole());  // one console per process
  EXPECT_TRUE(SetConsoleTitleW(L"VELMORA"));
  FILE *reopened = freopen("CONOUT$", "wb", stdout);
  EXPECT_NE(reopened, nullptr);
  EXPECT_EQ(fclose(stdout), 0);
  EXPECT_TRUE(FreeConsole());
  EXPECT_FALSE(std::filesystem::exists("CONOUT$"));
  EXPECT_EQ(FilesHere(), before);
  EXPECT_EQ(headless::ConsoleCalls(),
            (std::vector<std::string>{"AllocConsole", "AllocConsole", "SetConsoleTitleW VELMORA", "freopen CONOUT$ wb",
                                      "fclose stdout", "FreeConsole"}));
  // Standard output is still the test's own.
  EXPECT_GE(std::fputs("", stdout), 0);
  EXPECT_EQ(std::fflush(stdout), 0);
}

TEST(Console, OtherStreamsStillOpenAndClose) {
  const std::string path = testing::TempDir() + "velmora_platform_stream.txt";
  FILE *file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  FILE *again = freopen(path.c_str(), "ab", file);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(std::fputs("x", again), 1);
  EXPECT_EQ(fclose(again), 0);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::file_size(path), 1u);
  std::filesystem::remove(path);
  EXPECT_TRUE(headless::ConsoleCalls().empty());
}

TEST(MessageBox, IsRecordedAndAnsweredWithOk) {
  EXPECT_EQ(MessageBoxW(nullptr, L"Register class failed", L"RC FAILED", MB_OK), IDOK);
  ASSERT_EQ(headless::MessageBoxes().size(), 1u);
  EXPECT_EQ(headless::MessageBoxes()[0].text, L"Register class failed");
  EXPECT_EQ(headless::MessageBoxes()[0].caption, L"RC FAILED");
  EXPECT_EQ(headless::MessageBoxes()[0].type, static_cast<UINT>(MB_OK));
}

// What the stand-in leaves out it refuses, where Windows would do more:
// 24-bit DIB sections, and a null rectangle to adjust.
TEST(LeftOut, RefusedHarmlessly) {
  BITMAPINFO info = Info(16, -16);
  info.bmiHeader.biBitCount = 24;
  void *bits = reinterpret_cast<void *>(1);
  EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  EXPECT_FALSE(AdjustWindowRectEx(nullptr, WS_OVERLAPPEDWINDOW, FALSE, 0));
}

TEST(Trace, RecordsWhatReachesTheProcedure) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  size_t traced = 0;
  for (const headless::TracedMessage &m : headless::MessageTrace()) traced += m.hwnd == hwnd;
  EXPECT_EQ(traced, test::Messages(hwnd).size());
}

}  // namespace
