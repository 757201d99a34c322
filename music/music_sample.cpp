// The music sample of the current frame, read from the audio library.
#include "music/music_sample.h"

#include <algorithm>
#include <iterator>

#include "music/playback.h"
#include "platform/bass.h"

float spectrumValues[spectrumValueCount] = {};
unsigned int leftLevel = 0, rightLevel = 0;

namespace {

constexpr DWORD dataError = 0xFFFFFFFF;  // what BASS reports for a failed call

}  // namespace

void sampleMusic() {
  if (BASS_ChannelGetData(musicChannel, spectrumValues, BASS_DATA_FFT1024) == dataError)
    std::fill(std::begin(spectrumValues), std::end(spectrumValues), 0.0f);
  DWORD levels = BASS_ChannelGetLevel(musicChannel);
  if (levels == dataError) levels = 0;  // an error is no loudness
  leftLevel = levels & 0xFFFF;
  rightLevel = levels >> 16;
}
