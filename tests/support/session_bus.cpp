// A private session bus for end-to-end tests (tests/support/session_bus.h).
#include "tests/support/session_bus.h"

namespace {

constexpr int startWaitMs = 10000;   // bound on the daemon answering
constexpr int toolTimeoutMs = 10000;  // bound on one bus tool

}  // namespace

PrivateSessionBus::PrivateSessionBus(const std::string& folder) : address_("unix:path=" + folder + "/bus") {
  daemon_ = std::make_unique<ChildProcess>(
      "dbus-daemon", std::vector<std::string>{"--session", "--nofork", "--nopidfile", "--address=" + address_}, "/",
      std::vector<std::string>{}, std::vector<std::string>{});
  answering_ = waitUntil(
      [&] {
        return run({"gdbus", "call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
                    "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.GetId"})
                   .status == 0;
      },
      startWaitMs);
}

ProgramRun PrivateSessionBus::run(const std::vector<std::string>& command) const {
  std::vector<std::string> arguments = command;
  if (arguments[0].find('/') == std::string::npos) arguments[0] = "/usr/bin/" + arguments[0];
  return runProgram(arguments, "/", {environment()}, {"XDG_RUNTIME_DIR"}, toolTimeoutMs);
}
