// The SDL2 backend: one resizable SDL window per top-level window, its size
// being the client area's and its position the client origin; SDL events
// become posted input and window-manager notifications. Drawing on a window
// writes its back buffer, the window's own surface in the sense of a
// Windows compositor; the latest complete frame goes to the screen as a
// compositor takes it: at most once per display refresh, copied into SDL's
// window surface and sent from there, under X from a thread of its own
// while the next frame is drawn.
// Without a display no window can be made, so the program sees
// CreateWindowExW fail, and standard error names the display it tried.
// What it does not do: maximised windows report SIZE_RESTORED, the frame
// drawn around the window is the window manager's (its size is assumed to
// be the fixed Win32 metrics), and a surface other than 32-bit XRGB is not
// drawn on.
#include "platform/front/backend_api.h"
#include "sdl_keys_at_focus.h"

#include <SDL.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace velmora::platform {
namespace {

struct SdlWindow {
  SDL_Window *window = nullptr;
  Uint32 id = 0;
  HWND hwnd = nullptr;
  bool shown = false;
  bool minimized = false;
  // What the back buffer holds that the screen does not have yet; empty
  // when nothing is waiting.
  SDL_Rect unsent{};
  // Set by an expose, a resize or a restore: the next frame goes at once.
  bool urgent = false;
  Uint64 lastSend = 0;  // SDL_GetTicks64 of the last update sent
  Uint64 period = 17;   // one display refresh, in whole milliseconds
  // What the program draws on, the client area's size. SDL's window
  // surface is X shared memory that the server reads when it is sent, and
  // writing every frame there costs the frame a quarter more than writing
  // private memory; it gets only the frames that are sent.
  std::vector<uint32_t> back;
  int backWidth = 0;
  int backHeight = 0;
};

// One refresh of the display the window is on, rounded up so that no two
// updates fall into one refresh; 60 Hz where the mode does not say.
Uint64 RefreshPeriod(SDL_Window *window) {
  SDL_DisplayMode mode{};
  const int display = SDL_GetWindowDisplayIndex(window);
  const int rate =
      display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0 ? mode.refresh_rate : 60;
  return (1000 + static_cast<Uint64>(rate) - 1) / static_cast<Uint64>(rate);
}

bool Pending(const SdlWindow &native) { return !SDL_RectEmpty(&native.unsent); }

// Virtual-key code of an SDL key: digits and letters by position or
// layout as Windows has them, the rest by scancode.
UINT VirtualKey(const SDL_Keysym &key) {
  const SDL_Scancode sc = key.scancode;
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return '1' + (sc - SDL_SCANCODE_1);
  if (sc == SDL_SCANCODE_0) return '0';
  if (key.sym >= SDLK_a && key.sym <= SDLK_z) return 'A' + (key.sym - SDLK_a);
  if (key.sym >= 0x80 && sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return 'A' + (sc - SDL_SCANCODE_A);
  const bool numLock = (key.mod & KMOD_NUM) != 0;
  if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) {
    static const UINT kNavigation[] = {VK_END, VK_DOWN, VK_NEXT, VK_LEFT, 0x0C, VK_RIGHT, VK_HOME, VK_UP, VK_PRIOR};
    return numLock ? VK_NUMPAD1 + (sc - SDL_SCANCODE_KP_1) : kNavigation[sc - SDL_SCANCODE_KP_1];
  }
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return VK_F1 + (sc - SDL_SCANCODE_F1);
  switch (sc) {
    case SDL_SCANCODE_KP_0: return numLock ? VK_NUMPAD0 : VK_INSERT;
    case SDL_SCANCODE_KP_PERIOD: return numLock ? VK_DECIMAL : VK_DELETE;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_DIVIDE: return VK_DIVIDE;
    case SDL_SCANCODE_KP_ENTER:
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_INSERT: return VK_INSERT;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return VK_SHIFT;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return VK_CONTROL;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return VK_MENU;
    case SDL_SCANCODE_CAPSLOCK: return VK_CAPITAL;
    case SDL_SCANCODE_PAUSE: return VK_PAUSE;
    case SDL_SCANCODE_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDL_SCANCODE_PRINTSCREEN: return 0x2C;
    case SDL_SCANCODE_SCROLLLOCK: return 0x91;
    case SDL_SCANCODE_LGUI: return 0x5B;
    case SDL_SCANCODE_RGUI: return 0x5C;
    case SDL_SCANCODE_APPLICATION: return 0x5D;
    default: break;
  }
  switch (key.sym) {  // the OEM keys, by the character they give
    case ';': return 0xBA;
    case '=': return 0xBB;
    case ',': return 0xBC;
    case '-': return 0xBD;
    case '.': return 0xBE;
    case '/': return 0xBF;
    case '`': return 0xC0;
    case '[': return 0xDB;
    case '\\': return 0xDC;
    case ']': return 0xDD;
    case '\'': return 0xDE;
    default: return 0;
  }
}

UINT ButtonKey(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return kVkLButton;
    case SDL_BUTTON_RIGHT: return kVkRButton;
    case SDL_BUTTON_MIDDLE: return kVkMButton;
    default: return 0;
  }
}

