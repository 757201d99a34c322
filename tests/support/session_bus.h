// A private session bus for end-to-end tests: a dbus-daemon of the test's own on a socket in a
// scratch folder, and the bus tools (playerctl, gdbus, dbus-send) run against it.
#pragma once

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
  // Runs a command (searched on PATH) against this bus, bounded to a few seconds.
  ProgramRun run(const std::vector<std::string>& command) const;

private:
  std::string address_;
  std::unique_ptr<ChildProcess> daemon_;
  bool answering_ = false;
};
