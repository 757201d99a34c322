// Process entry: reads the command line and sets the start values it asks for, then hands
// control to WinMain, whose result becomes the exit status. With no arguments nothing is
// changed. The desktop bus is joined around WinMain when a session bus exists.
#include <string>

#include "app/command_line.h"
#include "app/music_folder.h"
#include "app/player_commands.h"
#include "app/player_view.h"
#include "app/screen_layout.h"
#include "app/win_main.h"
#include "music/playback.h"
#include "music/playlist.h"
#include "platform/start_options.h"
#include "support/stderr_line.h"

namespace {

constexpr int badUseStatus = 2;

std::string chosenFolder;  // musicFolder points into it for the whole run

void applyStartOptions(const StartOptions& options) {
  std::string note;
  chosenFolder = chooseMusicFolder(options.folder, runningExecutable(), &note);
  if (!note.empty()) stderrLine("%s", note.c_str());
  musicFolder = chosenFolder.c_str();
  if (options.volume) volume = *options.volume;
  if (options.repeat) repeatTrack = *options.repeat;
  setWindowScale(options.scale);
  if (options.fullScreen)
    postStartupClick(fullScreenZone.x + fullScreenZone.width / 2,
                     fullScreenZone.y + fullScreenZone.height / 2);
}

}  // namespace

int main(int argc, char* argv[]) {
  const CommandLine commandLine = parseCommandLine(argc, argv);
  switch (commandLine.action) {
    case CommandLineAction::showHelp: return writeToStdout(usageText());
    case CommandLineAction::showVersion: return writeToStdout(versionText());
    case CommandLineAction::badUse:
      stderrLine("%s", commandLine.problem.c_str());
      return badUseStatus;
    case CommandLineAction::run: break;
  }
  applyStartOptions(commandLine.options);
  startDesktopBus(playerView(), playerCommands());
  const int status = WinMain(nullptr, nullptr, nullptr, 0);
  stopDesktopBus();
  return status;
}
