// The one application record and the shell's frame buffer: the state every
// subsystem reaches through g_app, and the three operations that keep its
// geometry current, make the frame buffer and present a frame.
#ifndef VELMORA_APP_APP_CONTEXT_H
#define VELMORA_APP_APP_CONTEXT_H

// Guarded: MinGW's C++ runtime defines NOMINMAX itself when a standard
// header comes first.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

struct AppContext {
  HWND hwnd;
  HDC windowDc;
  HINSTANCE instance;
  LPSTR commandLine;
  int showCommand;
  const WCHAR *title;
  int waitForMessages;
  UINT classStyle;
  DWORD exStyle;
  DWORD windowStyle;
  int running;
  int showFps;
  int frameCount;
  DWORD fpsTick;
  WCHAR fpsText[40];
  HWND desktopHwnd;
  RECT desktopRect;
  RECT windowRect;
  RECT clientRect;
  int desktopCenterX, desktopCenterY;
  int windowCenterX, windowCenterY;
  int halfClientWidth, halfClientHeight;
  POINT dcOrigin;
  int desktopWidth, desktopHeight;
  int windowWidth, windowHeight;
  int clientWidth, clientHeight;
  int reserved0, reserved1;
  int useConsole;
  HDC memoryDc;
  HBITMAP dibBitmap;
  BITMAPINFO bitmapInfo;
  DWORD *pixels;
  // Width and height of the frame buffer that exists (0 before it is
  // made). They change only when the frame buffer is made, so a later
  // change of the desktop's size never makes them lie about the memory
  // behind pixels; every write into the frame buffer is bounded by them.
  int pixelStride;
  int pixelRows;
};

extern AppContext *g_app;
extern DWORD g_lastStepTick;

// Static initializers, run before WinMain in this order.
void CreateAppContext();
void InitStepTick();

// Characters of a zero-terminated text drawn with TextOutW, counted up to its
// first zero but never past the slot that holds it (nor past 65535), so a
// slot without a terminator is not read beyond its end.
int TextSlotLength(const WCHAR *text, int slotSize);

void UpdateWindowGeometry();
void CreateFrameBuffer();
void PresentFrame();

#endif
