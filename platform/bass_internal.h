// Platform-internal part of the audio layer: the music table shared by the bass_*.cpp
// files, the mixer that fills the output (also by hand, platform/hooks/manual_audio.h) and the
// output device each platform opens.
#pragma once

#include <libopenmpt/libopenmpt.h>

#include <mutex>
#include <vector>

#include "platform/bass.h"
#include "platform/hooks/manual_audio.h"

constexpr int bassHistoryFrames = 2048;  // frames of output kept per music (46 ms)
constexpr int bassLevelFrames = 882;     // frames in the level window (20 ms at 44.1 kHz)

enum class MusicState { stopped, playing, paused };

struct Music {
  HMUSIC handle = 0;
  openmpt_module* module = nullptr;
  MusicState state = MusicState::stopped;
  float gain = 1.0f;  // linear, volume / 100
  float history[bassHistoryFrames * 2] =
      {};               // interleaved stereo ring buffer of output before the gain
  int historyNext = 0;  // frame index the next output frame goes to
  int heardOrder = 0;   // position after the latest mixed frame
  int heardRow = 0;
};

// Everything below is guarded by bassLock (also taken by the output callback).
extern std::mutex bassLock;
extern bool bassInitialised;
extern int bassSampleRate;          // Hz
extern std::vector<Music*> musics;  // every loaded music, in load order

// The music with this handle, or null (handle 0, freed or unknown).
Music* findMusic(DWORD handle);
// Mixes every playing music into `output` (interleaved stereo float, `frames` frames,
// overwritten) and records what was mixed in each music's history. Caller holds bassLock.
void mixMusics(float* output, int frames);
// Forgets the heard output of a music (after stop or restart).
void clearHistory(Music& music);
// Length of a music in seconds as libopenmpt works it out, 0 when unknown or no such music.
// Takes bassLock.
double musicLengthSeconds(HMUSIC handle);
// Where a music is decoded up to, in seconds from its start; 0 for no such music. Takes bassLock.
double musicPositionSeconds(HMUSIC handle);
// Frees every music (BASS_Free).
void freeAllMusics();
// The platform's output device (bass_output_sdl.cpp, windows/bass_output_waveout.cpp): opens it
// at bassSampleRate, stereo float, mixing through mixMusics under bassLock; false after one
// stderr line when there is none.
bool bassOpenOutput();
// Closes the output device if it is open; after it returns the mixer is never called from it.
// On Linux any thread may call it (the end signals' watcher does); of two calls at once, one
// closes the device.
void bassCloseOutput();
