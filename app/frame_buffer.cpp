// Geometry of the desktop, window and client area; the frame buffer, a
// desktop-sized 32-bit top-down DIB section in a memory device context; and
// the presentation of one frame with the frames-per-second overlay.
#include "app/app_context.h"

namespace {

constexpr LONG kPixelsPerMeter = 5000;
constexpr LONG kFpsIntervalMs = 2000;
constexpr int kFpsTextX = 10;
constexpr int kFpsTextY = 10;
constexpr int kMaxTextLength = 65535;
constexpr int kFpsTextCapacity = sizeof(AppContext::fpsText) / sizeof(WCHAR);

int Half(int size) { return size >> 1; }

}  // namespace

int TextSlotLength(const WCHAR *text, int slotSize) {
  int length = 0;
  while (length < kMaxTextLength && length < slotSize && text[length] != 0) {
    ++length;
  }
  return length;
}

void UpdateWindowGeometry() {
  AppContext &app = *g_app;
  // A failed query leaves its rectangle as it was; the derived values are
  // computed from whatever the rectangles then hold.
  GetWindowRect(app.desktopHwnd, &app.desktopRect);
  GetWindowRect(app.hwnd, &app.windowRect);
  GetClientRect(app.hwnd, &app.clientRect);
  GetDCOrgEx(app.windowDc, &app.dcOrigin);

  app.desktopWidth = app.desktopRect.right - app.desktopRect.left;
  app.desktopHeight = app.desktopRect.bottom - app.desktopRect.top;
  app.windowWidth = app.windowRect.right - app.windowRect.left;
  app.windowHeight = app.windowRect.bottom - app.windowRect.top;
  app.clientWidth = app.clientRect.right - app.clientRect.left;
  app.clientHeight = app.clientRect.bottom - app.clientRect.top;
  app.desktopCenterX = app.desktopRect.left + Half(app.desktopWidth);
  app.desktopCenterY = app.desktopRect.top + Half(app.desktopHeight);
  app.windowCenterX = app.windowRect.left + Half(app.windowWidth);
  app.windowCenterY = app.windowRect.top + Half(app.windowHeight);
  app.halfClientWidth = Half(app.clientWidth);
  app.halfClientHeight = Half(app.clientHeight);
  // pixelStride stays as CreateFrameBuffer set it: it describes the memory
  // behind pixels, which a later change of the desktop's size does not
  // resize.
}

void CreateFrameBuffer() {
  AppContext &app = *g_app;
  BITMAPINFOHEADER &header = app.bitmapInfo.bmiHeader;
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = app.desktopWidth;
  header.biHeight = -app.desktopHeight;  // negative: rows run top-down
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  header.biSizeImage = 0;
  header.biXPelsPerMeter = kPixelsPerMeter;
  header.biYPelsPerMeter = kPixelsPerMeter;
  header.biClrUsed = 0;
  header.biClrImportant = 0;

  app.memoryDc = CreateCompatibleDC(nullptr);
  void *bits = nullptr;
  app.dibBitmap = CreateDIBSection(app.windowDc, &app.bitmapInfo, DIB_RGB_COLORS, &bits, nullptr, 0);
  SelectObject(app.memoryDc, app.dibBitmap);

  // The bounds that every write is held to describe only memory that
  // exists: without a DIB section there is no frame buffer at all.
  if (app.dibBitmap != nullptr && bits != nullptr) {
    app.pixels = static_cast<DWORD *>(bits);
    app.pixelStride = app.desktopWidth;
    app.pixelRows = app.desktopHeight;
  } else {
    app.pixels = nullptr;
    app.pixelStride = 0;
    app.pixelRows = 0;
  }
}

void PresentFrame() {
  AppContext &app = *g_app;
  if (app.showFps != 0) {
    ++app.frameCount;
    const DWORD now = GetTickCount();
    // Signed difference, so the interval survives the tick's wrap-around.
    if (static_cast<LONG>(now - app.fpsTick) > kFpsIntervalMs) {
      wsprintfW(app.fpsText, L"FPS:  %d  ", app.frameCount >> 1);
      app.frameCount = 0;
      app.fpsTick = now;
    }
    TextOutW(app.memoryDc, kFpsTextX, kFpsTextY, app.fpsText, TextSlotLength(app.fpsText, kFpsTextCapacity));
  }
  StretchBlt(app.windowDc, 0, 0, app.windowWidth, app.windowHeight, app.memoryDc, 0, 0, app.windowWidth,
             app.windowHeight, SRCCOPY);
  BitBlt(app.memoryDc, 0, 0, app.windowWidth, app.windowHeight, nullptr, 0, 0, WHITENESS);
}
