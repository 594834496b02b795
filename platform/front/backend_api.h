// What a backend may call in the front: reports of what the user and the
// window manager did, turned here into the messages Windows would deliver,
// and the few helpers every backend shares. Backends are built with this
// header and backend.h alone on their include path, so the window records
// and queues stay the front's own. Everything here runs on the thread that
// owns the windows; a handle that is dead by then is ignored.
#ifndef VELMORA_PLATFORM_BACKEND_API_H
#define VELMORA_PLATFORM_BACKEND_API_H

#include "backend.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace velmora::platform {

// User input, turned into the messages Windows would post to hwnd (which
// may be null: then only the key and button state changes). Mouse positions
// are client coordinates; outside the client area nothing is posted, as
// without capture. A key goes down with Alt held as WM_SYSKEYDOWN with bit
// 29 set (Alt+F4 among them, for DefWindowProcW to close the window).
constexpr UINT kVkLButton = 0x01, kVkRButton = 0x02, kVkMButton = 0x04;
void ReportKey(HWND hwnd, UINT virtualKey, bool down, bool repeat);
void ReportMouseButton(HWND hwnd, UINT buttonKey, bool down, int x, int y);
void ReportMouseMove(HWND hwnd, int x, int y);
void ReportWheel(HWND hwnd, int delta, int x, int y);

// Window-manager actions, answered synchronously with the messages Windows
// sends for them (WM_SIZING, WM_SIZE, WM_MOVE), except the close: that is
// WM_SYSCOMMAND with SC_CLOSE posted to the window, as a window manager's
// close reaches a Win32 window under Wine, and DefWindowProcW makes it
// WM_CLOSE. Positions and sizes are of the outer rectangle (the client
// area plus WindowView::frame).
void UserMoveWindow(HWND hwnd, int outerX, int outerY);
void UserResizeWindow(HWND hwnd, int outerWidth, int outerHeight);
void UserMinimize(HWND hwnd);
void UserRestore(HWND hwnd);
void UserClose(HWND hwnd);
void UserExpose(HWND hwnd);  // the client area needs repainting, with erase

// Finding windows for events.
// The visible top-level window that keyboard and mouse input go to.
HWND InputWindow();
// The first visible minimised top-level window: what a restore from outside
// the window (a task bar) brings back.
HWND MinimizedWindow();
// The view of a live window (also while it is being destroyed); false for a
// dead handle.
bool DescribeWindow(HWND hwnd, WindowView *view);

// Messages waiting in the thread's queue (posted and input; not WM_PAINT
// or WM_QUIT, which are flags).
size_t QueuedMessages();

// Ends the process with exit code 1, for a backend that finds its
// configuration wrong while it is being made (before any window exists),
// after it said why on standard error.
[[noreturn]] void ExitBeforeStart();

// What a backend may watch of the front, or make it refuse. The headless
// backend's test controls install these; a real backend leaves them unset,
// and then nothing is watched or refused.
struct Observers {
  bool (*refuse)(const char *call) = nullptr;      // "RegisterClassExW", "CreateDIBSection"
  void (*systemCall)(const char *call) = nullptr;  // the console calls, as made
  void (*message)(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = nullptr;  // into a procedure
};
Observers &FrontObservers();

// GetTickCount of a real backend from a monotonic clock in nanoseconds: the
// milliseconds of the last tick of a 64 Hz system timer, so that it moves
// in steps of 15 or 16 ms as Windows' does by default, and whatever reads
// it (the frame driver's 10 ms step among them) sees the same pace here.
DWORD SystemTimerTick(uint64_t monotonicNanoseconds);
// The same of the POSIX monotonic clock.
DWORD MonotonicSystemTick();

std::string ToUtf8(const wchar_t *text, size_t length);
std::string ToUtf8(const wchar_t *text);

}  // namespace velmora::platform

#endif
