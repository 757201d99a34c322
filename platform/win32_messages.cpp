// The message queue of the Win32 subset: SDL events become window messages when PeekMessageA
// pumps them; PostMessageA queues, SendMessageA calls the window procedure at once; WM_QUIT
// and WM_TIMER are produced by PeekMessageA when nothing else waits, as on Windows.
// Also the cursor calls and DefWindowProcA with its modal window move.
#include <algorithm>
#include <deque>

#include "platform/desktop_bus_internal.h"
#include "platform/end_signals.h"
#include "platform/hooks/clock.h"
#include "platform/sdl_window.h"
#include "platform/start_options.h"
#include "platform/win32_internal.h"

namespace {

constexpr long long ticksPerMillisecond = clockTicksPerSecond / 1000;
constexpr LPARAM keyUpFlags = static_cast<LPARAM>(0xC0000001);  // repeat 1, previous down, released
constexpr LPARAM keyDownFlags = 0x00000001;                     // repeat 1
constexpr DWORD moveLoopPollMilliseconds = 10;                  // modal move: pointer poll period

struct Timer {
  HWND window;
  UINT_PTR id;
  long long interval;  // ticks
  long long due;       // clock value when it fires next
};

std::deque<MSG> queue;
std::vector<Timer> timers;
bool quitPosted = false;
int quitCode = 0;
int cursorDisplayCount = 0;  // ShowCursor: the pointer shows while >= 0
UINT_PTR nextAnonymousTimerId = 1;
POINT lastMessagePoint{0, 0};  // pointer position of the last mouse message retrieved
bool lastMessagePointKnown = false;
HWND pointerWindow =
    nullptr;                 // window of the last WM_MOUSEMOVE retrieved, NULL after WM_MOUSELEAVE
LPARAM pointerPosition = 0;  // its client position
bool startupClickWanted = false;  // postStartupClick: a click waits for the first window
POINT startupClick{0, 0};         // client position

// Windows virtual-key code of an SDL key, 0 for keys the program cannot see.
WPARAM virtualKeyOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    // Media keys (SDL reports play and pause alike, as Windows does).
    case SDLK_AUDIOPLAY: return VK_MEDIA_PLAY_PAUSE;
    case SDLK_AUDIOSTOP: return VK_MEDIA_STOP;
    case SDLK_AUDIONEXT: return VK_MEDIA_NEXT_TRACK;
    case SDLK_AUDIOPREV: return VK_MEDIA_PREV_TRACK;
    default: return 0;
  }
}

// Windows virtual-key code of a pressed or released key. With NumLock off the keypad's digit
// keys are a second set of cursor keys, as Windows reports them.
WPARAM virtualKeyOfPress(const SDL_Keysym& keysym) {
  if (!(keysym.mod & KMOD_NUM)) {
    switch (keysym.sym) {
      case SDLK_KP_8: return VK_UP;
      case SDLK_KP_2: return VK_DOWN;
      case SDLK_KP_4: return VK_LEFT;
      case SDLK_KP_6: return VK_RIGHT;
      default: break;
    }
  }
  return virtualKeyOf(keysym.sym);
}

// The client pixel of an SDL mouse position: divided by the window scale in windowed mode
// (rounded down, so a pointer just left of or above the window stays outside it), mapped back
// from the scaled and centred picture in full-screen mode. False in the black bars beside a
// full-screen picture: the program has no client pixel there (a bar position would wrap into
// the zones of the top strip).
bool clientPoint(HWND window, int x, int y, POINT* client) {
  if (!window->fullScreen) {
    const int scale = windowScale();
    *client = POINT{x >= 0 ? x / scale : (x - scale + 1) / scale,
                    y >= 0 ? y / scale : (y - scale + 1) / scale};
    return true;
  }
  int width, height;
  SDL_GetWindowSize(window->sdl, &width, &height);
  return picturePixelAt(width, height, x, y, client);
}

void queueMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                  POINT screenPoint = {0, 0}) {
  MSG entry{window, message, wParam, lParam, GetTickCount(), screenPoint};
  queue.push_back(entry);
}

