// The real program in a child process of a benchmark (tests/support/forked_program.h).
#include "tests/support/forked_program.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/win_main.h"

Resident readResident() {
  Resident resident;
  FILE* maps = std::fopen("/proc/self/smaps", "r");
  if (!maps) return resident;
  char line[512];
  bool renderer = false;
  while (std::fgets(line, sizeof line, maps)) {
    // A mapping's header ("start-end perms … path") is followed by its "Field: value" lines.
    const char* space = std::strchr(line, ' ');
    const bool header = space && space > line && space[-1] != ':';
    long kb = 0;
    if (header) {
      renderer = std::strstr(line, "libLLVM") || std::strstr(line, "_dri.so");
    } else if (std::sscanf(line, "Rss: %ld kB", &kb) == 1) {
      resident.totalKb += kb;
      if (renderer) resident.rendererKb += kb;
    }
  }
  std::fclose(maps);
  return resident;
}

namespace {

bool runChildUntil(const char* videoDriver, const std::string& display,
                   const std::string& workingFolder, PresentObserver observer, int (*body)()) {
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(workingFolder.c_str()) != 0) _exit(1);
    setenv("SDL_VIDEODRIVER", videoDriver, 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    setPresentObserver(observer);
    if (body) {
      body();
    } else {
      WinMain(nullptr, nullptr, nullptr, 0);
    }
    _exit(1);  // the program ended before the frame it was waited for
  }
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

}  // namespace

bool runProgramUntil(const std::string& workingFolder, PresentObserver observer) {
  return runChildUntil("offscreen", "", workingFolder, observer, nullptr);
}

bool runOnDisplayUntil(const std::string& display, const std::string& workingFolder,
                       PresentObserver observer, int (*body)()) {
  return runChildUntil("x11", display, workingFolder, observer, body);
}
