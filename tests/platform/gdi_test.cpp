// Device contexts, DIB sections and blits between them: the frame buffer's
// layout, copies and stretches, clearing with WHITENESS, and bad handles.
#include "test_dib.h"
#include "test_window.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

using DibSections = test::Conformance;
using Selection = test::Conformance;
using Stretch = test::Conformance;
using Blit = test::Conformance;
using DeviceContexts = test::Conformance;

using test::Dib;
using test::Info;
using test::MakeDib;
using test::Pattern;

TEST_F(DibSections, TopDownRowsComeFirstAndMemoryStartsZeroed) {
  const BITMAPINFO info = Info(4, -3);
  void *bits = reinterpret_cast<void *>(1);
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  ASSERT_NE(bits, nullptr);
  const uint32_t *pixels = static_cast<const uint32_t *>(bits);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(pixels[i], 0u);

  HDC memory = CreateCompatibleDC(nullptr);
  SelectObject(memory, bitmap);
  static_cast<uint32_t *>(bits)[1 * 4 + 2] = 0x00123456;  // column 2, row 1
  Dib to = MakeDib(4, 3);
  ASSERT_TRUE(BitBlt(to.dc, 0, 0, 4, 3, memory, 0, 0, SRCCOPY));
  EXPECT_EQ(to.pixels[1 * 4 + 2], 0x00123456u);
  EXPECT_EQ(to.pixels[2 * 4 + 1], 0u);
}

