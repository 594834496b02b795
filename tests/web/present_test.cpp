// The web backend's frame conversion, compiled to WebAssembly with SIMD as
// the page runs it and run under node: window words 0x00RRGGBB must reach
// the canvas as the bytes R, G, B, 255, whatever the unused top byte holds
// (a WHITENESS blit leaves 0xFFFFFFFF words), and a present converts the
// changed rectangle alone, except the first one at a new size.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "present.h"

namespace {

namespace vp = velmora::platform;

int g_failures = 0;

void Check(bool ok, const char *what) {
  if (!ok) {
    std::printf("web_present: FAILED: %s\n", what);
    ++g_failures;
  }
}

// The four bytes the canvas reads for one converted pixel, in memory order.
bool CanvasBytesAre(const uint32_t &pixel, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  uint8_t bytes[4];
  std::memcpy(bytes, &pixel, 4);
  return bytes[0] == r && bytes[1] == g && bytes[2] == b && bytes[3] == a;
}

void ConvertsEveryWord() {
  struct Case {
    uint32_t word;
    uint8_t r, g, b;
  };
  // Every channel distinct, the scene's colours, and words whose top byte
  // is set: it is no alpha, so each of them comes out opaque.
  const Case cases[] = {
      {0x00123456u, 0x12, 0x34, 0x56}, {0x00FA0000u, 0xFA, 0x00, 0x00}, {0x0000FA00u, 0x00, 0xFA, 0x00},
      {0x000000FAu, 0x00, 0x00, 0xFA}, {0x00787878u, 0x78, 0x78, 0x78}, {0x00000000u, 0x00, 0x00, 0x00},
      {0xFFFFFFFFu, 0xFF, 0xFF, 0xFF}, {0xFF000000u, 0x00, 0x00, 0x00}, {0x80ABCDEFu, 0xAB, 0xCD, 0xEF},
      {0x00FFFFFFu, 0xFF, 0xFF, 0xFF}, {0x01020304u, 0x02, 0x03, 0x04},
  };
  constexpr size_t kCases = sizeof(cases) / sizeof(cases[0]);
  // Every count up to all of them, so that each word goes through both the
  // four-at-a-time part and the rest; the word after the last is kept.
  for (size_t count = 0; count <= kCases; ++count) {
    uint32_t from[kCases], to[kCases + 1];
    for (size_t i = 0; i < kCases; ++i) from[i] = cases[(i + count) % kCases].word;
    for (uint32_t &word : to) word = 0x5A5A5A5Au;
    vp::ToCanvasPixels(from, to, count);
    for (size_t i = 0; i < count; ++i) {
      const Case &c = cases[(i + count) % kCases];
      char what[96];
      std::snprintf(what, sizeof what, "word %08x, %zu of %zu, becomes %02x %02x %02x ff", c.word, i, count, c.r, c.g,
                    c.b);
      Check(CanvasBytesAre(to[i], c.r, c.g, c.b, 0xFF), what);
    }
    Check(to[count] == 0x5A5A5A5Au, "nothing is written past the count");
  }
}

// A 5 by 3 window: after a resize the whole area goes, later only the
// changed rectangle, clipped to the area.
void ConvertsTheChangedRectangle() {
  constexpr int kWidth = 5, kHeight = 3;
  vp::CanvasImage image;
  vp::ResizeCanvasImage(image, kWidth, kHeight);
  Check(image.rgba.size() == static_cast<size_t>(kWidth * kHeight), "the canvas pixels have the client area's size");
  bool black = true;
  for (const uint32_t &p : image.rgba) black = black && CanvasBytesAre(p, 0, 0, 0, 0xFF);
  Check(black, "a resized canvas shows opaque black, as the zeroed window pixels are");

  std::vector<uint32_t> pixels(kWidth * kHeight, 0xFFFFFFFFu);
  vp::PresentOnCanvas(image, pixels.data(), 1, 1, 2, 2, true);
  bool white = true;
  for (const uint32_t &p : image.rgba) white = white && CanvasBytesAre(p, 0xFF, 0xFF, 0xFF, 0xFF);
  Check(white, "the first present at a size converts the whole area, whatever changed");

  for (int i = 0; i < kWidth * kHeight; ++i) pixels[i] = 0x00000100u * static_cast<uint32_t>(i + 1);
  vp::PresentOnCanvas(image, pixels.data(), 1, 1, 4, 3, true);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool inside = x >= 1 && x < 4 && y >= 1;
      const uint8_t g = inside ? static_cast<uint8_t>(y * kWidth + x + 1) : 0xFF;
      const uint8_t rb = inside ? 0x00 : 0xFF;
      char what[64];
      std::snprintf(what, sizeof what, "pixel (%d, %d) after a present of (1, 1)-(4, 3)", x, y);
      Check(CanvasBytesAre(image.rgba[y * kWidth + x], rb, g, rb, 0xFF), what);
    }
  }

  for (uint32_t &p : pixels) p = 0x00FA0000u;
  vp::PresentOnCanvas(image, pixels.data(), -7, -2, 40, 9, false);
  bool red = true;
  for (const uint32_t &p : image.rgba) red = red && CanvasBytesAre(p, 0xFA, 0, 0, 0xFF);
  Check(red, "a rectangle reaching outside the client area on every side is clipped to it");

  // Rectangles over one edge each: the pixels beyond that edge belong to
  // the row before or after, which did not change.
  struct Rect {
    int left, top, right, bottom;
  };
  const Rect overEdges[] = {{-2, 1, 2, 2}, {3, 1, 9, 2}, {1, -4, 3, 1}, {1, 2, 3, 6}};
  uint8_t blue = 0;
  for (const Rect &r : overEdges) {
    ++blue;
    for (uint32_t &p : pixels) p = blue;
    const std::vector<uint32_t> before = image.rgba;
    vp::PresentOnCanvas(image, pixels.data(), r.left, r.top, r.right, r.bottom, true);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
        const uint32_t &p = image.rgba[y * kWidth + x];
        char what[96];
        std::snprintf(what, sizeof what, "pixel (%d, %d) after a present of (%d, %d)-(%d, %d)", x, y, r.left, r.top,
                      r.right, r.bottom);
        Check(inside ? CanvasBytesAre(p, 0, 0, blue, 0xFF) : p == before[y * kWidth + x], what);
      }
    }
  }

  vp::ResizeCanvasImage(image, 2, 2);
  pixels.assign(4, 0x00000001u);
  vp::PresentOnCanvas(image, pixels.data(), 0, 0, 0, 0, true);
  bool resized = image.rgba.size() == 4;
  for (const uint32_t &p : image.rgba) resized = resized && CanvasBytesAre(p, 0, 0, 1, 0xFF);
  Check(resized, "after another resize the first present again converts the whole area");
}

}  // namespace

int main() {
  ConvertsEveryWord();
  ConvertsTheChangedRectangle();
  if (g_failures != 0) {
    std::printf("web_present: %d failed\n", g_failures);
    return 1;
  }
  std::printf("web_present: passed\n");
  return 0;
}
