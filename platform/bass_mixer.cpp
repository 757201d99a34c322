// The mixer of the BASS layer and BASS_Init / BASS_Free, shared by both platforms: every
// playing music decoded into one stereo float output, which the platform's output device
// (bass_output_sdl.cpp on Linux, windows/bass_output_waveout.cpp on Windows) or, with the
// manual output hook, a test pulls.
#include <cstdlib>
#include <cstring>

#include "platform/bass_internal.h"

std::mutex bassLock;
bool bassInitialised = false;
int bassSampleRate = 44100;

namespace {

constexpr int mixChunkFrames = 256;  // frames decoded per libopenmpt call (5.8 ms)

bool manualOutput = false;

// Decodes `frames` frames of one playing music and adds them to `output` with its gain. The
// analysis record keeps the music's own output before the gain, so the spectrum and levels do
// not depend on the volume attribute. A music without BASS_MUSIC_LOOP stops at its end.
void mixOne(Music& music, float* output, int frames) {
  float chunk[mixChunkFrames * 2];
  for (int done = 0; done < frames && music.state == MusicState::playing;) {
    int want = frames - done < mixChunkFrames ? frames - done : mixChunkFrames;
    int got = static_cast<int>(
        openmpt_module_read_interleaved_float_stereo(music.module, bassSampleRate, want, chunk));
    if (got < want) {
      std::memset(chunk + got * 2, 0, sizeof(float) * (want - got) * 2);
      music.state = MusicState::stopped;
    }
    for (int i = 0; i < want; ++i) {
      float left = chunk[i * 2];
      float right = chunk[i * 2 + 1];
      output[(done + i) * 2] += left * music.gain;
      output[(done + i) * 2 + 1] += right * music.gain;
      music.history[music.historyNext * 2] = left;
      music.history[music.historyNext * 2 + 1] = right;
      music.historyNext = (music.historyNext + 1) % bassHistoryFrames;
    }
    music.heardOrder = openmpt_module_get_current_order(music.module);
    music.heardRow = openmpt_module_get_current_row(music.module);
    done += want;
  }
}

// A program that ends through exit() without BASS_Free: the output is closed and the musics
// freed before the exit-time destructors take the table of musics the device still mixes.
void freeAtExit() { BASS_Free(); }

}  // namespace

void bassUseManualOutput(bool manual) { manualOutput = manual; }

void bassPullOutput(float* output, int frames) {
  std::lock_guard<std::mutex> hold(bassLock);
  mixMusics(output, frames);
}

void mixMusics(float* output, int frames) {
  std::memset(output, 0, sizeof(float) * frames * 2);
  for (Music* music : musics)
    if (music->state == MusicState::playing) mixOne(*music, output, frames);
}

BOOL BASS_Init(int device, DWORD freq, DWORD, HWND, const void*) {
  if (bassInitialised || (device != -1 && device != 1) || freq == 0) return FALSE;
  bassSampleRate = static_cast<int>(freq);
  if (!manualOutput) {
    if (!bassOpenOutput()) return FALSE;
    static const bool freedAtExit = std::atexit(freeAtExit) == 0;  // registered once
    (void)freedAtExit;
  }
  bassInitialised = true;
  return TRUE;
}

BOOL BASS_Free() {
  if (!bassInitialised) return FALSE;
  bassCloseOutput();
  std::lock_guard<std::mutex> hold(bassLock);
  freeAllMusics();
  bassInitialised = false;
  return TRUE;
}
