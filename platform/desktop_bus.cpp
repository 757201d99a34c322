// The MPRIS 2 media player on the session bus, with sd-bus: the root and Player interfaces on
// /org/mpris/MediaPlayer2, served from the main thread between frames (platform/desktop_bus.h).
// sd-bus only joins a bus that exists (DBUS_SESSION_BUS_ADDRESS or $XDG_RUNTIME_DIR/bus) and
// never starts one; it makes no thread of its own. Calls are carried out by the commands the
// program published, and state is read from its view only. Nothing here waits on the bus for
// longer than answerBoundMicroseconds: the join's greeting, the program's own calls and the last
// delivery are bounded by it, and everything else is never waited for.
#include "platform/desktop_bus.h"

#include <poll.h>
#include <systemd/sd-bus.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/bass_internal.h"
#include "platform/desktop_bus_internal.h"
#include "platform/end_signals.h"
#include "platform/hooks/clock.h"
#include "platform/hooks/window.h"
#include "platform/desktop_bus_values.h"
#include "platform/session_bus.h"
#include "platform/win32_internal.h"
#include "support/stderr_line.h"

namespace {

constexpr const char* objectPath = "/org/mpris/MediaPlayer2";
constexpr const char* rootInterface = "org.mpris.MediaPlayer2";
constexpr const char* playerInterface = "org.mpris.MediaPlayer2.Player";
constexpr const char* busName = "org.mpris.MediaPlayer2.zolta";
constexpr const char* trackPathPrefix = "/org/mpris/MediaPlayer2/zolta/track/";
constexpr const char* noTrackPath = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
constexpr const char* identity = "Zolta RodiZeve #1";
constexpr const char* desktopEntry = ZOLTA_APP_ID;  // the installed launcher, without ".desktop"
constexpr double microsecondsPerSecond = 1e6;

// How long the session bus may take to answer: the greeting when the program joins it (connect,
// authentication, Hello), each method call the program makes, and delivering what is still
// queued when the program leaves it.
constexpr uint64_t answerBoundMicroseconds = 500000;
// Between two frames the bus carries out at most this many commands and is served for at most
// this long; the rest of a flood waits for the next frame, so the picture moves on.
constexpr int commandsPerTurn = 16;
constexpr long long turnTicks = 50 * (clockTicksPerSecond / 1000);  // 50 ms

// What the announcements compare: the player's state at the last call.
struct PlayerSnapshot {
  int track;
  PlaybackState state;
  int volume;
  bool repeat;
  bool fullScreen;
  bool operator==(const PlayerSnapshot&) const = default;
};

PlayerView view{};
PlayerCommands commands{};
bool viewPublished = false;
sd_bus* bus = nullptr;
bool messagesPosted = false;  // set when a call's command has posted window messages
bool callsLeft = false;       // the last service stopped with calls possibly read but not handled
PlayerSnapshot announced{};
std::string workingFolder;  // at start: track paths are relative to it
long long turnStart = 0;    // clock value at the first service since the last frame; 0: none yet
int commandsThisTurn = 0;   // calls that posted messages since the last frame
uint64_t lastHeard = 0;     // monotonic microseconds when the last message arrived
uint64_t pingSent = 0;      // and when the last ping left
bool pingAwaited = false;
bool silenced = false;  // a ping went unanswered: dropped after the current call

bool haveTracks() { return viewPublished && view.trackCount() > 0; }

PlaybackState currentState() { return haveTracks() ? view.state() : PlaybackState::stopped; }

PlayerSnapshot snapshot() {
  return {haveTracks() ? view.playingTrack() : -1, currentState(), view.volume(), view.repeat(),
          view.fullScreen()};
}

// The program's window: the newest one still open.
HWND playerWindow() {
  const std::vector<HWND>& windows = allWindows();
  for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
    if (IsWindow(*window)) return *window;
  }
  return nullptr;
}

// Notes what a command did: once one has posted window messages, the calls after it wait until
// the window has taken them.
void noteCommand(bool posted) {
  if (posted) messagesPosted = true;
}

int runCommand(bool (*command)(), sd_bus_message* call) {
  noteCommand(command());
  return sd_bus_reply_method_return(call, "");
}

