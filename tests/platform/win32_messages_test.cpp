// SDL events as window messages: key codes, mouse positions and buttons (also mapped back from
// a full-screen picture), the close request, and what happens to messages of a destroyed window.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/hooks/window.h"
#include "platform/win32.h"

namespace {

std::vector<MSG> received;

LRESULT CALLBACK recordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  received.push_back(MSG{hwnd, message, wParam, lParam, 0, {0, 0}});
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class Win32Messages : public ::testing::Test {
protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      WNDCLASSEXA windowClass = {};
      windowClass.cbSize = sizeof windowClass;
      windowClass.lpfnWndProc = recordingProc;
      windowClass.lpszClassName = "MessagesTest";
      ASSERT_NE(RegisterClassExA(&windowClass), 0);
      registered = true;
    }
    window = CreateWindowExA(0, "MessagesTest", "messages", 0, 0, 0, 640, 482, nullptr, nullptr, nullptr, nullptr);
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
  void pushKey(Uint32 type, SDL_Keycode key) {
    SDL_Event event = {};
    event.type = type;
    event.key.windowID = sdlId;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
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
  dispatchAll();
  std::vector<std::pair<UINT, WPARAM>> keys;
  for (const MSG& m : received) keys.push_back({m.message, m.wParam});
  const std::vector<std::pair<UINT, WPARAM>> expected = {
      {WM_KEYDOWN, 'B'}, {WM_KEYUP, 'B'}, {WM_KEYUP, 'Y'}, {WM_KEYUP, VK_ESCAPE}, {WM_KEYUP, VK_UP}, {WM_KEYUP, VK_DOWN}};
  EXPECT_EQ(keys, expected);
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
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) << "a destroyed window's message survived";
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
