// The end signals (platform/end_signals.h). The handler only counts the signal and writes to
// two descriptors: a pipe that wakes the watcher thread and an eventfd that waits poll. The
// watcher gives the message pump endSignalGrace to take the request and otherwise ends the
// program itself.
#include "platform/end_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/bass_internal.h"

namespace {

constexpr int endSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int normalEndStatus = 0;

std::atomic<unsigned> signalsArrived{0};  // written by the handler
int watcherWake[2] = {-1, -1};            // pipe: the handler writes a byte per signal
int requestDescriptor = -1;               // eventfd, never read: readable once a signal came
std::mutex takenLock;
std::condition_variable takenChanged;
unsigned signalsTaken = 0;        // signalsArrived as the pump last took it; under takenLock
unsigned signalsTakenByPump = 0;  // the same, the main thread's own copy

void onEndSignal(int) {
  const int savedErrno = errno;
  signalsArrived.fetch_add(1);
  const char byte = 0;
  [[maybe_unused]] const ssize_t woken = write(watcherWake[1], &byte, 1);
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t marked = write(requestDescriptor, &one, sizeof one);
  errno = savedErrno;
}

// Waits for each signal in turn; when the pump has not taken it in time, the normal path
// cannot run (start-up blocked in a library, a frame that never ends): the sound device is
// closed and the program ends here.
void watchForEndSignals() {
  for (;;) {
    char byte;
    const ssize_t got = read(watcherWake[0], &byte, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    const unsigned arrived = signalsArrived.load();
    std::unique_lock<std::mutex> hold(takenLock);
    if (!takenChanged.wait_for(hold, endSignalGrace, [&] { return signalsTaken >= arrived; })) {
      bassCloseOutput();
      _exit(normalEndStatus);
    }
  }
}

}  // namespace

void catchEndSignals() {
  if (requestDescriptor >= 0) return;
  requestDescriptor = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (requestDescriptor < 0 || pipe2(watcherWake, O_CLOEXEC) != 0) return;
  fcntl(watcherWake[1], F_SETFL, O_NONBLOCK);  // a handler never waits on a full pipe
  for (const int signalNumber : endSignals) {
    struct sigaction current;
    if (sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction action = {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
  }
}

void watchEndSignals() {
  static bool watching = false;
  if (watching || requestDescriptor < 0) return;
  watching = true;
  std::thread(watchForEndSignals).detach();
}

bool takeEndRequest() {
  const unsigned arrived = signalsArrived.load();
  if (arrived == signalsTakenByPump) return false;
  signalsTakenByPump = arrived;
  std::lock_guard<std::mutex> hold(takenLock);
  signalsTaken = arrived;
  takenChanged.notify_all();
  return true;
}

int endRequestDescriptor() { return requestDescriptor; }
