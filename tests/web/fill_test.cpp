// The platform's fills as WebAssembly runs them, under node on the headless
// backend: a WHITENESS blit, which ends every presented frame, has a fill
// of its own in WebAssembly (one row written, then copied into the others).
// It must whiten exactly the clipped rectangle, for any left edge, width and
// height, and leave every pixel around it as it was.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace {

constexpr int kWidth = 37, kHeight = 9;
constexpr uint32_t kUntouched = 0x00123456u;

int g_failures = 0;

// Whitens (x, y, w, h) of a kWidth by kHeight DIB filled with kUntouched,
// and checks every pixel against the rectangle clipped to the bitmap.
void Whiten(HDC dc, uint32_t *pixels, int x, int y, int w, int h) {
  for (int i = 0; i < kWidth * kHeight; ++i) pixels[i] = kUntouched;
  if (!BitBlt(dc, x, y, w, h, nullptr, 0, 0, WHITENESS)) {
    std::printf("web_fill: FAILED: BitBlt(%d, %d, %d, %d, WHITENESS) returned FALSE\n", x, y, w, h);
    ++g_failures;
    return;
  }
  int wrong = 0;
  for (int py = 0; py < kHeight; ++py) {
    for (int px = 0; px < kWidth; ++px) {
      const bool inside = px >= x && px < x + w && py >= y && py < y + h;
      const uint32_t p = pixels[py * kWidth + px];
      if (inside ? (p & 0xFFFFFFu) != 0xFFFFFFu : p != kUntouched) ++wrong;
    }
  }
  if (wrong != 0) {
    std::printf("web_fill: FAILED: BitBlt(%d, %d, %d, %d, WHITENESS): %d pixels wrong\n", x, y, w, h, wrong);
    ++g_failures;
  }
}

}  // namespace

int main() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void *bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dc == nullptr || dib == nullptr || bits == nullptr) {
    std::printf("web_fill: FAILED: no DIB section\n");
    return 1;
  }
  SelectObject(dc, dib);
  auto *pixels = static_cast<uint32_t *>(bits);
  Whiten(dc, pixels, 0, 0, kWidth, kHeight);  // all of it
  Whiten(dc, pixels, 5, 2, 1, 1);             // one pixel
  Whiten(dc, pixels, 3, 1, 30, 1);            // one row, away from the left edge
  Whiten(dc, pixels, 7, 0, 1, kHeight);       // one column
  Whiten(dc, pixels, 11, 3, 17, 5);           // a rectangle inside, of odd width
  Whiten(dc, pixels, -4, -2, 10, 6);          // clipped at the top left
  Whiten(dc, pixels, 30, 6, 20, 20);          // clipped at the bottom right
  if (g_failures == 0) std::printf("web_fill: passed\n");
  return g_failures == 0 ? 0 : 1;
}
