// The program's entry point and its life: window class, window, console,
// frame buffer and scene, the main loop that draws a frame on every turn,
// and the teardown.
#include "app/shell/shell.h"

#include <cstdio>

#include "scene/frame.h"
#include "scene/points.h"

namespace {

const WCHAR kClassName[] = L"MyClass";
// A system colour value where a brush handle would go; the window procedure
// takes every erase itself, so the class never paints with it.
constexpr UINT_PTR kClassBackground = 15;
// What RunApplication returns when it ends without a WM_QUIT to take the
// code from: start-up failed or the frame driver asked to stop.
constexpr int kFailureExitCode = 1;

void CloseConsoleAndDc(AppContext &app) {
  if (app.useConsole != 0) {
    fclose(stdout);
    FreeConsole();
  }
  ReleaseDC(app.hwnd, app.windowDc);
  app.windowDc = nullptr;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR commandLine, int showCommand) {
  g_app->instance = instance;
  g_app->commandLine = commandLine;
  g_app->showCommand = showCommand;
  g_app->hwnd = nullptr;
  return RunApplication();
}

bool StartApplication() {
  AppContext &app = *g_app;

  WNDCLASSEXW windowClass;
  windowClass.cbSize = sizeof(WNDCLASSEXW);
  windowClass.style = app.classStyle;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = app.instance;
  windowClass.hIcon = nullptr;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(kClassBackground);
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = kClassName;
  windowClass.hIconSm = nullptr;
  if (RegisterClassExW(&windowClass) == 0) {
    MessageBoxW(nullptr, L"Register class failed", L"RC FAILED", MB_OK);
    return false;
  }

  // The outer rectangle the styles would need around the default client
  // area. The window is sized from windowRect instead; this is kept only
  // as the place to switch to client-based sizing.
  RECT adjusted = app.clientRect;
  AdjustWindowRectEx(&adjusted, app.windowStyle, FALSE, app.exStyle);

  // Before the window exists windowRect holds x, y, width and height.
  app.hwnd =
      CreateWindowExW(app.exStyle, kClassName, app.title, app.windowStyle, app.windowRect.left, app.windowRect.top,
                      app.windowRect.right, app.windowRect.bottom, nullptr, nullptr, app.instance, nullptr);
  if (app.hwnd == nullptr) {
    MessageBoxW(nullptr, L"Create window failed", L"CW FAILED", MB_OK);
    return false;
  }

  app.desktopHwnd = GetDesktopWindow();
  app.windowDc = GetDC(app.hwnd);

  if (app.useConsole != 0) {
    AllocConsole();
    SetConsoleTitleW(app.title);
    // Nothing is written to the console; the reopen only binds stdout to it.
    FILE *console = freopen("CONOUT$", "wb", stdout);
    (void)console;
  }

  // The size and move messages of the first show fill the geometry that
  // CreateFrameBuffer sizes the frame buffer from.
  ShowWindow(app.hwnd, SW_SHOW);
  CreateFrameBuffer();
  if (app.dibBitmap == nullptr || app.pixels == nullptr) {
    MessageBoxW(nullptr, L"Create frame buffer failed", L"FB FAILED", MB_OK);
    CloseConsoleAndDc(app);
    return false;
  }
  return true;
}

int RunApplication() {
  AppContext &app = *g_app;
  if (!StartApplication()) return kFailureExitCode;

  int exitCode = kFailureExitCode;
  if (InitScene() == 0) {
    app.running = 1;
    MSG msg = {};
    for (;;) {
      bool taken;
      bool quit;
      if (app.waitForMessages != 0) {
        const BOOL result = GetMessageW(&msg, nullptr, 0, 0);
        quit = result == 0;  // GetMessageW's way of saying it took WM_QUIT
        taken = result != 0 && result != -1;
      } else {
        taken = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != 0;
        quit = taken && msg.message == WM_QUIT;
      }
      if (quit) {
        exitCode = static_cast<int>(msg.wParam);
        break;
      }
      if (taken) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      if (UpdateFrame() != 0) {
        break;
      }
    }
  }

  CloseConsoleAndDc(app);
  return exitCode;
}