// Window-surface updates on a thread of their own. Under X an update sends
// the changed rectangle to the server and then waits until the server has
// taken it; meanwhile the program goes on drawing into the back buffer, as
// it can while a Windows compositor shows the last frame. The backend
// writes the surface, and makes every other call into SDL, only while no
// update is in flight (WaitForPresent), so SDL and Xlib are never used from
// two threads at once and no frame is sent half written; the one exception
// is taking events from SDL's own queue, which has a lock of its own.
class Presenter {
 public:
  ~Presenter() { Stop(); }

  // Only when no update is in flight.
  void Submit(SDL_Window *window, const SDL_Rect &rect) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    window_ = window;
    rect_ = rect;
    busy_ = true;
    wake_.notify_one();
  }

  bool Busy() {
    std::lock_guard<std::mutex> lock(mutex_);
    return busy_;
  }

  void WaitUntilIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return !busy_; });
  }

  // Finishes the update in flight, if any, and ends the thread.
  void Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
      wake_.notify_one();
    }
    if (thread_.joinable()) thread_.join();
    stopping_ = false;
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return busy_ || stopping_; });
      if (busy_) {
        SDL_Window *const window = window_;
        const SDL_Rect rect = rect_;
        lock.unlock();
        SDL_UpdateWindowSurfaceRects(window, &rect, 1);
        lock.lock();
        busy_ = false;
        done_.notify_all();
      } else {
        return;  // stopping, with nothing left to show
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::thread thread_;
  bool busy_ = false;
  bool stopping_ = false;
  SDL_Window *window_ = nullptr;
  SDL_Rect rect_{};
};

class SdlBackend final : public Backend {
 public:
  ~SdlBackend() override {
    if (live_ == this) live_ = nullptr;
  }

  bool KeepsStandardOutput() const override { return false; }

  DWORD Tick() override { return MonotonicSystemTick(); }

  RECT DesktopRect() override {
    SDL_Rect bounds{0, 0, 1280, 1024};
    WaitForPresent();
    if (Video()) {
      int display = 0;
      if (!windows_.empty()) display = std::max(SDL_GetWindowDisplayIndex(windows_.front()->window), 0);
      SDL_GetDisplayBounds(display, &bounds);
    }
    return RECT{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
  }

  void BeginPoll() override {
    if (!videoReady_) return;
    SDL_Event event;
    if (presenter_.Busy()) {
      // Only the events already in SDL's queue; the next pump, which talks
      // to the server, waits for the update in flight.
      while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) Handle(event);
      return;
    }
    while (SDL_PollEvent(&event)) Handle(event);
    SendDue();
  }