// Screen position of a point given in SDL window coordinates.
POINT screenPoint(HWND window, int x, int y) {
  int left, top;
  SDL_GetWindowPosition(window->sdl, &left, &top);
  return POINT{left + x, top + y};
}

// Queues a mouse message at SDL window position (x, y). In a bar beside a full-screen picture
// nothing is queued; the first position there tells the window the pointer has left the picture
// (WM_MOUSELEAVE), so the program stops drawing it, as when the pointer leaves the window.
void queueMouseMessage(HWND window, UINT message, WPARAM keys, int x, int y) {
  POINT client;
  if (!clientPoint(window, x, y, &client)) {
    if (!window->pointerInBar) queueMessage(window, WM_MOUSELEAVE, 0, 0);
    window->pointerInBar = true;
    return;
  }
  window->pointerInBar = false;
  queueMessage(window, message, keys, MAKELPARAM(client.x, client.y), screenPoint(window, x, y));
}

// SDL reports the pointer leaving a window as a move clamped to the window edge, just before the
// leave itself (both come from one X event, so they arrive in the same pump). That move is not
// the user's and is dropped. In its place the window hears once more of the position it last
// saw, which restarts the window procedure's leave timer: a pointer that rested inside past the
// timer and then jumped out (a tablet, a quick flick) is still noticed gone half a second later.
void replaceMoveOfLeave(HWND window) {
  if (!queue.empty() && queue.back().hwnd == window && queue.back().message == WM_MOUSEMOVE)
    queue.pop_back();
  const bool moveQueued = std::any_of(queue.begin(), queue.end(), [window](const MSG& entry) {
    return entry.hwnd == window && entry.message == WM_MOUSEMOVE;
  });
  if (moveQueued || window != pointerWindow) return;
  const WPARAM keys = (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK) ? MK_LBUTTON : 0;
  queueMessage(window, WM_MOUSEMOVE, keys, pointerPosition, lastMessagePoint);
}

// The window a key belongs to. SDL leaves the window out when it has not seen the window take
// the keyboard focus (with no window manager the focus simply follows the pointer); the newest
// window then gets the key, as the program's only window would on Windows.
HWND keyboardWindow(Uint32 sdlId) {
  if (HWND window = windowOfSdlId(sdlId)) return window;
  const std::vector<HWND>& windows = allWindows();
  for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
    if (IsWindow(*window)) return *window;
  }
  return nullptr;
}

// Asks every window to close, as a user's close request would.
void closeEveryWindow() {
  for (HWND window : allWindows()) {
    if (IsWindow(window)) queueMessage(window, WM_CLOSE, 0, 0);
  }
}

// The window was mapped again after a minimise. With no window manager nobody gives it the
// keyboard focus (X left the focus at None when it was unmapped), so it takes the focus back
// itself, as SDL does when the window is first shown.
void onShownAgain(HWND window) {
  window->minimized = false;
  if (!windowManagerRunning(window)) SDL_SetWindowInputFocus(window->sdl);
}

void translateEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      HWND window = keyboardWindow(event.key.windowID);
      const WPARAM key = virtualKeyOfPress(event.key.keysym);
      if (!window || !key) return;
      if (event.type == SDL_KEYUP)
        queueMessage(window, WM_KEYUP, key, keyUpFlags);
      else
        queueMessage(window, WM_KEYDOWN, key, keyDownFlags);
      return;
    }
    case SDL_MOUSEMOTION: {
      HWND window = windowOfSdlId(event.motion.windowID);
      if (!window) return;
      const WPARAM keys = (event.motion.state & SDL_BUTTON_LMASK) ? MK_LBUTTON : 0;
      queueMouseMessage(window, WM_MOUSEMOVE, keys, event.motion.x, event.motion.y);
      return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      HWND window = windowOfSdlId(event.button.windowID);
      if (!window || event.button.button != SDL_BUTTON_LEFT) return;
      const bool down = event.type == SDL_MOUSEBUTTONDOWN;
      queueMouseMessage(window, down ? WM_LBUTTONDOWN : WM_LBUTTONUP, down ? MK_LBUTTON : 0,
                        event.button.x, event.button.y);
      return;
    }
    case SDL_WINDOWEVENT: {
      HWND window = windowOfSdlId(event.window.windowID);
      if (!window) return;
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) queueMessage(window, WM_CLOSE, 0, 0);
      if (event.window.event == SDL_WINDOWEVENT_LEAVE) replaceMoveOfLeave(window);
      if (event.window.event == SDL_WINDOWEVENT_MINIMIZED) window->minimized = true;
      if (event.window.event == SDL_WINDOWEVENT_RESTORED) window->minimized = false;
      if (event.window.event == SDL_WINDOWEVENT_SHOWN && window->minimized) onShownAgain(window);
      return;
    }
    case SDL_QUIT:  // SDL's own SIGINT or SIGTERM handler, where SDL started first
      closeEveryWindow();
      return;
    default: return;
  }
}

