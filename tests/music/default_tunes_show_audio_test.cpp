// The default tunes drive the presentation: each one plays its first minute through the real audio
// layer, in 10 ms frames as the program samples it, and the spectrum bars and note fountains are
// worked out from the same calls and code as the frame's. At the starting volume of 80 each
// fountain launches a steady stream of notes, every bar stands at half its cap or more in at least
// 15 % of the frames and reaches its cap; at volume 10 the show is exactly the same. The figures of
// each tune are printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/frame_clock.h"
#include "effects/fountains.h"
#include "frame/analyser_bars.h"
#include "music/playback.h"
#include "platform/bass.h"
#include "platform/hooks/manual_audio.h"
#include "platform/hooks/clock.h"

namespace {

constexpr int rate = 44100;
constexpr int frameMs = 10;
constexpr int framesPerMinute = 60000 / frameMs;
constexpr int startVolume = 80;
constexpr int quietVolume = 10;
constexpr int barCap = 700;
constexpr int barCount = 6;
constexpr int launchesPerMinute = 30;                               // for each fountain
constexpr int halfCapFramesPerMinute = framesPerMinute * 15 / 100;  // for each bar

struct ShowFigures {
  int halfCapFrames[barCount] = {};
  int capFrames[barCount] = {};
  int highestLevel[barCount] = {};
  int leftLaunches = 0, rightLaunches = 0;
  bool operator==(const ShowFigures&) const = default;
};

// Runs the notes of one group for a frame; how many were launched.
int stepGroup(NoteSprite (&notes)[notesPerGroup], const FountainGroup& group, unsigned int level) {
  int launched = 0;
  for (NoteSprite& note : notes) {
    const bool waiting = note.y >= 3.0f;
    stepNote(note, group, level, frameMs / 1000.0f);
    launched += waiting && note.y < 3.0f;
  }
  return launched;
}

ShowFigures playFirstMinute(const std::string& path, int volume) {
  ShowFigures figures;
  leftNoteStamp = rightNoteStamp = 0;
  resetNotes();
  HMUSIC music = BASS_MusicLoad(FALSE, path.c_str(), 0, 0, BASS_MUSIC_LOOP | BASS_MUSIC_RAMP, 0);
  EXPECT_NE(music, 0u) << path;
  BASS_ChannelSetAttributes(music, -1, volume, -1);
  BASS_ChannelPlay(music, FALSE);
  std::vector<float> output(rate * frameMs / 1000 * 2);
  float spectrum[BASS_DATA_FFT_FLOATS];
  for (int frame = 0; frame < framesPerMinute; ++frame) {
    bassPullOutput(output.data(), static_cast<int>(output.size() / 2));
    advanceVirtualClock(frameMs * clockTicksPerSecond / 1000);
    frameClock.lastCounter = clockNow();
    BASS_ChannelGetData(music, spectrum, BASS_DATA_FFT1024);
    for (int bar = 0; bar < barCount; ++bar) {
      const int level = barLevel(spectrum[firstBarValue + bar]);
      figures.halfCapFrames[bar] += level >= barCap / 2;
      figures.capFrames[bar] += level >= barCap;
      figures.highestLevel[bar] = std::max(figures.highestLevel[bar], level);
    }
    const DWORD levels = BASS_ChannelGetLevel(music);
    figures.leftLaunches += stepGroup(leftNotes, leftFountain, levels & 0xFFFF);
    figures.rightLaunches += stepGroup(rightNotes, rightFountain, levels >> 16);
  }
  BASS_MusicFree(music);
  return figures;
}

TEST(DefaultTunesShow, EveryTuneMovesTheBarsAndBothFountainsAtAnyVolume) {
  const std::filesystem::path folder = std::filesystem::path(ZOLTA_SOURCE_DIR) / "data" / "msx";
  std::vector<std::string> tunes;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    tunes.push_back(entry.path().string());
  std::sort(tunes.begin(), tunes.end());
  ASSERT_EQ(tunes.size(), 6u);

  bassUseManualOutput(true);
  ASSERT_TRUE(BASS_Init(1, rate, 0, nullptr, nullptr));
  useVirtualClock();
  frameClock.frequency = static_cast<double>(clockTicksPerSecond);
  paused = stopped = false;
  for (const std::string& path : tunes) {
    SCOPED_TRACE(std::filesystem::path(path).filename().string());
    const ShowFigures figures = playFirstMinute(path, startVolume);
    std::printf("%s\n  bars at half cap (%% of frames):",
                std::filesystem::path(path).filename().c_str());
    for (int bar = 0; bar < barCount; ++bar)
      std::printf(" %.0f", 100.0 * figures.halfCapFrames[bar] / framesPerMinute);
    std::printf("\n  frames at the cap:");
    for (int bar = 0; bar < barCount; ++bar) std::printf(" %d", figures.capFrames[bar]);
    std::printf("\n  highest level:");
    for (int bar = 0; bar < barCount; ++bar) std::printf(" %d", figures.highestLevel[bar]);
    std::printf("\n  notes launched: left %d, right %d\n", figures.leftLaunches,
                figures.rightLaunches);
    for (int bar = 0; bar < barCount; ++bar) {
      EXPECT_GE(figures.halfCapFrames[bar], halfCapFramesPerMinute) << "bar " << bar;
      EXPECT_GE(figures.capFrames[bar], 1) << "bar " << bar;
    }
    EXPECT_GE(figures.leftLaunches, launchesPerMinute);
    EXPECT_GE(figures.rightLaunches, launchesPerMinute);
    EXPECT_TRUE(playFirstMinute(path, quietVolume) == figures)
        << "the show changes with the volume";
  }
  useRealClock();
  BASS_Free();
}

}  // namespace
