// The backends this build has, by the name VELMORA_BACKEND gives them, and
// the choice among them. Kept apart so that adding a backend is one row
// here and one file of its own under backends/.
#include "front.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace velmora::platform {
namespace {

struct BackendEntry {
  const char *name;
  bool byDefault;  // chosen without VELMORA_BACKEND; false: only when named
  Backend *(*create)();
};

// In order of preference. The headless backend runs only when named (the
// tests name it): a program that finds no display has to say so, not run
// unseen.
constexpr BackendEntry kBackends[] = {
#if defined(VELMORA_HAVE_WEB)
    {"web", true, CreateWebBackend},
#endif
#if defined(VELMORA_HAVE_SDL)
    {"sdl", true, CreateSdlBackend},
#endif
    {"headless", false, CreateHeadlessBackend},
#if !defined(VELMORA_HAVE_WEB) && !defined(VELMORA_HAVE_SDL)
    // A build without a display backend (VELMORA_SDL=OFF) still has a
    // default: one whose windows fail and say why.
    {"none", true, CreateNoDisplayBackend},
#endif
};

}  // namespace

// _Exit, not exit: this runs inside the first call of ActiveBackend, and
// what exit runs (destructors, the wrapped fclose of standard output) may
// call it again, which would wait for ever for its own initialisation.
void ExitBeforeStart() {
  std::fflush(stderr);
  std::_Exit(1);
}

namespace {

[[noreturn]] void UnknownBackend(const char *name) {
  std::string known;
  for (const BackendEntry &entry : kBackends) {
    if (!known.empty()) known += ", ";
    known += entry.name;
  }
  std::fprintf(stderr, "VELMORA_BACKEND=%s: no such backend in this build (it has: %s)\n", name, known.c_str());
  ExitBeforeStart();
}

Backend *ChooseBackend() {
  const char *name = std::getenv("VELMORA_BACKEND");
  const bool named = name != nullptr && name[0] != '\0';
  for (const BackendEntry &entry : kBackends) {
    if (named ? std::strcmp(entry.name, name) == 0 : entry.byDefault) return entry.create();
  }
  UnknownBackend(named ? name : "");  // every build has a default, so only a name gets here
}

}  // namespace

Backend &ActiveBackend() {
  static Backend *backend = ChooseBackend();
  return *backend;
}

}  // namespace velmora::platform
