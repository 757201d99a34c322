// `cmake --install` into a fresh prefix: the program, its default tunes, a launcher that starts
// it in the folder holding data/msx/, and the icon the launcher names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/shell_xvfb.h"

namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(InstallTest, PutsProgramTunesLauncherAndIconUnderThePrefix) {
  const std::string prefix = makeTemporaryFolder();
  ASSERT_FALSE(prefix.empty());
  const std::string command = "cmake --install '" ZOLTA_BINARY_DIR "' --prefix '" + prefix + "' > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);

  const fs::path root(prefix);
  const fs::path program = root / "bin/zolta";
  const fs::path home = root / "share/zolta-rodizeve";
  EXPECT_TRUE(fs::exists(program));
  EXPECT_NE(fs::status(program).permissions() & fs::perms::owner_exec, fs::perms::none);
  int tunes = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(ZOLTA_SOURCE_DIR) / "data/msx")) {
    EXPECT_TRUE(fs::exists(home / "data/msx" / entry.path().filename())) << entry.path().filename();
    ++tunes;
  }
  EXPECT_GT(tunes, 0);

  const std::string launcher = readText(root / "share/applications/zolta-rodizeve.desktop");
  EXPECT_NE(launcher.find("Exec=" + program.string() + "\n"), std::string::npos) << launcher;
  EXPECT_NE(launcher.find("Path=" + home.string() + "\n"), std::string::npos) << launcher;
  EXPECT_NE(launcher.find("Icon=zolta-rodizeve\n"), std::string::npos) << launcher;

  // A 256 x 256 PNG: the signature, then the IHDR chunk's big-endian width and height.
  const std::string icon = readText(root / "share/icons/hicolor/256x256/apps/zolta-rodizeve.png");
  ASSERT_GT(icon.size(), 24u);
  EXPECT_EQ(icon.substr(1, 3), "PNG");
  EXPECT_EQ(icon.substr(16, 8), std::string("\0\0\1\0\0\0\1\0", 8));
  removeFolder(prefix);
}

} // namespace