// ---- Root interface

int onRaise(sd_bus_message* call, void*, sd_bus_error*) {
  if (HWND window = playerWindow()) {
    ShowWindow(window, SW_RESTORE);
    SDL_RaiseWindow(window->sdl);
  }
  return sd_bus_reply_method_return(call, "");
}

int onQuit(sd_bus_message* call, void*, sd_bus_error*) { return runCommand(commands.quit, call); }

int getFullscreen(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                  sd_bus_error*) {
  return sd_bus_message_append(reply, "b", static_cast<int>(view.fullScreen()));
}

int setFullscreen(sd_bus*, const char*, const char*, const char*, sd_bus_message* value, void*,
                  sd_bus_error*) {
  int wanted;
  const int read = sd_bus_message_read(value, "b", &wanted);
  if (read < 0) return read;
  noteCommand(commands.setFullScreen(static_cast<bool>(wanted)));
  return 0;
}

int getEmptyList(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                 sd_bus_error*) {
  return sd_bus_message_append(reply, "as", 0);
}

// ---- Player interface

int onNext(sd_bus_message* call, void*, sd_bus_error*) { return runCommand(commands.next, call); }
int onPrevious(sd_bus_message* call, void*, sd_bus_error*) {
  return runCommand(commands.previous, call);
}
int onPause(sd_bus_message* call, void*, sd_bus_error*) { return runCommand(commands.pause, call); }
int onPlayPause(sd_bus_message* call, void*, sd_bus_error*) {
  return runCommand(commands.playPause, call);
}
int onStop(sd_bus_message* call, void*, sd_bus_error*) { return runCommand(commands.stop, call); }
int onPlay(sd_bus_message* call, void*, sd_bus_error*) { return runCommand(commands.play, call); }

int refuse(sd_bus_message*, void*, sd_bus_error* error) {
  return sd_bus_error_set(error, SD_BUS_ERROR_NOT_SUPPORTED,
                          "this player cannot seek or open other files");
}

int getPlaybackStatus(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                      sd_bus_error*) {
  return sd_bus_message_append(reply, "s", playbackStatusName(currentState()));
}

int getLoopStatus(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                  sd_bus_error*) {
  return sd_bus_message_append(reply, "s", view.repeat() ? "Track" : "None");
}

int setLoopStatus(sd_bus*, const char*, const char*, const char*, sd_bus_message* value, void*,
                  sd_bus_error* error) {
  const char* status;
  const int read = sd_bus_message_read(value, "s", &status);
  if (read < 0) return read;
  const std::string wanted = status;
  if (wanted != "Track" && wanted != "None") {
    return sd_bus_error_set(error, SD_BUS_ERROR_INVALID_ARGS,
                            "LoopStatus is \"Track\" or \"None\" here");
  }
  noteCommand(commands.setRepeat(wanted == "Track"));
  return 0;
}

int getVolume(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
              sd_bus_error*) {
  return sd_bus_message_append(reply, "d", view.volume() / 100.0);
}

int setVolume(sd_bus*, const char*, const char*, const char*, sd_bus_message* value, void*,
              sd_bus_error* error) {
  double busVolume;
  const int read = sd_bus_message_read(value, "d", &busVolume);
  if (read < 0) return read;
  const int wanted = volumeFromBus(busVolume);
  if (wanted < 0)
    return sd_bus_error_set(error, SD_BUS_ERROR_INVALID_ARGS, "Volume is a number from 0.0 to 1.0");
  noteCommand(commands.setVolume(wanted));
  return 0;
}

int getPosition(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                sd_bus_error*) {
  const double seconds = haveTracks() ? musicPositionSeconds(view.music()) : 0.0;
  return sd_bus_message_append(reply, "x", static_cast<int64_t>(seconds * microsecondsPerSecond));
}

int getCanGoNext(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                 sd_bus_error*) {
  return sd_bus_message_append(
      reply, "b", static_cast<int>(haveTracks() && view.playingTrack() < view.trackCount() - 1));
}

int getCanGoPrevious(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                     sd_bus_error*) {
  return sd_bus_message_append(reply, "b",
                               static_cast<int>(haveTracks() && view.playingTrack() > 0));
}

