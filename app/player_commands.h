// The commands a remote control may give the player (platform/desktop_bus.h), carried out as
// the program's own keys and mouse carry them out: the key release of a player command, a click
// on the repeat lamp or the full-screen zone, a drag on the volume slider, each posted to the
// window. The media keys stand for the same player commands.
#pragma once

#include <windows.h>

#include "platform/desktop_bus.h"

// A command that one of the player's keys carries out.
enum class KeyCommand { next, previous, pause, playPause, stop, play };

// The key release that carries out the command in this state; 0 when the command has nothing
// to do (pause while not playing, play while playing).
WPARAM commandKey(KeyCommand command, PlaybackState state);

// The player key a media key (VK_MEDIA_NEXT_TRACK, VK_MEDIA_PREV_TRACK, VK_MEDIA_STOP,
// VK_MEDIA_PLAY_PAUSE) stands for now; 0 for any other key, or when it has nothing to do.
WPARAM mediaKeyPlayerKey(WPARAM key);

const PlayerCommands& playerCommands();
