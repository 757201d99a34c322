// The rules of the desktop bus: the volume a bus value asks for, and track fields turned into
// valid bus strings and URLs.
#include <gtest/gtest.h>

#include <limits>

#include "platform/desktop_bus_values.h"

namespace {

TEST(DesktopBusValues, BusVolumesAreClampedToTheSlidersRange) {
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

TEST(DesktopBusValues, TrackFieldsLoseTheirPaddingSpaces) {
  EXPECT_EQ(trimmedSpaces("Artist "), "Artist");
  EXPECT_EQ(trimmedSpaces(" Title"), "Title");
  EXPECT_EQ(trimmedSpaces("  two words  "), "two words");
  EXPECT_EQ(trimmedSpaces("   "), "");
  EXPECT_EQ(trimmedSpaces(""), "");
}

TEST(DesktopBusValues, NamesThatAreNotUtf8BecomeValidUtf8) {
  EXPECT_EQ(validUtf8("plain"), "plain");
  EXPECT_EQ(validUtf8("K\xC3\xA4the \xE2\x99\xAB \xF0\x9F\x8E\xB5"),
            "K\xC3\xA4the \xE2\x99\xAB \xF0\x9F\x8E\xB5");
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(validUtf8("K\xE4the"), "K" + replacement + "the");                    // Latin-1
  EXPECT_EQ(validUtf8("\xC0\xAF"), replacement + replacement);                    // overlong "/"
  EXPECT_EQ(validUtf8("\xED\xA0\x80"), replacement + replacement + replacement);  // a surrogate
  EXPECT_EQ(validUtf8("end\xE2\x99"), "end" + replacement + replacement);         // cut short
  EXPECT_EQ(validUtf8("\xF4\x90\x80\x80"),
            replacement + replacement + replacement + replacement);  // beyond U+10FFFF
}

TEST(DesktopBusValues, FileUrlsEscapeEverythingButPlainCharacters) {
  EXPECT_EQ(fileUrl("/home/me/data/msx/Moxa - Harbour Lights.mod"),
            "file:///home/me/data/msx/Moxa%20-%20Harbour%20Lights.mod");
  EXPECT_EQ(fileUrl("/a/100%#?\xE4~_.b"), "file:///a/100%25%23%3F%E4~_.b");
}

}  // namespace
