// Platform-internal: SIGINT, SIGTERM and SIGHUP (the terminal closing, a logout, `kill`) end the
// program through its normal shut-down: the message pump asks every window to close. A signal
// may come at any moment, also while start-up still runs or a library call waits; when the pump
// has not taken the request within endSignalGrace, the sound device is closed and the program
// ends at once with status 0, so it never keeps running. A signal already ignored when the
// program starts (nohup, a background job) stays ignored.
#pragma once

#include <chrono>

constexpr std::chrono::milliseconds endSignalGrace{500};

// Installs the handlers (once; later calls do nothing).
void catchEndSignals();

// From now on ends the program at once when the pump has not taken an end signal within
// endSignalGrace (a watcher thread, started once). The program's own start asks for it; tests
// and tools that only make windows have the handlers without it.
void watchEndSignals();

// True once for the end signals that arrived since the last call; the caller asks every window
// to close. Main thread only.
bool takeEndRequest();

// A descriptor that stays readable from the first end signal on, for a wait that must give up
// then (poll it for POLLIN beside what it waits for); -1 before catchEndSignals.
int endRequestDescriptor();
