// SDL events as window messages: key codes, mouse positions and buttons (also mapped back from
// a full-screen picture), the close request, and what happens to messages of a destroyed window.
#include <SDL.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <vector>

#include "platform/hooks/window.h"
#include "platform/win32.h"
#include "tests/support/test_window.h"

namespace {

std::vector<MSG> received;

LRESULT CALLBACK recordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  received.push_back(MSG{hwnd, message, wParam, lParam, 0, {0, 0}});
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class Win32Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    window = createTestWindow("MessagesTest", recordingProc, 640, 482);
    ASSERT_NE(window, nullptr);
    sdlId = SDL_GetWindowID(sdlWindowOf(window));
    dispatchAll();
    received.clear();
  }
  void TearDown() override {
    DestroyWindow(window);
    dispatchAll();
  }

  void dispatchAll() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message != WM_QUIT) DispatchMessageA(&message);
    }
  }
  void pushKey(Uint32 type, SDL_Keycode key, Uint16 modifiers = KMOD_NONE) {
    SDL_Event event = {};
    event.type = type;
    event.key.windowID = sdlId;
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    SDL_PushEvent(&event);
  }
  void pushWindowEvent(Uint8 what) {
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = sdlId;
    event.window.event = what;
    SDL_PushEvent(&event);
  }
  std::vector<UINT> receivedMessages() const {
    std::vector<UINT> messages;
    for (const MSG& m : received) messages.push_back(m.message);
    return messages;
  }
  void pushMotion(int x, int y, Uint32 buttons) {
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = sdlId;
    event.motion.x = x;
    event.motion.y = y;
    event.motion.state = buttons;
    SDL_PushEvent(&event);
  }
  void pushButton(Uint32 type, Uint8 button, int x, int y) {
    SDL_Event event = {};
    event.type = type;
    event.button.windowID = sdlId;
    event.button.button = button;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
  }

  HWND window = nullptr;
  Uint32 sdlId = 0;
};

TEST_F(Win32Messages, KeyReleasesArriveAsKeyUpWithWindowsKeyCodes) {
  pushKey(SDL_KEYDOWN, SDLK_b);
  pushKey(SDL_KEYUP, SDLK_b);
  pushKey(SDL_KEYUP, SDLK_y);
  pushKey(SDL_KEYUP, SDLK_ESCAPE);
  pushKey(SDL_KEYUP, SDLK_UP);
  pushKey(SDL_KEYUP, SDLK_DOWN);
  pushKey(SDL_KEYUP, SDLK_F13);  // no Windows counterpart in the subset: dropped
  for (const SDL_Keycode key : {SDLK_AUDIONEXT, SDLK_AUDIOPREV, SDLK_AUDIOSTOP, SDLK_AUDIOPLAY})
    pushKey(SDL_KEYUP, key);
  dispatchAll();
  std::vector<std::pair<UINT, WPARAM>> keys;
  for (const MSG& m : received) keys.push_back({m.message, m.wParam});
  const std::vector<std::pair<UINT, WPARAM>> expected = {
      {WM_KEYDOWN, 'B'},
      {WM_KEYUP, 'B'},
      {WM_KEYUP, 'Y'},
      {WM_KEYUP, VK_ESCAPE},
      {WM_KEYUP, VK_UP},
      {WM_KEYUP, VK_DOWN},
      // The media keys as Windows delivers them: the program decides what each one does.
      {WM_KEYUP, VK_MEDIA_NEXT_TRACK},
      {WM_KEYUP, VK_MEDIA_PREV_TRACK},
      {WM_KEYUP, VK_MEDIA_STOP},
      {WM_KEYUP, VK_MEDIA_PLAY_PAUSE}};
  EXPECT_EQ(keys, expected);
}

