// USER32 messages: the per-thread queue and its retrieval order (posted,
// WM_QUIT, input, WM_PAINT), PostQuitMessage, TranslateMessage and
// DispatchMessageW. Retrieval allocates nothing, so a polling loop with an
// empty queue costs no memory traffic.
#include "front.h"

#include <cstdio>

namespace velmora::platform {

void MessageRing::Push(const MSG &msg) {
  if (count_ == buffer_.size()) {
    std::vector<MSG> grown(buffer_.empty() ? 16 : buffer_.size() * 2);
    for (size_t i = 0; i < count_; ++i) grown[i] = At(i);
    buffer_.swap(grown);
    head_ = 0;
  }
  buffer_[(head_ + count_) % buffer_.size()] = msg;
  ++count_;
}

void MessageRing::Erase(size_t i) {
  if (i >= count_) return;
  if (i == 0) {
    head_ = (head_ + 1) % buffer_.size();
  } else {
    for (size_t j = i; j + 1 < count_; ++j) At(j) = At(j + 1);
  }
  --count_;
}

void MessageRing::EraseWindow(HWND hwnd) {
  size_t kept = 0;
  for (size_t i = 0; i < count_; ++i) {
    if (At(i).hwnd != hwnd) At(kept++) = At(i);
  }
  count_ = kept;
}

Queue &ThreadQueue() {
  thread_local Queue queue;
  return queue;
}

void SetCursorScreenPos(POINT pt) { GetState().cursor = pt; }

static MSG MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetTickCount();
  msg.pt = GetState().cursor;
  return msg;
}

static Queue *QueueOf(HWND hwnd) {
  Window *window = FindWindowRecord(hwnd);
  return window == nullptr || window->destroying ? nullptr : window->queue;
}

void PostInputMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Queue *queue = QueueOf(hwnd)) queue->input.Push(MakeMessage(hwnd, message, wParam, lParam));
}

void PostToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Queue *queue = QueueOf(hwnd)) queue->posted.Push(MakeMessage(hwnd, message, wParam, lParam));
}

// Posted, not sent: a window manager's close reaches the program through
// its message loop, as under Wine, whose X11 driver posts this for
// WM_DELETE_WINDOW.
void UserClose(HWND hwnd) { PostToWindow(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }

size_t QueuedMessages() {
  const Queue &queue = ThreadQueue();
  return queue.posted.Size() + queue.input.Size();
}

static bool Matches(const MSG &msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (hwnd == reinterpret_cast<HWND>(-1)) {
    if (msg.hwnd != nullptr) return false;
  } else if (hwnd != nullptr && msg.hwnd != hwnd) {
    return false;
  }
  if (filterMin == 0 && filterMax == 0) return true;
  return msg.message >= filterMin && msg.message <= filterMax;
}

static bool TakeFrom(MessageRing &ring, MSG *msg, HWND hwnd, UINT filterMin, UINT filterMax, bool remove) {
  for (size_t i = 0; i < ring.Size(); ++i) {
    if (!Matches(ring.At(i), hwnd, filterMin, filterMax)) continue;
    *msg = ring.At(i);
    if (remove) ring.Erase(i);
    return true;
  }
  return false;
}

// One look at the queue in the order Windows uses.
static bool Retrieve(MSG *msg, HWND hwnd, UINT filterMin, UINT filterMax, bool remove) {
  Queue &queue = ThreadQueue();
  if (TakeFrom(queue.posted, msg, hwnd, filterMin, filterMax, remove)) return true;
  // WM_QUIT comes whatever the message range asks for, as the reference
  // pages of PeekMessage and GetMessage say.
  if (queue.quit) {
    *msg = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
    if (remove) queue.quit = false;
    return true;
  }
  if (TakeFrom(queue.input, msg, hwnd, filterMin, filterMax, remove)) return true;
  for (Window *window : GetState().windowOrder) {
    if (window->queue != &queue || window->update.right <= window->update.left ||
        window->update.bottom <= window->update.top) {
      continue;
    }
    MSG paint = MakeMessage(window->handle, WM_PAINT, 0, 0);
    if (Matches(paint, hwnd, filterMin, filterMax)) {
      *msg = paint;
      return true;  // WM_PAINT stays until the update region is validated
    }
  }
  return false;
}

}  // namespace velmora::platform

