// The pure rules of the desktop bus: which key a media command stands for in each player state,
// how a bus volume becomes a slider position, and how track fields become valid bus strings.
#pragma once

#include <string>
#include <string_view>

#include "platform/desktop_bus.h"
#include "platform/win32.h"

enum class MediaCommand { next, previous, pause, playPause, stop, play };

// The key release that carries out the command in this state; 0 when the command has nothing
// to do (pause while not playing, play while playing).
WPARAM commandKey(MediaCommand command, PlaybackState state);

// "Playing", "Paused" or "Stopped".
const char* playbackStatusName(PlaybackState state);

// The volume (0-99, the slider's range) for a bus volume of 0.0-1.0, clamped; -1 for NaN.
int volumeFromBus(double busVolume);

// The client x at which a left-button drag on the volume slider sets this volume (0-99); the
// slider's row is volumeSliderY.
int volumeSliderX(int volume);
constexpr int volumeSliderY = 234;

// Where a click toggles the repeat option, and where it switches full-screen mode, client pixels.
constexpr int repeatBoxX = 559, repeatBoxY = 36;
constexpr int fullScreenZoneX = 612, fullScreenZoneY = 7;

// The text without the spaces at either end.
std::string_view trimmedSpaces(std::string_view text);

// The bytes as UTF-8, each byte that is not part of a valid sequence replaced by U+FFFD (file
// names need not be UTF-8; bus strings must be).
std::string validUtf8(std::string_view bytes);

// The file:// URL of an absolute path, every byte outside the unreserved set and "/"
// percent-encoded.
std::string fileUrl(std::string_view absolutePath);
