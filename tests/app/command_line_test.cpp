// The command line: every option and its bad uses, read the way the program reads them, and
// the choice of the music folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/music_folder.h"
#include "platform/sdl_window.h"
#include "platform/start_options.h"
#include "tests/support/shell_xvfb.h"

namespace {

namespace fs = std::filesystem;

CommandLine parse(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "zolta");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  return parseCommandLine(static_cast<int>(arguments.size()), argv.data());
}

TEST(CommandLineTest, NoArgumentsChangeNothing) {
  const CommandLine line = parse({});
  EXPECT_EQ(line.action, CommandLineAction::run);
  EXPECT_EQ(line.options.folder, "");
  EXPECT_EQ(line.options.scale, 1);
  EXPECT_FALSE(line.options.fullScreen);
  EXPECT_FALSE(line.options.repeat.has_value());
  EXPECT_FALSE(line.options.volume.has_value());
}

TEST(CommandLineTest, EveryOptionInItsShortAndLongForms) {
  const std::string folder = makeTemporaryFolder();
  CommandLine line = parse({"-s", "3", "-f", "--repeat", "off", "--volume", "0", folder});
  ASSERT_EQ(line.action, CommandLineAction::run) << line.problem;
  EXPECT_EQ(line.options.scale, 3);
  EXPECT_TRUE(line.options.fullScreen);
  EXPECT_EQ(line.options.repeat, false);
  EXPECT_EQ(line.options.volume, 0);
  EXPECT_EQ(line.options.folder, folder);

  line = parse(
      {folder, "--scale=auto", "--fullscreen", "--repeat=on", "--volume=99"});  // FOLDER first
  ASSERT_EQ(line.action, CommandLineAction::run) << line.problem;
  EXPECT_EQ(line.options.scale, autoWindowScale);
  EXPECT_TRUE(line.options.fullScreen);
  EXPECT_EQ(line.options.repeat, true);
  EXPECT_EQ(line.options.volume, 99);
  EXPECT_EQ(line.options.folder, folder);

  EXPECT_EQ(parse({"-s4"}).options.scale, 4);
  EXPECT_EQ(parse({"-h"}).action, CommandLineAction::showHelp);
  EXPECT_EQ(parse({"--help", "--volume", "120"}).action, CommandLineAction::showHelp);
  EXPECT_EQ(parse({"-V"}).action, CommandLineAction::showVersion);
  EXPECT_EQ(parse({"--version"}).action, CommandLineAction::showVersion);
  removeFolder(folder);
}

TEST(CommandLineTest, EachBadUseIsOneLineNamingTheProblemAndHelp) {
  const std::string folder = makeTemporaryFolder();
  std::ofstream(folder + "/tune.mod") << "not a folder";
  std::filesystem::create_symlink(folder + "/loop", folder + "/loop");
  const struct {
    std::vector<std::string> arguments;
    std::string named;  // part of the problem line
  } cases[] = {
      {{"--bogus"}, "unknown or ambiguous option --bogus"},
      {{"--bogus=3"}, "unknown or ambiguous option --bogus"},
      {{"--v"}, "unknown or ambiguous option --v"},  // --version or --volume
      {{"-x"}, "unknown option -x"},
      {{"-fx"}, "unknown option -x"},
      {{"--scale", "0"}, "scale '0' is not 1-4 or auto"},
      {{"-s", "9"}, "scale '9' is not 1-4 or auto"},
      {{"-s", "2x"}, "scale '2x' is not 1-4 or auto"},
      {{"--scale="}, "scale '' is not 1-4 or auto"},
      {{"--scale"}, "option --scale needs a value"},
      {{"-s"}, "option -s needs a value"},
      {{"--volume", "120"}, "volume '120' is not 0-99"},
      {{"--volume", "-1"}, "volume '-1' is not 0-99"},
      {{"--volume", "eighty"}, "volume 'eighty' is not 0-99"},
      {{"--repeat", "yes"}, "repeat 'yes' is not on or off"},
      {{"--fullscreen=on"}, "option --fullscreen takes no value"},
      {{folder + "/missing"}, "no such folder: " + folder + "/missing"},
      {{folder + "/tune.mod"}, "not a folder: " + folder + "/tune.mod"},
      {{folder + "/loop"}, "a loop of symbolic links: " + folder + "/loop"},
      {{folder, folder}, "more than one FOLDER"},
      {{"--volume", "1\x1b]0;owned\a"},
       "volume '1\\x1b]0;owned\\x07' is not 0-99"},  // printed escaped
  };
  for (const auto& bad : cases) {
    const CommandLine line = parse(bad.arguments);
    const std::string shown = bad.arguments[0];
    ASSERT_EQ(line.action, CommandLineAction::badUse) << shown;
    EXPECT_FALSE(line.problem.starts_with("zolta: "))
        << "stderrLine adds the name: " << line.problem;
    EXPECT_NE(line.problem.find(bad.named), std::string::npos) << line.problem;
    EXPECT_NE(line.problem.find("zolta --help"), std::string::npos) << line.problem;
    EXPECT_EQ(line.problem.find('\n'), std::string::npos) << line.problem;
  }
  removeFolder(folder);
}

