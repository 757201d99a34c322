// zolta.exe under Wine (tests/support/wine_program.h).
#include "tests/support/wine_program.h"

#include <algorithm>

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
  std::vector<std::string> runnerArguments{windowsBuildFolder() + "/wine-prefix",
                                           windowsBuildFolder() + "/zolta.exe"};
  runnerArguments.insert(runnerArguments.end(), arguments.begin(), arguments.end());
  std::vector<std::string> environment{"DISPLAY=" + display};
  environment.insert(environment.end(), set.begin(), set.end());
  return std::make_unique<ChildProcess>(ZOLTA_WINE_RUNNER, runnerArguments, workingFolder,
                                        environment, std::vector<std::string>{});
}
