// What the program lets the desktop bus read of its player: the playlist's display fields and
// the player state, read-only.
#pragma once

#include "platform/desktop_bus.h"

const PlayerView& playerView();
