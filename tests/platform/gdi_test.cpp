// Device contexts, DIB sections and blits: the frame buffer's layout, its
// transfer to a window clipped to both sides, clearing with WHITENESS, and
// bad handles.
#include "test_window.h"

#include <gtest/gtest.h>

namespace headless = velmora::headless;

namespace {

struct Dib {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  uint32_t *pixels = nullptr;
};

BITMAPINFO Info(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// A memory DC holding a top-down DIB whose pixel (x, y) is Pattern(x, y).
uint32_t Pattern(int x, int y) { return static_cast<uint32_t>((x & 0xFFF) << 12 | (y & 0xFFF)); }

Dib MakeDib(int width, int height, bool topDown = true) {
  Dib dib;
  dib.dc = CreateCompatibleDC(nullptr);
  const BITMAPINFO info = Info(width, topDown ? -height : height);
  void *bits = nullptr;
  dib.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  dib.pixels = static_cast<uint32_t *>(bits);
  SelectObject(dib.dc, dib.bitmap);
  if (dib.pixels != nullptr && topDown) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) dib.pixels[static_cast<size_t>(y) * width + x] = Pattern(x, y);
    }
  }
  return dib;
}

TEST(DibSection, TopDownRowsComeFirstAndMemoryStartsZeroed) {
  const BITMAPINFO info = Info(4, -3);
  void *bits = reinterpret_cast<void *>(1);
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  ASSERT_NE(bits, nullptr);
  const uint32_t *pixels = static_cast<const uint32_t *>(bits);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(pixels[i], 0u);

  HWND hwnd = test::CreateShownWindow(L"MyClass");
  HDC windowDc = GetDC(hwnd);
  HDC memory = CreateCompatibleDC(nullptr);
  SelectObject(memory, bitmap);
  static_cast<uint32_t *>(bits)[1 * 4 + 2] = 0x00123456;  // column 2, row 1
  ASSERT_TRUE(StretchBlt(windowDc, 0, 0, 4, 3, memory, 0, 0, 4, 3, SRCCOPY));
  EXPECT_EQ(headless::LastPresented().At(2, 1), 0x00123456u);
  EXPECT_EQ(headless::LastPresented().At(1, 2), 0u);
}

