// The program's command line as a user meets it: help and version on stdout, and each bad use
// ends with status 2 and one stderr line before any window is opened or any file is touched.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/e2e_run.h"
#include "tests/support/shell_xvfb.h"

namespace {

constexpr int runTimeoutMs = 20000;
const char* const program = ZOLTA_BINARY_DIR "/zolta";

// Runs the program in folder with no display at all: one that tried to open its window would
// say so on stderr and end with status 255.
ProgramRun runZolta(const std::vector<std::string>& arguments, const std::string& folder) {
  std::vector<std::string> command{program};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return runProgram(command, folder, {"SDL_AUDIODRIVER=dummy"},
                    {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}, runTimeoutMs);
}

TEST(CommandLineRunTest, HelpAndVersionGoToStdoutAndEndAtOnce) {
  const std::string folder = makeTemporaryFolder();
  ProgramRun run = runZolta({"--help"}, folder);
  EXPECT_TRUE(run.ended);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.output.starts_with("Usage: zolta [OPTION]... [FOLDER]\n")) << run.output;
  for (const char* option :
       {"--scale", "--fullscreen", "--repeat", "--volume", "--help", "--version"})
    EXPECT_NE(run.output.find(option), std::string::npos) << option;
  EXPECT_EQ(run.errors, "");

  run = runZolta({"-V"}, folder);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(std::regex_match(run.output, std::regex("zolta [0-9]+\\.[0-9]+\\.[0-9]+\n")))
      << run.output;
  EXPECT_EQ(run.errors, "");
  removeFolder(folder);
}

// Help or version that cannot be written (stdout on a full device) is a failure, said once.
TEST(CommandLineRunTest, HelpAndVersionThatCannotBeWrittenEndWithStatusOne) {
  const std::string folder = makeTemporaryFolder();
  for (const char* option : {"--help", "--version"}) {
    const ProgramRun run = runProgram(
        {"/bin/sh", "-c", "exec \"$0\" \"$1\" >/dev/full", program, option}, folder,
        {"SDL_AUDIODRIVER=dummy"}, {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}, runTimeoutMs);
    EXPECT_TRUE(run.ended) << option;
    EXPECT_EQ(run.status, 1) << option << ": " << run.errors;
    const std::vector<std::string> lines = textLines(run.errors);
    ASSERT_EQ(lines.size(), 1u) << option << ": " << run.errors;
    EXPECT_EQ(lines[0], "zolta: cannot write to the standard output (No space left on device)");
  }
  removeFolder(folder);
}

TEST(CommandLineRunTest, BadUseEndsWithStatusTwoAndOneLineBeforeAnyWindow) {
  const std::string folder = makeTemporaryFolder();
  std::ofstream(folder + "/notes.txt") << "the user's own notes\n";
  const auto before = folderSnapshot(folder);
  const std::vector<std::vector<std::string>> badUses = {
      {"--bogus"},         {"-s", "0"},           {"--scale", "9"},
      {"--volume", "120"}, {"--repeat", "maybe"}, {"missing-folder"},
      {"notes.txt"},       {"--scale"},           {".", "."}};
  for (const auto& arguments : badUses) {
    const ProgramRun run = runZolta(arguments, folder);
    const std::string& shown = arguments[0];
    EXPECT_TRUE(run.ended) << shown;
    EXPECT_EQ(run.status, 2) << shown << ": " << run.errors;
    const std::vector<std::string> lines = textLines(run.errors);
    ASSERT_EQ(lines.size(), 1u) << shown << ": " << run.errors;
    EXPECT_TRUE(lines[0].starts_with("zolta: ")) << lines[0];
    EXPECT_NE(lines[0].find("--help"), std::string::npos) << lines[0];
    EXPECT_EQ(run.output, "") << shown;
  }
  EXPECT_EQ(folderSnapshot(folder), before) << "the working folder changed";
  removeFolder(folder);
}

}  // namespace