using namespace velmora::platform;

// GetMessageW: keeps waiting until a message matches, the retrieval order
// and the result 0 for WM_QUIT (which it removes), -1 for a null MSG.
// Leaves out timers and cross-thread sent messages. While it waits it
// polls the backend again, so a headless poll hook runs once per round.
BOOL WINAPI GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (msg == nullptr) return -1;
  Backend &backend = ActiveBackend();
  for (;;) {
    backend.BeginPoll();
    if (Retrieve(msg, hwnd, filterMin, filterMax, true)) return msg->message == WM_QUIT ? 0 : 1;
    backend.Wait();
  }
}

// PeekMessageW: keeps returning at once, the retrieval order, PM_REMOVE and
// PM_NOREMOVE (WM_PAINT is never removed; WM_QUIT's flag is cleared on
// removal) and message filters by window and range. Leaves out
// PM_QS_* selection flags and timers.
BOOL WINAPI PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMessage) {
  if (msg == nullptr) return FALSE;
  ActiveBackend().BeginPoll();
  return Retrieve(msg, hwnd, filterMin, filterMax, (removeMessage & PM_REMOVE) != 0) ? TRUE : FALSE;
}

namespace {

WCHAR CharacterOf(UINT vk, bool shift) {
  if (vk >= 'A' && vk <= 'Z') return static_cast<WCHAR>(shift ? vk : vk - 'A' + 'a');
  if (vk >= '0' && vk <= '9' && !shift) return static_cast<WCHAR>(vk);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<WCHAR>('0' + vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SPACE: return L' ';
    case VK_RETURN: return L'\r';
    case VK_BACK: return L'\b';
    case VK_TAB: return L'\t';
    case VK_ESCAPE: return 0x1B;
    case VK_MULTIPLY: return L'*';
    case VK_ADD: return L'+';
    case VK_SUBTRACT: return L'-';
    case VK_DECIMAL: return L'.';
    case VK_DIVIDE: return L'/';
    default: return 0;
  }
}

}  // namespace

// TranslateMessage: keeps posting WM_CHAR for WM_KEYDOWN of keys that make
// a character (letters in the case Shift gives, unshifted digits, keypad
// digits and operators, space, Enter, Backspace, Tab, Escape) and the
// nonzero result for every key message. Leaves out keyboard layouts, dead
// keys, Caps Lock, shifted digits and WM_SYSCHAR; Shift is the state the
// backend last reported, not the state when the key message was queued.
BOOL WINAPI TranslateMessage(const MSG *msg) {
  if (msg == nullptr) return FALSE;
  switch (msg->message) {
    case WM_KEYDOWN: {
      const bool shift = GetState().keys[VK_SHIFT] != 0;
      const WCHAR ch = CharacterOf(static_cast<UINT>(msg->wParam), shift);
      if (ch != 0) {
        PostToWindow(msg->hwnd, WM_CHAR, ch, msg->lParam);
      }
      return TRUE;
    }
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: return TRUE;
    default: return FALSE;
  }
}

// DispatchMessageW: keeps calling the procedure of the message's window
// and returning its result; a message without a live window returns 0.
// Leaves out WM_TIMER callbacks.
LRESULT WINAPI DispatchMessageW(const MSG *msg) {
  if (msg == nullptr || msg->hwnd == nullptr) return 0;
  return SendToWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

// PostQuitMessage: keeps setting the queue's quit flag and code; WM_QUIT
// is produced by retrieval once no posted message is pending.
void WINAPI PostQuitMessage(int exitCode) {
  Queue &queue = ThreadQueue();
  queue.quit = true;
  queue.quitCode = exitCode;
}
