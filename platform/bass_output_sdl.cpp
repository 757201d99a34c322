// The BASS layer's output device on Linux: an SDL2 audio device (stereo float, about 23 ms
// buffer) whose callback runs the mixer.
#include <SDL.h>

#include <atomic>

#include "platform/bass_internal.h"
#include "platform/session_bus.h"
#include "support/stderr_line.h"

namespace {

constexpr int outputBufferFrames = 1024;  // device buffer, frames (23 ms at 44.1 kHz)

// Closed by the main thread, or by the end signals' watcher when the main thread cannot.
std::atomic<SDL_AudioDeviceID> outputDevice{0};

void audioCallback(void*, Uint8* stream, int bytes) {
  std::lock_guard<std::mutex> hold(bassLock);
  mixMusics(reinterpret_cast<float*>(stream), bytes / static_cast<int>(sizeof(float) * 2));
}

}  // namespace

bool bassOpenOutput() {
  keepToExistingSessionBus();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    stderrLine("BASS_Init: no audio output (%s) - running silent", SDL_GetError());
    return false;
  }
  SDL_AudioSpec wanted = {};
  wanted.freq = bassSampleRate;
  wanted.format = AUDIO_F32SYS;
  wanted.channels = 2;
  wanted.samples = outputBufferFrames;
  wanted.callback = audioCallback;
  SDL_AudioSpec obtained;
  outputDevice = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (outputDevice == 0) {
    stderrLine("BASS_Init: cannot open the audio output (%s) - running silent", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SDL_PauseAudioDevice(outputDevice, 0);
  return true;
}

void bassCloseOutput() {
  const SDL_AudioDeviceID device = outputDevice.exchange(0);  // one caller closes it
  if (device == 0) return;
  SDL_CloseAudioDevice(device);  // waits for a running callback to finish
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
