// Weak stand-ins for the application's globals: the tests point g_app at
// their own record, and the application library's definitions, when it is
// linked in, take precedence over these.
#include "app/app_context.h"

__attribute__((weak)) AppContext *g_app = nullptr;
__attribute__((weak)) DWORD g_lastStepTick = 0;
