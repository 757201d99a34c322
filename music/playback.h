// The player: the current music, its commands (next, previous, pause, stop, play, volume)
// and the automatic advance to the next track when a tune has looped. Main thread only.
// With an empty playlist every command does nothing.
#pragma once

#include "platform/bass.h"
#include "support/ref_string.h"

extern HMUSIC musicChannel;  // the current music, 0 when none could be loaded
extern int currentTrack;     // index into playlist.playOrder
extern int carouselSteps;    // pending carousel moves: +1 per next, -1 per previous
extern int volume;           // 0-99 (the slider's range), applied to every music loaded
extern bool paused;
extern bool stopped;
extern bool advanceArmed;  // set once the position has passed order 2
extern bool repeatTrack;   // the playing tune repeats for ever; no automatic advance

void startAudio();
// Frees the current music, loads `path` as a looping music at `volume` and plays it.
void loadAndPlay(const RefString& path);
void setVolume(int newVolume);
void stopAudio();
void nextTrack();
void previousTrack();
void togglePause();
void stopMusic();
void playMusic();
// Once per frame: sends the "B" key release to the window when the tune has looped back
// to order 2 or less after passing order 2, repeat is off and a next track exists.
void checkAutoAdvance();
