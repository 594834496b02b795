// The headless backend: a virtual clock, a desktop of a set size, windows
// that exist only as an image of their client area, scripted input, and a
// record of what reached the platform, all behind velmora/headless.h.
// What it does not do: it shows nothing, reads no real input, and a
// GetMessageW that would wait for ever (nothing queued and no poll hook to
// queue anything) ends the process with a message instead of hanging.
// For a run of an installed program, where no test can script it, the
// environment can: VELMORA_HEADLESS_ESCAPE_AFTER=N (a whole number from 1
// up; anything else ends the process with exit code 1 before any window
// exists) presses Escape at the N-th poll of the loop, after a simulation
// step per frame (11 ms of the virtual clock per poll).
#include <velmora/headless.h>

#include "platform/front/backend_api.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace velmora::platform {
namespace {

struct HeadlessWindow {
  headless::Image image;
};

// A hook that may replace itself while it runs: the replacement waits
// until the running call has returned.
template <typename Function>
class Hook {
 public:
  void Set(Function f) {
    if (running_) {
      pending_ = std::move(f);
      hasPending_ = true;
    } else {
      hook_ = std::move(f);
    }
  }
  template <typename... Args>
  void Call(Args &&...args) {
    if (running_ || !hook_) return;
    running_ = true;
    hook_(std::forward<Args>(args)...);
    running_ = false;
    if (hasPending_) {
      hook_ = std::move(pending_);
      pending_ = nullptr;
      hasPending_ = false;
    }
  }
  bool Empty() const { return !hook_ && !hasPending_; }

 private:
  Function hook_;
  Function pending_;
  bool hasPending_ = false;
  bool running_ = false;
};

class HeadlessBackend final : public Backend {
 public:
  bool KeepsStandardOutput() const override { return true; }
  DWORD Tick() override { return tick; }
  RECT DesktopRect() override { return RECT{0, 0, desktopWidth, desktopHeight}; }

  explicit HeadlessBackend(uint64_t escapeAfterPolls) : escapeAfter(escapeAfterPolls) {
    if (escapeAfter != 0) tickPerPoll = 11;
  }

  void BeginPoll() override {
    ++polls;
    tick += tickPerPoll;
    pollHook.Call(polls);
    if (polls == escapeAfter) ReportKey(InputWindow(), VK_ESCAPE, true, false);
  }

  void Wait() override {
    if (pollHook.Empty()) {
      std::fprintf(stderr, "GetMessageW: nothing is queued and no poll hook can queue anything; "
                           "a real system would wait for ever\n");
      std::abort();
    }
  }

  void *CreateNativeWindow(const WindowView &) override {
    if (Consume(failCreateWindow)) return nullptr;
    return new HeadlessWindow;
  }

  void DestroyNativeWindow(const WindowView &window) override {
    auto *native = static_cast<HeadlessWindow *>(window.native);
    if (native == nullptr) return;
    if (last == &native->image) {
      retained = std::move(native->image);
      last = &retained;
    }
    delete native;
  }

  void UpdateNativeState(const WindowView &) override {}

  bool BeginDraw(const WindowView &window, Surface *surface) override {
    auto *native = static_cast<HeadlessWindow *>(window.native);
    if (native == nullptr) return false;
    headless::Image &image = native->image;
    const int width = window.ClientWidth(), height = window.ClientHeight();
    if (image.width != width || image.height != height) Resize(image, width, height);
    surface->pixels = image.pixels.data();
    surface->stride = image.width;
    surface->width = image.width;
    surface->height = image.height;
    return true;
  }

  void EndDraw(const WindowView &window, const RECT &, bool frame) override {
    auto *native = static_cast<HeadlessWindow *>(window.native);
    last = &native->image;
    if (!frame) return;
    ++presents;
    presentHook.Call(static_cast<const headless::Image &>(native->image));
  }

  int ShowMessageBox(const WindowView *, LPCWSTR text, LPCWSTR caption, UINT type) override {
    messageBoxes.push_back(headless::MessageBoxCall{text, caption, type});
    return IDOK;
  }

  // The test controls, watching the front through its observers.
  bool Refuse(const char *call) {
    if (std::strcmp(call, "RegisterClassExW") == 0) return Consume(failRegisterClass);
    if (std::strcmp(call, "CreateDIBSection") == 0) return Consume(failCreateDIBSection);
    return false;
  }
  void RecordCall(const char *call) { consoleCalls.emplace_back(call); }
  void TraceMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!tracing || trace.size() >= headless::kMessageTraceLimit) return;
    trace.push_back(headless::TracedMessage{hwnd, message, wParam, lParam});
  }

  // The test side.
  DWORD tick = headless::kStartTick;
  DWORD tickPerPoll = 0;
  uint64_t escapeAfter = 0;  // 0: never
  LONG desktopWidth = 1280;
  LONG desktopHeight = 1024;
  uint64_t polls = 0;
  uint64_t presents = 0;
  Hook<std::function<void(uint64_t)>> pollHook;
  Hook<std::function<void(const headless::Image &)>> presentHook;
  const headless::Image *last = &retained;
  headless::Image retained;  // the last image of a window that is gone
  std::vector<headless::MessageBoxCall> messageBoxes;
  std::vector<std::string> consoleCalls;
  std::vector<headless::TracedMessage> trace;
  bool tracing = true;
  bool failRegisterClass = false;
  bool failCreateWindow = false;
  bool failCreateDIBSection = false;

 private:
  static bool Consume(bool &flag) {
    const bool was = flag;
    flag = false;
    return was;
  }

  // Keeps the overlapping top-left part, as a window keeps its pixels.
  static void Resize(headless::Image &image, int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < std::min(height, image.height); ++y) {
      for (int x = 0; x < std::min(width, image.width); ++x) {
        pixels[static_cast<size_t>(y) * width + x] = image.At(x, y);
      }
    }
    image.pixels.swap(pixels);
    image.width = width;
    image.height = height;
  }
};

