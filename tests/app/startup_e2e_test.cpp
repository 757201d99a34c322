// The real program started where no display exists: it must not run invisibly, but end at once
// with status 255 and one line on stderr, before it has looked at its music folder.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <dirent.h>

#include <fstream>
#include <string>

#include "tests/support/shell_xvfb.h"

namespace {

constexpr int programTimeoutMs = 10000;  // bound on the program's run

// Counts inotify events waiting on fd without blocking.
int pendingEvents(int fd) {
  int count = 0;
  char buffer[4096];
  pollfd entry{fd, POLLIN, 0};
  while (poll(&entry, 1, 0) > 0) {
    const ssize_t size = read(fd, buffer, sizeof buffer);
    if (size <= 0) break;
    for (ssize_t offset = 0; offset < size;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
      ++count;
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  return count;
}

TEST(StartUpWithoutDisplay, ExitsWith255AndOneLineBeforeTouchingTheMusicFolder) {
  const std::string folder = makeTemporaryFolder();
  ASSERT_FALSE(folder.empty());
  const std::string music = folder + "/data/msx";
  mkdir((folder + "/data").c_str(), 0755);
  mkdir(music.c_str(), 0755);
  std::ofstream(music + "/Someone - Tune.mod") << "not really a module";

  const int watch = inotify_init1(IN_NONBLOCK);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, music.c_str(), IN_OPEN | IN_ACCESS), 0);
  ASSERT_GE(inotify_add_watch(watch, folder.c_str(), IN_CREATE), 0);

  ChildProcess program(ZOLTA_BINARY_DIR "/zolta", {}, folder, {},
                       {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"});
  int status = -1;
  ASSERT_TRUE(program.waitForExit(programTimeoutMs, &status))
      << "the program kept running without a display";
  EXPECT_EQ(status, 255);
  const std::string errors = program.stderrText();
  EXPECT_FALSE(errors.empty());
  EXPECT_EQ(errors.find('\n'), errors.size() - 1) << "expected one line on stderr, got:\n"
                                                  << errors;
  EXPECT_EQ(pendingEvents(watch), 0) << "the program opened data/msx/ or wrote into its folder";

  // The watch does see a listing of the folder.
  DIR* directory = opendir(music.c_str());
  ASSERT_NE(directory, nullptr);
  closedir(directory);
  EXPECT_GT(pendingEvents(watch), 0);

  close(watch);
  removeFolder(folder);
}

}  // namespace
