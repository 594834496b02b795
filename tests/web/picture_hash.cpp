// The real program on the headless backend through a fixed script of input
// and clock (keys, a drag, the wheel, resizes, minimise and restore, pause,
// an expose, a jump of the clock, Escape), printing how many images reached
// the window and a hash over all of them. Built natively and
// compiled to WebAssembly; the two builds must print the same line, or the
// doubles of the two differ somewhere (tests/web/CMakeLists.txt).
#include <cstdint>
#include <cstdio>

#include "app/shell/shell.h"
#include "velmora/headless.h"

namespace {

namespace hl = velmora::headless;

uint64_t g_hash = 1469598103934665603ull;

// FNV-1a over whole 32-bit words: every pixel changes the hash.
void Mix(uint32_t v) {
  g_hash ^= v;
  g_hash *= 1099511628211ull;
}

void Script(uint64_t poll) {
  switch (poll) {
    case 20: hl::KeyDown('1'); break;
    case 21: hl::KeyUp('1'); break;
    case 40: hl::KeyDown('F'); break;
    case 60: hl::LeftButton(true, 300, 300); break;
    case 61: hl::MouseMove(340, 320); break;
    case 62: hl::MouseMove(400, 200); break;
    case 63: hl::LeftButton(false, 400, 200); break;
    case 80: hl::Wheel(-120, 300, 300); break;
    case 81: hl::Wheel(120, 300, 300); break;
    case 82: hl::Wheel(120, 300, 300); break;
    case 100: hl::KeyDown(VK_UP); break;
    case 101: hl::KeyDown(VK_DOWN); break;
    case 102: hl::KeyDown(VK_DOWN); break;
    case 120: hl::ResizeWindow(640, 480); break;
    case 140: hl::Minimize(); break;
    case 150: hl::Restore(); break;
    case 160: hl::ResizeWindow(800, 700); break;
    case 170: hl::KeyDown('P'); break;
    case 200: hl::KeyDown('P'); break;
    case 210: hl::Expose(); break;
    case 2000: hl::AdvanceTick(3000); break;
    case 2500: hl::KeyDown('1'); break;
    case 3000: hl::KeyDown(VK_ESCAPE); break;
    default: break;
  }
}

}  // namespace

int main() {
  if (!hl::IsActive()) {
    std::fprintf(stderr, "picture_hash: needs VELMORA_BACKEND=headless\n");
    return 2;
  }
  hl::SetMessageTraceEnabled(false);
  hl::SetTickPerPoll(3);
  uint64_t images = 0;
  hl::SetPresentHook([&](const hl::Image &image) {
    ++images;
    Mix(static_cast<uint32_t>(image.width));
    Mix(static_cast<uint32_t>(image.height));
    for (uint32_t p : image.pixels) Mix(p);
  });
  hl::SetPollHook(Script);
  char noArguments[] = "";
  const int code = WinMain(nullptr, nullptr, noArguments, SW_SHOWNORMAL);
  for (const hl::MessageBoxCall &box : hl::MessageBoxes()) {
    std::fprintf(stderr, "picture_hash: message box %ls: %ls\n", box.caption.c_str(), box.text.c_str());
  }
  std::printf("exit %d, %llu images, hash %016llx\n", code, static_cast<unsigned long long>(images),
              static_cast<unsigned long long>(g_hash));
  return code;
}
