// The built-in system font: every printable character has a glyph, cells
// are opaque, glyphs share a baseline, and drawing never leaves its target.
#include "text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

namespace {

using velmora::platform::DrawSystemFontText;
using velmora::platform::kSystemFontHeight;
using velmora::platform::SystemFontTextWidth;

constexpr uint32_t kInk = 0x00000000;    // black text of a new DC
constexpr uint32_t kPaper = 0x00FFFFFF;  // on its white background
constexpr uint32_t kUnset = 0xA5A5A5A5;

// One character drawn alone at the origin of a target exactly its size.
struct Cell {
  int width = 0;
  std::vector<uint32_t> pixels;

  explicit Cell(wchar_t ch) {
    width = SystemFontTextWidth(&ch, 1);
    pixels.assign(static_cast<size_t>(width) * kSystemFontHeight, kUnset);
    DrawSystemFontText(pixels.data(), width, width, kSystemFontHeight, 0, 0, &ch, 1, kInk, kPaper);
  }
  int InkCount() const {
    int count = 0;
    for (uint32_t p : pixels) {
      count += p == kInk;
    }
    return count;
  }
  int LowestInkRow() const {
    for (int row = kSystemFontHeight - 1; row >= 0; --row) {
      for (int col = 0; col < width; ++col) {
        if (pixels[static_cast<size_t>(row) * width + col] == kInk) {
          return row;
        }
      }
    }
    return -1;
  }
};

TEST(SystemFont, CellMetricsResembleTheSystemFont) {
  EXPECT_EQ(16, kSystemFontHeight);
  const wchar_t text[] = L"FPS:  60  ";
  const int one = SystemFontTextWidth(L"W", 1);
  // Bold, about 7 pixels on average: a cell of 7 or 8 pixels.
  EXPECT_GE(one, 7);
  EXPECT_LE(one, 8);
  EXPECT_EQ(0, SystemFontTextWidth(text, 0));
  EXPECT_EQ(0, SystemFontTextWidth(text, -3));
  EXPECT_EQ(SystemFontTextWidth(text, 4) + SystemFontTextWidth(text + 4, 6), SystemFontTextWidth(text, 10));
}

TEST(SystemFont, EveryPrintableCharacterHasItsOwnGlyph) {
  std::set<std::vector<uint32_t>> seen;
  for (wchar_t ch = 0x21; ch <= 0x7E; ++ch) {
    const Cell cell(ch);
    EXPECT_GT(cell.InkCount(), 0) << "character 0x" << std::hex << static_cast<int>(ch);
    EXPECT_TRUE(seen.insert(cell.pixels).second)
        << "character 0x" << std::hex << static_cast<int>(ch) << " looks like another";
  }
  EXPECT_EQ(0, Cell(L' ').InkCount());
}

TEST(SystemFont, CellsAreOpaque) {
  for (wchar_t ch = 0x20; ch <= 0x7F; ++ch) {
    const Cell cell(ch);
    for (uint32_t p : cell.pixels) {
      ASSERT_TRUE(p == kInk || p == kPaper) << "character 0x" << std::hex << static_cast<int>(ch);
    }
  }
}

TEST(SystemFont, CharactersOutsidePrintableAsciiDrawAVisibleStandIn) {
  const Cell box(static_cast<wchar_t>(0x7F));
  EXPECT_GT(box.InkCount(), 0);
  for (wchar_t ch : {static_cast<wchar_t>(0), static_cast<wchar_t>(0x1F), static_cast<wchar_t>(0x80),
                     static_cast<wchar_t>(0xE9), static_cast<wchar_t>(0x263A), static_cast<wchar_t>(-1)}) {
    EXPECT_EQ(box.pixels, Cell(ch).pixels) << "character 0x" << std::hex << static_cast<long>(ch);
  }
}

TEST(SystemFont, GlyphsShareABaselineAndDescendersGoBelowIt) {
  const int baseline = Cell(L'H').LowestInkRow();
  for (wchar_t ch : std::wstring(L"ABEHMXZ0123456789abcmnoxz.!")) {
    EXPECT_EQ(baseline, Cell(ch).LowestInkRow()) << static_cast<char>(ch);
  }
  for (wchar_t ch : std::wstring(L"gjpqy")) {
    const int lowest = Cell(ch).LowestInkRow();
    EXPECT_GT(lowest, baseline) << static_cast<char>(ch);
    EXPECT_LT(lowest, kSystemFontHeight);
  }
}

TEST(SystemFont, TextIsItsCellsSideBySide) {
  const wchar_t text[] = L"Ag ~";
  const int width = SystemFontTextWidth(text, 4);
  std::vector<uint32_t> line(static_cast<size_t>(width) * kSystemFontHeight, kUnset);
  DrawSystemFontText(line.data(), width, width, kSystemFontHeight, 0, 0, text, 4, kInk, kPaper);
  int left = 0;
  for (int i = 0; i < 4; ++i) {
    const Cell cell(text[i]);
    for (int row = 0; row < kSystemFontHeight; ++row) {
      for (int col = 0; col < cell.width; ++col) {
        ASSERT_EQ(cell.pixels[static_cast<size_t>(row) * cell.width + col],
                  line[static_cast<size_t>(row) * width + left + col]);
      }
    }
    left += cell.width;
  }
  EXPECT_EQ(width, left);
}

// Draws into a target inside a larger, guarded allocation and checks every
// word: guards and the stride's slack untouched, each target pixel either
// the expected pixel of the cell covering it or untouched.
void CheckClipped(int width, int height, int x, int y, const std::wstring &text) {
  constexpr int kMargin = 40;
  constexpr uint32_t kGuard = 0xDEADBEEF;
  const int stride = width + 3;
  const int rows = height + 2 * kMargin;
  std::vector<uint32_t> memory(static_cast<size_t>(stride) * rows + 2 * kMargin, kGuard);
  uint32_t *target = memory.data() + kMargin + static_cast<size_t>(kMargin) * stride;
  for (int r = 0; r < height; ++r) {
    for (int c = 0; c < width; ++c) {
      target[static_cast<size_t>(r) * stride + c] = kUnset;
    }
  }
  const int length = static_cast<int>(text.size());
  DrawSystemFontText(target, stride, width, height, x, y, text.data(), length, kInk, kPaper);

  const int64_t cellWidth = SystemFontTextWidth(text.data(), 1);
  std::vector<Cell> cells;
  for (wchar_t ch : text) {
    cells.emplace_back(ch);
  }
  for (size_t i = 0; i < memory.size(); ++i) {
    const int64_t offset = static_cast<int64_t>(i) - (target - memory.data());
    const int64_t r = offset >= 0 ? offset / stride : -1;
    const int64_t c = offset >= 0 ? offset % stride : -1;
    if (r < 0 || r >= height || c >= width) {
      ASSERT_EQ(kGuard, memory[i]) << "wrote outside the target at word " << i << " for x=" << x << " y=" << y;
      continue;
    }
    const int64_t dx = c - x;
    const int64_t dy = r - y;
    const int64_t k = dx >= 0 ? dx / cellWidth : -1;
    uint32_t expected = kUnset;
    if (k >= 0 && k < length && dy >= 0 && dy < kSystemFontHeight) {
      const Cell &cell = cells[static_cast<size_t>(k)];
      expected = cell.pixels[static_cast<size_t>(dy) * cell.width + (dx - k * cellWidth)];
    }
    ASSERT_EQ(expected, memory[i]) << "pixel (" << c << ", " << r << ") for x=" << x << " y=" << y;
  }
}

TEST(SystemFont, DrawingIsClippedToTheTarget) {
  const std::wstring text = L"Clip me! gq|_";
  const int extremes[] = {INT_MIN, INT_MIN + 1, -1000000, -100, -17, -16, -9, -8,   -7,          -1,
                          0,       1,           5,        29,   30,  31,  60, 1000, INT_MAX - 8, INT_MAX};
  for (int x : extremes) {
    for (int y : extremes) {
      CheckClipped(31, 23, x, y, text);
    }
  }
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> size(1, 50);
  std::uniform_int_distribution<int> position(-120, 70);
  std::uniform_int_distribution<int> any(INT_MIN, INT_MAX);
  for (int i = 0; i < 300; ++i) {
    const int width = size(random);
    const int height = size(random);
    const bool wild = i % 5 == 0;
    CheckClipped(width, height, wild ? any(random) : position(random), wild ? any(random) : position(random),
                 text.substr(0, static_cast<size_t>(i) % (text.size() + 1)));
  }
}

TEST(SystemFont, NothingIsDrawnForEmptyTextOrAnEmptyTarget) {
  uint32_t pixel = kUnset;
  DrawSystemFontText(&pixel, 1, 1, 1, 0, 0, L"A", 0, kInk, kPaper);
  DrawSystemFontText(&pixel, 1, 1, 1, 0, 0, L"A", -5, kInk, kPaper);
  DrawSystemFontText(&pixel, 1, 1, 1, 0, 0, nullptr, 0, kInk, kPaper);
  DrawSystemFontText(&pixel, 1, 0, 1, 0, 0, L"A", 1, kInk, kPaper);
  DrawSystemFontText(&pixel, 1, 1, 0, 0, 0, L"A", 1, kInk, kPaper);
  EXPECT_EQ(kUnset, pixel);
  // A one-pixel target at the top-left of a cell gets that cell's pixel.
  DrawSystemFontText(&pixel, 1, 1, 1, 0, 0, L"A", 1, kInk, kPaper);
  EXPECT_EQ(Cell(L'A').pixels[0], pixel);
}

}  // namespace
