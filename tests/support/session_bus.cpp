// A private session bus for end-to-end tests (tests/support/session_bus.h).
#include "tests/support/session_bus.h"

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstring>

namespace {

constexpr int startWaitMs = 10000;                   // bound on the daemon answering
constexpr int toolTimeoutMs = 10000;                 // bound on one bus tool
constexpr uint64_t floodReplyTimeoutUs = 300000000;  // a flooded call may wait this long (5 min)

struct FloodState {
  PrivateSessionBus::Flood result;
  int waiting = 0;
  std::atomic<int>* replies;
};

int onFloodReply(sd_bus_message* reply, void* userdata, sd_bus_error*) {
  auto* state = static_cast<FloodState*>(userdata);
  --state->waiting;
  if (const sd_bus_error* error = sd_bus_message_get_error(reply)) {
    if (state->result.firstError.empty()) state->result.firstError = error->name;
  } else {
    ++state->result.answered;
  }
  ++*state->replies;
  return 0;
}

}  // namespace

PrivateSessionBus::PrivateSessionBus(const std::string& folder)
    : address_("unix:path=" + folder + "/bus") {
  daemon_ = std::make_unique<ChildProcess>(
      "dbus-daemon",
      std::vector<std::string>{"--session", "--nofork", "--nopidfile", "--address=" + address_},
      "/", std::vector<std::string>{}, std::vector<std::string>{});
  answering_ = waitUntil(
      [&] {
        return run({"gdbus", "call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
                    "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.GetId"})
                   .status == 0;
      },
      startWaitMs);
}

void PrivateSessionBus::freeze() const {
  if (daemon_) kill(daemon_->pid(), SIGSTOP);
}

ProgramRun PrivateSessionBus::run(const std::vector<std::string>& command) const {
  std::vector<std::string> arguments = command;
  if (arguments[0].find('/') == std::string::npos) arguments[0] = "/usr/bin/" + arguments[0];
  return runProgram(arguments, "/", {environment()}, {"XDG_RUNTIME_DIR"}, toolTimeoutMs);
}

PrivateSessionBus::Flood PrivateSessionBus::flood(const std::string& destination,
                                                  const std::string& path,
                                                  const std::string& interface,
                                                  const std::vector<std::string>& members,
                                                  int inFlight, std::atomic<int>* replies) const {
  FloodState state{{}, 0, replies};
  sd_bus* bus = nullptr;
  int result = sd_bus_new(&bus);
  if (result >= 0) result = sd_bus_set_address(bus, address_.c_str());
  if (result >= 0) result = sd_bus_set_bus_client(bus, 1);
  if (result >= 0) result = sd_bus_start(bus);
  const bool owned =
      result >= 0 &&
      waitUntil(
          [&] {
            sd_bus_message* reply = nullptr;
            int has = 0;
            const bool asked =
                sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                   "org.freedesktop.DBus", "NameHasOwner", nullptr, &reply, "s",
                                   destination.c_str()) >= 0 &&
                sd_bus_message_read(reply, "b", &has) >= 0;
            sd_bus_message_unref(reply);
            return asked && has;
          },
          startWaitMs);
  if (!owned) {
    state.result.firstError =
        result < 0 ? std::strerror(-result) : destination + " never showed on the bus";
    sd_bus_flush_close_unref(bus);
    return state.result;
  }
  size_t sent = 0;
  while (result >= 0 && (sent < members.size() || state.waiting > 0)) {
    while (sent < members.size() && state.waiting < inFlight && result >= 0) {
      sd_bus_message* call = nullptr;
      result = sd_bus_message_new_method_call(bus, &call, destination.c_str(), path.c_str(),
                                              interface.c_str(), members[sent].c_str());
      if (result >= 0)
        result = sd_bus_call_async(bus, nullptr, call, onFloodReply, &state, floodReplyTimeoutUs);
      sd_bus_message_unref(call);
      ++sent;
      ++state.waiting;
    }
    if (result >= 0) result = sd_bus_process(bus, nullptr);
    if (result == 0) result = sd_bus_wait(bus, UINT64_MAX);
  }
  if (result < 0 && state.result.firstError.empty())
    state.result.firstError = std::strerror(-result);
  sd_bus_flush_close_unref(bus);
  return state.result;
}

FakeSessionBus::FakeSessionBus(const std::string& folder) : path_(folder + "/fake-bus") {
  constexpr int backlog = 16;  // connections that can wait unaccepted
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path_.size() >= sizeof address.sun_path) return;
  std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
  socket_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket_ >= 0 &&
      (bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
       listen(socket_, backlog) != 0)) {
    close(socket_);
    socket_ = -1;
  }
}

FakeSessionBus::~FakeSessionBus() {
  for (const int client : clients_) close(client);
  if (socket_ >= 0) close(socket_);
  unlink(path_.c_str());
}

bool FakeSessionBus::waitForClient(int timeoutMs) const {
  pollfd waiting{socket_, POLLIN, 0};  // readable: a connection waits to be accepted
  return poll(&waiting, 1, timeoutMs) == 1;
}

bool FakeSessionBus::answerNextClient(const std::string& bytes, int timeoutMs) {
  if (!waitForClient(timeoutMs)) return false;
  const int client = accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC);
  if (client < 0) return false;
  clients_.push_back(client);
  return send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
         static_cast<ssize_t>(bytes.size());
}
