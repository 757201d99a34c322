// The BASS layer's output device on Windows: the default waveOut device, stereo 32-bit float,
// fed by a thread of its own that mixes each buffer the device hands back and queues it again.
//
// Test hook: with ZOLTA_AUDIO_CAPTURE naming a file, no device is opened; the same thread
// writes every buffer it mixes to that file instead (raw interleaved float, little-endian),
// paced at the buffer's own duration, as SDL's disk driver records the Linux build's sound.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/bass_internal.h"
#include "support/stderr_line.h"

namespace {

constexpr int bufferFrames = 1024;  // frames per buffer (23 ms at 44.1 kHz)
constexpr int bufferCount = 3;      // buffers queued on the device at once (70 ms)

struct Output {
  HWAVEOUT device = nullptr;
  std::FILE* capture = nullptr;  // the test hook's file, instead of a device
  HANDLE bufferDone = nullptr;   // signalled by the device whenever it hands back a buffer
  std::vector<float> samples[bufferCount];
  WAVEHDR headers[bufferCount] = {};
  std::thread feeder;
  std::atomic<bool> running{false};
};

Output output;

void mixInto(std::vector<float>& samples) {
  std::lock_guard<std::mutex> hold(bassLock);
  mixMusics(samples.data(), bufferFrames);
}

void feedDevice() {
  while (output.running) {
    WaitForSingleObject(output.bufferDone, INFINITE);
    for (int i = 0; i < bufferCount && output.running; ++i) {
      WAVEHDR& header = output.headers[i];
      if (!(header.dwFlags & WHDR_DONE)) continue;
      mixInto(output.samples[i]);
      header.dwFlags &= ~WHDR_DONE;
      waveOutWrite(output.device, &header, sizeof header);
    }
  }
}

void feedCapture() {
  const DWORD bufferMilliseconds = static_cast<DWORD>(bufferFrames * 1000 / bassSampleRate);
  std::vector<float>& samples = output.samples[0];
  while (output.running) {
    mixInto(samples);
    std::fwrite(samples.data(), sizeof(float), samples.size(), output.capture);
    std::fflush(output.capture);
    Sleep(bufferMilliseconds);
  }
}

bool openCapture(const char* path) {
  output.capture = std::fopen(path, "wb");
  if (!output.capture) {
    stderrLine("BASS_Init: cannot write the capture file %s - running silent", path);
    return false;
  }
  output.samples[0].assign(bufferFrames * 2, 0.0f);
  output.running = true;
  output.feeder = std::thread(feedCapture);
  return true;
}

bool openDevice() {
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
  format.nChannels = 2;
  format.nSamplesPerSec = static_cast<DWORD>(bassSampleRate);
  format.wBitsPerSample = 32;
  format.nBlockAlign = format.nChannels * format.wBitsPerSample / 8;
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  output.bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  const MMRESULT opened =
      waveOutOpen(&output.device, WAVE_MAPPER, &format,
                  reinterpret_cast<DWORD_PTR>(output.bufferDone), 0, CALLBACK_EVENT);
  if (opened != MMSYSERR_NOERROR) {
    char reason[MAXERRORLENGTH] = "unknown error";
    waveOutGetErrorTextA(opened, reason, sizeof reason);
    stderrLine("BASS_Init: no audio output (%s) - running silent", reason);
    CloseHandle(output.bufferDone);
    output.bufferDone = nullptr;
    output.device = nullptr;
    return false;
  }
  for (int i = 0; i < bufferCount; ++i) {
    output.samples[i].assign(bufferFrames * 2, 0.0f);
    WAVEHDR& header = output.headers[i];
    header = {};
    header.lpData = reinterpret_cast<LPSTR>(output.samples[i].data());
    header.dwBufferLength = static_cast<DWORD>(output.samples[i].size() * sizeof(float));
    waveOutPrepareHeader(output.device, &header, sizeof header);
    header.dwFlags |= WHDR_DONE;  // free to fill
  }
  output.running = true;
  SetEvent(output.bufferDone);
  output.feeder = std::thread(feedDevice);
  return true;
}

}  // namespace

bool bassOpenOutput() {
  const char* capture = std::getenv("ZOLTA_AUDIO_CAPTURE");
  return capture && *capture ? openCapture(capture) : openDevice();
}

void bassCloseOutput() {
  if (!output.running) return;
  output.running = false;
  if (output.bufferDone) SetEvent(output.bufferDone);
  output.feeder.join();
  if (output.capture) {
    std::fclose(output.capture);
    output.capture = nullptr;
    return;
  }
  waveOutReset(output.device);  // hands every queued buffer back
  for (WAVEHDR& header : output.headers)
    waveOutUnprepareHeader(output.device, &header, sizeof header);
  waveOutClose(output.device);
  CloseHandle(output.bufferDone);
  output.device = nullptr;
  output.bufferDone = nullptr;
}
