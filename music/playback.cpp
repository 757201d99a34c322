// The player: loads each track as a looping music, carries out the player commands and
// advances to the next track when the playing tune has looped. Every new music gets the
// current volume, and a replaced music is freed at once.
#include "music/playback.h"

#include "app/main_window.h"
#include "music/playlist.h"
#include <windows.h>

HMUSIC musicChannel = 0;
int currentTrack = 0;
int carouselSteps = 0;
int volume = 80;
bool paused = false;
bool stopped = false;
bool advanceArmed = false;
bool repeatTrack = true;

namespace {

constexpr int outputDevice = 1;                                  // the default output device
constexpr DWORD outputRate = 44100;                              // Hz
constexpr DWORD musicFlags = BASS_MUSIC_LOOP | BASS_MUSIC_RAMP;  // 0x204
constexpr unsigned lastIntroOrder = 2;  // orders 0-2: a tune back here has looped

bool havePlaylist() { return playlist.count > 0; }

// Replaces the current music with the track at display position `track`.
void changeTrack(int track) {
  BASS_ChannelStop(musicChannel);
  currentTrack = track;
  loadAndPlay(playlist.playOrder[currentTrack]->path);
  stopped = false;
  advanceArmed = false;
}

}  // namespace

void startAudio() { BASS_Init(outputDevice, outputRate, 0, appWindow, nullptr); }

void loadAndPlay(const RefString& path) {
  BASS_MusicFree(musicChannel);
  musicChannel = BASS_MusicLoad(FALSE, path.chars(), 0, 0, musicFlags, 0);
  BASS_ChannelSetAttributes(musicChannel, -1, volume, -1);
  BASS_ChannelPlay(musicChannel, FALSE);
}

void setVolume(int newVolume) { BASS_ChannelSetAttributes(musicChannel, -1, newVolume, -1); }

void stopAudio() {
  BASS_ChannelStop(musicChannel);
  BASS_Free();
  musicChannel = 0;
}

void nextTrack() {
  if (!havePlaylist() || currentTrack >= playlist.count - 1) return;
  changeTrack(currentTrack + 1);
  carouselSteps += 1;
}

void previousTrack() {
  if (!havePlaylist() || currentTrack <= 0) return;
  changeTrack(currentTrack - 1);
  carouselSteps -= 1;
}

void togglePause() {
  if (BASS_ChannelIsActive(musicChannel) == BASS_ACTIVE_STOPPED) return;
  paused = !paused;
  if (paused)
    BASS_ChannelPause(musicChannel);
  else
    BASS_ChannelPlay(musicChannel, FALSE);
}

void stopMusic() {
  if (!havePlaylist()) return;
  stopped = true;
  BASS_ChannelStop(musicChannel);
  BASS_ChannelSetPosition(musicChannel, 0);
}

void playMusic() {
  if (!havePlaylist()) return;
  BASS_ChannelPlay(musicChannel, paused ? FALSE : TRUE);
  paused = false;
  stopped = false;
}

void checkAutoAdvance() {
  if (!havePlaylist()) return;
  unsigned order = static_cast<unsigned>(BASS_ChannelGetPosition(musicChannel) & 0xFFFF);
  if (order > lastIntroOrder) {
    advanceArmed = true;
    return;
  }
  if (advanceArmed && !repeatTrack && currentTrack != playlist.count - 1) {
    SendMessageA(appWindow, WM_KEYUP, 'B', 0);
    advanceArmed = false;
  }
}
