// DIB sections in memory DCs for the platform's tests: 32-bit, top-down or
// bottom-up, filled with a pattern that tells every pixel apart.
#ifndef VELMORA_TESTS_PLATFORM_TEST_DIB_H
#define VELMORA_TESTS_PLATFORM_TEST_DIB_H

#include "win32.h"

#include <cstddef>
#include <cstdint>

namespace test {

struct Dib {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  uint32_t *pixels = nullptr;
};

inline BITMAPINFO Info(int width, int height) {
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
inline uint32_t Pattern(int x, int y) { return static_cast<uint32_t>((x & 0xFFF) << 12 | (y & 0xFFF)); }

inline Dib MakeDib(int width, int height, bool topDown = true) {
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

}  // namespace test

#endif
