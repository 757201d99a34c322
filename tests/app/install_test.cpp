// `cmake --install` into a fresh prefix: the program, its default tunes where it looks for them
// (share/zolta/msx beside bin/), a launcher that starts it enlarged to suit the screen, the icon
// the launcher names, the metainfo and the manual page.
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
  const std::string command =
      "cmake --install '" ZOLTA_BINARY_DIR "' --prefix '" + prefix + "' > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);

  const fs::path root(prefix);
  const fs::path program = root / "bin/zolta";
  const fs::path tunesFolder = root / "share/zolta/msx";
  EXPECT_TRUE(fs::exists(program));
  EXPECT_NE(fs::status(program).permissions() & fs::perms::owner_exec, fs::perms::none);
  int tunes = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(ZOLTA_SOURCE_DIR) / "data/msx")) {
    EXPECT_EQ(readText(tunesFolder / entry.path().filename()), readText(entry.path()))
        << entry.path().filename();
    ++tunes;
  }
  EXPECT_GT(tunes, 0);

  const std::string launcher = readText(root / "share/applications/org.zolta.rodizeve.desktop");
  EXPECT_NE(launcher.find("Exec=" + program.string() + " --scale auto\n"), std::string::npos)
      << launcher;
  EXPECT_EQ(launcher.find("Path="), std::string::npos) << "the program finds its tunes itself";
  EXPECT_NE(launcher.find("Icon=zolta-rodizeve\n"), std::string::npos) << launcher;

  // A 256 x 256 PNG: the signature, then the IHDR chunk's big-endian width and height.
  const std::string icon = readText(root / "share/icons/hicolor/256x256/apps/zolta-rodizeve.png");
  ASSERT_GT(icon.size(), 24u);
  EXPECT_EQ(icon.substr(1, 3), "PNG");
  EXPECT_EQ(icon.substr(16, 8), std::string("\0\0\1\0\0\0\1\0", 8));

  EXPECT_NE(readText(root / "share/metainfo/org.zolta.rodizeve.metainfo.xml")
                .find("<launchable type=\"desktop-id\">"
                      "org.zolta.rodizeve.desktop<"),
            std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(root / "share/man/man6/zolta.6.gz"));
  removeFolder(prefix);
}

}  // namespace
