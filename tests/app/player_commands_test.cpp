// The remote control's commands through the real message queue and window procedure: the key
// each player command becomes in each state, every volume the remote may set reached by a drag
// on the slider as laid out, clicks on the repeat lamp and the full-screen zone that press no
// button and put the pointer back, and nothing posted without a window.
#include <gtest/gtest.h>

#include <vector>

#include "app/display_mode.h"
#include "app/main_window.h"
#include "app/player_commands.h"
#include "app/window_proc.h"
#include "gfx/device.h"
#include "gfx/scene_resources.h"
#include "music/playback.h"
#include "platform/hooks/window.h"

namespace {

std::vector<WPARAM> keysSeen;  // of the WM_KEYUP messages the window procedure received

LRESULT CALLBACK spyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYUP) keysSeen.push_back(wParam);
  return windowProc(window, message, wParam, lParam);
}

void pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    if (message.message != WM_QUIT) DispatchMessageA(&message);
}

TEST(PlayerCommands, EachCommandIsAPlayerKeyOrNothingInEachState) {
  using enum KeyCommand;
  const PlaybackState playing = PlaybackState::playing, paused = PlaybackState::paused,
                      stopped = PlaybackState::stopped;
  for (const PlaybackState state : {playing, paused, stopped}) {
    EXPECT_EQ(commandKey(next, state), WPARAM{'B'});
    EXPECT_EQ(commandKey(previous, state), WPARAM{'Y'});
    EXPECT_EQ(commandKey(stop, state), WPARAM{'V'});
  }
  // Pause never resumes; play never restarts a tune that plays; play-pause starts a stopped one
  // (the pause key does nothing to a stopped tune).
  EXPECT_EQ(commandKey(pause, playing), WPARAM{'C'});
  EXPECT_EQ(commandKey(pause, paused), WPARAM{0});
  EXPECT_EQ(commandKey(pause, stopped), WPARAM{0});
  EXPECT_EQ(commandKey(play, playing), WPARAM{0});
  EXPECT_EQ(commandKey(play, paused), WPARAM{'X'});
  EXPECT_EQ(commandKey(play, stopped), WPARAM{'X'});
  EXPECT_EQ(commandKey(playPause, playing), WPARAM{'C'});
  EXPECT_EQ(commandKey(playPause, paused), WPARAM{'C'});
  EXPECT_EQ(commandKey(playPause, stopped), WPARAM{'X'});
}

class RemoteControl : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(createMainWindow(), 0);
    ASSERT_EQ(createDevice(false), 0);
    setupCameraAndLights();
    createSceneResources();
    SetWindowLongPtrA(appWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(spyProc));
    PostMessageA(appWindow, WM_MOUSEMOVE, 0, MAKELPARAM(380, 30));  // resting on button 1
    pump();
    keysSeen.clear();
  }
  void TearDown() override {
    releaseDevice();
    if (IsWindow(appWindow)) DestroyWindow(appWindow);
    pump();
  }
  static void expectPointerBackOnButton1() {
    EXPECT_TRUE(mouseInside);
    EXPECT_EQ(cursorX, 375.0f);
    EXPECT_EQ(cursorY, 25.0f);
    EXPECT_EQ(hoveredButton, 1);
  }

  const PlayerCommands& commands = playerCommands();
};

// Wherever the slider lies and however wide it is, each volume the remote may set is one that a
// drag on it gives.
TEST_F(RemoteControl, EveryVolumeIsSetByADragOnTheSlider) {
  for (int wanted = 0; wanted <= highestRemoteVolume; ++wanted) {
    volume = -1;
    ASSERT_TRUE(commands.setVolume(wanted));
    pump();
    EXPECT_EQ(volume, wanted);
  }
  EXPECT_FALSE(commands.setVolume(highestRemoteVolume)) << "the volume is that already";
  expectPointerBackOnButton1();
  volume = 80;
}

// With no tracks nothing plays: pause has nothing to do and play-pause plays.
TEST_F(RemoteControl, ClicksPressNoButtonAndNothingIsPostedOnceTheWindowHasClosed) {
  repeatTrack = true;
  for (const bool on : {false, true}) {
    ASSERT_TRUE(commands.setRepeat(on) && commands.setFullScreen(!on));
    pump();
    EXPECT_EQ(repeatTrack, on);
    EXPECT_EQ(deviceState.fullScreen, !on);
    EXPECT_FALSE(commands.setRepeat(on) || commands.setFullScreen(!on)) << "nothing to change";
  }
  EXPECT_TRUE(keysSeen.empty()) << "the button under the pointer was pressed";
  expectPointerBackOnButton1();
  PostMessageA(appWindow, WM_MOUSELEAVE, 0, 0);
  pump();
  ASSERT_TRUE(commands.setRepeat(false));
  pump();
  EXPECT_FALSE(mouseInside) << "a pointer that had left the window came back";

  EXPECT_FALSE(commands.pause());
  for (bool (*command)() :
       {commands.next, commands.previous, commands.playPause, commands.play, commands.stop})
    EXPECT_TRUE(command());
  pump();
  EXPECT_EQ(keysSeen, (std::vector<WPARAM>{'B', 'Y', 'X', 'X', 'V'}));
  EXPECT_EQ(mediaKeyPlayerKey(VK_MEDIA_PLAY_PAUSE), WPARAM{'X'});
  ASSERT_TRUE(commands.quit());
  pump();
  EXPECT_FALSE(IsWindow(appWindow));
  EXPECT_FALSE(commands.next() || commands.setVolume(10) || commands.setRepeat(true) ||
               commands.quit());
}

}  // namespace
