// The application record and the simulation's start tick, both made before
// WinMain runs. The static initializers that make them live here, next to
// g_app, so that any program using the record also links them.
#include "app/app_context.h"

AppContext *g_app = nullptr;
DWORD g_lastStepTick = 0;

void CreateAppContext() {
  // Value-initialisation clears the whole record: fields that get their
  // first value only later (handles, rectangles, sizes) read as zero and
  // null until then, so a geometry query made before the window's handles
  // exist fails cleanly instead of reading garbage.
  AppContext *app = new AppContext();
  app->hwnd = nullptr;
  app->title = L"VELMORA";
  app->waitForMessages = 0;
  app->classStyle = CS_VREDRAW | CS_HREDRAW;
  app->exStyle = WS_EX_APPWINDOW;
  app->windowStyle = WS_OVERLAPPEDWINDOW;
  app->running = 0;
  app->showFps = 0;
  app->frameCount = 0;
  app->fpsTick = GetTickCount();
  wsprintfW(app->fpsText, L"FPS: ");
  // Until the window exists these four numbers are its x, y, width and
  // height at creation, not a rectangle.
  app->windowRect = RECT{50, 50, 800, 700};
  app->clientRect = RECT{0, 0, 800, 600};
  app->reserved0 = 0;
  app->reserved1 = 0;
  app->useConsole = 1;
  app->memoryDc = nullptr;
  app->dibBitmap = nullptr;
  // Published last: whoever sees g_app sees a finished record.
  g_app = app;
}

void InitStepTick() { g_lastStepTick = GetTickCount(); }

namespace {

struct StaticInitializer {
  explicit StaticInitializer(void (*run)()) { run(); }
};

// Dynamic initialisation runs in order of definition within one translation
// unit, so the record always exists before the start tick is taken, whatever
// order the linker puts the program's objects in.
const StaticInitializer g_createAppContext(CreateAppContext);
const StaticInitializer g_initStepTick(InitStepTick);

}  // namespace
