// zolta.exe under Wine (tests/support/wine_program.h).
#include "tests/support/wine_program.h"

#include <algorithm>

#include "tests/support/e2e_run.h"

namespace {

constexpr int wineserverWaitMs = 20000;  // bound on the old session's processes ending

// Ends the Wine session of the build tree's prefix, if one runs: its desktop process keeps the
// X display of the run that started it, which may be a server that is gone by now.
void endWineSession() {
  const std::string prefix = "WINEPREFIX=" + windowsBuildFolder() + "/wine-prefix";
  runProgram({"/usr/bin/wineserver", "-k"}, "/", {prefix}, {}, wineserverWaitMs);
  runProgram({"/usr/bin/wineserver", "-w"}, "/", {prefix}, {}, wineserverWaitMs);
}

}  // namespace

std::string windowsBuildFolder() { return ZOLTA_WINDOWS_BUILD_DIR; }

std::string windowsPathOf(const std::string& path) {
  std::string windows = "Z:" + path;
  std::replace(windows.begin(), windows.end(), '/', '\\');
  return windows;
}

std::unique_ptr<ChildProcess> startWindowsProgram(const std::vector<std::string>& arguments,
                                                  const std::string& workingFolder,
                                                  const std::string& display,
                                                  const std::vector<std::string>& set) {
  return startWindowsExecutable("zolta.exe", arguments, workingFolder, display, set);
}

std::unique_ptr<ChildProcess> startWindowsExecutable(const std::string& executable,
                                                     const std::vector<std::string>& arguments,
                                                     const std::string& workingFolder,
                                                     const std::string& display,
                                                     const std::vector<std::string>& set) {
  endWineSession();
  std::vector<std::string> runnerArguments{windowsBuildFolder() + "/wine-prefix",
                                           windowsBuildFolder() + "/" + executable};
  runnerArguments.insert(runnerArguments.end(), arguments.begin(), arguments.end());
  std::vector<std::string> environment{"DISPLAY=" + display};
  environment.insert(environment.end(), set.begin(), set.end());
  return std::make_unique<ChildProcess>(ZOLTA_WINE_RUNNER, runnerArguments, workingFolder,
                                        environment, std::vector<std::string>{});
}
