// The SDL2 backend (being written): the real clock and message boxes on
// standard error; windows cannot be made yet.
#include "front.h"

#include <time.h>

#include <cstdio>

namespace velmora::platform {
namespace {

class SdlBackend final : public Backend {
 public:
  bool IsHeadless() const override { return false; }
  DWORD Tick() override {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u);
  }
  RECT DesktopRect() override { return RECT{0, 0, 1280, 1024}; }
  void BeginPoll() override {}
  void Wait() override {}
  bool CreateNativeWindow(Window &) override { return false; }
  void DestroyNativeWindow(Window &) override {}
  void UpdateNativeState(Window &) override {}
  bool BeginDraw(Window &, Surface *) override { return false; }
  void EndDraw(Window &, const RECT &, bool) override {}
  int MessageBox(HWND, LPCWSTR text, LPCWSTR caption, UINT) override {
    std::fprintf(stderr, "%s: %s\n", ToUtf8(caption).c_str(), ToUtf8(text).c_str());
    return IDOK;
  }
};

}  // namespace

Backend *CreateSdlBackend() { return new SdlBackend; }

}  // namespace velmora::platform