TEST(DibSection, PositiveHeightIsBottomUp) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  Dib dib = MakeDib(4, 3, false);
  ASSERT_NE(dib.pixels, nullptr);
  dib.pixels[0] = 0x00ABCDEF;  // the first word is the bottom row's left pixel
  ASSERT_TRUE(BitBlt(GetDC(hwnd), 0, 0, 4, 3, dib.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(headless::LastPresented().At(0, 2), 0x00ABCDEFu);
  EXPECT_EQ(headless::LastPresented().At(0, 0), 0u);
}

TEST(DibSection, RefusesOtherFormatsAndAbsurdSizes) {
  auto refused = [](BITMAPINFO info) {
    void *bits = reinterpret_cast<void *>(1);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    return bitmap == nullptr && bits == nullptr;
  };
  BITMAPINFO info = Info(16, -16);
  info.bmiHeader.biBitCount = 24;
  EXPECT_TRUE(refused(info));
  info = Info(16, -16);
  info.bmiHeader.biCompression = 3;  // BI_BITFIELDS
  EXPECT_TRUE(refused(info));
  EXPECT_TRUE(refused(Info(0, -16)));
  EXPECT_TRUE(refused(Info(16, 0)));
  EXPECT_TRUE(refused(Info(-16, -16)));
  EXPECT_TRUE(refused(Info(100000, -100000)));
  EXPECT_TRUE(refused(Info(60000, -60000)));  // 14 GB
  void *bits = nullptr;
  EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
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

TEST(SelectObject, ReturnsThePreviousBitmap) {
  HDC memory = CreateCompatibleDC(nullptr);
  ASSERT_NE(memory, nullptr);
  const BITMAPINFO info = Info(8, -8);
  void *bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ original = SelectObject(memory, dib);
  ASSERT_NE(original, nullptr);  // the 1 by 1 default bitmap
  EXPECT_NE(original, static_cast<HGDIOBJ>(dib));
  EXPECT_EQ(SelectObject(memory, original), static_cast<HGDIOBJ>(dib));
  EXPECT_EQ(SelectObject(memory, dib), original);

  HDC other = CreateCompatibleDC(memory);
  EXPECT_EQ(SelectObject(other, dib), nullptr);  // a bitmap is in one DC at a time
  EXPECT_EQ(SelectObject(nullptr, dib), nullptr);
  EXPECT_EQ(SelectObject(memory, nullptr), nullptr);
  EXPECT_EQ(CreateCompatibleDC(reinterpret_cast<HDC>(0x4321)), nullptr);
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
  EXPECT_TRUE(StretchBlt(windowDc, 0, 0, 0x7FFFFFFF, 0x7FFFFFFF, dib.dc, 0, 0, 0x7FFFFFFF, 0x7FFFFFFF,
                         SRCCOPY));
}

TEST(StretchBlt, EnlargingRepeatsPixels) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  Dib dib = MakeDib(2, 2);
  ASSERT_TRUE(StretchBlt(GetDC(hwnd), 0, 0, 4, 4, dib.dc, 0, 0, 2, 2, SRCCOPY));
  const headless::Image &image = headless::LastPresented();
  EXPECT_EQ(image.At(0, 0), Pattern(0, 0));
  EXPECT_EQ(image.At(1, 1), Pattern(0, 0));
  EXPECT_EQ(image.At(2, 1), Pattern(1, 0));
  EXPECT_EQ(image.At(3, 3), Pattern(1, 1));
  EXPECT_EQ(image.At(4, 0), 0xFFFFFFu);
}

// The default stretch mode is BLACKONWHITE: shrinking ANDs the pixels it
// drops with the ones it keeps (the reference page of SetStretchBltMode),
// so a dark pixel of the source survives a shrink by half.
TEST(StretchBlt, ShrinkingAndsThePixelsItDrops) {
  Dib from = MakeDib(4, 4);
  const uint32_t colours[4] = {0x00F0F0F0, 0x003C3CFF, 0x00FF0F0F, 0x00FFFFFF};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) from.pixels[y * 4 + x] = colours[(x + y) % 4];
  }
  Dib to = MakeDib(2, 2);
  ASSERT_TRUE(StretchBlt(to.dc, 0, 0, 2, 2, from.dc, 0, 0, 4, 4, SRCCOPY));
  // Each destination pixel covers a 2 by 2 block: the AND of its four.
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) {
      uint32_t expected = 0xFFFFFFFF;
      for (int sy = 2 * y; sy < 2 * y + 2; ++sy) {
        for (int sx = 2 * x; sx < 2 * x + 2; ++sx) expected &= colours[(sx + sy) % 4];
      }
      EXPECT_EQ(to.pixels[y * 2 + x], expected) << x << ", " << y;
    }
  }
  // Shrinking one axis and keeping the other.
  Dib row = MakeDib(2, 4);
  ASSERT_TRUE(StretchBlt(row.dc, 0, 0, 2, 4, from.dc, 0, 0, 4, 4, SRCCOPY));
  EXPECT_EQ(row.pixels[0], colours[0] & colours[1]);
  EXPECT_EQ(row.pixels[3 * 2 + 1], colours[(2 + 3) % 4] & colours[(3 + 3) % 4]);
}

TEST(StretchBlt, CopiesBetweenMemoryDcs) {
  Dib from = MakeDib(8, 8);
  Dib to = MakeDib(4, 4);
  ASSERT_TRUE(BitBlt(to.dc, 0, 0, 8, 8, from.dc, 2, 3, SRCCOPY));
  EXPECT_EQ(to.pixels[0], Pattern(2, 3));
  EXPECT_EQ(to.pixels[15], Pattern(5, 6));
}

