// keepToExistingSessionBus and keepAwayFromSessionBus: DBUS_SESSION_BUS_ADDRESS set before SDL
// can auto-launch a bus or join one.
#include "platform/session_bus.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// A path that can never hold a socket: libdbus fails to connect to it at once.
constexpr const char* noBusAddress = "unix:path=/dev/null";

// A D-Bus address value: bytes outside [-0-9A-Za-z_/.\*] written as %XX.
std::string escapedAddressValue(const std::string& value) {
  std::string escaped;
  for (unsigned char byte : value) {
    const bool plain = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
                       (byte >= 'a' && byte <= 'z') || (byte != 0 && std::strchr("-_/.\\*", byte));
    if (plain) {
      escaped += static_cast<char>(byte);
      continue;
    }
    char hex[4];
    std::snprintf(hex, sizeof hex, "%%%02x", byte);
    escaped += hex;
  }
  return escaped;
}

}  // namespace

void keepToExistingSessionBus() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address && *address) return;
  const char* runtimeFolder = std::getenv("XDG_RUNTIME_DIR");
  if (runtimeFolder && *runtimeFolder) {
    const std::string userBus = std::string(runtimeFolder) + "/bus";
    struct stat info;
    if (stat(userBus.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) {
      setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + escapedAddressValue(userBus)).c_str(), 1);
      return;
    }
  }
  setenv("DBUS_SESSION_BUS_ADDRESS", noBusAddress, 1);
}

void keepAwayFromSessionBus() { setenv("DBUS_SESSION_BUS_ADDRESS", noBusAddress, 1); }
