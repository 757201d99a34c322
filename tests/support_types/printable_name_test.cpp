// printableName: which bytes become \xNN escapes and which pass untouched.
#include <gtest/gtest.h>

#include <string>

#include "support/printable_name.h"

namespace {

TEST(PrintableName, TerminalEscapesAndLineBreaksBecomeVisibleEscapes) {
  EXPECT_EQ(printableName("\x1b]0;owned\x07\x1b[2J red.mod"), "\\x1b]0;owned\\x07\\x1b[2J red.mod");
  EXPECT_EQ(printableName("a\nBASS_Init: forged\r\tline"), "a\\x0aBASS_Init: forged\\x0d\\x09line");
}

TEST(PrintableName, DeleteAndLoneC1BytesAreEscapedAtTheirEdges) {
  EXPECT_EQ(printableName("\x1f\x7f"), "\\x1f\\x7f");
  EXPECT_EQ(printableName("\x80\x9b\x9f"), "\\x80\\x9b\\x9f");
  EXPECT_EQ(printableName("\xe2\x82"), "\xe2\\x82");  // a UTF-8 character cut short
}

TEST(PrintableName, Latin1AndUtf8NamesStayReadable) {
  EXPECT_EQ(printableName(" ~data/msx/Artist - Title.xm\\"), " ~data/msx/Artist - Title.xm\\");
  EXPECT_EQ(printableName("\xa0\xe9\xff"), "\xa0\xe9\xff");  // Latin-1
  // "Zoltá", Cyrillic "А" and "€": continuation bytes 0x90 and 0x82 are not controls here.
  EXPECT_EQ(printableName("Zolt\xc3\xa1 \xd0\x90 \xe2\x82\xac"),
            "Zolt\xc3\xa1 \xd0\x90 \xe2\x82\xac");
  EXPECT_EQ(printableName("\xf0\x9f\x8e\xb5.mod"), "\xf0\x9f\x8e\xb5.mod");  // U+1F3B5
}

TEST(PrintableName, C1ControlsEncodedAsUtf8AreEscaped) {
  EXPECT_EQ(printableName("\xc2\x9b"
                          "31m"),
            "\xc2\\x9b"
            "31m");                                  // U+009B, the 8-bit CSI
  EXPECT_EQ(printableName("\xc2\xa0"), "\xc2\xa0");  // U+00A0 is printable
}

TEST(PrintableName, EmptyAndNullNames) {
  EXPECT_EQ(printableName(""), "");
  EXPECT_EQ(printableName(nullptr), "(no name)");
}

}  // namespace
