// Test-side control of the platform layer's headless backend: a virtual
// clock, a scripted source of user input, the images that reached the window
// and a record of the calls that reached the platform. The backend is used
// when the environment says VELMORA_BACKEND=headless (the test helper sets
// it); these functions have no effect on the SDL2 backend.
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
// only when told to, or by tickPerPoll at every PeekMessageW/GetMessageW.
constexpr DWORD kStartTick = 1000;
void SetTick(DWORD ms);
void AdvanceTick(DWORD ms);
void SetTickPerPoll(DWORD ms);

// The desktop (1280 by 1024 unless set). Changing it later changes what
// GetWindowRect of the desktop window reports, nothing else.
void SetDesktopSize(int width, int height);

// User input for the visible top-level window, queued as the system would
// post it. Mouse positions are client coordinates; a mouse event outside the
// client area produces no message, as on Windows without capture.
void KeyDown(UINT virtualKey, bool repeat = false);
void KeyUp(UINT virtualKey);
void MouseMove(int x, int y);
void LeftButton(bool down, int x, int y);
void Wheel(int delta, int x, int y);
void CloseButton();  // the title bar's close button: WM_CLOSE
void Expose();       // the client area needs repainting, with erase

// Window-manager actions on the top-level window, answered synchronously with
// WM_SIZING (size changes only), WM_SIZE and WM_MOVE as on Windows.
void MoveWindowTo(int x, int y);
void ResizeWindow(int outerWidth, int outerHeight);
void Minimize();
void Restore();

// Called at the start of every PeekMessageW and GetMessageW, with a count of
// the calls so far: the place for a test to script a run of the real loop.
void SetPollHook(std::function<void(uint64_t poll)> hook);

// What the window shows: its client area as the last transfer left it.
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

// Every message that reached a window procedure, sent or dispatched.
struct TracedMessage {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
const std::vector<TracedMessage> &MessageTrace();
void ClearMessageTrace();

// Failure injection: the next call of that kind fails as the real one can.
void FailNextRegisterClass();
void FailNextCreateWindow();
void FailNextCreateDIBSection();

}  // namespace velmora::headless

#endif
