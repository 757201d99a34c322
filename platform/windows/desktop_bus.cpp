// The desktop bus on Windows: there is no session D-Bus, and nothing asks for one, so the
// program runs without it and says nothing.
#include "platform/desktop_bus.h"

void startDesktopBus(const PlayerView&, const PlayerCommands&) {}

void stopDesktopBus() {}
