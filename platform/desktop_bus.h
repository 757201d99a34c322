// The desktop bus: the program as an MPRIS 2 media player on the session D-Bus ("now playing",
// media keys and remote control of the desktop), served from the main thread by the message
// queue. The program publishes a read-only view of its player and the commands a remote control
// may give; the bus knows nothing of the program's keys or screen.
#pragma once

#include "platform/bass.h"

enum class PlaybackState { playing, paused, stopped };

// The fields of one track as the display keeps them (padding spaces included).
struct TrackDescription {
  const char* title;
  const char* artist;
  const char* path;  // relative to the working folder
};

// What the bus may read of the player. Every function is called on the main thread.
struct PlayerView {
  int (*trackCount)();
  int (*playingTrack)();  // display position, 0-based; meaningless with no tracks
  TrackDescription (*describeTrack)(int track);  // track: display position
  PlaybackState (*state)();
  int (*volume)();   // 0-100
  bool (*repeat)();  // the playing tune repeats for ever
  bool (*fullScreen)();
  HMUSIC (*music)();  // the playing music, 0 when none
};

// The highest volume a remote control may set: the volume slider stops short of 100.
constexpr int highestRemoteVolume = 99;

// What the bus may ask of the player: the program carries each command out as its own keys
// and mouse do, through messages posted to its window. Each returns whether it posted any
// (false: nothing to do in this state, or no window). Every function is called on the main
// thread.
struct PlayerCommands {
  bool (*next)();
  bool (*previous)();
  bool (*play)();   // nothing while a tune plays
  bool (*pause)();  // nothing unless a tune plays
  bool (*playPause)();
  bool (*stop)();
  bool (*setVolume)(int volume);  // 0-highestRemoteVolume
  bool (*setRepeat)(bool on);
  bool (*setFullScreen)(bool on);
  bool (*quit)();  // closes the window
};

// Publishes the view and the commands and, when a session bus exists, joins it as the media
// player. No session bus: nothing happens; a bus that cannot be joined or does not answer
// within half a second: one stderr line, and the rest of the platform is kept away from it.
// Never starts a bus. From here on SIGINT, SIGTERM and SIGHUP end the program through its
// window.
void startDesktopBus(const PlayerView& view, const PlayerCommands& commands);
// Leaves the bus, delivering what is still queued for half a second at most.
void stopDesktopBus();
