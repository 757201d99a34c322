// Platform-internal: keeps the libraries under the platform layer (SDL loads libdbus for its
// screensaver, input-method and portal helpers) to a session bus that already runs.
// libdbus connects to the bus named by DBUS_SESSION_BUS_ADDRESS; when that is unset it tries
// the user bus socket $XDG_RUNTIME_DIR/bus and then auto-launches one through dbus-launch, a
// daemon that outlives the program, writes under ~/.dbus/ and, with HOME missing, can make the
// window fail to open. Called before SDL starts a subsystem, this names the user bus when its
// socket exists, and otherwise an address that refuses at once, so nothing is ever launched.
// An address set by the user is left as it is.
#pragma once

void keepToExistingSessionBus();

// Points the libraries at the address that refuses at once, whatever was set: for a session
// bus the program could not join (one that does not answer would block them for ever).
void keepAwayFromSessionBus();
