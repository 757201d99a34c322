// The rules of the desktop bus: the key each media command becomes in each player state, the
// volume a bus value asks for and the slider drag that sets it (checked against the real window
// procedure), and track fields turned into valid bus strings and URLs.
#include <gtest/gtest.h>

#include <limits>

#include "app/window_proc.h"
#include "music/playback.h"
#include "platform/media_commands.h"

namespace {

TEST(MediaCommands, EachCommandIsAPlayerKeyOrNothingInEachState) {
  using enum MediaCommand;
  const PlaybackState playing = PlaybackState::playing, paused = PlaybackState::paused,
                      stopped = PlaybackState::stopped;
  for (const PlaybackState state : {playing, paused, stopped}) {
    EXPECT_EQ(commandKey(next, state), WPARAM{'B'});
    EXPECT_EQ(commandKey(previous, state), WPARAM{'Y'});
    EXPECT_EQ(commandKey(stop, state), WPARAM{'V'});
  }
  // Pause never resumes; play never restarts a tune that plays; play-pause starts a stopped one
  // (the pause key does nothing to a stopped tune).
  EXPECT_EQ(commandKey(pause, playing), WPARAM{'C'});
  EXPECT_EQ(commandKey(pause, paused), WPARAM{0});
  EXPECT_EQ(commandKey(pause, stopped), WPARAM{0});
  EXPECT_EQ(commandKey(play, playing), WPARAM{0});
  EXPECT_EQ(commandKey(play, paused), WPARAM{'X'});
  EXPECT_EQ(commandKey(play, stopped), WPARAM{'X'});
  EXPECT_EQ(commandKey(playPause, playing), WPARAM{'C'});
  EXPECT_EQ(commandKey(playPause, paused), WPARAM{'C'});
  EXPECT_EQ(commandKey(playPause, stopped), WPARAM{'X'});
  EXPECT_STREQ(playbackStatusName(paused), "Paused");
}

TEST(MediaCommands, BusVolumesAreClampedToTheSlidersRange) {
  EXPECT_EQ(volumeFromBus(std::numeric_limits<double>::quiet_NaN()), -1);
  EXPECT_EQ(volumeFromBus(-5.0), 0);
  EXPECT_EQ(volumeFromBus(-std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(volumeFromBus(7.0), 99);
  EXPECT_EQ(volumeFromBus(std::numeric_limits<double>::infinity()), 99);
  EXPECT_EQ(volumeFromBus(1.0), 99);
  EXPECT_EQ(volumeFromBus(0.5), 50);
  EXPECT_EQ(volumeFromBus(0.004), 0);
  EXPECT_EQ(volumeFromBus(0.426), 43);
}

// Every volume the bus can ask for is reached by a drag at the slider position it names, as the
// window procedure reads the slider.
TEST(MediaCommands, TheSliderDragSetsEachVolumeExactly) {
  for (int wanted = 0; wanted <= 99; ++wanted) {
    volume = -1;
    windowProc(nullptr, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(volumeSliderX(wanted), volumeSliderY));
    EXPECT_EQ(volume, wanted) << "slider x " << volumeSliderX(wanted);
  }
  volume = 80;
}

// The click that toggles repeat lands on the repeat box and nowhere else: no button is hovered.
TEST(MediaCommands, TheRepeatClickTogglesRepeatOnly) {
  const bool before = repeatTrack;
  windowProc(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(repeatBoxX, repeatBoxY));
  EXPECT_EQ(hoveredButton, -1);
  windowProc(nullptr, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(repeatBoxX, repeatBoxY));
  EXPECT_EQ(repeatTrack, !before);
  windowProc(nullptr, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(repeatBoxX, repeatBoxY));
  EXPECT_EQ(repeatTrack, before);
}

TEST(MediaCommands, TrackFieldsLoseTheirPaddingSpaces) {
  EXPECT_EQ(trimmedSpaces("Artist "), "Artist");
  EXPECT_EQ(trimmedSpaces(" Title"), "Title");
  EXPECT_EQ(trimmedSpaces("  two words  "), "two words");
  EXPECT_EQ(trimmedSpaces("   "), "");
  EXPECT_EQ(trimmedSpaces(""), "");
}

TEST(MediaCommands, NamesThatAreNotUtf8BecomeValidUtf8) {
  EXPECT_EQ(validUtf8("plain"), "plain");
  EXPECT_EQ(validUtf8("K\xC3\xA4the \xE2\x99\xAB \xF0\x9F\x8E\xB5"), "K\xC3\xA4the \xE2\x99\xAB \xF0\x9F\x8E\xB5");
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(validUtf8("K\xE4the"), "K" + replacement + "the");                    // Latin-1
  EXPECT_EQ(validUtf8("\xC0\xAF"), replacement + replacement);                   // overlong "/"
  EXPECT_EQ(validUtf8("\xED\xA0\x80"), replacement + replacement + replacement);  // a surrogate
  EXPECT_EQ(validUtf8("end\xE2\x99"), "end" + replacement + replacement);         // cut short
  EXPECT_EQ(validUtf8("\xF4\x90\x80\x80"), replacement + replacement + replacement + replacement);  // beyond U+10FFFF
}

TEST(MediaCommands, FileUrlsEscapeEverythingButPlainCharacters) {
  EXPECT_EQ(fileUrl("/home/me/data/msx/Moxa - Harbour Lights.mod"),
            "file:///home/me/data/msx/Moxa%20-%20Harbour%20Lights.mod");
  EXPECT_EQ(fileUrl("/a/100%#?\xE4~_.b"), "file:///a/100%25%23%3F%E4~_.b");
}

}  // namespace
