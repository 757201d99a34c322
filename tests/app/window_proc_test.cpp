// The window procedure through the real message queue: SDL events are pushed, PeekMessageA
// turns them into messages and DispatchMessageA runs windowProc (behind a recording procedure
// installed with SetWindowLongPtrA). Covers the zone edges, hover, slider, repeat box, keys
// and the display-mode switches with a real device.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/display_mode.h"
#include "app/main_window.h"
#include "app/screen_layout.h"
#include "app/window_proc.h"
#include "gfx/device.h"
#include "gfx/scene_resources.h"
#include "music/playback.h"
#include "platform/hooks/window.h"

namespace {

struct Seen {
  UINT message;
  WPARAM wParam;
};
std::vector<Seen> seen;

LRESULT CALLBACK spyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  seen.push_back({message, wParam});
  return windowProc(window, message, wParam, lParam);
}

class WindowProc : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(createMainWindow(), 0);
    ASSERT_EQ(createDevice(false), 0);
    setupCameraAndLights();
    createSceneResources();
    if (buttonVertices[0][1].x == 0.0f) buildButtonCorners();
    SetWindowLongPtrA(appWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(spyProc));
    pump();
    seen.clear();
    hoveredButton = -1;
    volume = 80;
    repeatTrack = true;
  }
  void TearDown() override {
    releaseDevice();
    if (IsWindow(appWindow)) DestroyWindow(appWindow);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  // The button corners as the scene resources lay them out, for as long as they do not yet.
  static void buildButtonCorners() {
    for (int i = 0; i < buttonCount; ++i) {
      const float left = 329.0f + 40 * i, right = 368.0f + 40 * i;
      buttonVertices[i][0] = {left, 13.4f, 0, 1, 0, 0};
      buttonVertices[i][1] = {right, 13.5f, 0, 1, 1, 0};
      buttonVertices[i][2] = {right, 50.0f, 0, 1, 1, 1};
      buttonVertices[i][3] = {left, 50.0f, 0, 1, 0, 1};
    }
  }

  static void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message != WM_QUIT)
        DispatchMessageA(&message);
      else
        quitSeen = true;
    }
  }
  // Window coordinates of client pixel (x, y): the same in a window, scaled in full-screen.
  static SDL_Point windowPoint(int x, int y) {
    if (!isWindowFullScreen(appWindow)) return {x, y};
    int width, height, left, top, pictureWidth, pictureHeight;
    SDL_GetWindowSize(sdlWindowOf(appWindow), &width, &height);
    pictureViewport(width, height, &left, &top, &pictureWidth, &pictureHeight);
    return {left + (2 * x + 1) * pictureWidth / 1280, top + (2 * y + 1) * pictureHeight / 960};
  }
  static void moveTo(int x, int y, Uint32 buttons = 0) {
    const SDL_Point point = windowPoint(x, y);
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = SDL_GetWindowID(sdlWindowOf(appWindow));
    event.motion.x = point.x;
    event.motion.y = point.y;
    event.motion.state = buttons;
    SDL_PushEvent(&event);
    pump();
  }
  static void click(int x, int y) {
    moveTo(x, y);
    const SDL_Point point = windowPoint(x, y);
    SDL_Event event = {};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.windowID = SDL_GetWindowID(sdlWindowOf(appWindow));
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = point.x;
    event.button.y = point.y;
    SDL_PushEvent(&event);
    event.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&event);
    pump();
  }
  static void key(SDL_Keycode code) {
    SDL_Event event = {};
    event.type = SDL_KEYUP;
    event.key.windowID = SDL_GetWindowID(sdlWindowOf(appWindow));
    event.key.keysym.sym = code;
    SDL_PushEvent(&event);
    pump();
  }
  static int count(UINT message, WPARAM wParam = ~WPARAM(0)) {
    int n = 0;
    for (const Seen& s : seen)
      n += s.message == message && (wParam == ~WPARAM(0) || s.wParam == wParam);
    return n;
  }
  static RECT windowRect() {
    RECT rect;
    GetWindowRect(appWindow, &rect);
    return rect;
  }
  static RECT desktop() {
    RECT rect;
    GetClientRect(GetDesktopWindow(), &rect);
    return rect;
  }
  static int cursorCount() {  // the display count of ShowCursor, left as it was
    const int count = ShowCursor(TRUE);
    ShowCursor(FALSE);
    return count - 1;
  }

  static bool quitSeen;
};
bool WindowProc::quitSeen = false;

