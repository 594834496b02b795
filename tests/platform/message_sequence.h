// Expected message sequences, written as tables in the form of Wine's own
// message tests: each entry a message with flags saying how it must arrive
// (sent or posted, from inside DefWindowProcW or not), which of its
// parameters count, and whether it may be missing. ExpectSequence compares
// a table with what a window's procedure received, prints both lists by
// message name with the first mismatch marked, and starts a new record.
#ifndef VELMORA_TESTS_PLATFORM_MESSAGE_SEQUENCE_H
#define VELMORA_TESTS_PLATFORM_MESSAGE_SEQUENCE_H

#include "win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace test {

enum MessageFlags : unsigned {
  kSent = 0x01,        // called directly (SendMessage, or the system inside a call)
  kPosted = 0x02,      // taken from the queue and dispatched
  kWParam = 0x04,      // wParam must be the entry's
  kLParam = 0x08,      // lParam must be the entry's
  kDefWinProc = 0x10,  // arrives while DefWindowProcW of this window runs
  kOptional = 0x20,    // may be missing (Windows and Wine send it, the stand-in need not)
};

// Messages Windows and Wine send that the stand-in does not model, none of
// which the program reads: the input method's and the palette's.
constexpr UINT kImeSetContext = 0x0281, kImeSelect = 0x0285, kQueryNewPalette = 0x030F;

struct Message {
  UINT message;
  unsigned flags;
  WPARAM wParam;
  LPARAM lParam;
};

using Sequence = std::vector<Message>;

// A message as it reached a test procedure, with the flags that describe
// how it came (kSent or kPosted, and kDefWinProc).
struct Received {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  unsigned flags;
};

inline std::vector<Received> &Log() {
  static std::vector<Received> log;
  return log;
}
inline void ClearLog() { Log().clear(); }

inline std::string MessageName(UINT message) {
  switch (message) {
#define VELMORA_NAME(id, name) \
  case id: return name
    VELMORA_NAME(0x0001, "WM_CREATE");
    VELMORA_NAME(0x0002, "WM_DESTROY");
    VELMORA_NAME(0x0003, "WM_MOVE");
    VELMORA_NAME(0x0005, "WM_SIZE");
    VELMORA_NAME(0x0006, "WM_ACTIVATE");
    VELMORA_NAME(0x0007, "WM_SETFOCUS");
    VELMORA_NAME(0x0008, "WM_KILLFOCUS");
    VELMORA_NAME(0x000C, "WM_SETTEXT");
    VELMORA_NAME(0x000D, "WM_GETTEXT");
    VELMORA_NAME(0x000F, "WM_PAINT");
    VELMORA_NAME(0x0010, "WM_CLOSE");
    VELMORA_NAME(0x0012, "WM_QUIT");
    VELMORA_NAME(0x0014, "WM_ERASEBKGND");
    VELMORA_NAME(0x0018, "WM_SHOWWINDOW");
    VELMORA_NAME(0x001C, "WM_ACTIVATEAPP");
    VELMORA_NAME(0x0020, "WM_SETCURSOR");
    VELMORA_NAME(0x0021, "WM_MOUSEACTIVATE");
    VELMORA_NAME(0x0024, "WM_GETMINMAXINFO");
    VELMORA_NAME(0x003D, "WM_GETOBJECT");
    VELMORA_NAME(0x0046, "WM_WINDOWPOSCHANGING");
    VELMORA_NAME(0x0047, "WM_WINDOWPOSCHANGED");
    VELMORA_NAME(0x007F, "WM_GETICON");
    VELMORA_NAME(0x0081, "WM_NCCREATE");
    VELMORA_NAME(0x0082, "WM_NCDESTROY");
    VELMORA_NAME(0x0083, "WM_NCCALCSIZE");
    VELMORA_NAME(0x0084, "WM_NCHITTEST");
    VELMORA_NAME(0x0085, "WM_NCPAINT");
    VELMORA_NAME(0x0086, "WM_NCACTIVATE");
    VELMORA_NAME(0x0088, "WM_SYNCPAINT");
    VELMORA_NAME(0x0100, "WM_KEYDOWN");
    VELMORA_NAME(0x0101, "WM_KEYUP");
    VELMORA_NAME(0x0102, "WM_CHAR");
    VELMORA_NAME(0x0104, "WM_SYSKEYDOWN");
    VELMORA_NAME(0x0105, "WM_SYSKEYUP");
    VELMORA_NAME(0x0106, "WM_SYSCHAR");
    VELMORA_NAME(0x0112, "WM_SYSCOMMAND");
    VELMORA_NAME(0x0200, "WM_MOUSEMOVE");
    VELMORA_NAME(0x020A, "WM_MOUSEWHEEL");
    VELMORA_NAME(0x0214, "WM_SIZING");
    VELMORA_NAME(0x0281, "WM_IME_SETCONTEXT");
    VELMORA_NAME(0x0282, "WM_IME_NOTIFY");
    VELMORA_NAME(0x0285, "WM_IME_SELECT");
    VELMORA_NAME(0x030F, "WM_QUERYNEWPALETTE");
    VELMORA_NAME(0x031F, "WM_DWMNCRENDERINGCHANGED");
#undef VELMORA_NAME
    default: break;
  }
  char text[32];
  std::snprintf(text, sizeof text, message >= 0x0400 && message < 0x8000 ? "WM_USER+%u" : "0x%04X",
                message >= 0x0400 && message < 0x8000 ? message - 0x0400 : message);
  return text;
}

