// The artwork generator as the build runs it: the same tool and fonts give the same bytes as
// the resource source compiled into this build, and a missing font folder is a clear failure.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const std::string generator = std::string(ZOLTA_BINARY_DIR) + "/tools/artwork/zolta_artwork";
const std::string fonts = "/usr/share/fonts/truetype/dejavu";

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string scratchPath(const char* name) {
  return "/tmp/zolta_artwork_test_" + std::to_string(getpid()) + "_" + name;
}

TEST(ArtworkGenerator, SameInputsGiveTheSameBytes) {
  const std::string output = scratchPath("resources.cpp");
  ASSERT_EQ(std::system((generator + " --fonts " + fonts + " --source " + output).c_str()), 0);
  const std::string again = readFile(output);
  std::remove(output.c_str());
  const std::string built =
      readFile(std::string(ZOLTA_BINARY_DIR) + "/generated/embedded_resources.cpp");
  ASSERT_FALSE(built.empty());
  EXPECT_TRUE(again == built) << "a second run of the generator wrote different bytes";
}

TEST(ArtworkGenerator, MissingFontsFailWithoutOutput) {
  const std::string output = scratchPath("nofonts.cpp");
  const std::string log = scratchPath("nofonts.log");
  const int status = std::system(
      (generator + " --fonts /no/such/fonts --source " + output + " 2> " + log).c_str());
  EXPECT_NE(status, 0);
  EXPECT_TRUE(readFile(output).empty()) << "no resource source is written";
  EXPECT_NE(readFile(log).find("cannot open font"), std::string::npos) << readFile(log);
  std::remove(log.c_str());
}

}  // namespace