int getHaveTracks(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                  sd_bus_error*) {
  return sd_bus_message_append(reply, "b", static_cast<int>(haveTracks()));
}

int getOne(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
           sd_bus_error*) {
  return sd_bus_message_append(reply, "d", 1.0);
}

int getTrue(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
            sd_bus_error*) {
  return sd_bus_message_append(reply, "b", 1);
}

int getFalse(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
             sd_bus_error*) {
  return sd_bus_message_append(reply, "b", 0);
}

int getIdentity(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                sd_bus_error*) {
  return sd_bus_message_append(reply, "s", identity);
}

int getDesktopEntry(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                    sd_bus_error*) {
  return sd_bus_message_append(reply, "s", desktopEntry);
}

uint64_t monotonicMicroseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);  // sd-bus's clock for its time-outs
  return static_cast<uint64_t>(now.tv_sec) * 1000000 + static_cast<uint64_t>(now.tv_nsec) / 1000;
}

// Milliseconds from now to deadline, rounded up (a poll time-out).
int millisecondsUntil(uint64_t deadline, uint64_t now) {
  return static_cast<int>((deadline - now + 999) / 1000);
}

// A track's path made absolute against the working folder the program started in (which may
// have gone since), its dot segments resolved as a URL's reader would; empty when that folder
// was not known.
std::string absolutePath(const char* path) {
  if (path[0] == '/') return path;
  if (workingFolder.empty()) return "";
  return std::filesystem::path(workingFolder + "/" + path).lexically_normal().string();
}

int getMetadata(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                sd_bus_error*) {
  int result = sd_bus_message_open_container(reply, 'a', "{sv}");
  if (result < 0) return result;
  if (!haveTracks()) {
    result = sd_bus_message_append(reply, "{sv}", "mpris:trackid", "o", noTrackPath);
    return result < 0 ? result : sd_bus_message_close_container(reply);
  }
  const int track = view.playingTrack();
  const TrackDescription fields = view.describeTrack(track);
  const std::string trackPath = trackPathPrefix + std::to_string(track + 1);
  const std::string title = validUtf8(trimmedSpaces(fields.title));
  const std::string artist = validUtf8(trimmedSpaces(fields.artist));
  result = sd_bus_message_append(reply, "{sv}{sv}{sv}{sv}", "mpris:trackid", "o", trackPath.c_str(),
                                 "xesam:title", "s", title.c_str(), "xesam:artist", "as", 1,
                                 artist.c_str(), "xesam:trackNumber", "i", track + 1);
  if (result < 0) return result;
  if (const std::string path = absolutePath(fields.path); !path.empty()) {
    result = sd_bus_message_append(reply, "{sv}", "xesam:url", "s", fileUrl(path).c_str());
    if (result < 0) return result;
  }
  const double seconds = musicLengthSeconds(view.music());
  if (seconds > 0.0) {
    result = sd_bus_message_append(reply, "{sv}", "mpris:length", "x",
                                   static_cast<int64_t>(seconds * microsecondsPerSecond));
    if (result < 0) return result;
  }
  return sd_bus_message_close_container(reply);
}

constexpr uint64_t changes = SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE;
constexpr uint64_t fixed = SD_BUS_VTABLE_PROPERTY_CONST;

const sd_bus_vtable rootVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Raise", "", "", onRaise, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Quit", "", "", onQuit, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("CanQuit", "b", getTrue, 0, fixed),
    SD_BUS_PROPERTY("CanRaise", "b", getTrue, 0, fixed),
    SD_BUS_PROPERTY("CanSetFullscreen", "b", getTrue, 0, fixed),
    SD_BUS_WRITABLE_PROPERTY("Fullscreen", "b", getFullscreen, setFullscreen, 0,
                             changes | SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("HasTrackList", "b", getFalse, 0, fixed),
    SD_BUS_PROPERTY("Identity", "s", getIdentity, 0, fixed),
    SD_BUS_PROPERTY("DesktopEntry", "s", getDesktopEntry, 0, fixed),
    SD_BUS_PROPERTY("SupportedUriSchemes", "as", getEmptyList, 0, fixed),
    SD_BUS_PROPERTY("SupportedMimeTypes", "as", getEmptyList, 0, fixed),
    SD_BUS_VTABLE_END};

