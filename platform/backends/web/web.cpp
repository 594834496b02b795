// The web backend, for the program compiled to WebAssembly: the window is
// the page's <canvas id="velmora">, sized to the client area; presenting a
// frame copies the window's pixels into the canvas (0x00RRGGBB to RGBA) and
// then waits for the next animation frame, the one place where the blocking
// Win32 loop gives the browser its turn (ASYNCIFY). The keyboard (the keys
// the program reads, as virtual-key codes), a left-button drag on the
// canvas and the wheel become the messages the other backends post. There
// is no pointer capture, as on Windows without SetCapture: a release
// outside the canvas is not seen. What it does not do: move, resize or
// minimise the window (the page has no window manager), or show more than
// one window.
#include <emscripten.h>

#include <cstdint>
#include <vector>

#include "platform/front/backend_api.h"

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
  Module.velmoraImage = Module.velmoraContext.createImageData(width, height);
  if (Module.velmoraListening) return;  // a new size, the same listeners
  Module.velmoraListening = true;
  const push = (type, a, b, c) => Module.velmoraEvents.push([type, a, b, c]);
  // Virtual-key codes: letters and main-keyboard digits are their upper-case
  // ASCII codes, the keypad's digits 0x60 up, Escape and the arrows their own.
  const virtualKey = (e) => {
    const named = {Escape: 0x1B, ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
                   Space: 0x20, Enter: 0x0D, Backspace: 0x08, Tab: 0x09,
                   ShiftLeft: 0x10, ShiftRight: 0x10, ControlLeft: 0x11, ControlRight: 0x11};
    if (e.code in named) return named[e.code];
    let m = /^Key([A-Z])$/.exec(e.code);
    if (m) return m[1].charCodeAt(0);
    m = /^Digit([0-9])$/.exec(e.code);
    if (m) return 0x30 + Number(m[1]);
    m = /^Numpad([0-9])$/.exec(e.code);
    if (m) return 0x60 + Number(m[1]);
    return 0;
  };
  window.addEventListener('keydown', (e) => {
    const vk = virtualKey(e);
    if (!vk) return;
    push(1, vk, e.repeat ? 1 : 0, 0);
    e.preventDefault();
  });
  window.addEventListener('keyup', (e) => {
    const vk = virtualKey(e);
    if (vk) push(2, vk, 0, 0);
  });
  const at = (e) => {
    const r = canvas.getBoundingClientRect();
    return [Math.floor((e.clientX - r.left) * canvas.width / r.width),
            Math.floor((e.clientY - r.top) * canvas.height / r.height)];
  };
  canvas.addEventListener('mousemove', (e) => { const p = at(e); push(3, p[0], p[1], 0); });
  canvas.addEventListener('mousedown', (e) => { if (e.button === 0) { const p = at(e); push(4, p[0], p[1], 0); } });
  canvas.addEventListener('mouseup', (e) => { if (e.button === 0) { const p = at(e); push(5, p[0], p[1], 0); } });
  canvas.addEventListener('wheel', (e) => {
    e.preventDefault();  // the page itself does not scroll
    const p = at(e);
    // Away from the user is a positive WHEEL_DELTA, as on Windows.
    if (e.deltaY !== 0) push(6, e.deltaY < 0 ? 120 : -120, p[0], p[1]);
  }, {passive: false});
});

EM_JS(int, WebTakeEvent, (int *out), {
  const queue = Module.velmoraEvents;
  if (!queue || queue.length === 0) return 0;
  const e = queue.shift();
  for (let i = 0; i < 4; ++i) HEAP32[(out >> 2) + i] = e[i];
  return 1;
});

EM_JS(void, WebPresent, (const uint32_t *pixels, int width, int height), {
  // The frame's work: from the loop's last resumption to this copy.
  if (Module.velmoraResumed !== undefined) {
    Module.velmoraWorkMs = (Module.velmoraWorkMs || 0) + (performance.now() - Module.velmoraResumed);
    Module.velmoraWorkFrames = (Module.velmoraWorkFrames || 0) + 1;
  }
  const image = Module.velmoraImage;
  if (!image || image.width !== width || image.height !== height) return;
  const rgba = image.data;
  const first = pixels >> 2, count = width * height;
  for (let i = 0, to = 0; i < count; ++i, to += 4) {
    const p = HEAPU32[first + i];
    rgba[to] = (p >> 16) & 255;
    rgba[to + 1] = (p >> 8) & 255;
    rgba[to + 2] = p & 255;
    rgba[to + 3] = 255;
  }
  Module.velmoraContext.putImageData(image, 0, 0);
  Module.velmoraFrames = (Module.velmoraFrames || 0) + 1;
});

// The program's one yield: the next animation frame in a page, a timer
// turn elsewhere.
EM_ASYNC_JS(void, WebNextFrame, (), {
  await new Promise((resolve) =>
    (typeof requestAnimationFrame === 'function') ? requestAnimationFrame(() => resolve()) : setTimeout(resolve, 0));
  Module.velmoraResumed = performance.now();
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
  int width = 0;  // 0 until the canvas is attached
  int height = 0;
};

class WebBackend final : public Backend {
 public:
  DWORD Tick() override {
    // The page's monotonic clock in milliseconds, at the 64 Hz steps of the
    // other real backends.
    return SystemTimerTick(static_cast<uint64_t>(emscripten_get_now() * 1e6));
  }

  RECT DesktopRect() override { return RECT{0, 0, WebScreenWidth(), WebScreenHeight()}; }

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

  void *CreateNativeWindow(const WindowView &) override { return new WebWindow; }

  void DestroyNativeWindow(const WindowView &window) override { delete static_cast<WebWindow *>(window.native); }

  void UpdateNativeState(const WindowView &) override {}

  bool BeginDraw(const WindowView &window, Surface *surface) override {
    auto *native = static_cast<WebWindow *>(window.native);
    if (native == nullptr) return false;
    const int width = window.ClientWidth(), height = window.ClientHeight();
    if (width <= 0 || height <= 0) return false;
    if (native->width != width || native->height != height) {
      native->pixels.assign(static_cast<size_t>(width) * height, 0);
      native->width = width;
      native->height = height;
      WebAttach(width, height);
    }
    surface->pixels = native->pixels.data();
    surface->stride = native->width;
    surface->width = native->width;
    surface->height = native->height;
    return true;
  }

  void EndDraw(const WindowView &window, const RECT &, bool frame) override {
    auto *native = static_cast<WebWindow *>(window.native);
    WebPresent(native->pixels.data(), native->width, native->height);
    if (frame) WebNextFrame();
  }

  int ShowMessageBox(const WindowView *, LPCWSTR text, LPCWSTR caption, UINT) override {
    WebMessageBox(ToUtf8(caption).c_str(), ToUtf8(text).c_str());
    return IDOK;
  }

  bool KeepsStandardOutput() const override { return false; }
};

}  // namespace

Backend *CreateWebBackend() { return new WebBackend; }

}  // namespace velmora::platform
