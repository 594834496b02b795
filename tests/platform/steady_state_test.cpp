// A frame loop in its steady state allocates nothing inside the platform:
// polling an empty queue, reading the tick, transferring the frame buffer
// to the window and clearing it. Counted by replacing operator new in this
// test binary.
#include "test_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

void *operator new(std::size_t size) {
  ++g_allocations;
  if (void *p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(SteadyState, PollingAndPresentingAllocateNothing) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  HDC windowDc = GetDC(hwnd);
  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = desktop.right;
  info.bmiHeader.biHeight = -desktop.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HDC memory = CreateCompatibleDC(nullptr);
  void *bits = nullptr;
  SelectObject(memory, CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ASSERT_NE(bits, nullptr);
  velmora::headless::SetTickPerPoll(1);

  auto frame = [&] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    static_cast<uint32_t *>(bits)[0] = GetTickCount();
    StretchBlt(windowDc, 0, 0, 800, 700, memory, 0, 0, 800, 700, SRCCOPY);
    BitBlt(memory, 0, 0, 800, 700, nullptr, 0, 0, WHITENESS);
  };
  for (int i = 0; i < 10; ++i) frame();  // the first WM_PAINT, the image's size
  const long before = g_allocations.load();
  for (int i = 0; i < 200; ++i) frame();
  EXPECT_EQ(g_allocations.load() - before, 0);
  EXPECT_EQ(velmora::headless::PresentCount(), 210u);
  EXPECT_EQ(velmora::headless::LastPresented().At(0, 0), GetTickCount());  // this frame's pixels
}

}  // namespace
