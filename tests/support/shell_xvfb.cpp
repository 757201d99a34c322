// Test helpers for tests under a private X server (tests/support/shell_xvfb.h).
#include "tests/support/shell_xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr int xvfbStartTimeoutMs = 10000;  // Xvfb reports its display number within this time
constexpr int xdotoolTimeoutMs = 10000;    // one xdotool command ends within this time

// Reads what arrives on fd until a newline, EOF or the deadline.
std::string readLine(int fd, int timeoutMs) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return "";
    pollfd entry{fd, POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(left.count())) <= 0) return "";
    char c;
    if (read(fd, &c, 1) != 1) return "";
    if (c == '\n') return line;
    line += c;
  }
}

}  // namespace

XvfbServer::XvfbServer(int width, int height) {
  int fds[2];
  if (pipe(fds) != 0) return;
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  const std::string displayFd = std::to_string(fds[1]);
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive the test, however it ends
    close(fds[0]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execlp("Xvfb", "Xvfb", "-displayfd", displayFd.c_str(), "-screen", "0", screen.c_str(),
           "-nolisten", "tcp", "+extension", "SHAPE", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  if (pid_ > 0) {
    const std::string number = readLine(fds[0], xvfbStartTimeoutMs);
    if (!number.empty()) display_ = ":" + number;
  }
  close(fds[0]);
}

XvfbServer::~XvfbServer() { stop(); }

void XvfbServer::stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status;
  if (!waitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, 5000)) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  pid_ = -1;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& workingFolder, const std::vector<std::string>& set,
                           const std::vector<std::string>& unset) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  char path[] = "/tmp/zolta-stderr-XXXXXX";
  const int errFd = mkstemp(path);
  if (errFd < 0) return;
  stderrPath_ = path;
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive the test, however it ends
    if (chdir(workingFolder.c_str()) != 0) _exit(127);
    for (const std::string& name : unset) unsetenv(name.c_str());
    for (const std::string& entry : set) putenv(const_cast<char*>(entry.c_str()));
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(errFd, 2);
    execvp(program.c_str(), argv.data());
    _exit(127);
  }
  close(errFd);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !ended_) {
    kill(pid_, SIGKILL);
    int status;
    waitpid(pid_, &status, 0);
  }
  if (!stderrPath_.empty()) std::remove(stderrPath_.c_str());
}

bool ChildProcess::waitForExit(int timeoutMs, int* status) {
  if (pid_ <= 0) return false;
  int raw = 0;
  if (!ended_ && !waitUntil([&] { return waitpid(pid_, &raw, WNOHANG) == pid_; }, timeoutMs))
    return false;
  if (!ended_) {
    ended_ = true;
    lastStatus_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  }
  *status = lastStatus_;
  return true;
}

std::string ChildProcess::stderrText() const {
  std::ifstream file(stderrPath_);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

bool xdotool(const std::string& display, const std::vector<std::string>& arguments) {
  ChildProcess tool("xdotool", arguments, ".", {"DISPLAY=" + display}, {});
  int status = -1;
  const bool ended = tool.waitForExit(xdotoolTimeoutMs, &status);
  if (ended && status == 0) return true;
  std::string command = "xdotool";
  for (const std::string& argument : arguments) command += " " + argument;
  std::fprintf(stderr, "%s: %s\n", command.c_str(),
               ended ? ("status " + std::to_string(status) + ": " + tool.stderrText()).c_str()
                     : "did not end");
  return false;
}

std::string makeTemporaryFolder() {
  char path[] = "/tmp/zolta-test-XXXXXX";
  return mkdtemp(path) ? path : "";
}

void removeFolder(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}
