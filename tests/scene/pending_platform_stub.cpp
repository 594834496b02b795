// Weak stand-ins for the pieces of the platform and application libraries
// the point and quadric tests touch (the virtual clock and the application
// globals), until those libraries provide them; then this file goes.
#include "app/app_context.h"
#include "velmora/headless.h"

namespace {
DWORD g_stubTick = velmora::headless::kStartTick;
}

__attribute__((weak)) AppContext *g_app = nullptr;
__attribute__((weak)) DWORD g_lastStepTick = 0;
__attribute__((weak)) DWORD WINAPI GetTickCount(void) { return g_stubTick; }
namespace velmora::headless {
__attribute__((weak)) void SetTick(DWORD ms) { g_stubTick = ms; }
}  // namespace velmora::headless
