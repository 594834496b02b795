// USER32 window classes: registering one, finding one by name or atom, and
// the system cursor.
#include "front.h"

#include <cwctype>

namespace velmora::platform {

// ---------------------------------------------------------------------------
// Classes

static bool SameClassName(const std::wstring &a, LPCWSTR b) {
  size_t i = 0;
  for (; b[i] != 0; ++i) {
    if (i >= a.size() || std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return i == a.size();
}

// A class "name" up to 0xFFFF is an atom.
static bool IsAtomName(LPCWSTR name) { return reinterpret_cast<uintptr_t>(name) <= 0xFFFF; }

const WindowClass *FindClass(LPCWSTR name) {
  if (name == nullptr) return nullptr;
  for (const auto &c : GetState().classes) {
    if (IsAtomName(name) ? c->atom == reinterpret_cast<uintptr_t>(name) : SameClassName(c->name, name)) {
      return c.get();
    }
  }
  return nullptr;
}

}  // namespace velmora::platform

using namespace velmora::platform;

// RegisterClassExW: keeps the atom result, the refusal of duplicate names
// (compared without case) and of records without a name, and
// style, procedure, cursor and background brush. cbSize may be the 48 bytes
// of the 32-bit SDK record as well as this build's own size. Leaves out
// class and window extra bytes, icons, menus and per-module class scopes.
ATOM WINAPI RegisterClassExW(const WNDCLASSEXW *wndClass) {
  if (wndClass == nullptr) return 0;
  if (wndClass->cbSize != 48 && wndClass->cbSize != sizeof(WNDCLASSEXW)) return 0;
  // A class without a procedure registers, as under Wine; its windows get
  // 0 for every message, so creating one fails at WM_NCCREATE.
  if (wndClass->lpszClassName == nullptr || IsAtomName(wndClass->lpszClassName) || wndClass->lpszClassName[0] == 0) {
    return 0;
  }
  if (Refused("RegisterClassExW")) return 0;
  if (FindClass(wndClass->lpszClassName) != nullptr) return 0;
  State &state = GetState();
  if (state.nextAtom == 0) return 0;  // all atoms used
  auto c = std::make_unique<WindowClass>();
  c->atom = state.nextAtom++;
  c->name = wndClass->lpszClassName;
  c->style = wndClass->style;
  c->proc = wndClass->lpfnWndProc;
  c->instance = wndClass->hInstance;
  c->cursor = wndClass->hCursor;
  c->background = wndClass->hbrBackground;
  state.classes.push_back(std::move(c));
  return state.classes.back()->atom;
}

// LoadCursorW: keeps a non-null handle for the system cursors (no module,
// identifier 32512 to 32651). Leaves out cursor resources of modules and
// any real cursor shape: the backend shows its default pointer.
HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR cursorName) {
  static int systemCursor;
  const uintptr_t id = reinterpret_cast<uintptr_t>(cursorName);
  if (instance != nullptr || id < 32512 || id > 32651) return nullptr;
  return reinterpret_cast<HCURSOR>(&systemCursor);
}