// With NumLock off the keypad's 8, 2, 4 and 6 are the cursor keys, as Windows reports them; with
// NumLock on they are digits the program does not see.
TEST_F(Win32Messages, KeypadArrowsWithNumLockOffAreCursorKeys) {
  pushKey(SDL_KEYUP, SDLK_KP_2);
  pushKey(SDL_KEYUP, SDLK_KP_8);
  pushKey(SDL_KEYUP, SDLK_KP_4, KMOD_LSHIFT);
  pushKey(SDL_KEYUP, SDLK_KP_6);
  pushKey(SDL_KEYUP, SDLK_KP_2, KMOD_NUM);
  pushKey(SDL_KEYUP, SDLK_KP_5);
  dispatchAll();
  std::vector<WPARAM> keys;
  for (const MSG& m : received) keys.push_back(m.wParam);
  EXPECT_EQ(keys, (std::vector<WPARAM>{VK_DOWN, VK_UP, VK_LEFT, VK_RIGHT}));
}

TEST_F(Win32Messages, MouseMovesAndLeftClicksCarryClientPixelsAndTheButton) {
  pushMotion(621, 5, 0);
  pushMotion(447, 230, SDL_BUTTON_LMASK);
  pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 606, 14);
  pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 10, 10);  // not a message the subset makes
  pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 606, 14);
  dispatchAll();
  ASSERT_EQ(received.size(), 4u);
  EXPECT_EQ(received[0].message, static_cast<UINT>(WM_MOUSEMOVE));
  EXPECT_EQ(received[0].lParam, 621 | 5 << 16);
  EXPECT_EQ(received[0].wParam, 0u);
  EXPECT_EQ(received[1].lParam, 447 | 230 << 16);
  EXPECT_EQ(received[1].wParam, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_EQ(received[2].message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(received[2].lParam, 606 | 14 << 16);
  EXPECT_EQ(received[3].message, static_cast<UINT>(WM_LBUTTONUP));
}

TEST_F(Win32Messages, FullScreenPositionsMapBackToThePicture) {
  int left, top, width, height;
  pictureViewport(1920, 1080, &left, &top, &width, &height);  // wide screen: bars left and right
  EXPECT_EQ(width, 1440);
  EXPECT_EQ(height, 1080);
  EXPECT_EQ(left, 240);
  EXPECT_EQ(top, 0);
  pictureViewport(1280, 1024, &left, &top, &width, &height);  // 5:4 screen: bars above and below
  EXPECT_EQ(width, 1280);
  EXPECT_EQ(height, 960);
  EXPECT_EQ(top, 32);

  RECT desktop;
  ASSERT_TRUE(GetClientRect(GetDesktopWindow(), &desktop));
  setWindowFullScreen(window, true);
  ASSERT_TRUE(isWindowFullScreen(window));
  RECT covered;
  GetWindowRect(window, &covered);
  EXPECT_EQ(covered.left, 0);
  EXPECT_EQ(covered.top, 0);
  EXPECT_EQ(covered.right, desktop.right);
  EXPECT_EQ(covered.bottom, desktop.bottom);

  pictureViewport(desktop.right, desktop.bottom, &left, &top, &width, &height);
  pushMotion(left + width - 1, top + height / 2, 0);  // right edge, half-way down
  dispatchAll();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(LOWORD(received[0].lParam), 639);
  EXPECT_EQ(HIWORD(received[0].lParam), 240);

  setWindowFullScreen(window, false);
  EXPECT_FALSE(isWindowFullScreen(window));
  GetWindowRect(window, &covered);
  EXPECT_EQ(covered.right - covered.left, 640);
  EXPECT_EQ(covered.bottom - covered.top, 482);
}

TEST_F(Win32Messages, FullScreenBarsHaveNoClientPixel) {
  POINT client{-1, -1};
  EXPECT_FALSE(picturePixelAt(1920, 1080, 239, 10, &client));  // left bar
  EXPECT_TRUE(picturePixelAt(1920, 1080, 240, 0, &client));
  EXPECT_EQ(client.x, 0);
  EXPECT_EQ(client.y, 0);
  EXPECT_TRUE(picturePixelAt(1920, 1080, 1679, 1079, &client));
  EXPECT_EQ(client.x, 639);
  EXPECT_EQ(client.y, 479);
  EXPECT_FALSE(picturePixelAt(1920, 1080, 1680, 10, &client));  // right bar
  EXPECT_FALSE(picturePixelAt(1280, 1024, 640, 31, &client));   // bar above
  EXPECT_FALSE(picturePixelAt(1280, 1024, 640, 992, &client));  // bar below
  EXPECT_TRUE(picturePixelAt(1280, 1024, 640, 991, &client));
  EXPECT_EQ(client.y, 479);
}

// A click in a bar beside the full-screen picture once mapped to an x beyond the picture that
// the window procedure read as the close zone. In the bars the window gets no mouse message but
// one WM_MOUSELEAVE, so the pointer is not drawn there; back on the picture, moves resume.
TEST_F(Win32Messages, FullScreenBarsSayThePointerHasLeftAndSwallowClicks) {
  setWindowFullScreen(window, true);
  SDL_SetWindowSize(sdlWindowOf(window), 1920, 1080);  // a wide screen: bars left and right
  pushMotion(1000, 540, 0);
  pushMotion(100, 10, 0);
  pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 100, 10);
  pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 100, 10);
  pushMotion(1800, 5, 0);
  pushMotion(1679, 540, 0);
  dispatchAll();
  EXPECT_EQ(receivedMessages(), (std::vector<UINT>{WM_MOUSEMOVE, WM_MOUSELEAVE, WM_MOUSEMOVE}));
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[2].lParam, 639 | 240 << 16);
  EXPECT_TRUE(IsWindow(window));
  setWindowFullScreen(window, false);
}

