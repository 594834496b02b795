// KeysAtFocus through Xlib, on the display SDL opened, and the SDL key to
// X keysym translation it looks keys up by.
#include "sdl_keys_at_focus.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <iterator>

namespace velmora::platform {
namespace {

// A key that gives a character is named by it, as the layout has it (the
// Latin-1 keysyms are the characters' codes, the others are Unicode with a
// tag), except the control characters SDL gives for Backspace, Tab, Return,
// Escape and Delete; a key without a character goes by its place.
// A second choice, for a key that layouts name in two ways, goes to *other.
unsigned long XKeysymOf(const SDL_Keysym &key, unsigned long *other) {
  *other = NoSymbol;
  const SDL_Keycode sym = key.sym;
  switch (sym) {
    case SDLK_BACKSPACE: return XK_BackSpace;
    case SDLK_TAB: return XK_Tab;
    case SDLK_RETURN: return XK_Return;
    case SDLK_ESCAPE: return XK_Escape;
    case SDLK_DELETE: return XK_Delete;
    default: break;
  }
  if ((sym >= 0x20 && sym <= 0x7E) || (sym >= 0xA0 && sym <= 0xFF)) return static_cast<unsigned long>(sym);
  if (sym > 0xFF && (sym & SDLK_SCANCODE_MASK) == 0 && sym <= 0x10FFFF) return 0x01000000UL | sym;
  const SDL_Scancode sc = key.scancode;
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return XK_F1 + (sc - SDL_SCANCODE_F1);
  if (sc >= SDL_SCANCODE_F13 && sc <= SDL_SCANCODE_F24) return XK_F13 + (sc - SDL_SCANCODE_F13);
  if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) return XK_KP_1 + (sc - SDL_SCANCODE_KP_1);
  switch (sc) {
    case SDL_SCANCODE_LSHIFT: return XK_Shift_L;
    case SDL_SCANCODE_RSHIFT: return XK_Shift_R;
    case SDL_SCANCODE_LCTRL: return XK_Control_L;
    case SDL_SCANCODE_RCTRL: return XK_Control_R;
    case SDL_SCANCODE_LALT: return XK_Alt_L;
    case SDL_SCANCODE_RALT: *other = XK_ISO_Level3_Shift; return XK_Alt_R;  // AltGr on many layouts
    case SDL_SCANCODE_LGUI: return XK_Super_L;
    case SDL_SCANCODE_RGUI: return XK_Super_R;
    case SDL_SCANCODE_APPLICATION: return XK_Menu;
    case SDL_SCANCODE_CAPSLOCK: return XK_Caps_Lock;
    case SDL_SCANCODE_NUMLOCKCLEAR: return XK_Num_Lock;
    case SDL_SCANCODE_SCROLLLOCK: return XK_Scroll_Lock;
    case SDL_SCANCODE_PRINTSCREEN: return XK_Print;
    case SDL_SCANCODE_PAUSE: return XK_Pause;
    case SDL_SCANCODE_INSERT: return XK_Insert;
    case SDL_SCANCODE_HOME: return XK_Home;
    case SDL_SCANCODE_END: return XK_End;
    case SDL_SCANCODE_PAGEUP: return XK_Prior;
    case SDL_SCANCODE_PAGEDOWN: return XK_Next;
    case SDL_SCANCODE_UP: return XK_Up;
    case SDL_SCANCODE_DOWN: return XK_Down;
    case SDL_SCANCODE_LEFT: return XK_Left;
    case SDL_SCANCODE_RIGHT: return XK_Right;
    case SDL_SCANCODE_KP_0: return XK_KP_0;
    case SDL_SCANCODE_KP_PERIOD: return XK_KP_Decimal;
    case SDL_SCANCODE_KP_DIVIDE: return XK_KP_Divide;
    case SDL_SCANCODE_KP_MULTIPLY: return XK_KP_Multiply;
    case SDL_SCANCODE_KP_MINUS: return XK_KP_Subtract;
    case SDL_SCANCODE_KP_PLUS: return XK_KP_Add;
    case SDL_SCANCODE_KP_ENTER: return XK_KP_Enter;
    case SDL_SCANCODE_KP_EQUALS: return XK_KP_Equal;
    default: return NoSymbol;
  }
}

}  // namespace

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

bool KeysAtFocus::WasDown(const SDL_Keysym &key) const {
  if (display_ == nullptr) return false;
  unsigned long other = NoSymbol;
  for (const unsigned long sym : {XKeysymOf(key, &other), other}) {
    if (sym == NoSymbol) continue;
    const KeyCode code = XKeysymToKeycode(static_cast<Display *>(display_), sym);
    if (code != 0) return (keymap_[code / 8] & (1 << (code % 8))) != 0;
  }
  return false;
}

}  // namespace velmora::platform
