// The web backend, for the program compiled to WebAssembly: the window is
// the page's <canvas id="velmora">, sized to the client area; presenting a
// frame puts the window's changed pixels on the canvas (present.cpp) and
// then waits for the next animation frame, the one place where the blocking
// Win32 loop gives the browser its turn (ASYNCIFY). The page's input
// (page_input.js: the keyboard and the key buttons, a left-button drag and
// the wheel, touch and pen) comes as queued events that become the
// messages the other backends post. What it does not do: move, resize or
// minimise the window (the page has no window manager), or show more than
// one window.
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/front/backend_api.h"
#include "present.h"

namespace velmora::platform {
namespace {

// Events the page queues for the next poll: type, then three numbers.
enum WebEvent : int { kKeyDown = 1, kKeyUp = 2, kMove = 3, kButtonDown = 4, kButtonUp = 5, kWheel = 6 };

// clang-format off
EM_JS(void, WebAttach, (int width, int height), {
  const canvas = (typeof document !== 'undefined') ? document.getElementById('velmora') : null;
  Module.velmoraEvents = Module.velmoraEvents || [];
  if (!canvas) return;
  canvas.width = width;
  canvas.height = height;
  Module.velmoraCanvas = canvas;
  Module.velmoraContext = canvas.getContext('2d');
  if (Module.velmoraListening) return;  // a new size, the same listeners
  Module.velmoraListening = true;
  Module.velmoraListen(canvas);  // page_input.js
});

EM_JS(int, WebTakeEvent, (int *out), {
  const queue = Module.velmoraEvents;
  if (!queue || queue.length === 0) return 0;
  const e = queue.shift();
  for (let i = 0; i < 4; ++i) HEAP32[(out >> 2) + i] = e[i];
  return 1;
});

// The program's one yield: the next animation frame in a page, a timer
// turn elsewhere (an asynchronous import, ASYNCIFY_IMPORTS). The program
// ends with exit() inside a resumption, which the runtime unwinds by
// throwing its ExitStatus; that is the normal end, caught here as the
// runtime's own callbacks catch it. Left to escape it would be an error in
// the page.
EM_JS(void, WebNextFrame, (), {
  Asyncify.handleSleep((wakeUp) => {
    const resume = () => {
      Module.velmoraResumed = performance.now();
      try {
        wakeUp();
      } catch (e) {
        if (!(e instanceof ExitStatus) && e !== 'unwind') throw e;
      }
    };
    if (typeof requestAnimationFrame === 'function') requestAnimationFrame(resume); else setTimeout(resume, 0);
  });
});

EM_JS(int, WebScreenWidth, (), { return (typeof screen !== 'undefined' && screen.width) ? screen.width : 1280; });
EM_JS(int, WebScreenHeight, (), { return (typeof screen !== 'undefined' && screen.height) ? screen.height : 1024; });

EM_JS(void, WebMessageBox, (const char *caption, const char *text), {
  const message = UTF8ToString(caption) + ': ' + UTF8ToString(text);
  if (typeof alert === 'function') alert(message); else console.error(message);
});
// clang-format on

struct WebWindow {
  std::vector<uint32_t> pixels;
  CanvasImage canvas;
  int clientWidth = 0;  // the client area's size, for the desktop's
  int clientHeight = 0;
};

class WebBackend final : public Backend {
 public:
  DWORD Tick() override {
    // The page's monotonic clock in milliseconds, at the 64 Hz steps of the
    // other real backends.
    return SystemTimerTick(static_cast<uint64_t>(emscripten_get_now() * 1e6));
  }

  // A page's screen is not the desktop its window lives on: a phone's is
  // narrower than the client area, and a desktop-sized frame buffer taken
  // from it would leave the rest of the client area unpainted. So the
  // desktop is never smaller than any window's client area.
  RECT DesktopRect() override {
    int width = WebScreenWidth(), height = WebScreenHeight();
    for (const WebWindow *window : windows_) {
      width = std::max(width, window->clientWidth);
      height = std::max(height, window->clientHeight);
    }
    return RECT{0, 0, width, height};
  }

  void BeginPoll() override {
    int e[4];
    while (WebTakeEvent(e)) {
      const HWND hwnd = InputWindow();
      switch (e[0]) {
        case kKeyDown: ReportKey(hwnd, static_cast<UINT>(e[1]), true, e[2] != 0); break;
        case kKeyUp: ReportKey(hwnd, static_cast<UINT>(e[1]), false, false); break;
        case kMove: ReportMouseMove(hwnd, e[1], e[2]); break;
        case kButtonDown: ReportMouseButton(hwnd, kVkLButton, true, e[1], e[2]); break;
        case kButtonUp: ReportMouseButton(hwnd, kVkLButton, false, e[1], e[2]); break;
        case kWheel: ReportWheel(hwnd, e[1], e[2], e[3]); break;
        default: break;
      }
    }
  }

  void Wait() override { WebNextFrame(); }

  void *CreateNativeWindow(const WindowView &view) override {
    auto *native = new WebWindow;
    native->clientWidth = view.ClientWidth();
    native->clientHeight = view.ClientHeight();
    windows_.push_back(native);
    return native;
  }

  void DestroyNativeWindow(const WindowView &window) override {
    auto *native = static_cast<WebWindow *>(window.native);
    windows_.erase(std::remove(windows_.begin(), windows_.end(), native), windows_.end());
    delete native;
  }

  void UpdateNativeState(const WindowView &window) override {
    auto *native = static_cast<WebWindow *>(window.native);
    if (native == nullptr || window.ClientWidth() <= 0 || window.ClientHeight() <= 0) return;
    native->clientWidth = window.ClientWidth();
    native->clientHeight = window.ClientHeight();
  }

  bool BeginDraw(const WindowView &window, Surface *surface) override {
    auto *native = static_cast<WebWindow *>(window.native);
    if (native == nullptr) return false;
    const int width = window.ClientWidth(), height = window.ClientHeight();
    if (width <= 0 || height <= 0) return false;
    native->clientWidth = width;
    native->clientHeight = height;
    if (native->canvas.width != width || native->canvas.height != height) {  // 0 by 0 until attached
      native->pixels.assign(static_cast<size_t>(width) * height, 0);
      ResizeCanvasImage(native->canvas, width, height);
      WebAttach(width, height);
    }
    surface->pixels = native->pixels.data();
    surface->stride = width;
    surface->width = width;
    surface->height = height;
    return true;
  }

  void EndDraw(const WindowView &window, const RECT &changed, bool frame) override {
    auto *native = static_cast<WebWindow *>(window.native);
    PresentOnCanvas(native->canvas, native->pixels.data(), changed.left, changed.top, changed.right, changed.bottom,
                    frame);
    if (frame) WebNextFrame();
  }

  int ShowMessageBox(const WindowView *, LPCWSTR text, LPCWSTR caption, UINT) override {
    WebMessageBox(ToUtf8(caption).c_str(), ToUtf8(text).c_str());
    return IDOK;
  }

  bool KeepsStandardOutput() const override { return false; }

 private:
  std::vector<WebWindow *> windows_;
};

}  // namespace

Backend *CreateWebBackend() { return new WebBackend; }

}  // namespace velmora::platform
