// The player view for the desktop bus (app/player_view.h), read from the program's own state.
#include "app/player_view.h"

#include "gfx/device.h"
#include "music/playback.h"
#include "music/playlist.h"

namespace {

int trackCount() { return playlist.count; }

int playingTrack() { return currentTrack; }

TrackDescription describeTrack(int track) {
  const TrackEntry& entry = *playlist.playOrder[track];
  return {entry.title.chars(), entry.artist.chars(), entry.path.chars()};
}

PlaybackState state() {
  if (stopped) return PlaybackState::stopped;
  return paused ? PlaybackState::paused : PlaybackState::playing;
}

int currentVolume() { return volume; }

bool repeatOn() { return repeatTrack; }

bool fullScreen() { return deviceState.fullScreen; }

HMUSIC music() { return musicChannel; }

const PlayerView view{trackCount,    playingTrack, describeTrack, state,
                      currentVolume, repeatOn,     fullScreen,    music};

}  // namespace

const PlayerView& playerView() { return view; }
