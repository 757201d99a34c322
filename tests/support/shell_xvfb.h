// Test helpers for tests that run under a private X server: an Xvfb on a free display number
// (Xvfb picks it itself with -displayfd and reports it once it accepts connections), a child
// process with its own environment and stderr capture, and a bounded polling wait.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

class XvfbServer {
 public:
  // Starts Xvfb with one 24-bit screen of the given size; running() tells whether it came up
  // within a few seconds. The destructor stops it.
  XvfbServer(int width, int height);
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool running() const { return pid_ > 0 && !display_.empty(); }
  // Ends the server now (as a logout or a crash of the server would, for its clients).
  void stop();
  const std::string& display() const { return display_; }  // e.g. ":3"

 private:
  pid_t pid_ = -1;
  std::string display_;
};

class ChildProcess {
 public:
  // Starts program (searched on PATH) with arguments in workingFolder with the current
  // environment, minus the variables named in unset, plus the NAME=value entries of set.
  // stderr goes to a file read by stderrText().
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& workingFolder, const std::vector<std::string>& set,
               const std::vector<std::string>& unset);
  ~ChildProcess();  // kills the process if it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  // Waits at most timeoutMs for the end; true with the exit status (0-255) if it ended.
  bool waitForExit(int timeoutMs, int* status);
  std::string stderrText() const;

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
  int lastStatus_ = 0;
  std::string stderrPath_;
};

// Calls condition() every few milliseconds until it is true; false after timeoutMs.
template <typename Condition>
bool waitUntil(Condition condition, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Runs xdotool with the given arguments on display and waits for it; true when it succeeded,
// else false with the command and what went wrong on stderr.
bool xdotool(const std::string& display, const std::vector<std::string>& arguments);

// A fresh empty folder under the system's temporary folder; removed by removeFolder.
std::string makeTemporaryFolder();
void removeFolder(const std::string& path);
