// The greetings text: eight blocks of the stated sizes, plain printable characters, joined
// into one string that starts with the title.
#include <gtest/gtest.h>

#include <string>

#include "app/scroll_text.h"

namespace {

TEST(ScrollText, IsTheEightBlocksOfPrintableCharacters) {
  buildScrollText();
  ASSERT_EQ(scrollText.length(), 275 + 1868 + 966 + 175 + 1238 + 1236 + 1237 + 258);
  ASSERT_EQ(scrollText.length(), 7253);
  const std::string text(scrollText.chars(), scrollText.length());
  for (size_t i = 0; i < text.size(); ++i) {
    ASSERT_TRUE(text[i] >= 32 && text[i] <= 122) << "character " << int(text[i]) << " at " << i;
  }
  EXPECT_EQ(text.rfind("ZOLTA RODIZEVE #1", 0), 0u);
  // The first four blocks end in a run of spaces that separates one writer from the next.
  for (int end : {275, 275 + 1868, 275 + 1868 + 966, 275 + 1868 + 966 + 175}) {
    EXPECT_EQ(text.substr(end - 3, 3), "   ") << "block ending at " << end;
    EXPECT_NE(text[end], ' ') << "block starting at " << end;
  }
  // Built by appends into an owned string: the doubling growth ends at 9044 characters.
  EXPECT_FALSE(scrollText.isBorrowed());
  EXPECT_EQ(scrollText.capacity(), 9044);
  scrollText.clear();
}

}  // namespace
