// Test-side control of the platform layer's headless backend: a virtual
// clock, a scripted source of user input, the images that reached the window
// and a record of the calls that reached the platform. The backend is used
// when the environment says VELMORA_BACKEND=headless (the test helper sets
// it); these functions have no effect on any other backend.
#ifndef VELMORA_PLATFORM_HEADLESS_H
#define VELMORA_PLATFORM_HEADLESS_H

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velmora::headless {

bool IsActive();

// The virtual clock that GetTickCount reads. It starts at kStartTick and moves
// only when told to, or by tickPerPoll at every PeekMessageW/GetMessageW
// (before the poll hook runs, so the hook sees the advanced tick).
constexpr DWORD kStartTick = 1000;
void SetTick(DWORD ms);
void AdvanceTick(DWORD ms);
void SetTickPerPoll(DWORD ms);

// The desktop (1280 by 1024 unless set). Changing it later changes what
// GetWindowRect of the desktop window reports, nothing else.
void SetDesktopSize(int width, int height);

// User input for the visible top-level window, queued as the system would
// post it. Mouse positions are client coordinates; a mouse event outside the
// client area produces no message, as on Windows without capture (the
// button state still changes). A key-down of a key that is already down has
// bit 30 of lParam set, as has one with repeat.
void KeyDown(UINT virtualKey, bool repeat = false);
void KeyUp(UINT virtualKey);
void MouseMove(int x, int y);
void LeftButton(bool down, int x, int y);
void Wheel(int delta, int x, int y);
// The title bar's close button: WM_SYSCOMMAND with SC_CLOSE, posted, which
// DefWindowProcW turns into WM_CLOSE.
void CloseButton();
void Expose();  // the client area needs repainting, with erase
// Messages waiting in the queue (posted and input; not WM_PAINT or
// WM_QUIT, which are flags): the loop takes one per turn, so a script that
// needs its next input handled at once waits for this to be 0.
size_t QueuedMessages();

// Window-manager actions on the top-level window, answered synchronously with
// WM_SIZING (size changes only), WM_SIZE and WM_MOVE as on Windows: WM_MOVE
// only when the client area's position changes, WM_SIZE only when its size
// or state changes. A minimised window is parked at (-32000, -32000) with a
// 0 by 0 client area (WM_MOVE, then WM_SIZE with SIZE_MINIMIZED).
void MoveWindowTo(int x, int y);
void ResizeWindow(int outerWidth, int outerHeight);
void Minimize();
void Restore();

// Called at the start of every PeekMessageW and GetMessageW, with a count of
// the calls so far, this one included (1 for the first): the place for a test
// to script a run of the real loop. A GetMessageW that finds nothing polls
// again, calling the hook once per round; with no hook set it ends the
// process instead of waiting for ever. The hook may replace itself.
void SetPollHook(std::function<void(uint64_t poll)> hook);

// What the window shows: its client area as the last transfer left it
// (sized to the client area at that transfer, kept after the window is
// destroyed). Transfers are StretchBlt and BitBlt onto a window DC while
// the window is visible and not minimised; PresentCount counts them and the
// hook sees each. The default erase and TextOutW on a window DC change the
// image without counting as a transfer.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // row-major, width * height words 0x00RRGGBB
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
const Image &LastPresented();
uint64_t PresentCount();
void SetPresentHook(std::function<void(const Image &)> hook);

// Calls that reached the platform, in order.
struct MessageBoxCall {
  std::wstring text;
  std::wstring caption;
  UINT type;
};
const std::vector<MessageBoxCall> &MessageBoxes();
// "AllocConsole", "SetConsoleTitleW VELMORA", "freopen CONOUT$ wb",
// "fclose stdout", "FreeConsole".
const std::vector<std::string> &ConsoleCalls();

// Every message that reached a window procedure, sent or dispatched, in
// order. Recording is on from the start and stops at kMessageTraceLimit
// entries; a test that counts allocations while messages flow may turn it
// off (a loop with nothing to deliver records nothing).
struct TracedMessage {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
constexpr size_t kMessageTraceLimit = size_t{1} << 18;
const std::vector<TracedMessage> &MessageTrace();
void ClearMessageTrace();
void SetMessageTraceEnabled(bool enabled);

// Failure injection: the next call of that kind fails as the real one can.
void FailNextRegisterClass();
void FailNextCreateWindow();
void FailNextCreateDIBSection();

}  // namespace velmora::headless

#endif
