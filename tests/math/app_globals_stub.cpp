// Weak stand-ins for the application's globals, which the view tests point
// at their own record; the app library's definitions take precedence once
// it provides them, and this file can go then.
#include "app/app_context.h"

__attribute__((weak)) AppContext *g_app = nullptr;
__attribute__((weak)) DWORD g_lastStepTick = 0;
