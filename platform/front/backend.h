// The seam between the portable front of the Win32 stand-in (windows,
// queues, device contexts, blits) and what actually shows a window: the SDL2
// backend for a real one, the headless backend for tests. The front owns all
// Win32 state; a backend only creates native windows, hands out pixels to
// draw into, reads the clock and feeds user input back through front.h.
#ifndef VELMORA_PLATFORM_BACKEND_H
#define VELMORA_PLATFORM_BACKEND_H

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdint>

namespace velmora::platform {

struct Window;

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
  // events into the front (input is posted, window-manager changes are
  // sent). Wait is called when GetMessageW found nothing; it returns when
  // something may have arrived.
  virtual void BeginPoll() = 0;
  virtual void Wait() = 0;

  // Native window lifetime. The window record has its handle, style, title
  // and outer rectangle filled in; the native window starts hidden.
  virtual bool CreateNativeWindow(Window &window) = 0;
  virtual void DestroyNativeWindow(Window &window) = 0;
  // Follows the record's visible/minimized state after the front changed it.
  virtual void UpdateNativeState(Window &window) = 0;

  // The client area's pixels for one drawing operation of a shown window
  // that is not minimised, or false when the backend has no surface for it.
  // Every successful BeginDraw is followed by one EndDraw with the part
  // that changed (client coordinates); frame says whether it was a
  // transfer from a frame buffer (counted as a presented frame).
  virtual bool BeginDraw(Window &window, Surface *surface) = 0;
  virtual void EndDraw(Window &window, const RECT &changed, bool frame) = 0;

  virtual int MessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) = 0;

  // What standard output becomes when the program binds it to the console
  // device and later closes it: with a display there is no console, so it
  // goes nowhere and is closed; without one the process keeps its own
  // (a test's output has to survive the program's teardown).
  virtual bool KeepsStandardOutput() const = 0;
};

// The backend chosen by VELMORA_BACKEND, made on first use so that static
// initializers of any translation unit can reach it.
Backend &ActiveBackend();

Backend *CreateHeadlessBackend();
Backend *CreateSdlBackend();
Backend *CreateWebBackend();

}  // namespace velmora::platform

#endif
