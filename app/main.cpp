// Process entry: hands control to WinMain, whose result becomes the exit status. The desktop bus
// is joined around it when a session bus exists.
#include "app/player_view.h"
#include "app/win_main.h"

int main() {
  startDesktopBus(playerView());
  const int status = WinMain(nullptr, nullptr, nullptr, 0);
  stopDesktopBus();
  return status;
}
