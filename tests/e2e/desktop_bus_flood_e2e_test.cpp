// A flood of commands on the desktop bus: the real program (WinMain, its main loop and
// renderFrame) runs unseen on the virtual clock, joined to a private session bus, while a
// connection of the test's own sends 4,096 pipelined Next and Previous calls, all in flight at
// once. Frames must go on being drawn while the calls are served (counted at each Present), and
// every call must take effect, in order.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "app/player_commands.h"
#include "app/player_view.h"
#include "app/win_main.h"
#include "music/playback.h"
#include "platform/desktop_bus.h"
#include "platform/hooks/clock.h"
#include "platform/hooks/manual_audio.h"
#include "platform/hooks/present_observer.h"
#include "tests/support/audio_module_writer.h"
#include "tests/support/session_bus.h"

namespace {

constexpr int floodCalls = 4096;
constexpr int tuneCount = 6;
constexpr int framesAtMost = 100000;  // a flood that never ends still ends the run
// The old service carried out every waiting command before the next frame: one frame for the
// whole flood. Sixty-four commands a frame is far more than the program allows.
constexpr int framesAtLeast = floodCalls / 64;

std::atomic<int> repliesSoFar{0};
std::atomic<bool> floodOver{false};
int framesDuringFlood = 0;
int framesPresented = 0;

void onPresent(IDirect3DDevice9*) {
  ++framesPresented;
  const int replies = repliesSoFar.load();
  if (replies > 0 && replies < floodCalls) ++framesDuringFlood;
  if (floodOver.load() || framesPresented == framesAtMost) PostMessageA(appWindow, WM_CLOSE, 0, 0);
}

TEST(DesktopBusFlood, PipelinedCommandsLeaveFramesDrawnAndAllTakeEffectInOrder) {
  const std::filesystem::path buildFolder = std::filesystem::current_path();
  const std::string scratch = freshScratchFolder("bus_flood");
  std::filesystem::current_path(scratch);
  std::filesystem::create_directories("data/msx");
  for (int tune = 0; tune < tuneCount; ++tune) {
    const std::string name =
        "data/msx/Flood - Tune " + std::string(1, static_cast<char>('A' + tune)) + ".mod";
    ASSERT_TRUE(writeBytes(name, makeToneModule(ToneModule{})));
  }

  // A seeded walk of Next and Previous; where it ends, with the player's stops at either end.
  std::mt19937 random(25027);
  std::vector<std::string> members;
  int expectedTrack = 0;
  for (int call = 0; call < floodCalls; ++call) {
    const bool next = random() % 2 == 0;
    members.push_back(next ? "Next" : "Previous");
    expectedTrack =
        next ? std::min(expectedTrack + 1, tuneCount - 1) : std::max(expectedTrack - 1, 0);
  }

  const std::string busFolder = makeTemporaryFolder();
  {
    const PrivateSessionBus bus(busFolder);
    ASSERT_TRUE(bus.running()) << "dbus-daemon did not start";
    const std::string setting = bus.environment();
    setenv("DBUS_SESSION_BUS_ADDRESS", setting.substr(setting.find('=') + 1).c_str(), 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    useVirtualClock();
    bassUseManualOutput(true);
    startDesktopBus(playerView(), playerCommands());
    PrivateSessionBus::Flood flood;
    std::thread flooder([&] {
      flood = bus.flood("org.mpris.MediaPlayer2.zolta", "/org/mpris/MediaPlayer2",
                        "org.mpris.MediaPlayer2.Player", members, floodCalls, &repliesSoFar);
      floodOver = true;
    });
    setPresentObserver(onPresent);
    const int status = WinMain(nullptr, nullptr, nullptr, 0);
    setPresentObserver(nullptr);
    floodOver = true;
    flooder.join();
    stopDesktopBus();
    useRealClock();

    EXPECT_EQ(status, 0);
    EXPECT_EQ(flood.firstError, "");
    EXPECT_EQ(flood.answered, floodCalls) << "calls refused or lost";
    EXPECT_EQ(currentTrack, expectedTrack) << "the commands did not all take effect in order";
    EXPECT_GE(framesDuringFlood, framesAtLeast) << "frames drawn while the flood was served";
  }
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  std::filesystem::current_path(buildFolder);
  std::filesystem::remove_all(scratch);
  removeFolder(busFolder);
}

}  // namespace
