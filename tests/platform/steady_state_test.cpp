// A frame loop in its steady state allocates nothing inside the platform:
// polling an empty queue, reading the tick, transferring the frame buffer
// to the window and clearing it. Counted by the heap probe, which sees
// operator new and the C allocation functions of our own code.
#include "test_dib.h"
#include "test_window.h"

#include <velmora/headless.h>

#include <gtest/gtest.h>

#include "support/heap_probe.h"

namespace {

uint64_t Allocations() {
  const support::HeapCounts counts = support::Heap();
  return counts.news + counts.mallocs;
}

TEST(SteadyState, PollingAndPresentingAllocateNothing) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  HDC windowDc = GetDC(hwnd);
  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  const BITMAPINFO info = test::Info(desktop.right, -desktop.bottom);
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
  const uint64_t before = Allocations();
  for (int i = 0; i < 200; ++i) frame();
  EXPECT_EQ(Allocations() - before, 0u);
  EXPECT_EQ(velmora::headless::PresentCount(), 210u);
  EXPECT_EQ(velmora::headless::LastPresented().At(0, 0), GetTickCount());  // this frame's pixels
}

}  // namespace
