// The headless backend: a virtual clock, a desktop of a set size, windows
// that exist only as an image of their client area, scripted input, and a
// record of what reached the platform, all behind velmora/headless.h.
// What it does not do: it shows nothing, reads no real input, and a
// GetMessageW that would wait for ever (nothing queued and no poll hook to
// queue anything) ends the process with a message instead of hanging.
// For a run of an installed program, where no test can script it, the
// environment can: VELMORA_HEADLESS_ESCAPE_AFTER=N presses Escape at the
// N-th poll of the loop, after a simulation step per frame (11 ms of the
// virtual clock per poll).
#include <velmora/headless.h>

#include "front.h"

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
  DWORD Tick() override { return tick_; }
  RECT DesktopRect() override { return RECT{0, 0, desktopWidth_, desktopHeight_}; }

  HeadlessBackend() {
    if (const char *after = std::getenv("VELMORA_HEADLESS_ESCAPE_AFTER")) {
      escapeAfter_ = std::strtoull(after, nullptr, 10);
      if (escapeAfter_ != 0) tickPerPoll_ = 11;
    }
  }

  void BeginPoll() override {
    ++polls_;
    tick_ += tickPerPoll_;
    pollHook_.Call(polls_);
    if (polls_ == escapeAfter_) ReportKey(InputWindow(), VK_ESCAPE, true, false);
  }

  void Wait() override {
    if (pollHook_.Empty()) {
      std::fprintf(stderr, "GetMessageW: nothing is queued and no poll hook can queue anything; "
                           "a real system would wait for ever\n");
      std::abort();
    }
  }

  bool CreateNativeWindow(Window &window) override {
    if (Consume(failCreateWindow_)) return false;
    window.native = new HeadlessWindow;
    return true;
  }

  void DestroyNativeWindow(Window &window) override {
    auto *native = static_cast<HeadlessWindow *>(window.native);
    if (native == nullptr) return;
    if (last_ == &native->image) {
      retained_ = std::move(native->image);
      last_ = &retained_;
    }
    delete native;
    window.native = nullptr;
  }

  void UpdateNativeState(Window &) override {}

  bool BeginDraw(Window &window, Surface *surface) override {
    auto *native = static_cast<HeadlessWindow *>(window.native);
    if (native == nullptr) return false;
    headless::Image &image = native->image;
    const int width = ClientWidth(window), height = ClientHeight(window);
    if (image.width != width || image.height != height) Resize(image, width, height);
    surface->pixels = image.pixels.data();
    surface->stride = image.width;
    surface->width = image.width;
    surface->height = image.height;
    return true;
  }

  void EndDraw(Window &window, const RECT &, bool frame) override {
    auto *native = static_cast<HeadlessWindow *>(window.native);
    last_ = &native->image;
    if (!frame) return;
    ++presents_;
    presentHook_.Call(static_cast<const headless::Image &>(native->image));
  }

  int MessageBox(HWND, LPCWSTR text, LPCWSTR caption, UINT type) override {
    messageBoxes_.push_back(headless::MessageBoxCall{text, caption, type});
    return IDOK;
  }

  // The test controls, watching the front through its observers.
  bool Refuse(const char *call) {
    if (std::strcmp(call, "RegisterClassExW") == 0) return Consume(failRegisterClass_);
    if (std::strcmp(call, "CreateDIBSection") == 0) return Consume(failCreateDIBSection_);
    return false;
  }
  void RecordCall(const char *call) { consoleCalls_.emplace_back(call); }
  void TraceMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!tracing_ || trace_.size() >= headless::kMessageTraceLimit) return;
    trace_.push_back(headless::TracedMessage{hwnd, message, wParam, lParam});
  }

  // The test side.
  DWORD tick_ = headless::kStartTick;
  DWORD tickPerPoll_ = 0;
  uint64_t escapeAfter_ = 0;  // 0: never
  LONG desktopWidth_ = 1280;
  LONG desktopHeight_ = 1024;
  uint64_t polls_ = 0;
  uint64_t presents_ = 0;
  Hook<std::function<void(uint64_t)>> pollHook_;
  Hook<std::function<void(const headless::Image &)>> presentHook_;
  const headless::Image *last_ = &retained_;
  headless::Image retained_;  // the last image of a window that is gone
  std::vector<headless::MessageBoxCall> messageBoxes_;
  std::vector<std::string> consoleCalls_;
  std::vector<headless::TracedMessage> trace_;
  bool tracing_ = true;
  bool failRegisterClass_ = false;
  bool failCreateWindow_ = false;
  bool failCreateDIBSection_ = false;

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

