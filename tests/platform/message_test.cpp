// The message queue: retrieval order, WM_QUIT, WM_PAINT from the loop and
// its default handling, TranslateMessage, and scripted user input as the
// system posts it.
#include "test_window.h"

#include <gtest/gtest.h>

namespace headless = velmora::headless;

namespace {

// A shown window whose first WM_PAINT has been handled: an empty queue.
HWND QuietWindow() {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  headless::ClearMessageTrace();
  return hwnd;
}

TEST(Retrieval, PostedThenQuitThenInputThenPaint) {
  HWND hwnd = QuietWindow();
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

TEST(Retrieval, QuitComesOnceWithItsCodeAndGetMessageReturnsZero) {
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
TEST(Retrieval, QuitComesWhateverTheRangeAsks) {
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

TEST(Retrieval, FiltersSkipToTheFirstMatchingMessage) {
  QuietWindow();
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

TEST(Paint, StaysUntilValidatedAndDefaultHandlingValidatesOnce) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));  // PM_REMOVE does not remove it
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  headless::ClearMessageTrace();
  DispatchMessageW(&msg);
  // The show erased already, so the default painting only validates.
  EXPECT_EQ(test::Messages(hwnd), std::vector<UINT>{WM_PAINT});
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(Paint, ExposureErasesOnceThenValidates) {
  HWND hwnd = QuietWindow();
  headless::Expose();
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  ASSERT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  DispatchMessageW(&msg);
  EXPECT_EQ(test::Messages(hwnd), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(Paint, AProcedureThatIgnoresPaintGetsItAgain) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  test::ProcHook() = [](HWND, UINT message, WPARAM, LPARAM, LRESULT *) { return message == WM_PAINT; };
  MSG msg;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    DispatchMessageW(&msg);
  }
  test::ProcHook() = nullptr;
  EXPECT_EQ(test::Traced(hwnd, WM_PAINT).size(), 3u);
}

TEST(Paint, DefaultEraseFillsWithTheClassBrushAndReturnsOne) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  // Brush value 15 is system colour 14, white by default.
  const headless::Image &image = headless::LastPresented();
  ASSERT_EQ(image.width, 792);
  ASSERT_EQ(image.height, 673);
  EXPECT_EQ(image.At(0, 0), 0xFFFFFFu);
  EXPECT_EQ(image.At(791, 672), 0xFFFFFFu);
  HDC dc = GetDC(hwnd);
  EXPECT_EQ(DefWindowProcW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
  ReleaseDC(hwnd, dc);

  ASSERT_NE(test::RegisterTestClass(L"NoBrush", 0, nullptr), 0);
  HWND bare = test::CreateTestWindow(L"NoBrush");
  ShowWindow(bare, SW_SHOW);
  HDC bareDc = GetDC(bare);
  EXPECT_EQ(DefWindowProcW(bare, WM_ERASEBKGND, reinterpret_cast<WPARAM>(bareDc), 0), 0);
}

TEST(Dispatch, CallsTheProcedureAndReturnsItsResult) {
  HWND hwnd = QuietWindow();
  test::ProcHook() = [](HWND, UINT message, WPARAM, LPARAM, LRESULT *result) {
    *result = 77;
    return message == WM_KEYDOWN;
  };
  headless::KeyDown(VK_UP);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(DispatchMessageW(&msg), 77);
  test::ProcHook() = nullptr;
  EXPECT_EQ(test::Messages(hwnd), std::vector<UINT>{WM_KEYDOWN});
  MSG orphan{};
  EXPECT_EQ(DispatchMessageW(&orphan), 0);
}

TEST(Translate, PostsCharactersOnlyForCharacterKeys) {
  QuietWindow();
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
  HWND hwnd = QuietWindow();
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
  QuietWindow();
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
  HWND hwnd = QuietWindow();
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
  QuietWindow();
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
  EXPECT_TRUE(headless::MessageTrace().size() == 4u);  // only the creation
}

TEST(Input, CloseButtonSendsCloseAtTheNextPoll) {
  HWND hwnd = QuietWindow();
  headless::CloseButton();
  EXPECT_TRUE(headless::MessageTrace().empty());
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));  // sent, never returned
  const std::vector<UINT> messages = test::Messages(hwnd);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.front(), static_cast<UINT>(WM_CLOSE));
  EXPECT_EQ(messages.back(), static_cast<UINT>(WM_NCDESTROY));  // the default closing destroys
}

TEST(Input, DestroyingAWindowDropsItsQueuedInput) {
  HWND hwnd = QuietWindow();
  headless::KeyDown('A');
  headless::MouseMove(3, 4);
  DestroyWindow(hwnd);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(PollHook, RunsAtEveryPollWithItsCountAndCanFeedAWaitingGetMessage) {
  QuietWindow();
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

}  // namespace
