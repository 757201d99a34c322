// The pure rules of the desktop bus: the status name of each player state, the volume a bus
// value asks for, and track fields made valid bus strings.
#pragma once

#include <string>
#include <string_view>

#include "platform/desktop_bus.h"

// "Playing", "Paused" or "Stopped".
const char* playbackStatusName(PlaybackState state);

// The volume (0-highestRemoteVolume) for a bus volume of 0.0-1.0, clamped; -1 for NaN.
int volumeFromBus(double busVolume);

// The text without the spaces at either end.
std::string_view trimmedSpaces(std::string_view text);

// The bytes as UTF-8, each byte that is not part of a valid sequence replaced by U+FFFD (file
// names need not be UTF-8; bus strings must be).
std::string validUtf8(std::string_view bytes);

// The file:// URL of an absolute path, every byte outside the unreserved set and "/"
// percent-encoded.
std::string fileUrl(std::string_view absolutePath);