// The one headless backend, once made; the test controls do nothing while
// another backend runs.
HeadlessBackend *g_headless = nullptr;

HeadlessBackend *Headless() {
  ActiveBackend();  // made on first use, the headless one only when asked for
  return g_headless;
}

}  // namespace

Backend *CreateHeadlessBackend() {
  g_headless = new HeadlessBackend;
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
  if (auto *h = Headless()) h->tick_ = ms;
}
void AdvanceTick(DWORD ms) {
  if (auto *h = Headless()) h->tick_ += ms;
}
void SetTickPerPoll(DWORD ms) {
  if (auto *h = Headless()) h->tickPerPoll_ = ms;
}

void SetDesktopSize(int width, int height) {
  if (auto *h = Headless()) {
    h->desktopWidth_ = width;
    h->desktopHeight_ = height;
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
  if (Headless()) platform::PostSystemSend(platform::InputWindow(), WM_CLOSE, 0, 0);
}
void Expose() {
  if (!Headless()) return;
  if (platform::Window *window = platform::FindWindow(platform::InputWindow())) {
    platform::InvalidateClient(*window, platform::WholeClient(*window), true);
  }
}

size_t QueuedMessages() {
  if (!Headless()) return 0;
  const platform::Queue &queue = platform::ThreadQueue();
  return queue.sent.Size() + queue.posted.Size() + queue.input.Size();
}

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
  if (!Headless()) return;
  // A minimised window is not where input goes, so look for it directly.
  for (platform::Window *window : platform::GetState().windowOrder) {
    if (window->visible && window->minimized && !window->destroying) {
      platform::UserRestore(window->handle);
      return;
    }
  }
}

void SetPollHook(std::function<void(uint64_t poll)> hook) {
  if (auto *h = Headless()) h->pollHook_.Set(std::move(hook));
}

const Image &LastPresented() {
  static const Image empty;
  auto *h = Headless();
  return h != nullptr ? *h->last_ : empty;
}
uint64_t PresentCount() {
  auto *h = Headless();
  return h != nullptr ? h->presents_ : 0;
}
void SetPresentHook(std::function<void(const Image &)> hook) {
  if (auto *h = Headless()) h->presentHook_.Set(std::move(hook));
}

const std::vector<MessageBoxCall> &MessageBoxes() {
  static const std::vector<MessageBoxCall> empty;
  auto *h = Headless();
  return h != nullptr ? h->messageBoxes_ : empty;
}
const std::vector<std::string> &ConsoleCalls() {
  static const std::vector<std::string> empty;
  auto *h = Headless();
  return h != nullptr ? h->consoleCalls_ : empty;
}

const std::vector<TracedMessage> &MessageTrace() {
  static const std::vector<TracedMessage> empty;
  auto *h = Headless();
  return h != nullptr ? h->trace_ : empty;
}
void ClearMessageTrace() {
  if (auto *h = Headless()) h->trace_.clear();
}
void SetMessageTraceEnabled(bool enabled) {
  if (auto *h = Headless()) h->tracing_ = enabled;
}

void FailNextRegisterClass() {
  if (auto *h = Headless()) h->failRegisterClass_ = true;
}
void FailNextCreateWindow() {
  if (auto *h = Headless()) h->failCreateWindow_ = true;
}
void FailNextCreateDIBSection() {
  if (auto *h = Headless()) h->failCreateDIBSection_ = true;
}

}  // namespace velmora::headless
