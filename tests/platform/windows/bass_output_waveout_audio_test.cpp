// The audio library's Windows output: what its feeding thread mixes is what libopenmpt renders
// of the tune, at the gain the volume sets, recorded through the capture hook in place of the
// waveOut device (the whole program's sound is checked by the end-to-end tests).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/bass.h"
#include "tests/support/e2e_sound.h"

namespace {

constexpr int waitMs = 20000;  // bound on the capture reaching what is waited for
const std::string tune = std::string(ZOLTA_SOURCE_DIR) + "/data/msx/Moxa - Harbour Lights.mod";

TEST(WaveOutOutput, PlaysTheTuneAtItsVolumeThroughTheFeedingThread) {
  char folder[MAX_PATH];
  ASSERT_NE(GetTempPathA(sizeof folder, folder), 0u);
  const std::string capture = std::string(folder) + "zolta-waveout-capture.raw";
  ASSERT_EQ(_putenv_s("ZOLTA_AUDIO_CAPTURE", capture.c_str()), 0);

  ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
  const HMUSIC music =
      BASS_MusicLoad(FALSE, tune.c_str(), 0, 0, BASS_MUSIC_LOOP | BASS_MUSIC_RAMP, 0);
  ASSERT_NE(music, 0u);
  ASSERT_TRUE(BASS_ChannelSetAttributes(music, -1, 50, -1));
  ASSERT_TRUE(BASS_ChannelPlay(music, FALSE));
  const DiskRecording recording{capture, waitMs};
  const Sound heard = recording.listenUntil(framesOf(3.0));
  BASS_Free();

  // Seconds 0.5-1.5 of the tune, found where they begin in the capture: within its first 1.5 s,
  // as only the few buffers mixed before the tune started come first.
  const Sound expected = renderModule(tune, 2.0);
  const Alignment found = align(heard, 0, framesOf(1.5), expected, framesOf(0.5), framesOf(1.0));
  EXPECT_GT(found.correlation, 0.99);
  EXPECT_NEAR(gainOf(heard, found.start, expected, framesOf(0.5), framesOf(1.0)), 0.5, 0.01);
  std::remove(capture.c_str());
}

}  // namespace
