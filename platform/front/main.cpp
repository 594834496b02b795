// The process entry point on Linux: what the C runtime of a Windows GUI
// program does before WinMain, reduced to the command line after the
// program name and a show command.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <string>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace {
// The module handle: any non-null value that stays the same for the run.
int g_module;
}  // namespace

int main(int argc, char **argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  constexpr int kShowDefault = 10;  // SW_SHOWDEFAULT
  const int exitCode = WinMain(reinterpret_cast<HINSTANCE>(&g_module), nullptr, commandLine.data(), kShowDefault);
#ifdef __EMSCRIPTEN__
  // After the loop has yielded to the page, main returns to no one; ending
  // the runtime is what tells the page the program ended, and how.
  emscripten_force_exit(exitCode);
#endif
  return exitCode;
}
