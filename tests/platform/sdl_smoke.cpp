// A check of the SDL2 backend on a display: `xvfb-run -a
// platform_sdl_smoke [frames]` opens the program's window, shows it,
// presents frames as fast as it can and reports the rate; the exit code is
// 0 when every step worked. With --log it runs until Escape or closing,
// printing the input and window messages it gets and filling the client
// area of the size WM_SIZE gave, for sdl_check.sh, which drives the display
// with xdotool and wmctrl as part of the test suite; --log --still draws
// that picture once and then only waits for messages, as a program that
// leaves its window's pixels to the system does.
// Under the sanitizers run it with ASAN_OPTIONS=detect_leaks=0: libdbus,
// which SDL loads, keeps a buffer until the process ends.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

int g_sizes = 0;
int g_moves = 0;
bool g_log = false;
bool g_still = false;
// The client area as the last WM_SIZE gave it, which --log fills.
int g_clientWidth = 0;
int g_clientHeight = 0;

// With --log, input and window-manager messages are printed, so that a
// script driving the display (xdotool) can check what arrived.
void Log(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      std::printf("keydown %#x repeat %d\n", static_cast<unsigned>(wParam), (lParam >> 30) & 1 ? 1 : 0);
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP: std::printf("keyup %#x\n", static_cast<unsigned>(wParam)); break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      std::printf("%s %d %d flags %#x\n",
                  message == WM_MOUSEMOVE     ? "move"
                  : message == WM_LBUTTONDOWN ? "ldown"
                                              : "lup",
                  LOWORD(lParam), HIWORD(lParam), static_cast<unsigned>(wParam));
      break;
    case WM_MOUSEWHEEL:
      std::printf("wheel %d at %d %d\n", GET_WHEEL_DELTA_WPARAM(wParam), static_cast<short>(LOWORD(lParam)),
                  static_cast<short>(HIWORD(lParam)));
      break;
    case WM_SIZE: std::printf("size %u %d %d\n", static_cast<unsigned>(wParam), LOWORD(lParam), HIWORD(lParam)); break;
    case WM_MOVE:
      std::printf("wmmove %d %d\n", static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      break;
    case WM_SYSCOMMAND: std::printf("syscommand %#x\n", static_cast<unsigned>(wParam)); break;
    case WM_CLOSE: std::printf("close\n"); break;
    default: return;
  }
  std::fflush(stdout);
}

LRESULT CALLBACK SmokeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE) {
    ++g_sizes;
    if (wParam != SIZE_MINIMIZED) {
      g_clientWidth = LOWORD(lParam);
      g_clientHeight = HIWORD(lParam);
    }
  }
  if (message == WM_MOVE) ++g_moves;
  if (g_log) Log(message, wParam, lParam);
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) PostQuitMessage(3);
  if (message == WM_DESTROY) PostQuitMessage(0);
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

int Fail(const char *what) {
  std::fprintf(stderr, "sdl smoke: %s failed\n", what);
  return 1;
}

}  // namespace

int main(int argc, char **argv) {
  g_log = argc > 1 && std::strcmp(argv[1], "--log") == 0;
  g_still = g_log && argc > 2 && std::strcmp(argv[2], "--still") == 0;
  const int frames = g_log ? 0x7FFFFFFF : argc > 1 ? std::atoi(argv[1]) : 500;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = SmokeProc;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE);
  wc.lpszClassName = L"MyClass";
  if (RegisterClassExW(&wc) == 0) return Fail("RegisterClassExW");
  HWND hwnd = CreateWindowExW(WS_EX_APPWINDOW, L"MyClass", L"VELMORA smoke", WS_OVERLAPPEDWINDOW, 50, 50, 800, 700,
                              nullptr, nullptr, nullptr, nullptr);
  if (hwnd == nullptr) return Fail("CreateWindowExW");
  HWND desktop = GetDesktopWindow();
  RECT desktopRect{};
  if (!GetWindowRect(desktop, &desktopRect)) return Fail("GetWindowRect of the desktop");
  HDC windowDc = GetDC(hwnd);
  ShowWindow(hwnd, SW_SHOW);
  if (g_sizes != 1 || g_moves != 1) return Fail("WM_SIZE and WM_MOVE of the first show");

  const int width = desktopRect.right - desktopRect.left, height = desktopRect.bottom - desktopRect.top;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HDC memory = CreateCompatibleDC(nullptr);
  void *bits = nullptr;
  HBITMAP dib = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib == nullptr) return Fail("CreateDIBSection");
  SelectObject(memory, dib);
  auto *pixels = static_cast<DWORD *>(bits);

  const DWORD start = GetTickCount();
  MSG msg;
  for (int frame = 0; frame < frames; ++frame) {
    if (g_still && frame > 0) {
      if (!GetMessageW(&msg, nullptr, 0, 0)) {
        std::printf("quit %d\n", static_cast<int>(msg.wParam));
        return 0;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      continue;
    }
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        std::printf("quit %d\n", static_cast<int>(msg.wParam));
        return 0;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (g_log) {
      // The whole client area the program was told of, with no black pixel,
      // so that a row left black shows a size that did not arrive.
      const int w = std::min(g_clientWidth, width), h = std::min(g_clientHeight, height);
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          pixels[y * width + x] = static_cast<DWORD>((x & 0xFF) << 16 | (y & 0xFF) << 8 | 0x40);
        }
      }
      if (!BitBlt(windowDc, 0, 0, w, h, memory, 0, 0, SRCCOPY)) return Fail("BitBlt");
      continue;
    }
    for (int y = 0; y < 673 && y < height; ++y) {
      for (int x = 0; x < 792 && x < width; ++x) {
        pixels[y * width + x] = static_cast<DWORD>(((x + frame) & 0xFF) << 16 | (y & 0xFF) << 8);
      }
    }
    if (!StretchBlt(windowDc, 0, 0, 800, 700, memory, 0, 0, 800, 700, SRCCOPY)) return Fail("StretchBlt");
  }
  const DWORD elapsed = GetTickCount() - start;
  RECT client{};
  if (!GetClientRect(hwnd, &client)) return Fail("GetClientRect");
  std::printf("sdl smoke: desktop %dx%d, client %ldx%ld, %d frames in %lu ms\n", width, height,
              static_cast<long>(client.right), static_cast<long>(client.bottom), frames,
              static_cast<unsigned long>(elapsed));
  ReleaseDC(hwnd, windowDc);
  if (!DestroyWindow(hwnd)) return Fail("DestroyWindow");
  return 0;
}