// SDL reports the pointer leaving the window as a move clamped to the window edge; that move
// must not reach the window (the drawn pointer would jump to the edge).
TEST_F(Win32Messages, LeavingTheWindowIsNotAMoveToItsEdge) {
  pushMotion(320, 240, 0);
  pushMotion(639, 240, 0);  // the edge position SDL sends with the leave
  pushWindowEvent(SDL_WINDOWEVENT_LEAVE);
  dispatchAll();
  ASSERT_EQ(receivedMessages(), (std::vector<UINT>{WM_MOUSEMOVE}));
  EXPECT_EQ(received[0].lParam, 320 | 240 << 16);
}

// The terminal closing ends the program the way SIGINT and SIGTERM do: the window is asked to
// close.
TEST_F(Win32Messages, HangUpAsksTheWindowToClose) {
  ASSERT_EQ(raise(SIGHUP), 0);
  dispatchAll();
  EXPECT_EQ(receivedMessages(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(Win32Messages, CloseRequestDestroysTheWindowAndDropsItsMessages) {
  SDL_Event event = {};
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = sdlId;
  event.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&event);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_CLOSE));
  PostMessageA(window, WM_USER, 0, 0);
  DispatchMessageA(&message);  // DefWindowProcA: WM_CLOSE → DestroyWindow → WM_DESTROY
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[1].message, static_cast<UINT>(WM_DESTROY));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
      << "a destroyed window's message survived";
  EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 0);
  EXPECT_EQ(received.size(), 2u);
}

TEST_F(Win32Messages, MinimiseAndShowAreReportedByIsIconic) {
  ShowWindow(window, SW_SHOWNORMAL);
  EXPECT_FALSE(IsIconic(window));
  ShowWindow(window, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(window));
  ShowWindow(window, SW_RESTORE);
  EXPECT_FALSE(IsIconic(window));
}

TEST_F(Win32Messages, PointInRectExcludesRightAndBottomEdges) {
  const RECT rect = {192, 144, 832, 626};
  EXPECT_TRUE(PtInRect(&rect, POINT{192, 144}));
  EXPECT_TRUE(PtInRect(&rect, POINT{831, 625}));
  EXPECT_FALSE(PtInRect(&rect, POINT{832, 300}));
  EXPECT_FALSE(PtInRect(&rect, POINT{300, 626}));
  EXPECT_FALSE(PtInRect(&rect, POINT{191, 300}));
}

}  // namespace
