// The pointer-leave test of the window procedure on a real X server: 500 ms (virtual clock)
// after the last mouse move the pointer is looked for once; outside the window it clears
// mouseInside through a posted WM_MOUSELEAVE, inside it changes nothing; the timer then stops.
#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <vector>

#include "app/main_window.h"
#include "app/window_proc.h"
#include "platform/hooks/clock.h"
#include "platform/hooks/window.h"
#include "tests/support/shell_x11_probe.h"
#include "tests/support/shell_xvfb.h"

namespace {

constexpr int waitMs = 5000;                  // bound on every wait for the X server
constexpr long long millisecond = 1'000'000;  // virtual clock ticks

std::vector<UINT> messages;

LRESULT CALLBACK spyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  messages.push_back(message);
  return windowProc(window, message, wParam, lParam);
}

void pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message != WM_QUIT) DispatchMessageA(&message);
  }
}

int count(UINT message) {
  int n = 0;
  for (UINT m : messages) n += m == message;
  return n;
}

TEST(PointerLeave, IsNoticedOnlyWhenThePointerIsOutsideAfterHalfASecond) {
  XvfbServer server(1024, 768);
  ASSERT_TRUE(server.running());
  setenv("DISPLAY", server.display().c_str(), 1);
  unsetenv("SDL_VIDEODRIVER");
  useVirtualClock();
  ASSERT_EQ(createMainWindow(), 0);
  SetWindowLongPtrA(appWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(spyProc));
  X11Probe probe(server.display());
  ASSERT_TRUE(waitUntil(
      [&] {
        pump();
        return probe.window("Zolta RodiZeve #1").viewable;
      },
      waitMs));

  // Inside: a move starts the timer; at 500 ms the pointer is still inside, so nothing changes.
  ASSERT_TRUE(xdotool(server.display(), {"mousemove", "492", "444"}));
  ASSERT_TRUE(waitUntil(
      [&] {
        pump();
        return mouseInside && cursorX == 295.0f && cursorY == 295.0f;
      },
      waitMs));
  messages.clear();
  advanceVirtualClock(499 * millisecond);
  pump();
  EXPECT_EQ(count(WM_TIMER), 0) << "the leave timer fired early";
  advanceVirtualClock(1 * millisecond);
  pump();
  EXPECT_EQ(count(WM_TIMER), 1);
  EXPECT_EQ(count(WM_MOUSELEAVE), 0);
  EXPECT_TRUE(mouseInside);
  advanceVirtualClock(2000 * millisecond);
  pump();
  EXPECT_EQ(count(WM_TIMER), 1) << "the timer was not stopped after its test";

  // Outside: move in once more (restarting the timer), then leave; 500 ms later it is noticed.
  ASSERT_TRUE(xdotool(server.display(), {"mousemove", "592", "344"}));
  ASSERT_TRUE(waitUntil(
      [&] {
        pump();
        return cursorX == 395.0f;
      },
      waitMs));
  ASSERT_TRUE(xdotool(server.display(), {"mousemove", "10", "10"}));
  ASSERT_TRUE(waitUntil(
      [&] {
        int x, y;
        return probe.pointer(&x, &y) && x == 10 && y == 10;
      },
      waitMs));
  ASSERT_TRUE(waitUntil(
      [&] {
        pump();
        return SDL_GetMouseFocus() == nullptr;
      },
      waitMs))
      << "SDL saw no leave";
  EXPECT_TRUE(mouseInside) << "only the timer may clear mouseInside";
  EXPECT_EQ(cursorX, 395.0f) << "the leave moved the drawn pointer to the window edge";
  EXPECT_EQ(cursorY, 195.0f);
  advanceVirtualClock(500 * millisecond);
  pump();
  EXPECT_EQ(count(WM_MOUSELEAVE), 1);
  EXPECT_FALSE(mouseInside);

  // At rest inside past the timer, then straight out: the leave restarts the timer where the
  // pointer was last seen, so it is still noticed 500 ms later and the drawn pointer stays put.
  ASSERT_TRUE(xdotool(server.display(), {"mousemove", "492", "444"}));
  ASSERT_TRUE(waitUntil(
      [&] {
        pump();
        return mouseInside && cursorX == 295.0f;
      },
      waitMs));
  advanceVirtualClock(600 * millisecond);
  pump();
  messages.clear();
  ASSERT_TRUE(xdotool(server.display(), {"mousemove", "10", "10"}));
  ASSERT_TRUE(waitUntil(
      [&] {
        pump();
        return SDL_GetMouseFocus() == nullptr;
      },
      waitMs))
      << "SDL saw no leave";
  EXPECT_TRUE(mouseInside);
  EXPECT_EQ(cursorX, 295.0f) << "the leave moved the drawn pointer";
  EXPECT_EQ(cursorY, 295.0f);
  advanceVirtualClock(499 * millisecond);
  pump();
  EXPECT_EQ(count(WM_MOUSELEAVE), 0) << "the leave was noticed before the timer";
  advanceVirtualClock(1 * millisecond);
  pump();
  EXPECT_EQ(count(WM_MOUSELEAVE), 1)
      << "a pointer that jumped out after resting inside was never noticed gone";
  EXPECT_FALSE(mouseInside);

  DestroyWindow(appWindow);
  pump();
  useRealClock();
}

}  // namespace
