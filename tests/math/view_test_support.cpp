// Stand-ins for what the app and raster libraries will define, so the view
// tests link before those land. Remove once they are on main.
#include "app/app_context.h"
#include "raster/pixels.h"

AppContext *g_app;
DWORD g_lastStepTick;

void FillPixelRect(int, int, int, int, DWORD) {}
