// Musics of the BASS layer: loading modules with libopenmpt and the channel calls
// (play, pause, stop, position, volume) on them. Each call holds the audio lock briefly.
#include <sys/stat.h>

#include <cstdio>
#include <vector>

#include "platform/bass_internal.h"
#include "support/printable_name.h"

std::vector<Music*> musics;

namespace {

constexpr int volumeRampingDefault = -1; // libopenmpt render param: library default ramping
constexpr int volumeRampingOff = 0;      // libopenmpt render param: no ramping

DWORD nextHandle = 1; // handles are never reused, so a stale one stays invalid

// The whole file, or an empty vector when it is not a readable regular file.
std::vector<char> readWholeFile(const char* path) {
  std::vector<char> bytes;
  struct stat info;
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return bytes;
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return bytes;
  bytes.resize(static_cast<size_t>(info.st_size));
  size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  bytes.resize(got);
  return bytes;
}

void restart(Music& music) {
  openmpt_module_set_position_order_row(music.module, 0, 0);
  music.heardOrder = 0;
  music.heardRow = 0;
}

} // namespace

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

void freeAllMusics() {
  for (Music* music : musics) {
    openmpt_module_destroy(music->module);
    delete music;
  }
  musics.clear();
}

HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags, DWORD) {
  if (!bassInitialised || mem || !file || offset != 0 || length != 0) return 0;
  const char* path = static_cast<const char*>(file);
  std::vector<char> bytes = readWholeFile(path);
  openmpt_module* module = nullptr;
  if (!bytes.empty())
    module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent,
                                                nullptr, openmpt_error_func_ignore, nullptr,
                                                nullptr, nullptr, nullptr);
  if (!module) {
    std::fprintf(stderr, "BASS_MusicLoad: %s: not a module that can be played\n",
                 printableName(path).c_str());
    return 0;
  }
  openmpt_module_set_repeat_count(module, (flags & BASS_MUSIC_LOOP) ? -1 : 0);
  openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH,
                                  (flags & BASS_MUSIC_RAMP) ? volumeRampingDefault : volumeRampingOff);
  Music* music = new Music;
  music->module = module;
  std::lock_guard<std::mutex> hold(bassLock);
  music->handle = nextHandle++;
  musics.push_back(music);
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