TEST(CommandLineTest, AutoScaleIsTheLargestWindowInThreeQuartersOfTheDesktop) {
  EXPECT_EQ(fittingWindowScale(640, 482, 2560, 1440), 2);
  EXPECT_EQ(fittingWindowScale(640, 482, 1024, 768), 1);
  EXPECT_EQ(fittingWindowScale(640, 482, 3840, 2160), 3);
  EXPECT_EQ(fittingWindowScale(640, 482, 7680, 4320), 4);  // never beyond 4
  EXPECT_EQ(fittingWindowScale(640, 482, 640, 480), 1);    // never below 1
  EXPECT_EQ(fittingWindowScale(640, 480, 1707, 1280), 2);  // exactly three quarters high fits
  EXPECT_EQ(fittingWindowScale(640, 480, 1706, 1280), 1);  // 1280 is a little more than 3/4 of 1706
  EXPECT_EQ(fittingWindowScale(640, 480, 1707, 1279), 1);
}

class MusicFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = makeTemporaryFolder();
    ASSERT_FALSE(root.empty());
    previous = fs::current_path();
    fs::create_directories(root + "/work");
    fs::create_directories(root + "/prefix/bin");
    fs::current_path(root + "/work");
  }
  void TearDown() override {
    fs::current_path(previous);
    removeFolder(root);
  }
  std::string root;
  fs::path previous;
};

TEST_F(MusicFolderTest, AGivenFolderIsPlayedWithATrailingSlash) {
  std::string note = "stale";
  EXPECT_EQ(chooseMusicFolder("/some/tunes", root + "/prefix/bin/zolta", &note), "/some/tunes/");
  EXPECT_EQ(chooseMusicFolder("tunes/", root + "/prefix/bin/zolta", &note), "tunes/");
  EXPECT_EQ(note, "");
}

TEST_F(MusicFolderTest, TheWorkingFolderComesBeforeTheInstalledTunes) {
  fs::create_directories(root + "/prefix/share/zolta/msx");
  fs::create_directories("data/msx");
  std::string note;
  EXPECT_EQ(chooseMusicFolder("", root + "/prefix/bin/zolta", &note), "data/msx/");
  EXPECT_EQ(note, "");
}

TEST_F(MusicFolderTest, InstalledTunesAreFoundBesideTheProgram) {
  fs::create_directories(root + "/prefix/share/zolta/msx");
  std::string note;
  const std::string installed = root + "/prefix/share/zolta/msx/";
  EXPECT_EQ(chooseMusicFolder("", root + "/prefix/bin/zolta", &note), installed);
  EXPECT_EQ(note,
            "no data/msx/ in the working folder - playing the installed tunes in " + installed);
}

TEST_F(MusicFolderTest, WithoutInstalledTunesDataMsxIsScannedAndReportedMissing) {
  std::string note;
  EXPECT_EQ(chooseMusicFolder("", root + "/prefix/bin/zolta", &note), "data/msx/");
  EXPECT_EQ(chooseMusicFolder("", "", &note), "data/msx/");
  EXPECT_EQ(note, "");
}

TEST(RunningExecutableTest, IsThisTestProgram) {
  const std::string program = runningExecutable();
  EXPECT_TRUE(program.starts_with("/")) << program;
  EXPECT_TRUE(program.ends_with("app_command_line_test")) << program;
}

}  // namespace
