// The X server's keyboard state at the moment a window gained the focus,
// for the SDL backend: SDL does not give it, and the X headers' macros
// would clash with the backend's own names, so they stay in its .cpp.
#ifndef VELMORA_PLATFORM_SDL_KEYS_AT_FOCUS_H
#define VELMORA_PLATFORM_SDL_KEYS_AT_FOCUS_H

struct SDL_Window;
struct SDL_Keysym;

namespace velmora::platform {

class KeysAtFocus {
 public:
  // Reads the server's keyboard; on another video driver nothing is down.
  void Take(SDL_Window *window);
  // Whether the key of this SDL key event was down then.
  bool WasDown(const SDL_Keysym &key) const;

 private:
  void *display_ = nullptr;
  char keymap_[32] = {};
};

}  // namespace velmora::platform

#endif