const sd_bus_vtable playerVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Next", "", "", onNext, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Previous", "", "", onPrevious, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Pause", "", "", onPause, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("PlayPause", "", "", onPlayPause, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Stop", "", "", onStop, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Play", "", "", onPlay, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Seek", "x", "", refuse, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("SetPosition", "ox", "", refuse, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("OpenUri", "s", "", refuse, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("PlaybackStatus", "s", getPlaybackStatus, 0, changes),
    SD_BUS_WRITABLE_PROPERTY("LoopStatus", "s", getLoopStatus, setLoopStatus, 0,
                             changes | SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("Rate", "d", getOne, 0, fixed),
    SD_BUS_PROPERTY("MinimumRate", "d", getOne, 0, fixed),
    SD_BUS_PROPERTY("MaximumRate", "d", getOne, 0, fixed),
    SD_BUS_PROPERTY("Metadata", "a{sv}", getMetadata, 0, changes),
    SD_BUS_WRITABLE_PROPERTY("Volume", "d", getVolume, setVolume, 0,
                             changes | SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("Position", "x", getPosition, 0, 0),
    SD_BUS_PROPERTY("CanGoNext", "b", getCanGoNext, 0, changes),
    SD_BUS_PROPERTY("CanGoPrevious", "b", getCanGoPrevious, 0, changes),
    SD_BUS_PROPERTY("CanPlay", "b", getHaveTracks, 0, fixed),
    SD_BUS_PROPERTY("CanPause", "b", getHaveTracks, 0, fixed),
    SD_BUS_PROPERTY("CanSeek", "b", getFalse, 0, fixed),
    SD_BUS_PROPERTY("CanControl", "b", getTrue, 0, fixed),
    SD_BUS_VTABLE_END};

// A bus that has gone or stopped answering: dropped without delivering what is still queued.
void dropBus(const char* reason) {
  stderrLine("desktop bus: connection lost (%s) - no desktop controls", reason);
  bus = sd_bus_close_unref(bus);
  pingAwaited = false;
}

// Leaves the bus: what is still queued (a last announcement, replies) is delivered while the
// bus takes it, for answerBound at most.
void leaveBus() {
  const uint64_t deadline = monotonicMicroseconds() + answerBoundMicroseconds;
  while (bus && (sd_bus_get_events(bus) & POLLOUT)) {
    const uint64_t now = monotonicMicroseconds();
    pollfd descriptor{sd_bus_get_fd(bus), POLLOUT, 0};
    if (now >= deadline || poll(&descriptor, 1, millisecondsUntil(deadline, now)) <= 0) break;
    if (sd_bus_process(bus, nullptr) < 0) break;
  }
  bus = sd_bus_close_unref(bus);
  pingAwaited = false;
}

// sd-bus gave up waiting for the reply to a call.
bool timedOut(const sd_bus_error* error) {
  return error && sd_bus_error_has_names(error, SD_BUS_ERROR_TIMEOUT, SD_BUS_ERROR_NO_REPLY);
}

// Whether an answer may have come all the same: sd-bus checks its time-outs before it reads, so
// a program busy for longer than the bound (its start-up, a display-mode switch) finds a call
// timed out with the reply unread.
bool answerMayBeWaiting() {
  pollfd descriptor{sd_bus_get_fd(bus), POLLIN, 0};
  return callsLeft || poll(&descriptor, 1, 0) > 0;
}

// The reply to a name request. The name already taken (a second copy running): the instance
// name with the process id, as MPRIS asks; any other refusal: one stderr line, and no name.
int onNameReply(sd_bus_message* reply, void* userdata, sd_bus_error*) {
  constexpr uint32_t primaryOwner = 1, alreadyOwner = 4;  // RequestName replies
  uint32_t outcome = 0;
  const sd_bus_error* error = sd_bus_message_get_error(reply);
  if (!error && sd_bus_message_read(reply, "u", &outcome) >= 0 &&
      (outcome == primaryOwner || outcome == alreadyOwner)) {
    return 0;
  }
  if (timedOut(error) && answerMayBeWaiting()) {  // asked again: owning it already is success
    const char* name = userdata ? static_cast<std::string*>(userdata)->c_str() : busName;
    if (sd_bus_request_name_async(bus, nullptr, name, 0, onNameReply, userdata) >= 0) return 0;
  }
  if (!error && userdata == nullptr) {
    static std::string instanceName;
    instanceName = std::string(busName) + ".instance" + std::to_string(getpid());
    if (sd_bus_request_name_async(bus, nullptr, instanceName.c_str(), 0, onNameReply,
                                  &instanceName) >= 0)
      return 0;
  }
  stderrLine("desktop bus: cannot take a media player name (%s) - no desktop controls",
             error && error->message ? error->message : "taken");
  return 0;
}

// Every message that arrives: the bus is alive.
int onAnyMessage(sd_bus_message*, void*, sd_bus_error*) {
  lastHeard = monotonicMicroseconds();
  return 0;
}

// The bus's answer to the ping sent with an announcement. Timed out with nothing heard since
// it was sent and nothing waiting to be read: the bus has stopped answering. (A bus busy
// delivering a flood of calls keeps the reply behind them, and those calls show it alive.)
int onPingReply(sd_bus_message* reply, void*, sd_bus_error*) {
  pingAwaited = false;
  if (timedOut(sd_bus_message_get_error(reply)) && lastHeard < pingSent && !answerMayBeWaiting())
    silenced = true;
  return 0;
}

// After an announcement: asks the bus for an answer, so that one that has stopped is noticed.
void pingBus() {
  if (pingAwaited) return;
  pingSent = monotonicMicroseconds();
  pingAwaited =
      sd_bus_call_method_async(bus, nullptr, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus.Peer", "Ping", onPingReply, nullptr, "") >= 0;
}

// Announces what changed in the player since the last call, whatever changed it.
void announceChanges() {
  const PlayerSnapshot now = snapshot();
  if (now == announced) return;
  std::vector<const char*> names;
  if (now.track != announced.track)
    names.insert(names.end(), {"Metadata", "CanGoNext", "CanGoPrevious"});
  if (now.state != announced.state) names.push_back("PlaybackStatus");
  if (now.volume != announced.volume) names.push_back("Volume");
  if (now.repeat != announced.repeat) names.push_back("LoopStatus");
  if (!names.empty()) {
    names.push_back(nullptr);
    sd_bus_emit_properties_changed_strv(bus, objectPath, playerInterface,
                                        const_cast<char**>(names.data()));
  }
  if (now.fullScreen != announced.fullScreen) {
    sd_bus_emit_properties_changed(bus, objectPath, rootInterface, "Fullscreen", nullptr);
  }
  announced = now;
  pingBus();
}

enum class Greeting { answered, failed, unanswered, interrupted };

// Why the greeting failed, from sd-bus's error: what a peer that is no bus did.
std::string greetingProblem(int error) {
  switch (error) {
    case EPERM: return "the bus refused the greeting";
    case EBADMSG:
    case ENOBUFS:
    case EPROTO: return "the answer is not D-Bus";
    default: return std::strerror(error);
  }
}

// Waits for the bus to answer the greeting that opening the connection sent (authentication,
// then Hello): until the connection runs or fails, answerBound passes, or an end signal comes.
// *problem: why it failed.
Greeting awaitGreeting(sd_bus* opened, std::string* problem) {
  const uint64_t deadline = monotonicMicroseconds() + answerBoundMicroseconds;
  for (;;) {
    if (sd_bus_is_ready(opened) > 0) return Greeting::answered;
    if (sd_bus_is_open(opened) <= 0) {
      *problem = "the connection was refused or closed";
      return Greeting::failed;
    }
    int result = sd_bus_process(opened, nullptr);
    if (result > 0) continue;
    if (result == 0) result = sd_bus_get_events(opened);
    if (result < 0) {
      *problem = greetingProblem(-result);
      return Greeting::failed;
    }
    const uint64_t now = monotonicMicroseconds();
    if (now >= deadline) return Greeting::unanswered;
    pollfd descriptors[] = {{sd_bus_get_fd(opened), static_cast<short>(result), 0},
                            {endRequestDescriptor(), POLLIN, 0}};
    poll(descriptors, 2, millisecondsUntil(deadline, now));
    if (descriptors[1].revents & POLLIN) return Greeting::interrupted;
  }
}

// Opens the connection and waits for the greeting's answer; the connection with the player's
// objects and its name requested, or null (and at most one stderr line).
sd_bus* joinBus() {
  sd_bus* opened = nullptr;
  int result = sd_bus_open_user(&opened);
  std::string problem = result < 0 ? std::strerror(-result) : "";
  Greeting greeting = result < 0 ? Greeting::failed : awaitGreeting(opened, &problem);
  if (greeting == Greeting::answered) {
    result = sd_bus_set_method_call_timeout(opened, answerBoundMicroseconds);
    if (result >= 0) result = sd_bus_add_filter(opened, nullptr, onAnyMessage, nullptr);
    if (result >= 0)
      result =
          sd_bus_add_object_vtable(opened, nullptr, objectPath, rootInterface, rootVtable, nullptr);
    if (result >= 0)
      result = sd_bus_add_object_vtable(opened, nullptr, objectPath, playerInterface, playerVtable,
                                        nullptr);
    if (result >= 0)
      result = sd_bus_request_name_async(opened, nullptr, busName, 0, onNameReply, nullptr);
    if (result >= 0) return opened;
    greeting = Greeting::failed;
    problem = std::strerror(-result);
  }
  if (greeting == Greeting::failed) {
    stderrLine("desktop bus: cannot join the session bus (%s) - no desktop controls",
               problem.c_str());
  } else if (greeting == Greeting::unanswered) {
    stderrLine("desktop bus: no answer from the session bus - no desktop controls");
  }
  sd_bus_close_unref(opened);
  keepAwayFromSessionBus();
  return nullptr;
}

bool turnOver() {
  return commandsThisTurn >= commandsPerTurn || clockNow() - turnStart >= turnTicks;
}

// Whether sd-bus has work now: calls queued, or a reply's time-out passed. (Calls whose bytes
// it has read but not yet parsed show nowhere: callsLeft keeps those.)
bool workDue() {
  uint64_t due;
  return sd_bus_get_timeout(bus, &due) > 0 && due <= monotonicMicroseconds();
}

}  // namespace

void startDesktopBus(const PlayerView& published, const PlayerCommands& offered) {
  catchEndSignals();  // from here on, before the bus can make anything wait
  watchEndSignals();
  view = published;
  commands = offered;
  viewPublished = true;
  if (char* folder = getcwd(nullptr, 0)) {
    workingFolder = folder;
    std::free(folder);
  }
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  const char* runtimeFolder = std::getenv("XDG_RUNTIME_DIR");
  const bool busSocketExists =
      runtimeFolder && access((std::string(runtimeFolder) + "/bus").c_str(), F_OK) == 0;
  if ((!address || !*address) && !busSocketExists) return;  // no session bus: nothing to join
  bus = joinBus();
  announced = snapshot();
}

void stopDesktopBus() {
  viewPublished = false;  // the player's state is going away: calls still read find no tracks
  leaveBus();
}

void serviceDesktopBus() {
  if (!bus) return;
  if (turnStart == 0) turnStart = clockNow();
  if (turnOver()) return;
  announceChanges();
  int result = sd_bus_get_events(bus);
  if (result >= 0) {
    pollfd descriptor{sd_bus_get_fd(bus), static_cast<short>(result), 0};
    if (!callsLeft && !workDue() && poll(&descriptor, 1, 0) <= 0) return;
    messagesPosted = false;
    while (!messagesPosted && !silenced && (result = sd_bus_process(bus, nullptr)) > 0 &&
           !turnOver()) {
    }
    if (messagesPosted) ++commandsThisTurn;
    callsLeft = result > 0;
  }
  if (silenced) {
    silenced = false;
    dropBus("no answer from the session bus");
  } else if (result < 0) {
    dropBus(std::strerror(-result));
  }
}

void endDesktopBusTurn() {
  turnStart = 0;
  commandsThisTurn = 0;
}
