// Session buses for end-to-end tests: a dbus-daemon of the test's own on a socket in a scratch
// folder, and the bus tools (playerctl, gdbus, dbus-send) run against it; and a bus that takes
// connections and never answers.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/e2e_run.h"
#include "tests/support/shell_xvfb.h"

class PrivateSessionBus {
 public:
  // Starts dbus-daemon listening on folder/bus; running() tells whether it answers within a few
  // seconds. The destructor stops it.
  explicit PrivateSessionBus(const std::string& folder);

  bool running() const { return answering_; }
  // NAME=value entry that points a program at this bus.
  std::string environment() const { return "DBUS_SESSION_BUS_ADDRESS=" + address_; }
  // Stops the daemon: the bus goes away under its clients.
  void stop() { daemon_.reset(); }
  // Freezes the daemon (SIGSTOP), as a hung session bus is: connections are taken by the
  // kernel and nothing answers.
  void freeze() const;
  // Runs a command (searched on PATH) against this bus, bounded to a few seconds.
  ProgramRun run(const std::vector<std::string>& command) const;

  struct Flood {
    int answered = 0;        // calls that got a method return
    std::string firstError;  // the first error reply or failure, empty when none
  };
  // From a connection of its own, once destination owns its name (waited for a few seconds),
  // calls members[0], members[1], ... of interface on path at destination, pipelined: up to
  // inFlight calls wait for their replies at once. *replies counts the replies as they come,
  // for a watcher on another thread.
  Flood flood(const std::string& destination, const std::string& path, const std::string& interface,
              const std::vector<std::string>& members, int inFlight,
              std::atomic<int>* replies) const;

 private:
  std::string address_;
  std::unique_ptr<ChildProcess> daemon_;
  bool answering_ = false;
};

// A socket that takes connections as a session bus would and never speaks D-Bus: it listens
// in a folder and never accepts by itself, so a client's connection waits in its backlog, its
// greeting unread (a frozen bus daemon looks the same to a client); or the test accepts the
// next client and answers it with bytes of its choice.
class FakeSessionBus {
 public:
  explicit FakeSessionBus(const std::string& folder);
  ~FakeSessionBus();
  FakeSessionBus(const FakeSessionBus&) = delete;
  FakeSessionBus& operator=(const FakeSessionBus&) = delete;

  bool listening() const { return socket_ >= 0; }
  std::string environment() const { return "DBUS_SESSION_BUS_ADDRESS=unix:path=" + path_; }
  // Waits at most timeoutMs for a client to connect; true once one has.
  bool waitForClient(int timeoutMs) const;
  // Waits at most timeoutMs for a client, accepts it and sends it the bytes; the connection
  // stays open. False when no client came or the bytes could not be sent.
  bool answerNextClient(const std::string& bytes, int timeoutMs);

 private:
  std::string path_;
  int socket_ = -1;
  std::vector<int> clients_;
};
