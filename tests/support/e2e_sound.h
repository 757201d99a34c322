// Helpers for end-to-end tests that listen to the program: read what SDL's `disk` audio driver
// recorded (the program's device format: 44.1 kHz interleaved stereo 32-bit float), render the
// expected sound of a module with libopenmpt, and compare the two by correlation and gain.
#pragma once

#include <functional>
#include <string>
#include <vector>

constexpr int soundRate = 44100;  // frames per second of the program's output and of the renders

// Interleaved stereo float frames.
struct Sound {
  std::vector<float> samples;  // left, right, left, right, ...
  long frames() const { return static_cast<long>(samples.size() / 2); }
};

// Frames of a count of seconds.
constexpr long framesOf(double seconds) { return static_cast<long>(seconds * soundRate); }

// The whole frames recorded so far in a file that the disk driver is still writing.
Sound readRecording(const std::string& path);
// How many whole frames the recording holds now (0 while it does not exist yet).
long recordedFrames(const std::string& path);

// The first `seconds` of the module at path as libopenmpt plays it, looping for ever, at gain 1;
// empty when the file is not a module.
Sound renderModule(const std::string& path, double seconds);

// Normalised correlation of `frames` frames of a from aStart and b from bStart (both channels);
// 0 when either stretch is silent or out of range.
double correlation(const Sound& a, long aStart, const Sound& b, long bStart, long frames);
// The factor g for which g · b best matches a over those frames (least squares).
double gainOf(const Sound& a, long aStart, const Sound& b, long bStart, long frames);

struct Alignment {
  long start = -1;           // frame of a where b's stretch begins
  double correlation = 0.0;  // normalised correlation there
};
// Where in a, starting between from and to, the `frames` frames of b from bStart match best.
Alignment align(const Sound& a, long from, long to, const Sound& b, long bStart, long frames);

// The first frame at or after `from` that begins a run of at least minFrames frames of exact
// digital silence (what the program writes while nothing plays); -1 if there is none.
long silenceFrom(const Sound& sound, long from, long minFrames);
// The first frame at or after `from` that is not exactly silent; frames() if there is none.
long soundFrom(const Sound& sound, long from);
// The frame after the last sounding frame before `frame` (skips back over exact silence).
long soundEndBefore(const Sound& sound, long frame);

// The file SDL's disk audio driver is writing while the program plays, listened to as it grows:
// each wait ends when the recording holds what is waited for, or after waitMs (listenUntil: after
// waitMs more than the length it waits for).
struct DiskRecording {
  std::string path;  // SDL_DISKAUDIOFILE of the program
  int waitMs;        // bound on the recording reaching a point, beyond its own length

  // How many whole frames it holds now.
  long heardFrames() const { return recordedFrames(path); }
  // Waits until it holds at least `frames` frames (a test failure if it stops growing first),
  // then reads it.
  Sound listenUntil(long frames) const;
  // Reads it each time another quarter of a second has arrived, until found(sound) holds; the
  // last reading.
  Sound listenFor(const std::function<bool(const Sound&)>& found) const;
  // The first frame at or after `from` of a silence of at least minFrames, once it has been
  // heard (-1 if none came); *heard is the last reading.
  long waitForSilence(long from, long minFrames, Sound* heard) const;
  // The first sounding frame after a silence that began at `silence`, once `frames` frames of
  // sound have been heard from there; *heard is the last reading.
  long waitForSoundAfter(long silence, long frames, Sound* heard) const;
};
