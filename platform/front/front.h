// The portable front of the Win32 stand-in: the records behind window,
// device-context and bitmap handles, the per-thread message queue, and what
// the front's files share about them. Private to the front: backends see
// backend.h and backend_api.h only. Everything here runs on the thread that
// owns the windows.
#ifndef VELMORA_PLATFORM_FRONT_H
#define VELMORA_PLATFORM_FRONT_H

#include "backend_api.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace velmora::platform {

// Layouts of the records that some messages point to; the program never
// reads them, so windows.h does not declare them, but they are laid out as
// in the SDK for any procedure that does.
struct MinMaxInfo {
  POINT ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize;
};
struct CreateStruct {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy, cx, y, x;
  LONG style;
  LPCWSTR lpszName;
  LPCWSTR lpszClass;
  DWORD dwExStyle;
};
struct WindowPos {
  HWND hwnd;
  HWND hwndInsertAfter;
  int x, y, cx, cy;
  UINT flags;
};

constexpr UINT kSwpNoSize = 0x0001, kSwpNoMove = 0x0002, kSwpNoZOrder = 0x0004, kSwpNoActivate = 0x0010,
               kSwpShowWindow = 0x0040, kSwpHideWindow = 0x0080, kSwpNoClientSize = 0x0800, kSwpNoClientMove = 0x1000;
constexpr WPARAM kWaInactive = 0, kWaActive = 1;
constexpr int kShowNoActivate = 4, kShowMinNoActive = 7, kShowNa = 8, kShowDefault = 10, kShowForceMinimize = 11;

// Where Windows parks a minimised top-level window, and its iconic size.
constexpr int kIconicPosition = -32000;
constexpr int kIconicWidth = 160, kIconicHeight = 28;

// Fixed frame metrics (Wine's defaults): sizing frame 4, caption 19,
// dialog frame 3, thin border 1, menu bar 19, client edge 2.
constexpr int kFrameSize = 4, kCaptionHeight = 19, kDialogFrame = 3, kBorder = 1, kMenuHeight = 19, kClientEdge = 2;

struct WindowClass {
  ATOM atom;
  std::wstring name;
  UINT style;
  WNDPROC proc;
  HINSTANCE instance;
  HCURSOR cursor;
  HBRUSH background;
};

struct Queue;

struct Window {
  HWND handle = nullptr;
  const WindowClass *windowClass = nullptr;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::wstring title;
  RECT rect{};      // outer rectangle in screen coordinates, as it is now
  RECT restored{};  // outer rectangle to return to when minimised
  bool isDesktop = false;
  bool visible = false;
  bool minimized = false;
  bool needSize = true;  // WM_SIZE/WM_MOVE still owed from creation
  bool destroying = false;
  RECT update{};  // bounding box of the update region, client coordinates
  bool erasePending = false;
  RECT eraseRect{};  // what an erase in progress covers
  bool erasing = false;
  Queue *queue = nullptr;
  HDC paintDc = nullptr;   // the DC handed out with WM_ERASEBKGND
  void *native = nullptr;  // the backend's record, from CreateNativeWindow
};

struct Bitmap {
  HBITMAP handle = nullptr;
  int width = 0;
  int height = 0;
  bool topDown = true;
  bool stock = false;
  std::unique_ptr<uint32_t[]> storage;
  HDC selectedInto = nullptr;
};

struct DeviceContext {
  HDC handle = nullptr;
  bool memory = false;
  bool internal = false;  // owned by its window, not released by ReleaseDC
  HWND hwnd = nullptr;
  HBITMAP bitmap = nullptr;
};

// A growable ring of messages: pushing reuses its storage, so a queue that
// has reached its working size never allocates again.
class MessageRing {
 public:
  bool Empty() const { return count_ == 0; }
  size_t Size() const { return count_; }
  MSG &At(size_t i) { return buffer_[(head_ + i) % buffer_.size()]; }
  void Push(const MSG &msg);
  void Erase(size_t i);
  void EraseWindow(HWND hwnd);

 private:
  std::vector<MSG> buffer_;
  size_t head_ = 0;
  size_t count_ = 0;
};

