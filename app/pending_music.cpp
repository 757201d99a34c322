// Temporary weak stand-ins for music/, replaced by its real definitions when they land.
#include "app/pending_music.h"

__attribute__((weak)) Playlist playlist = {};
__attribute__((weak)) int scanMusicFolder() { return 0; }
__attribute__((weak)) int currentTrack = 0;
__attribute__((weak)) int carouselSteps = 0;
__attribute__((weak)) int volume = 80;
__attribute__((weak)) bool paused = false;
__attribute__((weak)) bool stopped = false;
__attribute__((weak)) bool advanceArmed = false;
__attribute__((weak)) bool repeatTrack = true;
__attribute__((weak)) void startAudio() {}
__attribute__((weak)) void loadAndPlay(const RefString&) {}
__attribute__((weak)) void setVolume(int) {}
__attribute__((weak)) void stopAudio() {}
__attribute__((weak)) void nextTrack() {}
__attribute__((weak)) void previousTrack() {}
__attribute__((weak)) void togglePause() {}
__attribute__((weak)) void stopMusic() {}
__attribute__((weak)) void playMusic() {}