// A control that counts polls: unset (or empty) is 0, never; anything but
// a whole number from 1 up would silently run for ever, so it ends the
// process before any window exists.
uint64_t PollCountFromEnvironment(const char *variable) {
  const char *text = std::getenv(variable);
  if (text == nullptr || text[0] == '\0') return 0;
  char *end = nullptr;
  errno = 0;
  const unsigned long long count = std::strtoull(text, &end, 10);
  if (text[0] < '0' || text[0] > '9' || *end != '\0' || errno == ERANGE || count == 0) {
    std::fprintf(stderr, "%s=%s: not a number of polls (a whole number from 1 up)\n", variable, text);
    ExitBeforeStart();
  }
  return count;
}

// The one headless backend, once made; the test controls do nothing while
// another backend runs.
HeadlessBackend *g_headless = nullptr;

HeadlessBackend *Headless() {
  ActiveBackend();  // made on first use, the headless one only when asked for
  return g_headless;
}

}  // namespace

Backend *CreateHeadlessBackend() {
  const uint64_t escapeAfter = PollCountFromEnvironment("VELMORA_HEADLESS_ESCAPE_AFTER");
  g_headless = new HeadlessBackend(escapeAfter);
  Observers &observers = FrontObservers();
  observers.refuse = [](const char *call) { return g_headless->Refuse(call); };
  observers.systemCall = [](const char *call) { g_headless->RecordCall(call); };
  observers.message = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    g_headless->TraceMessage(hwnd, message, wParam, lParam);
  };
  return g_headless;
}

}  // namespace velmora::platform

namespace velmora::headless {

using platform::Headless;

bool IsActive() { return Headless() != nullptr; }

void SetTick(DWORD ms) {
  if (auto *h = Headless()) h->tick = ms;
}
void AdvanceTick(DWORD ms) {
  if (auto *h = Headless()) h->tick += ms;
}
void SetTickPerPoll(DWORD ms) {
  if (auto *h = Headless()) h->tickPerPoll = ms;
}

void SetDesktopSize(int width, int height) {
  if (auto *h = Headless()) {
    h->desktopWidth = width;
    h->desktopHeight = height;
  }
}

void KeyDown(UINT virtualKey, bool repeat) {
  if (Headless()) platform::ReportKey(platform::InputWindow(), virtualKey, true, repeat);
}
void KeyUp(UINT virtualKey) {
  if (Headless()) platform::ReportKey(platform::InputWindow(), virtualKey, false, false);
}
void MouseMove(int x, int y) {
  if (Headless()) platform::ReportMouseMove(platform::InputWindow(), x, y);
}
void LeftButton(bool down, int x, int y) {
  if (Headless()) platform::ReportMouseButton(platform::InputWindow(), platform::kVkLButton, down, x, y);
}
void Wheel(int delta, int x, int y) {
  if (Headless()) platform::ReportWheel(platform::InputWindow(), delta, x, y);
}
void CloseButton() {
  if (Headless()) platform::UserClose(platform::InputWindow());
}
void Expose() {
  if (Headless()) platform::UserExpose(platform::InputWindow());
}

size_t QueuedMessages() { return Headless() ? platform::QueuedMessages() : 0; }

void MoveWindowTo(int x, int y) {
  if (Headless()) platform::UserMoveWindow(platform::InputWindow(), x, y);
}
void ResizeWindow(int outerWidth, int outerHeight) {
  if (Headless()) platform::UserResizeWindow(platform::InputWindow(), outerWidth, outerHeight);
}
void Minimize() {
  if (Headless()) platform::UserMinimize(platform::InputWindow());
}
void Restore() {
  // A minimised window is not where input goes.
  if (Headless()) platform::UserRestore(platform::MinimizedWindow());
}

void SetPollHook(std::function<void(uint64_t poll)> hook) {
  if (auto *h = Headless()) h->pollHook.Set(std::move(hook));
}

const Image &LastPresented() {
  static const Image empty;
  auto *h = Headless();
  return h != nullptr ? *h->last : empty;
}
uint64_t PresentCount() {
  auto *h = Headless();
  return h != nullptr ? h->presents : 0;
}
void SetPresentHook(std::function<void(const Image &)> hook) {
  if (auto *h = Headless()) h->presentHook.Set(std::move(hook));
}

const std::vector<MessageBoxCall> &MessageBoxes() {
  static const std::vector<MessageBoxCall> empty;
  auto *h = Headless();
  return h != nullptr ? h->messageBoxes : empty;
}
const std::vector<std::string> &ConsoleCalls() {
  static const std::vector<std::string> empty;
  auto *h = Headless();
  return h != nullptr ? h->consoleCalls : empty;
}

const std::vector<TracedMessage> &MessageTrace() {
  static const std::vector<TracedMessage> empty;
  auto *h = Headless();
  return h != nullptr ? h->trace : empty;
}
void ClearMessageTrace() {
  if (auto *h = Headless()) h->trace.clear();
}
void SetMessageTraceEnabled(bool enabled) {
  if (auto *h = Headless()) h->tracing = enabled;
}

void FailNextRegisterClass() {
  if (auto *h = Headless()) h->failRegisterClass = true;
}
void FailNextCreateWindow() {
  if (auto *h = Headless()) h->failCreateWindow = true;
}
void FailNextCreateDIBSection() {
  if (auto *h = Headless()) h->failCreateDIBSection = true;
}

}  // namespace velmora::headless