inline std::string Describe(UINT message, unsigned flags, WPARAM wParam, LPARAM lParam, bool expected) {
  std::string text = MessageName(message);
  if (flags & kSent) text += " sent";
  if (flags & kPosted) text += " posted";
  if (flags & kDefWinProc) text += " defwinproc";
  if (flags & kOptional) text += " optional";
  char params[64];
  const auto w = static_cast<unsigned long long>(wParam);
  const auto l = static_cast<unsigned long long>(static_cast<uintptr_t>(lParam));
  if (!expected) {
    std::snprintf(params, sizeof params, " (%#llx, %#llx)", w, l);
    text += params;
  } else {
    if (flags & kWParam) {
      std::snprintf(params, sizeof params, " wParam %#llx", w);
      text += params;
    }
    if (flags & kLParam) {
      std::snprintf(params, sizeof params, " lParam %#llx", l);
      text += params;
    }
  }
  return text;
}

// Why an expected entry does not describe a received message, or empty
// when it does.
inline std::string Difference(const Message &e, const Received &a) {
  if (e.message != a.message) return MessageName(e.message) + " was expected, " + MessageName(a.message) + " came";
  if ((e.flags & kWParam) && e.wParam != a.wParam) return "its wParam differs";
  if ((e.flags & kLParam) && e.lParam != a.lParam) return "its lParam differs";
  if ((e.flags & kDefWinProc) != (a.flags & kDefWinProc)) {
    return (e.flags & kDefWinProc) ? "it should come from inside DefWindowProcW"
                                   : "it should not come from DefWindowProcW";
  }
  if ((e.flags & (kSent | kPosted)) != 0 && (e.flags & (kSent | kPosted)) != (a.flags & (kSent | kPosted))) {
    return (e.flags & kSent) ? "it should be sent, it was posted" : "it should be posted, it was sent";
  }
  return {};
}

// Compares what hwnd's procedure received since the log was last cleared
// with the table; true when they agree. Optional entries may be skipped,
// and nothing unexpected may come in between or after.
inline bool SequenceMatches(HWND hwnd, const Sequence &expected, std::string *report) {
  std::vector<Received> actual;
  for (const Received &r : Log()) {
    if (r.hwnd == hwnd) actual.push_back(r);
  }
  size_t e = 0, a = 0;
  std::string why;
  while (e < expected.size() && a < actual.size()) {
    const std::string difference = Difference(expected[e], actual[a]);
    if (difference.empty()) {
      ++e, ++a;
    } else if (expected[e].flags & kOptional) {
      ++e;
    } else {
      why = difference;
      break;
    }
  }
  if (why.empty()) {
    while (e < expected.size() && (expected[e].flags & kOptional)) ++e;
    if (e < expected.size())
      why = MessageName(expected[e].message) + " was expected, nothing more came";
    else if (a < actual.size())
      why = MessageName(actual[a].message) + " came, nothing more was expected";
  }
  if (why.empty()) return true;
  std::string text = "first mismatch: " + why + "\n  expected:\n";
  for (size_t i = 0; i < expected.size(); ++i) {
    const Message &m = expected[i];
    text += (i == e ? "  >> " : "     ") + Describe(m.message, m.flags, m.wParam, m.lParam, true) + "\n";
  }
  if (e == expected.size()) text += "  >> (end)\n";
  text += "  received:\n";
  for (size_t i = 0; i < actual.size(); ++i) {
    const Received &m = actual[i];
    text += (i == a ? "  >> " : "     ") + Describe(m.message, m.flags, m.wParam, m.lParam, false) + "\n";
  }
  if (a == actual.size()) text += "  >> (end)\n";
  *report = text;
  return false;
}

inline void ExpectSequence(HWND hwnd, const Sequence &expected, const char *name, const char *file, int line) {
  std::string report;
  if (!SequenceMatches(hwnd, expected, &report)) {
    ADD_FAILURE_AT(file, line) << "the messages of " << name << " differ, " << report;
  }
  ClearLog();
}

}  // namespace test

// EXPECT_SEQUENCE(hwnd, kTable): what hwnd received since the log was last
// cleared must be the table's sequence; the log starts anew afterwards.
#define EXPECT_SEQUENCE(hwnd, expected) ::test::ExpectSequence((hwnd), (expected), #expected, __FILE__, __LINE__)

#endif
