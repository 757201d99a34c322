// Temporary: the playlist and playback names this folder calls, until music/ lands its headers.
#pragma once

#include "support/ref_string.h"

struct TrackEntry {
  RefString artist, shortTitle, path, number, title;
  float carouselX, carouselY;
};
struct Playlist {
  TrackEntry* entries;
  int count;
  int capacity;
  TrackEntry** playOrder;
};
extern Playlist playlist;
int scanMusicFolder();

extern int currentTrack, carouselSteps, volume;
extern bool paused, stopped, advanceArmed, repeatTrack;
void startAudio();
void loadAndPlay(const RefString& path);
void setVolume(int volume);
void stopAudio();
void nextTrack();
void previousTrack();
void togglePause();
void stopMusic();
void playMusic();