TEST_F(WindowProc, HoverFindsTheButtonUnderThePointerAtItsEdges) {
  const struct {
    int x, y, button;
  } cases[] = {{368, 30, 0}, {369, 30, 1},  {328, 30, -1}, {329, 30, 0},
               {528, 30, 4}, {529, 30, -1}, {400, 13, -1}, {400, 14, 1},
               {400, 50, 1}, {400, 51, -1}, {489, 50, 4}};
  for (const auto& c : cases) {
    moveTo(c.x, c.y);
    EXPECT_EQ(hoveredButton, c.button) << "at (" << c.x << ", " << c.y << ")";
  }
  EXPECT_TRUE(mouseInside);
  EXPECT_EQ(cursorX, 484.0f);
  EXPECT_EQ(cursorY, 45.0f);
}

TEST_F(WindowProc, ButtonsSendTheirKeysAndWinOverTheTopStrip) {
  const WPARAM keys[] = {'Y', 'C', 'V', 'X', 'B'};
  for (int i = 0; i < buttonCount; ++i) {
    seen.clear();
    click(340 + 40 * i, 30);
    EXPECT_EQ(count(WM_KEYUP, keys[i]), 1) << "button " << i;
  }
  seen.clear();
  click(449, 14);  // on button 3 and in the top strip: the button
  EXPECT_EQ(count(WM_KEYUP, 'X'), 1);
  EXPECT_EQ(count(WM_NCLBUTTONDOWN), 0);
  seen.clear();
  click(449, 13);  // above the button: the drag strip
  EXPECT_EQ(count(WM_KEYUP), 0);
  EXPECT_EQ(count(WM_NCLBUTTONDOWN, HTCAPTION), 1);
}

TEST_F(WindowProc, TopStripZonesDragMinimiseAndClose) {
  // Just outside each zone of the top strip, and its far left.
  for (int x :
       {lastColumn(fullScreenZone) + 1, lastColumn(minimiseZone) + 1, 0, minimiseZone.x - 1}) {
    seen.clear();
    const int cursorBefore = cursorCount();
    click(x, 5);
    EXPECT_EQ(count(WM_NCLBUTTONDOWN, HTCAPTION), 1) << "x = " << x;
    EXPECT_EQ(cursorCount(), cursorBefore - 1) << "the pointer was not hidden again after the move";
    EXPECT_TRUE(IsWindow(appWindow));
  }
  for (int x : {lastColumn(minimiseZone), minimiseZone.x}) {
    ShowWindow(appWindow, SW_RESTORE);
    click(x, 5);
    EXPECT_TRUE(IsIconic(appWindow)) << "x = " << x;
  }
  ShowWindow(appWindow, SW_RESTORE);
  quitSeen = false;
  click(closeZone.x, 5);
  EXPECT_FALSE(IsWindow(appWindow));
  EXPECT_EQ(count(WM_DESTROY), 1);
  EXPECT_TRUE(quitSeen);
}