TEST_F(DibSections, PositiveHeightIsBottomUp) {
  Dib dib = MakeDib(4, 3, false);
  ASSERT_NE(dib.pixels, nullptr);
  dib.pixels[0] = 0x00ABCDEF;  // the first word is the bottom row's left pixel
  Dib to = MakeDib(4, 3);
  ASSERT_TRUE(BitBlt(to.dc, 0, 0, 4, 3, dib.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(to.pixels[2 * 4 + 0], 0x00ABCDEFu);
  EXPECT_EQ(to.pixels[0], 0u);
}

TEST_F(DibSections, RefusesOtherFormatsAndAbsurdSizes) {
  auto refused = [](BITMAPINFO info) {
    void *bits = reinterpret_cast<void *>(1);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    return bitmap == nullptr && bits == nullptr;
  };
  BITMAPINFO info = Info(16, -16);
  info.bmiHeader.biCompression = 3;  // BI_BITFIELDS without its masks
  EXPECT_TRUE(refused(info));
  EXPECT_TRUE(refused(Info(0, -16)));
  EXPECT_TRUE(refused(Info(16, 0)));
  EXPECT_TRUE(refused(Info(-16, -16)));
  EXPECT_TRUE(refused(Info(100000, -100000)));
  EXPECT_TRUE(refused(Info(60000, -60000)));  // 14 GB
  void *bits = nullptr;
  EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
}

TEST_F(Selection, ReturnsThePreviousBitmap) {
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

TEST_F(Stretch, EnlargingRepeatsPixels) {
  Dib dib = MakeDib(2, 2);
  Dib to = MakeDib(5, 5);
  ASSERT_TRUE(StretchBlt(to.dc, 0, 0, 4, 4, dib.dc, 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(to.pixels[0], Pattern(0, 0));
  EXPECT_EQ(to.pixels[1 * 5 + 1], Pattern(0, 0));
  EXPECT_EQ(to.pixels[1 * 5 + 2], Pattern(1, 0));
  EXPECT_EQ(to.pixels[3 * 5 + 3], Pattern(1, 1));
  EXPECT_EQ(to.pixels[0 * 5 + 4], Pattern(4, 0));  // beyond the destination rectangle
}

// The default stretch mode is BLACKONWHITE: shrinking ANDs the pixels it
// drops with the ones it keeps (the reference page of SetStretchBltMode),
// so a dark pixel of the source survives a shrink by half.
TEST_F(Stretch, ShrinkingAndsThePixelsItDrops) {
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

// Shrinking by a ratio that is not a whole number (the reference page of
// SetStretchBltMode): white, dark, white shrunk to two pixels keeps the
// dark one, ANDed with the white one that meets it. Across a row and down
// a column alike.
constexpr uint32_t kWhite = 0x00FFFFFF, kDark = 0x00203040;

std::vector<uint32_t> WhiteDarkWhiteShrunkToTwo(bool alongRow) {
  const int across = alongRow ? 3 : 1, down = alongRow ? 1 : 3;
  Dib from = MakeDib(across, down);
  from.pixels[0] = kWhite;
  from.pixels[1] = kDark;
  from.pixels[2] = kWhite;
  Dib to = MakeDib(alongRow ? 2 : 1, alongRow ? 1 : 2);
  if (!StretchBlt(to.dc, 0, 0, alongRow ? 2 : 1, alongRow ? 1 : 2, from.dc, 0, 0, across, down, SRCCOPY)) return {};
  return {to.pixels[0], to.pixels[1]};
}

TEST_F(Stretch, ShrinkingThreePixelsToTwoKeepsTheDarkOne) {
  EXPECT_EQ(WhiteDarkWhiteShrunkToTwo(true), (std::vector<uint32_t>{kDark, kWhite}));
  EXPECT_EQ(WhiteDarkWhiteShrunkToTwo(false), (std::vector<uint32_t>{kDark, kWhite}));
}

// Which source pixels meet in which destination pixel, along a row of
// `from` pixels stretched to `to`: source pixel i is white but for bit i,
// so each destination pixel shows the set of sources it took. Each source
// pixel goes to the destination pixel under its centre when shrinking,
// each destination pixel takes the source pixel under its centre when
// enlarging, and a centre on a border counts for the earlier pixel (what
// Wine draws; Windows documents only the AND).
std::vector<uint32_t> Stretched(int from, int to) {
  Dib source = MakeDib(from, 1);
  for (int i = 0; i < from; ++i) source.pixels[i] = 0x00FFFFFFu & ~(1u << i);
  Dib dest = MakeDib(to, 1);
  StretchBlt(dest.dc, 0, 0, to, 1, source.dc, 0, 0, from, 1, SRCCOPY);
  return std::vector<uint32_t>(dest.pixels, dest.pixels + to);
}

uint32_t Sources(std::initializer_list<int> indices) {
  uint32_t pixel = 0x00FFFFFF;
  for (int i : indices) pixel &= ~(1u << i);
  return pixel;
}

TEST_F(Stretch, EachSourcePixelCountsWhereItsCentreFalls) {
  EXPECT_EQ(Stretched(5, 3), (std::vector<uint32_t>{Sources({0, 1}), Sources({2}), Sources({3, 4})}));
  EXPECT_EQ(Stretched(7, 3), (std::vector<uint32_t>{Sources({0, 1}), Sources({2, 3, 4}), Sources({5, 6})}));
  EXPECT_EQ(Stretched(4, 3), (std::vector<uint32_t>{Sources({0}), Sources({1, 2}), Sources({3})}));
  EXPECT_EQ(Stretched(10, 4),
            (std::vector<uint32_t>{Sources({0, 1, 2}), Sources({3, 4}), Sources({5, 6, 7}), Sources({8, 9})}));
  EXPECT_EQ(Stretched(2, 3), (std::vector<uint32_t>{Sources({0}), Sources({0}), Sources({1})}));
  EXPECT_EQ(Stretched(3, 5),
            (std::vector<uint32_t>{Sources({0}), Sources({0}), Sources({1}), Sources({2}), Sources({2})}));
}

TEST_F(Stretch, CopiesBetweenMemoryDcs) {
  Dib from = MakeDib(8, 8);
  Dib to = MakeDib(4, 4);
  ASSERT_TRUE(BitBlt(to.dc, 0, 0, 8, 8, from.dc, 2, 3, SRCCOPY));
  EXPECT_EQ(to.pixels[0], Pattern(2, 3));
  EXPECT_EQ(to.pixels[15], Pattern(5, 6));
}

TEST_F(Blit, WhitenessFillsTheMemoryBitmapClippedToIt) {
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

TEST_F(DeviceContexts, WindowDcOriginIsTheClientAreaOnTheScreen) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  HDC windowDc = GetDC(hwnd);
  POINT origin{};
  ASSERT_TRUE(GetDCOrgEx(windowDc, &origin));
  EXPECT_EQ(origin.x, 54);
  EXPECT_EQ(origin.y, 73);
  HDC memory = CreateCompatibleDC(nullptr);
  ASSERT_TRUE(GetDCOrgEx(memory, &origin));
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
  POINT untouched{5, 6};
  EXPECT_FALSE(GetDCOrgEx(nullptr, &untouched));
  EXPECT_EQ(untouched.x, 5);
}

TEST_F(DeviceContexts, BadHandlesFailHarmlessly) {
  HWND hwnd = test::CreateShownWindow(L"MyClass");
  HDC windowDc = GetDC(hwnd);
  Dib dib = MakeDib(16, 16);
  EXPECT_FALSE(StretchBlt(nullptr, 0, 0, 16, 16, dib.dc, 0, 0, 16, 16, SRCCOPY));
  EXPECT_FALSE(StretchBlt(windowDc, 0, 0, 16, 16, nullptr, 0, 0, 16, 16, SRCCOPY));
  EXPECT_FALSE(BitBlt(reinterpret_cast<HDC>(0x9999), 0, 0, 16, 16, nullptr, 0, 0, WHITENESS));
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
