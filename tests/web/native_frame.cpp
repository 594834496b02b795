// The pictures the page's canvas must show in two fixed states, drawn by
// the native build on the headless backend. The clock stands at 1000 ms
// (the headless start, which the program reads for its start tick and its
// seed) and then moves by 100 ms at a time: the points take one step at
// each move and none in between, however many frames pass. The first
// picture is the one after three steps, the second after a fourth.
// same_canvas.mjs drives the page's clock (performance.now, which
// GetTickCount reads) the same way and compares its canvas with these,
// pixel by pixel. Each file holds "VELMORA-FRAME <width> <height>\n" and
// then the presented words 0x00RRGGBB, row after row, little-endian.
//   native_frame FIRST SECOND
#include <cstdint>
#include <cstdio>

#include "app/shell/shell.h"
#include "velmora/headless.h"

namespace {

namespace hl = velmora::headless;

constexpr DWORD kStepMs = 100;
constexpr uint64_t kPollsPerStep = 10;
constexpr uint64_t kFirstSteps = 3;

bool Write(const hl::Image &image, const char *path) {
  std::FILE *out = std::fopen(path, "wb");
  if (out == nullptr) {
    std::perror(path);
    return false;
  }
  std::fprintf(out, "VELMORA-FRAME %d %d\n", image.width, image.height);
  for (uint32_t word : image.pixels) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8),
                                    static_cast<unsigned char>(word >> 16), static_cast<unsigned char>(word >> 24)};
    std::fwrite(bytes, 1, 4, out);
  }
  return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3 || !hl::IsActive()) {
    std::fprintf(stderr, "usage: VELMORA_BACKEND=headless native_frame FIRST SECOND\n");
    return 2;
  }
  static_assert(hl::kStartTick == 1000, "same_canvas.mjs starts the page's clock at 1000 ms");
  hl::SetMessageTraceEnabled(false);
  hl::SetTickPerPoll(0);
  bool written = true;
  uint64_t framesAtFirst = 0;
  hl::SetPollHook([&](uint64_t poll) {
    if (poll % kPollsPerStep != 0) return;
    const uint64_t step = poll / kPollsPerStep;
    if (step == kFirstSteps + 1) {
      written = Write(hl::LastPresented(), argv[1]) && written;
      framesAtFirst = hl::PresentCount();
    }
    if (step <= kFirstSteps + 1) hl::SetTick(hl::kStartTick + static_cast<DWORD>(step) * kStepMs);
    if (step == kFirstSteps + 2) hl::KeyDown(VK_ESCAPE);
  });
  char noArguments[] = "";
  const int code = WinMain(nullptr, nullptr, noArguments, SW_SHOWNORMAL);
  const uint64_t frames = hl::PresentCount();
  if (code != 0 || framesAtFirst == 0 || frames == framesAtFirst) {
    std::fprintf(stderr, "native_frame: the program ended with %d after %llu frames\n", code,
                 static_cast<unsigned long long>(frames));
    return 1;
  }
  written = Write(hl::LastPresented(), argv[2]) && written;
  std::printf("native_frame: two %d by %d pictures after %llu frames\n", hl::LastPresented().width,
              hl::LastPresented().height, static_cast<unsigned long long>(frames));
  return written ? 0 : 1;
}
