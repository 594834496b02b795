// TextOutW on a memory DC: a new DC draws black glyphs on opaque white
// cells with (x, y) as the top-left corner of the first cell, in top-down
// and bottom-up bitmaps alike, and nothing outside the bitmap.
#include "test_dib.h"
#include "test_window.h"

#include <gtest/gtest.h>

namespace {

using Text = test::Conformance;

constexpr uint32_t kGrey = 0x787878;

struct Canvas {
  HDC dc;
  uint32_t *pixels;
  int width;
  int height;
  bool topDown;
  // Pixel (x, y) counted from the top, whichever way the rows are stored.
  uint32_t At(int x, int y) const {
    const int row = topDown ? y : height - 1 - y;
    return pixels[static_cast<size_t>(row) * width + x];
  }
};

Canvas MakeCanvas(int width, int height, bool topDown) {
  const BITMAPINFO info = test::Info(width, topDown ? -height : height);
  void *bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  auto *pixels = static_cast<uint32_t *>(bits);
  for (int i = 0; i < width * height; ++i) pixels[i] = kGrey;
  return Canvas{dc, pixels, width, height, topDown};
}

TEST_F(Text, DrawsBlackGlyphsOnWhiteCellsFromTheTopLeftCorner) {
  Canvas canvas = MakeCanvas(200, 60, true);
  ASSERT_TRUE(TextOutW(canvas.dc, 10, 10, L"FPS: 60", 7));
  int black = 0, white = 0, right = 10;
  for (int y = 0; y < canvas.height; ++y) {
    for (int x = 0; x < canvas.width; ++x) {
      const uint32_t p = canvas.At(x, y);
      if (p == kGrey) continue;
      EXPECT_TRUE(x >= 10 && y >= 10 && y < 26) << x << "," << y;  // one cell row of 16
      EXPECT_TRUE(p == 0x000000 || p == 0xFFFFFF) << std::hex << p;
      (p == 0 ? black : white)++;
      right = std::max(right, x + 1);
    }
  }
  EXPECT_GT(black, 0);
  EXPECT_GT(white, black);                  // opaque cells: mostly background
  EXPECT_EQ(canvas.At(10, 10), 0xFFFFFFu);  // the top row of a cell is background
  EXPECT_EQ(canvas.At(10, 25), 0xFFFFFFu);
  EXPECT_GT(right - 10, 7 * 4);  // seven cells of a few pixels each
  EXPECT_LT(right - 10, 7 * 16);
}

TEST_F(Text, BottomUpBitmapsShowTheSameText) {
  Canvas down = MakeCanvas(120, 40, true);
  Canvas up = MakeCanvas(120, 40, false);
  ASSERT_TRUE(TextOutW(down.dc, 3, 5, L"Help 1", 6));
  ASSERT_TRUE(TextOutW(up.dc, 3, 5, L"Help 1", 6));
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 120; ++x) ASSERT_EQ(up.At(x, y), down.At(x, y)) << x << "," << y;
  }
}

TEST_F(Text, StaysInsideTheBitmapAndRefusesBadArguments) {
  Canvas canvas = MakeCanvas(20, 10, true);
  EXPECT_TRUE(TextOutW(canvas.dc, 12, 4, L"WWWW", 4));  // cut at the right and the bottom
  EXPECT_TRUE(TextOutW(canvas.dc, -30, -12, L"WWWWWWWW", 8));
  EXPECT_NE(canvas.At(0, 0), kGrey);  // a cell of the second call reaches in
  EXPECT_TRUE(TextOutW(canvas.dc, 0, 0, L"", 0));
  EXPECT_FALSE(TextOutW(canvas.dc, 0, 0, L"x", -1));
  EXPECT_FALSE(TextOutW(nullptr, 0, 0, L"x", 1));
  EXPECT_FALSE(TextOutW(reinterpret_cast<HDC>(0x7777), 0, 0, L"x", 1));
}

}  // namespace
