// The backend of a build without one for a display (VELMORA_SDL=OFF): it
// reads the clock and writes message boxes to standard error, but a window
// cannot be made, and the first attempt says why, as a missing display
// does. What it does not do: anything a window needs.
#include "platform/front/backend_api.h"

#include <cstdio>

namespace velmora::platform {
namespace {

class NoDisplayBackend final : public Backend {
 public:
  DWORD Tick() override { return MonotonicSystemTick(); }
  RECT DesktopRect() override { return RECT{0, 0, 1280, 1024}; }
  void BeginPoll() override {}
  void Wait() override {}
  void *CreateNativeWindow(const WindowView &) override {
    std::fprintf(stderr, "this build has no display backend (built with VELMORA_SDL=OFF); "
                         "only VELMORA_BACKEND=headless runs\n");
    return nullptr;
  }
  void DestroyNativeWindow(const WindowView &) override {}
  void UpdateNativeState(const WindowView &) override {}
  bool BeginDraw(const WindowView &, Surface *) override { return false; }
  void EndDraw(const WindowView &, const RECT &, bool) override {}
  int ShowMessageBox(const WindowView *, LPCWSTR text, LPCWSTR caption, UINT) override {
    std::fprintf(stderr, "%s: %s\n", ToUtf8(caption).c_str(), ToUtf8(text).c_str());
    return IDOK;
  }
  bool KeepsStandardOutput() const override { return false; }
};

}  // namespace

Backend *CreateNoDisplayBackend() { return new NoDisplayBackend; }

}  // namespace velmora::platform
