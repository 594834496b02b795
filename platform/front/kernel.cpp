// KERNEL32 calls (tick, console), MessageBoxW, the choice of backend, and
// the link-level wrappers of freopen/fclose that keep the program's reopen
// of standard output on the Windows console device from creating a file.
#include "front.h"

#include <strings.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace velmora::platform {

Observers &FrontObservers() {
  static Observers observers;
  return observers;
}

#if !defined(VELMORA_HAVE_SDL) && !defined(VELMORA_HAVE_WEB)
namespace {

// A build without the SDL2 backend (VELMORA_SDL=OFF) has no display: it can
// read the clock, but a window cannot be made, and the first attempt says
// why, as a missing display does.
class NoDisplayBackend final : public Backend {
 public:
  DWORD Tick() override { return MonotonicSystemTick(); }
  RECT DesktopRect() override { return RECT{0, 0, 1280, 1024}; }
  void BeginPoll() override {}
  void Wait() override {}
  bool CreateNativeWindow(Window &) override {
    std::fprintf(stderr, "this build has no display backend (built with VELMORA_SDL=OFF); "
                         "only VELMORA_BACKEND=headless runs\n");
    return false;
  }
  void DestroyNativeWindow(Window &) override {}
  void UpdateNativeState(Window &) override {}
  bool BeginDraw(Window &, Surface *) override { return false; }
  void EndDraw(Window &, const RECT &, bool) override {}
  int MessageBox(HWND, LPCWSTR text, LPCWSTR caption, UINT) override {
    std::fprintf(stderr, "%s: %s\n", ToUtf8(caption).c_str(), ToUtf8(text).c_str());
    return IDOK;
  }
  bool KeepsStandardOutput() const override { return false; }
};

}  // namespace
#endif

// The headless backend only when asked for: otherwise a real window is
// wanted.
Backend &ActiveBackend() {
  static Backend *backend = []() -> Backend * {
    const char *choice = std::getenv("VELMORA_BACKEND");
    if (choice != nullptr && std::strcmp(choice, "headless") == 0) return CreateHeadlessBackend();
#if defined(VELMORA_HAVE_WEB)
    return CreateWebBackend();
#elif defined(VELMORA_HAVE_SDL)
    return CreateSdlBackend();
#else
    return new NoDisplayBackend;
#endif
  }();
  return *backend;
}

DWORD SystemTimerTick(uint64_t monotonicNanoseconds) {
  constexpr uint64_t kTimerHz = 64;
  const uint64_t ticks = monotonicNanoseconds / (1000000000u / kTimerHz);  // 15.625 ms each
  return static_cast<DWORD>(ticks * 1000u / kTimerHz);
}

DWORD MonotonicSystemTick() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return SystemTimerTick(static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec));
}

std::string ToUtf8(const wchar_t *text, size_t length) {
  std::string out;
  if (text == nullptr) return out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    uint32_t c = static_cast<uint32_t>(text[i]);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string ToUtf8(const wchar_t *text) { return text == nullptr ? std::string() : ToUtf8(text, wcslen(text)); }

}  // namespace velmora::platform

using namespace velmora::platform;

// GetTickCount: keeps milliseconds as a 32-bit count that wraps, and on a
// real display the default granularity of the system timer, steps of 15 or
// 16 ms (SystemTimerTick); headless it reads the virtual clock, which moves
// only when told to. Leaves out timeBeginPeriod, which does not change it
// on Windows either.
DWORD WINAPI GetTickCount(void) { return ActiveBackend().Tick(); }

// AllocConsole: keeps TRUE for the first call and FALSE while a console is
// already allocated. Leaves out the console window itself: on Linux the
// process keeps whatever terminal it has.
BOOL WINAPI AllocConsole(void) {
  ObserveCall("AllocConsole");
  State &state = GetState();
  if (state.consoleAllocated) return FALSE;
  state.consoleAllocated = true;
  return TRUE;
}

// SetConsoleTitleW: keeps TRUE for a title. Leaves out showing it anywhere.
BOOL WINAPI SetConsoleTitleW(LPCWSTR title) {
  if (title == nullptr) return FALSE;
  const std::string call = "SetConsoleTitleW " + ToUtf8(title);
  ObserveCall(call.c_str());
  return TRUE;
}

// FreeConsole: keeps detaching from the console allocated before. Leaves
// out closing anything: there is no console window to close.
BOOL WINAPI FreeConsole(void) {
  ObserveCall("FreeConsole");
  GetState().consoleAllocated = false;
  return TRUE;
}

// MessageBoxW: keeps showing caption and text (SDL's message box on a
// display, standard error without one, a record when headless) and
// returning IDOK. Leaves out buttons other than OK, icons beyond the
// error/warning/information kind, and modality towards the owner.
int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  return ActiveBackend().MessageBox(owner, text != nullptr ? text : L"", caption != nullptr ? caption : L"Error",
                                    type);
}

// The Windows console device names that a reopen may use.
static bool IsConsoleDevice(const char *path) {
  return path != nullptr && (strcasecmp(path, "CONOUT$") == 0 || strcasecmp(path, "CON") == 0);
}

extern "C" {
FILE *__real_freopen(const char *path, const char *mode, FILE *stream);
int __real_fclose(FILE *stream);
FILE *__wrap_freopen(const char *path, const char *mode, FILE *stream);
int __wrap_fclose(FILE *stream);
}

// freopen, wrapped at link time: a reopen on the console device leaves the
// stream as it is where the backend keeps standard output, and sends it to
// /dev/null otherwise, so no file named after the device appears.
// Everything else goes to the C library.
FILE *__wrap_freopen(const char *path, const char *mode, FILE *stream) {
  if (!IsConsoleDevice(path)) return __real_freopen(path, mode, stream);
  const std::string call = std::string("freopen ") + path + " " + (mode != nullptr ? mode : "");
  ObserveCall(call.c_str());
  if (ActiveBackend().KeepsStandardOutput()) return stream;
  return __real_freopen("/dev/null", mode, stream);
}

// fclose, wrapped at link time: closing standard output is not done where
// the backend keeps it. Everything else goes to the C library.
int __wrap_fclose(FILE *stream) {
  if (stream != nullptr && stream == stdout) {
    ObserveCall("fclose stdout");
    if (ActiveBackend().KeepsStandardOutput()) return 0;
  }
  return __real_fclose(stream);
}