  void Wait() override {
    if (!videoReady_) {
      const timespec pause{0, 10 * 1000 * 1000};
      nanosleep(&pause, nullptr);  // nothing can arrive; wait as Windows would
      return;
    }
    WaitForPresent();
    // A frame held back for the refresh must not wait for the next event.
    int timeout = 100;
    const Uint64 now = SDL_GetTicks64();
    for (const SdlWindow *native : windows_) {
      const Uint64 due = DueAt(*native);
      if (Pending(*native)) timeout = due > now ? std::min<int>(timeout, static_cast<int>(due - now)) : 0;
    }
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, timeout)) Handle(event);
    SendDue();
  }

  void *CreateNativeWindow(const WindowView &window) override {
    WaitForPresent();
    if (!Video()) return nullptr;
    const RECT client = window.client;
    const int width = std::max<LONG>(client.right - client.left, 1);
    const int height = std::max<LONG>(client.bottom - client.top, 1);
    SDL_Window *sdlWindow = SDL_CreateWindow(ToUtf8(window.title).c_str(), client.left, client.top, width, height,
                                             SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (sdlWindow == nullptr) {
      std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
      return nullptr;
    }
    auto *native = new SdlWindow;
    native->window = sdlWindow;
    native->id = SDL_GetWindowID(sdlWindow);
    native->hwnd = window.handle;
    native->period = RefreshPeriod(sdlWindow);
    windows_.push_back(native);
    return native;
  }

  void DestroyNativeWindow(const WindowView &window) override {
    auto *native = static_cast<SdlWindow *>(window.native);
    if (native == nullptr) return;
    WaitForPresent();
    SendAllPending();  // the last frame still reaches the screen
    windows_.erase(std::remove(windows_.begin(), windows_.end(), native), windows_.end());
    if (windows_.empty()) presenter_.Stop();
    SDL_DestroyWindow(native->window);
    delete native;
  }

  void UpdateNativeState(const WindowView &window) override {
    auto *native = static_cast<SdlWindow *>(window.native);
    if (native == nullptr) return;
    WaitForPresent();
    if (window.visible != native->shown) {
      native->shown = window.visible;
      if (window.visible) {
        SDL_ShowWindow(native->window);
      } else {
        SDL_HideWindow(native->window);
      }
    }
    if (window.visible && window.minimized != native->minimized) {
      native->minimized = window.minimized;
      if (window.minimized) {
        SDL_MinimizeWindow(native->window);
      } else {
        SDL_RestoreWindow(native->window);
      }
    }
  }

  bool BeginDraw(const WindowView &window, Surface *surface) override {
    auto *native = static_cast<SdlWindow *>(window.native);
    if (native == nullptr) return false;
    const int w = window.ClientWidth(), h = window.ClientHeight();
    if (w <= 0 || h <= 0) return false;
    if (w != native->backWidth || h != native->backHeight) {
      native->back.assign(static_cast<size_t>(w) * h, 0);
      native->backWidth = w;
      native->backHeight = h;
    }
    surface->pixels = native->back.data();
    surface->stride = w;
    surface->width = w;
    surface->height = h;
    return true;
  }

  void EndDraw(const WindowView &window, const RECT &changed, bool frame) override {
    (void)frame;
    auto *native = static_cast<SdlWindow *>(window.native);
    if (native == nullptr) return;
    SDL_Rect rect;
    rect.x = std::clamp<int>(changed.left, 0, native->backWidth);
    rect.y = std::clamp<int>(changed.top, 0, native->backHeight);
    rect.w = std::clamp<int>(changed.right, 0, native->backWidth) - rect.x;
    rect.h = std::clamp<int>(changed.bottom, 0, native->backHeight) - rect.y;
    if (rect.w <= 0 || rect.h <= 0) return;
    SDL_Rect both;  // SDL's union of an empty rectangle and another is the other
    SDL_UnionRect(&native->unsent, &rect, &both);
    native->unsent = both;
    if (native->urgent || SDL_GetTicks64() >= DueAt(*native)) {
      WaitForPresent();
      Send(*native);
    }
  }

  // Copies what the screen has not had yet from the back buffer into the
  // window surface (renewed by SDL after a resize), sets sent to that part,
  // cut to what the surface holds, and leaves nothing unsent; false when
  // there is nothing to send. Only while no update is in flight.
  bool CopyUnsent(SdlWindow &native, SDL_Rect *sent) {
    SDL_Rect r = native.unsent;
    native.unsent = SDL_Rect{};
    SDL_Surface *s = SDL_GetWindowSurface(native.window);
    if (s == nullptr) return false;
    const SDL_PixelFormat *f = s->format;
    if (f->BytesPerPixel != 4 || f->Rmask != 0xFF0000 || f->Gmask != 0xFF00 || f->Bmask != 0xFF) {
      if (!warnedFormat_) {
        warnedFormat_ = true;
        std::fprintf(stderr, "window surface is %s, not 32-bit XRGB: nothing is shown\n",
                     SDL_GetPixelFormatName(f->format));
      }
      return false;
    }
    r.w = std::min(r.x + r.w, std::min(s->w, native.backWidth)) - r.x;
    r.h = std::min(r.y + r.h, std::min(s->h, native.backHeight)) - r.y;
    if (r.w <= 0 || r.h <= 0) return false;
    if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) != 0) return false;
    for (int y = r.y; y < r.y + r.h; ++y) {
      std::memcpy(static_cast<uint8_t *>(s->pixels) + static_cast<size_t>(y) * s->pitch + r.x * 4,
                  native.back.data() + static_cast<size_t>(y) * native.backWidth + r.x, static_cast<size_t>(r.w) * 4);
    }
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    *sent = r;
    return true;
  }

  int ShowMessageBox(const WindowView *owner, LPCWSTR text, LPCWSTR caption, UINT type) override {
    WaitForPresent();
    const std::string utf8Text = ToUtf8(text), utf8Caption = ToUtf8(caption);
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    if ((type & 0xF0) == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
    if ((type & 0xF0) == 0x30) flags = SDL_MESSAGEBOX_WARNING;  // MB_ICONWARNING
    SDL_Window *parent = nullptr;
    if (owner != nullptr && owner->native != nullptr) parent = static_cast<SdlWindow *>(owner->native)->window;
    if (SDL_ShowSimpleMessageBox(flags, utf8Caption.c_str(), utf8Text.c_str(), parent) != 0) {
      std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
    }
    return IDOK;
  }

 private:
  // SDL's video subsystem, started on first need with the hints that must
  // precede any window: no accelerated framebuffer (it costs several times
  // the frame rate under X), no automatic mouse capture (Windows gives a
  // window no mouse messages while the pointer is outside it), and no
  // signal handlers (Ctrl+C ends the program as usual).
  bool Video() {
    if (!videoTried_) {
      videoTried_ = true;
      SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
      SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
      SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
      SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
      SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
      videoReady_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
      if (!videoReady_) {
        std::fprintf(stderr, "no display: %s (SDL: %s)\n", DisplayTried().c_str(), SDL_GetError());
        return false;
      }
      // Without a display SDL settles for a driver that shows nothing; that
      // must not pass for a window unless SDL_VIDEODRIVER asked for it.
      const char *driver = SDL_GetCurrentVideoDriver();
      const char *asked = SDL_getenv("SDL_VIDEODRIVER");
      if (driver != nullptr && (asked == nullptr || SDL_strcasecmp(asked, driver) != 0) &&
          (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0 ||
           SDL_strcmp(driver, "evdev") == 0)) {
        std::fprintf(stderr, "no display: %s (SDL found only its %s driver)\n", DisplayTried().c_str(), driver);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoReady_ = false;
        return false;
      }
      SDL_StopTextInput();
      // A program may end with its window still open (its loop left on
      // WM_QUIT); the window then goes with the process, and the frame
      // held back for the refresh must reach it first.
      live_ = this;
      std::atexit([] {
        if (live_ != nullptr) live_->SendAllPending();
      });
      // Other drivers may update the surface through a context that belongs
      // to the thread that made it; only X11's own surface is sent from the
      // presenting thread. SDL_FRAMEBUFFER_ACCELERATION in the environment
      // outranks the hint above and turns the surface into a renderer's
      // texture, whose GL context must stay on this thread.
      const char *accel = SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
      const bool softwareSurface = accel != nullptr && (accel[0] == '0' || SDL_strcasecmp(accel, "false") == 0 ||
                                                        SDL_strcasecmp(accel, "software") == 0);
      asyncPresent_ = softwareSurface && driver != nullptr && SDL_strcmp(driver, "x11") == 0;
    }
    return videoReady_;
  }

  // The display SDL was to open, as the environment names it, for the
  // message when it could not: the first thing a user checks.
  static std::string DisplayTried() {
    const char *x = SDL_getenv("DISPLAY");
    const char *wayland = SDL_getenv("WAYLAND_DISPLAY");
    std::string tried = x != nullptr && x[0] != '\0' ? std::string("cannot open DISPLAY=") + x : "DISPLAY is not set";
    if (wayland != nullptr && wayland[0] != '\0') tried += std::string("; cannot open WAYLAND_DISPLAY=") + wayland;
    return tried;
  }

  SdlWindow *Find(Uint32 id) {
    for (SdlWindow *native : windows_) {
      if (native->id == id) return native;
    }
    return nullptr;
  }

  HWND HwndOf(Uint32 id) {
    SdlWindow *native = Find(id);
    return native != nullptr ? native->hwnd : nullptr;
  }

  // SDL keeps the mouse position of its events inside the window, so a
  // pointer that left it (or drags outside it) shows up on the edge. On an
  // edge the pointer's real position decides; outside, the position becomes
  // (-1, -1), which the front takes as outside the client area.
  HWND PointerWindow(Uint32 id, int *x, int *y) {
    SdlWindow *native = Find(id);
    if (native == nullptr) return nullptr;
    int width = 0, height = 0;
    SDL_GetWindowSize(native->window, &width, &height);
    if (*x > 0 && *y > 0 && *x < width - 1 && *y < height - 1) return native->hwnd;
    int globalX = 0, globalY = 0, left = 0, top = 0;
    WaitForPresent();  // asks the server
    SDL_GetGlobalMouseState(&globalX, &globalY);
    SDL_GetWindowPosition(native->window, &left, &top);
    const int realX = globalX - left, realY = globalY - top;
    if (realX < 0 || realY < 0 || realX >= width || realY >= height) {
      *x = *y = -1;
    } else {
      *x = realX;
      *y = realY;
    }
    return native->hwnd;
  }

  void Handle(const SDL_Event &event) {
    switch (event.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        // A key already down when the window gained focus makes no
        // WM_KEYDOWN on Windows, also not when SDL reconciles its keyboard
        // state on focus and reports the key as pressed now; it counts
        // again once released. Its release still reaches the window.
        const SDL_Scancode code = event.key.keysym.scancode;
        if (code >= 0 && code < SDL_NUM_SCANCODES) {
          if (event.type == SDL_KEYUP) {
            held_[code] = Held::kNo;
          } else if (held_[code] == Held::kUnknown) {
            held_[code] = WasDownAtFocus(event.key.keysym) ? Held::kFromBeforeFocus : Held::kNo;
          }
          if (event.type == SDL_KEYDOWN && held_[code] == Held::kFromBeforeFocus) break;
        }
        if (const UINT vk = VirtualKey(event.key.keysym)) {
          ReportKey(HwndOf(event.key.windowID), vk, event.type == SDL_KEYDOWN, event.key.repeat != 0);
        }
        break;
      }
      case SDL_MOUSEMOTION: {
        int x = event.motion.x, y = event.motion.y;
        const HWND hwnd = PointerWindow(event.motion.windowID, &x, &y);
        ReportMouseMove(hwnd, x, y);
        break;
      }
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (const UINT button = ButtonKey(event.button.button)) {
          int x = event.button.x, y = event.button.y;
          const HWND hwnd = PointerWindow(event.button.windowID, &x, &y);
          ReportMouseButton(hwnd, button, event.type == SDL_MOUSEBUTTONDOWN, x, y);
        }
        break;
      case SDL_MOUSEWHEEL: {
        float amount = event.wheel.preciseY;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) amount = -amount;
        const int delta = static_cast<int>(std::lround(amount * WHEEL_DELTA));
        int x = event.wheel.mouseX, y = event.wheel.mouseY;
        const HWND hwnd = PointerWindow(event.wheel.windowID, &x, &y);
        if (delta != 0) ReportWheel(hwnd, delta, x, y);
        break;
      }
      case SDL_WINDOWEVENT: HandleWindowEvent(event.window); break;
      default: break;
    }
  }

  void HandleWindowEvent(const SDL_WindowEvent &event) {
    SdlWindow *native = Find(event.windowID);
    if (native == nullptr) return;
    const HWND hwnd = native->hwnd;
    WindowView window;
    if (!DescribeWindow(hwnd, &window)) return;
    const RECT insets = window.frame;
    switch (event.event) {
      // A window manager may move or resize a minimised window; the front
      // keeps that as the restored place and size, for the restore.
      case SDL_WINDOWEVENT_MOVED: UserMoveWindow(hwnd, event.data1 - insets.left, event.data2 - insets.top); break;
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        // The surface is made again for the new size: what it held is gone.
        SendWholeNext(*native);
        UserResizeWindow(hwnd, event.data1 + insets.left + insets.right, event.data2 + insets.top + insets.bottom);
        break;
      case SDL_WINDOWEVENT_MINIMIZED:
        native->minimized = true;
        UserMinimize(hwnd);
        break;
      case SDL_WINDOWEVENT_RESTORED:
      case SDL_WINDOWEVENT_MAXIMIZED:
        native->minimized = false;
        SendWholeNext(*native);
        UserRestore(hwnd);
        break;
      case SDL_WINDOWEVENT_EXPOSED:
        SendWholeNext(*native);
        UserExpose(hwnd);
        break;
      case SDL_WINDOWEVENT_DISPLAY_CHANGED: native->period = RefreshPeriod(native->window); break;
      case SDL_WINDOWEVENT_CLOSE: UserClose(hwnd); break;
      case SDL_WINDOWEVENT_FOCUS_GAINED: TakeKeymapAtFocus(native->window); break;
      default: break;
    }
  }

  void WaitForPresent() { presenter_.WaitUntilIdle(); }

  // After an expose, a resize or a restore the screen needs all of the
  // window again, and the next frame drawn goes at once (or, if none is
  // drawn, the back buffer at the next refresh).
  static void SendWholeNext(SdlWindow &native) {
    native.unsent = SDL_Rect{0, 0, native.backWidth, native.backHeight};
    native.urgent = true;
  }

  // The back buffer reaches the screen at most once per display refresh, as
  // a compositor takes a window's surface: a frame drawn sooner waits in the
  // back buffer, where the next frame may replace it, and goes out when its
  // refresh comes (at the next frame, poll or wait). Only complete frames
  // are sent, since the copy into the window surface happens between draws.
  static Uint64 DueAt(const SdlWindow &native) { return native.lastSend + native.period; }

  // Only when no update is in flight.
  void Send(SdlWindow &native) {
    native.urgent = false;
    native.lastSend = SDL_GetTicks64();
    SDL_Rect sent;
    if (!CopyUnsent(native, &sent)) return;
    if (asyncPresent_) {
      presenter_.Submit(native.window, sent);
    } else {
      SDL_UpdateWindowSurfaceRects(native.window, &sent, 1);
    }
  }

  // Before a window goes or the process ends: on this thread, so that the
  // last frame has reached the server when this returns.
  void SendAllPending() {
    WaitForPresent();
    for (SdlWindow *native : windows_) {
      SDL_Rect sent;
      if (Pending(*native) && CopyUnsent(*native, &sent)) SDL_UpdateWindowSurfaceRects(native->window, &sent, 1);
    }
  }

  void SendDue() {
    const Uint64 now = SDL_GetTicks64();
    for (SdlWindow *native : windows_) {
      if (!Pending(*native) || now < DueAt(*native)) continue;
      WaitForPresent();
      Send(*native);
    }
  }

  // A key already down when the window gained focus makes no WM_KEYDOWN
  // on Windows. X keeps repeating such a key to whichever window has the
  // focus, and SDL reports the first repeat as a fresh press, so the
  // server's own keyboard state at the focus decides: a key found down
  // then gives no key-down, repeats included, until it is released. The
  // first event of each key after the focus looks it up.
  enum class Held : unsigned char { kUnknown, kNo, kFromBeforeFocus };

  void TakeKeymapAtFocus(SDL_Window *window) {
    std::fill(std::begin(held_), std::end(held_), Held::kUnknown);
    WaitForPresent();  // asks the server
    keysAtFocus_.Take(window);
  }

  bool WasDownAtFocus(const SDL_Keysym &key) {
    WaitForPresent();
    return keysAtFocus_.WasDown(key);
  }

  static inline SdlBackend *live_ = nullptr;  // the one whose video started
  Held held_[SDL_NUM_SCANCODES] = {};
  KeysAtFocus keysAtFocus_;
  bool videoTried_ = false;
  bool videoReady_ = false;
  bool asyncPresent_ = false;
  Presenter presenter_;
  bool warnedFormat_ = false;
  std::vector<SdlWindow *> windows_;
};

}  // namespace

Backend *CreateSdlBackend() { return new SdlBackend; }

}  // namespace velmora::platform
