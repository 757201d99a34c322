// Musics of the BASS layer: loading modules with libopenmpt and the channel calls
// (play, pause, stop, position, volume) on them. Each call holds the audio lock briefly.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>
#include <vector>

#include "platform/bass_internal.h"
#include "support/printable_name.h"
#include "support/stderr_line.h"

std::vector<Music*> musics;

namespace {

constexpr int volumeRampingDefault = -1;  // libopenmpt render param: library default ramping
constexpr int volumeRampingOff = 0;       // libopenmpt render param: no ramping

DWORD nextHandle = 1;  // handles are never reused, so a stale one stays invalid

// Largest module file loaded, bytes: far beyond any real module (the largest are tens of MiB),
// yet small enough to hold in memory beside the program.
constexpr off_t moduleSizeLimit = off_t(256) << 20;  // 256 MiB

// How a module file is opened: without blocking, so a FIFO never stops the program, and without
// becoming a controlling terminal or passing to child processes. Windows has none of those and
// instead wants binary mode, or its C runtime would turn CR LF into LF.
#ifdef O_BINARY
constexpr int moduleOpenFlags = O_RDONLY | O_BINARY;
#else
constexpr int moduleOpenFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
#endif

// Why a file could not be turned into bytes, for the one stderr line about it.
const char* openFailure(int error) {
  switch (error) {
    case EACCES:
    case EPERM: return "permission denied";
    case ENOENT: return "no such file";
    case ENXIO:  // a socket
    case ENODEV: return "not a regular file";
    default: return "cannot be read";
  }
}

// The whole file in `bytes`; otherwise the reason it cannot be had. The file must be a regular
// file when it is opened: it is checked by name first (so a device is never opened) and again
// on the open descriptor (so one swapped in between is caught).
const char* readModuleFile(const char* path, std::vector<char>& bytes) {
  struct stat info;
  if (stat(path, &info) != 0) return openFailure(errno);
  if (!S_ISREG(info.st_mode)) return "not a regular file";
  int file = open(path, moduleOpenFlags);
  if (file < 0) return openFailure(errno);
  const char* failure = nullptr;
  if (fstat(file, &info) != 0)
    failure = "cannot be read";
  else if (!S_ISREG(info.st_mode))
    failure = "not a regular file";
  else if (info.st_size > moduleSizeLimit)
    failure = "too large";
  if (!failure) {
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t got = 0;
    while (got < bytes.size()) {
      ssize_t count = read(file, bytes.data() + got, bytes.size() - got);
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) {
        failure = "cannot be read";
        break;
      }
      if (count == 0) break;  // the file shrank since fstat
      got += static_cast<size_t>(count);
    }
    bytes.resize(got);
  }
  close(file);
  return failure;
}

void restart(Music& music) {
  openmpt_module_set_position_order_row(music.module, 0, 0);
  music.heardOrder = 0;
  music.heardRow = 0;
}

// The module in the file at `path`, or null after one stderr line saying why not. Throws
// nothing: running out of memory is one more reason.
openmpt_module* loadModule(const char* path) {
  const char* failure = nullptr;
  openmpt_module* module = nullptr;
  try {
    std::vector<char> bytes;
    failure = readModuleFile(path, bytes);
    if (!failure && !bytes.empty())
      module = openmpt_module_create_from_memory2(
          bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
          nullptr, nullptr, nullptr, nullptr);
  } catch (const std::bad_alloc&) {
    failure = "not enough memory";
  }
  if (!module)
    stderrLine("BASS_MusicLoad: %s: %s", printableName(path).c_str(),
               failure ? failure : "not a module that can be played");
  return module;
}

}  // namespace

Music* findMusic(DWORD handle) {
  if (handle == 0) return nullptr;
  for (Music* music : musics)
    if (music->handle == handle) return music;
  return nullptr;
}

void clearHistory(Music& music) {
  for (float& sample : music.history) sample = 0.0f;
  music.historyNext = 0;
}