void pumpEvents() {
  if (allWindows().empty()) return;  // no window, no video subsystem to pump
  SDL_Event event;
  while (SDL_PollEvent(&event)) translateEvent(event);
  if (takeEndRequest()) closeEveryWindow();
}

// Whether the video driver can tell where the pointer is on the screen (the headless drivers
// only know window-relative positions, and have no button to hold).
bool hasGlobalPointer() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && SDL_strcasecmp(driver, "offscreen") != 0 && SDL_strcasecmp(driver, "dummy") != 0;
}

bool matches(const MSG& message, HWND window, UINT filterMin, UINT filterMax) {
  if (window && message.hwnd != window) return false;
  if (filterMin == 0 && filterMax == 0) return true;
  return message.message >= filterMin && message.message <= filterMax;
}

// The timer that has been due longest, or NULL.
Timer* dueTimer(HWND window) {
  const long long now = clockNow();
  Timer* earliest = nullptr;
  for (Timer& timer : timers) {
    if (window && timer.window != window) continue;
    if (timer.due <= now && (!earliest || timer.due < earliest->due)) earliest = &timer;
  }
  return earliest;
}

}  // namespace

void postStartupClick(int x, int y) {
  startupClickWanted = true;
  startupClick = POINT{x, y};
}

void deliverStartupClick(HWND window) {
  if (!startupClickWanted) return;
  startupClickWanted = false;
  const LPARAM position = MAKELPARAM(startupClick.x, startupClick.y);
  queueMessage(window, WM_LBUTTONDOWN, MK_LBUTTON, position);
  queueMessage(window, WM_LBUTTONUP, 0, position);
}

void forgetWindowMessages(HWND window) {
  std::erase_if(queue, [window](const MSG& message) { return message.hwnd == window; });
  std::erase_if(timers, [window](const Timer& timer) { return timer.window == window; });
}

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                         UINT removeMessage) {
  pumpEvents();
  if (queue.empty()) serviceDesktopBus();
  const bool remove = (removeMessage & PM_REMOVE) != 0;
  for (auto entry = queue.begin(); entry != queue.end(); ++entry) {
    if (!matches(*entry, window, filterMin, filterMax)) continue;
    *message = *entry;
    if (remove) {
      if (entry->message >= WM_MOUSEMOVE && entry->message <= WM_LBUTTONUP) {
        lastMessagePoint = entry->pt;
        lastMessagePointKnown = true;
      }
      if (entry->message == WM_MOUSEMOVE) {
        pointerWindow = entry->hwnd;
        pointerPosition = entry->lParam;
      }
      if (entry->message == WM_MOUSELEAVE && entry->hwnd == pointerWindow) pointerWindow = nullptr;
      queue.erase(entry);
    }
    return TRUE;
  }
  if (quitPosted &&
      (filterMin == 0 && filterMax == 0 ? true : WM_QUIT >= filterMin && WM_QUIT <= filterMax)) {
    *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(quitCode), 0, GetTickCount(), {0, 0}};
    if (remove) quitPosted = false;
    return TRUE;
  }
  if (filterMin == 0 && filterMax == 0 ? true : WM_TIMER >= filterMin && WM_TIMER <= filterMax) {
    if (Timer* timer = dueTimer(window)) {
      *message = MSG{timer->window, WM_TIMER, timer->id, 0, GetTickCount(), {0, 0}};
      if (remove) timer->due = clockNow() + timer->interval;
      return TRUE;
    }
  }
  endDesktopBusTurn();
  return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }

