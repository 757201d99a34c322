// The command line (app/command_line.h): options through getopt_long, one problem line for
// every bad use.
#include "app/command_line.h"

#include <getopt.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/start_options.h"
#include "support/printable_name.h"
#include "support/stderr_line.h"

#ifndef ZOLTA_VERSION
#error "ZOLTA_VERSION comes from the project version in CMakeLists.txt"
#endif

namespace {

constexpr int repeatOption = 1000;  // long options without a short form
constexpr int volumeOption = 1001;
constexpr int largestVolume = 99;

const option longOptions[] = {{"scale", required_argument, nullptr, 's'},
                              {"fullscreen", no_argument, nullptr, 'f'},
                              {"repeat", required_argument, nullptr, repeatOption},
                              {"volume", required_argument, nullptr, volumeOption},
                              {"help", no_argument, nullptr, 'h'},
                              {"version", no_argument, nullptr, 'V'},
                              {nullptr, 0, nullptr, 0}};

// Text the user typed, safe to print.
std::string shown(const std::string& typed) { return printableName(typed.c_str()); }

CommandLine badUse(const std::string& problem) {
  CommandLine result;
  result.action = CommandLineAction::badUse;
  result.problem = problem + "; try 'zolta --help'";
  return result;
}

// A whole decimal number from low to high, or false.
bool readNumber(const std::string& text, int low, int high, int* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long number = std::strtol(text.c_str(), &end, 10);
  if (*end || number < low || number > high) return false;
  *value = static_cast<int>(number);
  return true;
}

// The problem with a FOLDER argument, or "" when it can be listed.
std::string folderProblem(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code error;
  const bool exists = fs::exists(folder, error);
  if (error == std::errc::too_many_symbolic_link_levels)
    return "a loop of symbolic links: " + shown(folder);
  if (error) return "cannot read the folder: " + shown(folder);
  if (!exists) return "no such folder: " + shown(folder);
  if (!fs::is_directory(folder, error)) return "not a folder: " + shown(folder);
  if (fs::directory_iterator(folder, error); error)
    return "cannot read the folder: " + shown(folder);
  return "";
}

// The option as the user wrote it, for messages: "--volume" or "-s".
std::string optionName(char* argv[], int index) {
  std::string written = argv[index];
  const size_t equals = written.find('=');
  return shown(written.starts_with("--") && equals != std::string::npos ? written.substr(0, equals)
                                                                        : written);
}

}  // namespace

CommandLine parseCommandLine(int argc, char* argv[]) {
  CommandLine result;
  StartOptions& options = result.options;
  optind = 0;  // a fresh scan every call (GNU getopt)
  opterr = 0;  // problems are reported here, in one line
  for (;;) {
    const int code = getopt_long(argc, argv, ":s:fhV", longOptions, nullptr);
    if (code == -1) break;
    const std::string value = optarg ? optarg : "";
    switch (code) {
      case 's':
        if (value == "auto") {
          options.scale = autoWindowScale;
        } else if (!readNumber(value, 1, largestWindowScale, &options.scale)) {
          return badUse("scale '" + shown(value) + "' is not 1-4 or auto");
        }
        break;
      case 'f': options.fullScreen = true; break;
      case repeatOption:
        if (value != "on" && value != "off")
          return badUse("repeat '" + shown(value) + "' is not on or off");
        options.repeat = value == "on";
        break;
      case volumeOption: {
        int volume = 0;
        if (!readNumber(value, 0, largestVolume, &volume))
          return badUse("volume '" + shown(value) + "' is not 0-99");
        options.volume = volume;
        break;
      }
      case 'h': result.action = CommandLineAction::showHelp; return result;
      case 'V': result.action = CommandLineAction::showVersion; return result;
      case ':': return badUse("option " + optionName(argv, optind - 1) + " needs a value");
      default: {
        const std::string written = argv[optind - 1];
        if (written.starts_with("--") && written.find('=') != std::string::npos && optopt)
          return badUse("option " + optionName(argv, optind - 1) + " takes no value");
        if (written.starts_with("--"))
          return badUse("unknown or ambiguous option " + optionName(argv, optind - 1));
        return badUse(std::string("unknown option -") + static_cast<char>(optopt));
      }
    }
  }
  if (argc - optind > 1) return badUse("more than one FOLDER");
  if (argc - optind == 1) {
    options.folder = argv[optind];
    const std::string problem = folderProblem(options.folder);
    if (!problem.empty()) return badUse(problem);
  }
  return result;
}

std::string usageText() {
  return "Usage: zolta [OPTION]... [FOLDER]\n"
         "A music disk: plays every file of FOLDER (default: data/msx/ under the working folder,\n"
         "else the installed tunes) as a tracker module, with a real-time presentation.\n"
         "\n"
         "  -s, --scale N        enlarge the window N times (1-4), or 'auto': the largest scale\n"
         "                       whose window fits in three quarters of the desktop (default 1)\n"
         "  -f, --fullscreen     start in full-screen\n"
         "      --repeat on|off  start with the repeat lamp on or off (default on)\n"
         "      --volume N       start at volume N, 0-99 (default 80)\n"
         "  -h, --help           show this help and end\n"
         "  -V, --version        show the version and end\n"
         "\n"
         "Keys: Up/Y previous, Down/B next, C pause, V stop, X play, Escape quit.\n";
}

std::string versionText() { return "zolta " ZOLTA_VERSION "\n"; }

int writeToStdout(const std::string& text) {
  if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return 0;
  stderrLine("cannot write to the standard output (%s)", std::strerror(errno));
  return 1;
}