double musicLengthSeconds(HMUSIC handle) {
  std::lock_guard<std::mutex> guard(bassLock);
  const Music* music = findMusic(handle);
  return music ? openmpt_module_get_duration_seconds(music->module) : 0.0;
}

double musicPositionSeconds(HMUSIC handle) {
  std::lock_guard<std::mutex> guard(bassLock);
  const Music* music = findMusic(handle);
  return music ? openmpt_module_get_position_seconds(music->module) : 0.0;
}

void freeAllMusics() {
  for (Music* music : musics) {
    openmpt_module_destroy(music->module);
    delete music;
  }
  musics.clear();
}

HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags, DWORD) {
  if (!bassInitialised || mem || !file || offset != 0 || length != 0) return 0;
  openmpt_module* module = loadModule(static_cast<const char*>(file));
  if (!module) return 0;
  openmpt_module_set_repeat_count(module, (flags & BASS_MUSIC_LOOP) ? -1 : 0);
  openmpt_module_set_render_param(
      module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH,
      (flags & BASS_MUSIC_RAMP) ? volumeRampingDefault : volumeRampingOff);
  Music* music = new (std::nothrow) Music;
  std::lock_guard<std::mutex> hold(bassLock);
  try {
    if (music) musics.push_back(music);
  } catch (const std::bad_alloc&) {
    delete music;
    music = nullptr;
  }
  if (!music) {
    stderrLine("BASS_MusicLoad: %s: not enough memory",
               printableName(static_cast<const char*>(file)).c_str());
    openmpt_module_destroy(module);
    return 0;
  }
  music->module = module;
  music->handle = nextHandle++;
  return music->handle;
}

BOOL BASS_MusicFree(HMUSIC handle) {
  std::lock_guard<std::mutex> hold(bassLock);
  for (size_t i = 0; i < musics.size(); ++i) {
    if (musics[i]->handle != handle) continue;
    openmpt_module_destroy(musics[i]->module);
    delete musics[i];
    musics.erase(musics.begin() + static_cast<long>(i));
    return TRUE;
  }
  return FALSE;
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restartFromStart) {
  std::lock_guard<std::mutex> hold(bassLock);
  Music* music = findMusic(handle);
  if (!music) return FALSE;
  if (restartFromStart) {
    restart(*music);
    clearHistory(*music);
  }
  music->state = MusicState::playing;
  return TRUE;
}

BOOL BASS_ChannelPause(DWORD handle) {
  std::lock_guard<std::mutex> hold(bassLock);
  Music* music = findMusic(handle);
  if (!music || music->state != MusicState::playing) return FALSE;
  music->state = MusicState::paused;
  return TRUE;
}

BOOL BASS_ChannelStop(DWORD handle) {
  std::lock_guard<std::mutex> hold(bassLock);
  Music* music = findMusic(handle);
  if (!music) return FALSE;
  music->state = MusicState::stopped;
  clearHistory(*music);
  return TRUE;
}

DWORD BASS_ChannelIsActive(DWORD handle) {
  std::lock_guard<std::mutex> hold(bassLock);
  Music* music = findMusic(handle);
  if (!music || music->state == MusicState::stopped) return BASS_ACTIVE_STOPPED;
  return music->state == MusicState::playing ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_PAUSED;
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD position) {
  std::lock_guard<std::mutex> hold(bassLock);
  Music* music = findMusic(handle);
  if (!music || position != 0) return FALSE;
  restart(*music);
  return TRUE;
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
  std::lock_guard<std::mutex> hold(bassLock);
  Music* music = findMusic(handle);
  if (!music) return static_cast<QWORD>(-1);
  return static_cast<QWORD>(music->heardOrder & 0xFFFF) |
         static_cast<QWORD>(music->heardRow & 0xFFFF) << 16;
}

BOOL BASS_ChannelSetAttributes(DWORD handle, int, int volume, int) {
  std::lock_guard<std::mutex> hold(bassLock);
  Music* music = findMusic(handle);
  if (!music || volume > 100) return FALSE;
  if (volume >= 0) music->gain = static_cast<float>(volume) / 100.0f;
  return TRUE;
}
