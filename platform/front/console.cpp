// KERNEL32's console calls. On Linux the process keeps whatever terminal it
// has, so these only keep the results a program checks.
#include "front.h"

using namespace velmora::platform;

// AllocConsole: keeps TRUE for the first call and FALSE while a console is
// already allocated. Leaves out the console window itself.
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
