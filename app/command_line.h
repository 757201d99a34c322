// The command line: zolta [OPTION]... [FOLDER]. Parsed before WinMain runs; what it asks for
// reaches the program only as start values (music folder, volume, repeat) and as the
// platform's window scale and start-up click.
#pragma once

#include <optional>
#include <string>

struct StartOptions {
  std::string folder;          // FOLDER as given; empty: data/msx/ under the working folder
  int scale = 1;               // 1-4, or autoWindowScale
  bool fullScreen = false;     // start as if the full-screen zone had been clicked
  std::optional<bool> repeat;  // --repeat; unset keeps the program's own start value
  std::optional<int> volume;   // --volume 0-99; likewise
};

enum class CommandLineAction { run, showHelp, showVersion, badUse };

struct CommandLine {
  CommandLineAction action = CommandLineAction::run;
  StartOptions options;
  std::string problem;  // badUse: the words of the one stderr line (stderrLine adds the rest)
};

// Reads the arguments with getopt_long (argv[0] is the program's name). A FOLDER must exist, be
// a folder and be readable; nothing is opened or changed.
CommandLine parseCommandLine(int argc, char* argv[]);

// The --help text, ending in a newline.
std::string usageText();

// The --version line, ending in a newline.
std::string versionText();

// Writes text to stdout and flushes it: 0, or 1 after one stderr line when it cannot be
// written (a full disk, a closed terminal).
int writeToStdout(const std::string& text);
