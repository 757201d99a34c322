// The Debian package as `make package` makes it (cpack on the build tree), unpacked into a
// scratch root with dpkg -x: its files, its dependencies as dpkg-shlibdeps found them, and a
// launcher and metainfo that the desktop's own validators accept.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/e2e_run.h"
#include "tests/support/shell_xvfb.h"

namespace {

namespace fs = std::filesystem;

constexpr int toolTimeoutMs = 300000;  // cpack checks the build is current before it installs

std::string readText(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The package is made and unpacked once for the suite.
class PackageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch = makeTemporaryFolder();
    if (scratch.empty()) return;
    made = run(
        {ZOLTA_CPACK_COMMAND, "--config", ZOLTA_BINARY_DIR "/CPackConfig.cmake", "-B", scratch});
    for (const auto& entry : fs::directory_iterator(scratch))
      if (entry.path().extension() == ".deb") package = entry.path().string();
    root = scratch + "/root";
    if (!package.empty()) unpacked = run({"/usr/bin/dpkg", "-x", package, root}).status == 0;
  }
  static void TearDownTestSuite() {
    if (!scratch.empty()) removeFolder(scratch);
  }
  void SetUp() override {
    ASSERT_FALSE(scratch.empty());
    ASSERT_EQ(made.status, 0) << made.output << made.errors;
    ASSERT_FALSE(package.empty()) << "no .deb written";
    ASSERT_TRUE(unpacked) << "dpkg -x failed";
  }
  static ProgramRun run(const std::vector<std::string>& command) {
    return runProgram(command, "/", {}, {}, toolTimeoutMs);
  }
  static std::string field(const std::string& name) {
    std::string value = run({"/usr/bin/dpkg-deb", "-f", package, name}).output;
    while (!value.empty() && value.back() == '\n') value.pop_back();
    return value;
  }

  static inline std::string scratch, package, root;
  static inline ProgramRun made;
  static inline bool unpacked = false;
};

TEST_F(PackageTest, HoldsTheProgramItsTunesAndItsDesktopFiles) {
  EXPECT_EQ(fs::path(package).filename().string(),
            "zolta_" + field("Version") + "_" + field("Architecture") + ".deb");
  EXPECT_EQ(field("Package"), "zolta");

  const ProgramRun version =
      runProgram({root + "/usr/bin/zolta", "--version"}, "/", {}, {}, toolTimeoutMs);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.output, "zolta " + field("Version") + "\n");

  int tunes = 0;
  for (const auto& entry : fs::directory_iterator(ZOLTA_SOURCE_DIR "/data/msx")) {
    EXPECT_EQ(readText(root + "/usr/share/zolta/msx/" + entry.path().filename().string()),
              readText(entry.path()))
        << entry.path().filename();
    ++tunes;
  }
  EXPECT_GT(tunes, 0);
  EXPECT_TRUE(
      fs::is_regular_file(root + "/usr/share/icons/hicolor/256x256/apps/zolta-rodizeve.png"));

  const std::string launcher = root + "/usr/share/applications/org.zolta.rodizeve.desktop";
  EXPECT_NE(readText(launcher).find("\nExec=/usr/bin/zolta --scale auto\n"), std::string::npos)
      << readText(launcher);
  const ProgramRun desktop = run({"/usr/bin/desktop-file-validate", launcher});
  EXPECT_EQ(desktop.status, 0) << desktop.output << desktop.errors;
  EXPECT_EQ(desktop.output + desktop.errors, "") << "warnings from desktop-file-validate";

  const ProgramRun metainfo = run({"/usr/bin/appstreamcli", "validate", "--no-net",
                                   root + "/usr/share/metainfo/org.zolta.rodizeve.metainfo.xml"});
  EXPECT_EQ(metainfo.status, 0) << metainfo.output << metainfo.errors;
  const std::string metainfoText =
      readText(root + "/usr/share/metainfo/org.zolta.rodizeve.metainfo.xml");
  EXPECT_NE(metainfoText.find("<release version=\"" + field("Version") + "\""), std::string::npos);
  EXPECT_NE(metainfoText.find("<screenshot type=\"default\">"), std::string::npos);

  // The manual page: gzip-compressed roff that names every option.
  const ProgramRun manual = run({"/usr/bin/gzip", "-dc", root + "/usr/share/man/man6/zolta.6.gz"});
  EXPECT_EQ(manual.status, 0);
  EXPECT_TRUE(manual.output.starts_with(".TH ZOLTA 6")) << manual.output.substr(0, 80);
  for (const char* option : {"\\-\\-scale", "\\-\\-fullscreen", "\\-\\-repeat", "\\-\\-volume",
                             "\\-\\-help", "\\-\\-version"})
    EXPECT_NE(manual.output.find(option), std::string::npos) << option;
}

TEST_F(PackageTest, DependsOnTheLibrariesTheProgramLinks) {
  const std::string depends = field("Depends");
  for (const char* library : {"libc6 ", "libsdl2-2.0-0 ", "libepoxy0 ", "libopenmpt0 ",
                              "libkissfft-float", "libx11-6", "libxext6", "libstdc++6 "})
    EXPECT_NE(depends.find(library), std::string::npos) << library << " missing from: " << depends;
  EXPECT_EQ(depends.find("-dev"), std::string::npos) << depends;
}

}  // namespace