TEST_F(WindowProc, FullScreenToggleBothWaysAndNoDragInFullScreen) {
  click(fullScreenZone.x, 5);
  ASSERT_TRUE(deviceState.fullScreen);
  ASSERT_NE(deviceState.device, nullptr);
  RECT rect = windowRect();
  EXPECT_EQ(rect.right - rect.left, desktop().right);
  EXPECT_EQ(rect.bottom - rect.top, desktop().bottom);

  seen.clear();
  click(300, 5);
  EXPECT_EQ(count(WM_NCLBUTTONDOWN), 0) << "the drag strip acted in full-screen";

  click(lastColumn(fullScreenZone), 5);
  ASSERT_FALSE(deviceState.fullScreen);
  ASSERT_NE(deviceState.device, nullptr);
  rect = windowRect();
  EXPECT_EQ(rect.left, desktop().right / 2 - clientWidth / 2);
  EXPECT_EQ(rect.top, desktop().bottom / 2 - clientHeight / 2);
  EXPECT_EQ(rect.right - rect.left, clientWidth);
  EXPECT_EQ(rect.bottom - rect.top, clientHeight);
}

TEST_F(WindowProc, MinimiseInFullScreenLeavesItFirst) {
  click(fullScreenZone.x, 5);
  ASSERT_TRUE(deviceState.fullScreen);
  click(600, 5);
  EXPECT_FALSE(deviceState.fullScreen);
  EXPECT_NE(deviceState.device, nullptr);
  EXPECT_TRUE(IsIconic(appWindow));
}

TEST_F(WindowProc, EscapeLeavesFullScreenCentredThenEndsTheProgram) {
  click(fullScreenZone.x, 5);
  ASSERT_TRUE(deviceState.fullScreen);
  key(SDLK_ESCAPE);
  EXPECT_FALSE(deviceState.fullScreen);
  EXPECT_TRUE(IsWindow(appWindow));
  const RECT rect = windowRect();
  EXPECT_EQ(rect.left, desktop().right / 2 - clientWidth / 2);
  EXPECT_EQ(rect.bottom - rect.top, clientHeight);
  quitSeen = false;
  key(SDLK_ESCAPE);
  EXPECT_FALSE(IsWindow(appWindow));
  EXPECT_TRUE(quitSeen);
}

TEST_F(WindowProc, SliderSetsTheVolumeOnlyWhileTheButtonIsHeldInsideIt) {
  const struct {
    int x, y, volume;  // -1: left alone
  } cases[] = {{388, 230, -1}, {389, 230, 0},  {447, 230, 49}, {506, 230, 99}, {507, 230, -1},
               {447, 220, -1}, {447, 221, 49}, {447, 247, 49}, {447, 248, -1}};
  for (const auto& c : cases) {
    volume = 77;
    moveTo(c.x, c.y, SDL_BUTTON_LMASK);
    EXPECT_EQ(volume, c.volume < 0 ? 77 : c.volume) << "at (" << c.x << ", " << c.y << ")";
  }
  volume = 77;
  moveTo(447, 230);  // no button held
  EXPECT_EQ(volume, 77);
  click(447, 230);  // a click without a move
  EXPECT_EQ(volume, 77);
}

TEST_F(WindowProc, RepeatBoxTogglesInsideItsEdgesOnly) {
  const int left = repeatLampZone.x, right = lastColumn(repeatLampZone);
  const int top = repeatLampZone.y, bottom = lastRow(repeatLampZone);
  // One pixel outside each edge: no toggle.
  for (auto [x, y] :
       {std::pair{left - 1, top}, {right + 1, bottom}, {left, top - 1}, {right, bottom + 1}}) {
    click(x, y);
    EXPECT_TRUE(repeatTrack) << "at (" << x << ", " << y << ")";
  }
  click(left, top);
  EXPECT_FALSE(repeatTrack);
  click(right, bottom);
  EXPECT_TRUE(repeatTrack);
}

TEST_F(WindowProc, OtherKeysAreIgnored) {
  key(SDLK_a);
  key(SDLK_SPACE);
  key(SDLK_RETURN);
  EXPECT_TRUE(IsWindow(appWindow));
  EXPECT_FALSE(deviceState.fullScreen);
  EXPECT_EQ(volume, 80);
  EXPECT_TRUE(repeatTrack);
}

}  // namespace