LRESULT WINAPI DispatchMessageA(const MSG* message) {
  if (!message || !message->hwnd || !IsWindow(message->hwnd)) return 0;
  return message->hwnd->procedure(message->hwnd, message->message, message->wParam,
                                  message->lParam);
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window || !window->procedure || window == GetDesktopWindow() ||
      (window->destroyed && message != WM_DESTROY)) {
    return 0;
  }
  return window->procedure(window, message, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !IsWindow(window)) return FALSE;
  queueMessage(window, message, wParam, lParam);
  return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
  quitPosted = true;
  quitCode = exitCode;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_CLOSE) DestroyWindow(window);
  if (message == WM_NCLBUTTONDOWN && wParam == HTCAPTION) runMoveLoop(window);
  return 0;
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapseMilliseconds, TIMERPROC) {
  if (window && !IsWindow(window)) return 0;
  if (!window) id = nextAnonymousTimerId++;
  const long long interval = static_cast<long long>(elapseMilliseconds) * ticksPerMillisecond;
  for (Timer& timer : timers) {
    if (timer.window == window && timer.id == id) {
      timer.interval = interval;
      timer.due = clockNow() + interval;
      return id;
    }
  }
  timers.push_back({window, id, interval, clockNow() + interval});
  return window ? 1 : id;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
  const auto removed = std::erase_if(timers, [window, id](const Timer& timer) {
    return timer.window == window && timer.id == id;
  });
  return removed ? TRUE : FALSE;
}

// ---- Cursor

void applyCursorVisibility() { SDL_ShowCursor(cursorDisplayCount >= 0 ? SDL_ENABLE : SDL_DISABLE); }

int WINAPI ShowCursor(BOOL show) {
  cursorDisplayCount += show ? 1 : -1;
  if (SDL_WasInit(SDL_INIT_VIDEO)) applyCursorVisibility();
  return cursorDisplayCount;
}

namespace {

// The pointer on the screen and whether the left button is down: from the X server when the
// windows are X11 windows, else from SDL.
bool globalPointer(int* x, int* y, bool* leftButtonDown) {
  if (queryPointer(x, y, leftButtonDown)) return true;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
  *leftButtonDown = (SDL_GetGlobalMouseState(x, y) & SDL_BUTTON_LMASK) != 0;
  return true;
}

}  // namespace

BOOL WINAPI GetCursorPos(LPPOINT point) {
  int x, y;
  bool leftButtonDown;
  if (!point || !globalPointer(&x, &y, &leftButtonDown)) return FALSE;
  *point = {x / windowScale(), y / windowScale()};
  return TRUE;
}

// ---- Modal move

// The window follows the global pointer, measured from where the pointer was at the click that
// started the move (the last mouse message retrieved), until the left button is up; one last
// placement follows the release, so a quick drag still lands where the button was let go. The move
// needs no window manager. Pointer events seen meanwhile belong to the move and are dropped.
void runMoveLoop(HWND window) {
  if (!IsWindow(window) || window == GetDesktopWindow() || !hasGlobalPointer()) return;
  int startWindowX, startWindowY, pointerX, pointerY;
  bool leftButtonDown;
  SDL_GetWindowPosition(window->sdl, &startWindowX, &startWindowY);
  if (!globalPointer(&pointerX, &pointerY, &leftButtonDown)) return;
  const POINT start = lastMessagePointKnown ? lastMessagePoint : POINT{pointerX, pointerY};
  for (;;) {
    SDL_SetWindowPosition(window->sdl, startWindowX + pointerX - start.x,
                          startWindowY + pointerY - start.y);
    if (!leftButtonDown || !IsWindow(window)) break;
    Sleep(moveLoopPollMilliseconds);
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_MOUSEMOTION, SDL_MOUSEWHEEL);
    if (!globalPointer(&pointerX, &pointerY, &leftButtonDown)) break;
  }
  SDL_PumpEvents();
  SDL_FlushEvents(SDL_MOUSEMOTION, SDL_MOUSEWHEEL);
  std::erase_if(queue, [window](const MSG& message) {
    return message.hwnd == window && message.message >= WM_MOUSEMOVE &&
           message.message <= WM_LBUTTONUP;
  });
}
