// stderrLine: every line the program writes to stderr is its name, the words and one newline.
#include <gtest/gtest.h>

#include <string>

#include "support/stderr_line.h"

namespace {

std::string lineOf(void (*write)()) {
  testing::internal::CaptureStderr();
  write();
  return testing::internal::GetCapturedStderr();
}

TEST(StderrLine, TheWordsComeAfterTheProgramsNameOnALineOfTheirOwn) {
  EXPECT_EQ(lineOf([] { stderrLine("%s: %d entries - %s", "data/msx/", 3, "playing those"); }),
            "zolta: data/msx/: 3 entries - playing those\n");
  EXPECT_EQ(lineOf([] { stderrLine("100%% sure"); }), "zolta: 100% sure\n");
}

TEST(StderrLine, ALongLineGoesOutWhole) {
  static const std::string words(20000, 'w');
  EXPECT_EQ(lineOf([] { stderrLine("%s.", words.c_str()); }), "zolta: " + words + ".\n");
}

}  // namespace
