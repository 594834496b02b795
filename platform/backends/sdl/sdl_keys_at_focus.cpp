// KeysAtFocus through Xlib, on the display SDL opened.
#include "sdl_keys_at_focus.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <iterator>

namespace velmora::platform {

void KeysAtFocus::Take(SDL_Window *window) {
  std::fill(std::begin(keymap_), std::end(keymap_), 0);
  display_ = nullptr;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window != nullptr && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    display_ = info.info.x11.display;
    XQueryKeymap(static_cast<Display *>(display_), keymap_);
  }
}

bool KeysAtFocus::WasDown(const char *keyName) const {
  if (display_ == nullptr || keyName == nullptr) return false;
  const KeySym sym = XStringToKeysym(keyName);
  if (sym == NoSymbol) return false;
  const KeyCode code = XKeysymToKeycode(static_cast<Display *>(display_), sym);
  return code != 0 && (keymap_[code / 8] & (1 << (code % 8))) != 0;
}

}  // namespace velmora::platform