struct Queue {
  MessageRing posted;  // PostMessage-style messages
  MessageRing input;   // keyboard and mouse
  bool quit = false;
  int quitCode = 0;
};

struct State {
  uintptr_t nextHandle = 0x10010;
  ATOM nextAtom = 0xC000;
  std::vector<std::unique_ptr<WindowClass>> classes;
  std::unordered_map<uintptr_t, std::unique_ptr<Window>> windows;
  std::vector<Window *> windowOrder;  // live windows in creation order
  std::unordered_map<uintptr_t, std::unique_ptr<DeviceContext>> dcs;
  std::unordered_map<uintptr_t, std::unique_ptr<Bitmap>> bitmaps;
  HWND desktop = nullptr;
  HWND active = nullptr;
  HWND focus = nullptr;
  HBITMAP stockBitmap = nullptr;
  POINT cursor{};
  uint8_t keys[256] = {};  // nonzero while a virtual key is down, as backends report
  bool consoleAllocated = false;
};

// Process-wide records, made on first use and never destroyed, so that
// static initializers and destructors anywhere may still call in.
State &GetState();
Queue &ThreadQueue();
uintptr_t NewHandleValue();

// A handle as the key of the record maps.
template <typename Handle>
uintptr_t HandleKey(Handle handle) {
  return reinterpret_cast<uintptr_t>(handle);
}

Window *FindWindowRecord(HWND hwnd);  // live (including while being destroyed)
DeviceContext *FindDc(HDC dc);
Bitmap *FindBitmap(HGDIOBJ object);

// Calls the window procedure, as SendMessage does on the owning thread.
LRESULT SendToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Queues a message for the window's procedure, as PostMessage does.
void PostToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Geometry.
RECT FrameInsets(DWORD style, DWORD exStyle, bool menu);
RECT ClientScreenRect(const Window &window);  // empty at the origin when minimised
int ClientWidth(const Window &window);
int ClientHeight(const Window &window);

// Update region.
void InvalidateClient(Window &window, const RECT &rect, bool erase);
void ValidateClient(Window &window);
RECT WholeClient(const Window &window);
// Sends WM_ERASEBKGND with the window's paint DC, for DefWindowProcW's fill
// of the given region.
void SendErase(HWND hwnd, const RECT &region);

// Classes, by name (compared without case) or by atom (a "name" up to 0xFFFF).
const WindowClass *FindClass(LPCWSTR name);

// System colours by index, as a 0x00RRGGBB word.
bool SystemColour(int index, uint32_t *colour);

// The observers of backend_api.h as the front's calls consult them.
inline bool Refused(const char *call) { return FrontObservers().refuse != nullptr && FrontObservers().refuse(call); }
inline void ObserveCall(const char *call) {
  if (FrontObservers().systemCall != nullptr) FrontObservers().systemCall(call);
}

// Input as input.cpp turns a backend's report into it: queued for hwnd's
// thread, with the cursor position the message carries.
void PostInputMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void SetCursorScreenPos(POINT pt);
constexpr UINT kVkF10 = 0x79;

// What the backend is told about a window.
WindowView BackendView(const Window &window);

// Pixels behind a device context: rows top-down, rowStep words apart
// (negative for a bottom-up DIB).
struct PixelView {
  uint32_t *base = nullptr;
  ptrdiff_t rowStep = 0;
  int width = 0;
  int height = 0;
  uint32_t *Row(int y) const { return base + y * rowStep; }
};
// Runs draw on the pixels of a memory DC's bitmap or of a window DC's
// client area; draw returns the rectangle it changed. False for a bad DC;
// true without drawing when nothing of the window can be seen. frame marks
// a transfer that counts as a presented frame.
using DrawFunction = RECT (*)(const PixelView &view, void *context);
bool DrawOnDc(HDC dc, bool frame, DrawFunction draw, void *context);
PixelView ViewOf(const Bitmap &bitmap);

// A new DC from GetDC for a window.
HDC NewWindowDcFor(HWND hwnd);

// Drawing onto a window's client area through the backend.
void FillWindow(Window &window, const RECT &rect, uint32_t colour);

}  // namespace velmora::platform

#endif