TEST(BitBlt, WhitenessFillsTheMemoryBitmapClippedToIt) {
  Dib dib = MakeDib(50, 40);
  ASSERT_TRUE(BitBlt(dib.dc, 10, 10, 800, 700, nullptr, 0, 0, WHITENESS));
  // Every bit of the word, the unused top byte too (Wine writes so; the
  // reference says only that WHITENESS fills with 1s).
  EXPECT_EQ(dib.pixels[10 * 50 + 10], 0xFFFFFFFFu);
  EXPECT_EQ(dib.pixels[39 * 50 + 49], 0xFFFFFFFFu);
  EXPECT_EQ(dib.pixels[9 * 50 + 49], Pattern(49, 9));
  EXPECT_EQ(dib.pixels[39 * 50 + 9], Pattern(9, 39));
  ASSERT_TRUE(BitBlt(dib.dc, -100, -100, 101, 101, nullptr, 0, 0, BLACKNESS));
  EXPECT_EQ(dib.pixels[0], 0u);
  EXPECT_EQ(dib.pixels[1], Pattern(1, 0));
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
  velmora::headless::ResizeWindow(1000, 900);
  StretchBlt(windowDc, 0, 0, 1000, 900, dib.dc, 0, 0, 1000, 900, SRCCOPY);
  EXPECT_EQ(headless::LastPresented().width, 992);
  EXPECT_EQ(headless::LastPresented().height, 873);
  DestroyWindow(hwnd);
  EXPECT_EQ(headless::LastPresented().width, 992);
  EXPECT_EQ(headless::LastPresented().At(991, 872), Pattern(991, 872));
}

TEST(DeviceContext, WindowDcOriginIsTheClientAreaOnTheScreen) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  HDC windowDc = GetDC(hwnd);
  POINT origin{};
  ASSERT_TRUE(GetDCOrgEx(windowDc, &origin));
  EXPECT_EQ(origin.x, 54);
  EXPECT_EQ(origin.y, 73);
  velmora::headless::MoveWindowTo(100, 120);
  ASSERT_TRUE(GetDCOrgEx(windowDc, &origin));
  EXPECT_EQ(origin.x, 104);
  EXPECT_EQ(origin.y, 143);
  HDC memory = CreateCompatibleDC(nullptr);
  ASSERT_TRUE(GetDCOrgEx(memory, &origin));
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
  POINT untouched{5, 6};
  EXPECT_FALSE(GetDCOrgEx(nullptr, &untouched));
  EXPECT_EQ(untouched.x, 5);
}

TEST(DeviceContext, BadHandlesFailHarmlessly) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  HDC windowDc = GetDC(hwnd);
  Dib dib = MakeDib(16, 16);
  EXPECT_FALSE(StretchBlt(nullptr, 0, 0, 16, 16, dib.dc, 0, 0, 16, 16, SRCCOPY));
  EXPECT_FALSE(StretchBlt(windowDc, 0, 0, 16, 16, nullptr, 0, 0, 16, 16, SRCCOPY));
  EXPECT_FALSE(BitBlt(reinterpret_cast<HDC>(0x9999), 0, 0, 16, 16, nullptr, 0, 0, WHITENESS));
  EXPECT_FALSE(StretchBlt(windowDc, 0, 0, 16, 16, dib.dc, 0, 0, 16, 16, 0x00EE0086));  // SRCPAINT
  EXPECT_EQ(ReleaseDC(hwnd, windowDc), 1);
  EXPECT_EQ(ReleaseDC(hwnd, windowDc), 0);
  EXPECT_FALSE(StretchBlt(windowDc, 0, 0, 16, 16, dib.dc, 0, 0, 16, 16, SRCCOPY));
  EXPECT_EQ(ReleaseDC(hwnd, dib.dc), 0);  // a memory DC is not released

  HDC second = GetDC(hwnd);
  DestroyWindow(hwnd);
  EXPECT_FALSE(StretchBlt(second, 0, 0, 16, 16, dib.dc, 0, 0, 16, 16, SRCCOPY));
  EXPECT_EQ(ReleaseDC(hwnd, second), 0);
}

}  // namespace
