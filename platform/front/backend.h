// The seam between the portable front of the Win32 stand-in (windows,
// queues, device contexts, blits) and what actually shows a window: the SDL2
// backend for a real one, the web backend for a page's canvas, the headless
// backend for tests. The front owns all Win32 state and calls a backend
// through this table; a backend sees a window only as the WindowView below
// and reports what the user did through backend_api.h.
#ifndef VELMORA_PLATFORM_BACKEND_H
#define VELMORA_PLATFORM_BACKEND_H

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdint>

namespace velmora::platform {

// A window as a backend sees it, filled in by the front for each call.
struct WindowView {
  HWND handle = nullptr;
  const wchar_t *title = L"";  // valid for the call
  RECT client{};               // the client area in screen coordinates; empty while minimised
  RECT frame{};                // the frame's thickness on each side, minimised or not
  bool visible = false;
  bool minimized = false;
  void *native = nullptr;  // what CreateNativeWindow returned for it

  int ClientWidth() const { return client.right - client.left; }
  int ClientHeight() const { return client.bottom - client.top; }
};

// Pixels of a window's client area that the front may write for one
// drawing operation: top-down rows, 0x00RRGGBB words.
struct Surface {
  uint32_t *pixels = nullptr;
  int stride = 0;  // words from one row to the next
  int width = 0;
  int height = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;

  virtual DWORD Tick() = 0;
  virtual RECT DesktopRect() = 0;

  // Start of every PeekMessageW/GetMessageW round: bring pending system
  // events into the front through backend_api.h. Wait is called when
  // GetMessageW found nothing; it returns when something may have arrived.
  virtual void BeginPoll() = 0;
  virtual void Wait() = 0;

  // Native window lifetime. The native window starts hidden; the result is
  // the backend's own record for it (handed back as WindowView::native),
  // or null when no window can be made, which fails CreateWindowExW.
  virtual void *CreateNativeWindow(const WindowView &window) = 0;
  virtual void DestroyNativeWindow(const WindowView &window) = 0;
  // Follows the window's visible/minimised state after the front changed it.
  virtual void UpdateNativeState(const WindowView &window) = 0;

  // The client area's pixels for one drawing operation of a shown window
  // that is not minimised, or false when the backend has no surface for it.
  // Every successful BeginDraw is followed by one EndDraw with the part
  // that changed (client coordinates); frame says whether it was a
  // transfer from a frame buffer (counted as a presented frame).
  virtual bool BeginDraw(const WindowView &window, Surface *surface) = 0;
  virtual void EndDraw(const WindowView &window, const RECT &changed, bool frame) = 0;

  // MessageBoxW's box: owner is the owner's view, or null.
  virtual int ShowMessageBox(const WindowView *owner, LPCWSTR text, LPCWSTR caption, UINT type) = 0;

  // What standard output becomes when the program binds it to the console
  // device and later closes it: with a display there is no console, so it
  // goes nowhere and is closed; without one the process keeps its own
  // (a test's output has to survive the program's teardown).
  virtual bool KeepsStandardOutput() const = 0;
};

// The backend chosen by VELMORA_BACKEND (backend_table.cpp), made on first
// use so that static initializers of any translation unit can reach it.
Backend &ActiveBackend();

// Each backend's constructor, for the table.
Backend *CreateHeadlessBackend();
Backend *CreateSdlBackend();
Backend *CreateWebBackend();
Backend *CreateNoDisplayBackend();

}  // namespace velmora::platform

#endif
