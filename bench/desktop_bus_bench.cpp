// Cost of the desktop bus in a frame when no call arrives: an empty PeekMessageA (which serves
// the bus when no message waits) without a session bus, and joined to a private one as the
// media player. The difference is what the bus costs each time the queue runs dry.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <memory>
#include <thread>

#include "app/player_commands.h"
#include "app/player_view.h"
#include "platform/desktop_bus.h"
#include "platform/win32.h"
#include "tests/support/session_bus.h"

namespace {

void peekEmptyQueue(benchmark::State& state) {
  MSG message;
  for (auto _ : state) benchmark::DoNotOptimize(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

void emptyPeekWithoutBus(benchmark::State& state) {
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  unsetenv("XDG_RUNTIME_DIR");
  startDesktopBus(playerView(), playerCommands());
  peekEmptyQueue(state);
  stopDesktopBus();
}

void emptyPeekJoinedToAnIdleBus(benchmark::State& state) {
  const std::string folder = makeTemporaryFolder();
  {
    const PrivateSessionBus bus(folder);
    if (!bus.running()) {
      state.SkipWithError("dbus-daemon did not start");
      return;
    }
    const std::string setting = bus.environment();
    setenv("DBUS_SESSION_BUS_ADDRESS", setting.substr(setting.find('=') + 1).c_str(), 1);
    startDesktopBus(playerView(), playerCommands());
    // Let the connection finish its greeting and take its name before measuring.
    MSG message;
    const auto settled = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (std::chrono::steady_clock::now() < settled) {
      PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (bus.run({"playerctl", "-l"}).output.find("zolta") == std::string::npos) {
      state.SkipWithError("the player did not show on the bus");
    } else {
      peekEmptyQueue(state);
    }
    stopDesktopBus();
  }
  removeFolder(folder);
}

BENCHMARK(emptyPeekWithoutBus);
BENCHMARK(emptyPeekJoinedToAnIdleBus);

}  // namespace
