// The playlist: scanning the music folder (data/msx/) into TrackEntry storage, deriving the
// display fields from the file names, the display order and the carousel start layout.
#include "music/playlist.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include <windows.h>
#include "support/printable_name.h"
#include "support/stderr_line.h"

Playlist playlist = {nullptr, 0, 0, nullptr};
const char* musicFolder = "data/msx/";

namespace {

constexpr int shortTitleLimit = 14;         // characters a carousel label may have
constexpr int shortTitleKept = 13;          // characters kept before ">" when cut
constexpr int wholeRest = 0x7FFFFFFF;       // substring count: everything to the end
constexpr float carouselRowStep = -0.125f;  // y between titles, world units

bool fieldsDerived = false;  // deriveTrackFields works once per scan

// Storage of `needed` entries: exact when there is none yet, otherwise twice the need.
// Entries are moved as plain bytes; nothing points into them.
void growStorage(int needed) {
  if (needed <= playlist.capacity) return;
  int newCapacity = playlist.entries ? needed * 2 : needed;
  void* moved =
      std::realloc(static_cast<void*>(playlist.entries), sizeof(TrackEntry) * newCapacity);
  playlist.entries = static_cast<TrackEntry*>(moved);
  playlist.capacity = newCapacity;
}

void shrinkStorage() {
  if (playlist.count == playlist.capacity) return;
  if (playlist.count == 0) {
    std::free(static_cast<void*>(playlist.entries));
    playlist.entries = nullptr;
  } else {
    void* moved =
        std::realloc(static_cast<void*>(playlist.entries), sizeof(TrackEntry) * playlist.count);
    playlist.entries = static_cast<TrackEntry*>(moved);
  }
  playlist.capacity = playlist.count;
}

void addEntry(const char* fileName) {
  growStorage(playlist.count + 1);
  TrackEntry* entry = new (&playlist.entries[playlist.count]) TrackEntry;
  ++playlist.count;
  entry->path.assign(musicFolder);
  entry->path.append(RefString::borrow(fileName, 0, -1));
}

bool isDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Why the music folder cannot be listed, from FindFirstFileA's last error.
const char* folderFailure(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED: return "cannot read the folder: permission denied";
    case ERROR_DIRECTORY: return "is not a folder";
    default: return "no such folder";
  }
}

void makePlayOrder() {
  if (playlist.count == 0) return;
  // An array of pointers into the entries: the size of a pointer is meant.
  // NOLINTNEXTLINE(bugprone-sizeof-expression)
  playlist.playOrder = static_cast<TrackEntry**>(std::malloc(sizeof(TrackEntry*) * playlist.count));
  for (int i = 0; i < playlist.count; ++i) playlist.playOrder[i] = &playlist.entries[i];
}

// The file name of `path` without folder and extension; the whole name when it has no dot.
RefString baseName(const RefString& path) {
  RefString name = path.substring(path.findLast('/') + 1, wholeRest);
  int dot = name.findLast('.');
  return dot < 0 ? name : name.substring(0, dot);
}

void deriveNames(TrackEntry& entry) {
  RefString base = baseName(entry.path);
  entry.artist.assign(base.substring(0, base.findFirst('-')));
  entry.shortTitle.assign(base.substring(base.findLast('-') + 1, wholeRest));
  entry.title.assign(entry.shortTitle);
  if (entry.shortTitle.length() > shortTitleLimit) {
    RefString cut = entry.shortTitle.substring(0, shortTitleKept);
    cut.append(RefString::borrow(">", 0, 1));
    entry.shortTitle.assign(cut);
  }
}

// Frees the storage when the process ends.
struct PlaylistCleanup {
  ~PlaylistCleanup() { destroyPlaylist(); }
} playlistCleanup;

}  // namespace

int scanMusicFolder() {
  WIN32_FIND_DATAA found;
  const std::string pattern = std::string(musicFolder) + "*.*";
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    stderrLine("%s: %s - playing nothing", printableName(musicFolder).c_str(),
               folderFailure(GetLastError()));
    return -1;
  }
  int result = 0;
  do {
    if (!isDotEntry(found.cFileName)) addEntry(found.cFileName);
  } while (FindNextFileA(search, &found));
  if (GetLastError() != ERROR_NO_MORE_FILES) {
    stderrLine("%s: listing failed after %d entries - playing those",
               printableName(musicFolder).c_str(), playlist.count);
    result = -1;
  }
  FindClose(search);
  shrinkStorage();
  if (playlist.count == 0) {
    stderrLine("%s: no tunes found - playing nothing", printableName(musicFolder).c_str());
    return result == 0 ? -2 : result;
  }
  makePlayOrder();
  return result;
}

void deriveTrackFields() {
  if (fieldsDerived) return;
  fieldsDerived = true;
  for (int i = 0; i < playlist.count; ++i) deriveNames(playlist.entries[i]);
  sortPlayOrder();
  for (int i = 0; i < playlist.count; ++i) {
    TrackEntry& entry = *playlist.playOrder[i];
    entry.carouselY = static_cast<float>(i) * carouselRowStep;
    entry.carouselX = carouselTitleX(entry.carouselY);
    entry.number.assign(RefString(i + 1));
  }
}

// A stable sort: entries with equal titles keep the listing order makePlayOrder gave them.
void sortPlayOrder() {
  if (playlist.count < 2) return;
  std::stable_sort(playlist.playOrder, playlist.playOrder + playlist.count,
                   [](const TrackEntry* first, const TrackEntry* second) {
                     return first->shortTitle.compare(second->shortTitle) < 0;
                   });
}

void freePlayOrder() {
  std::free(playlist.playOrder);
  playlist.playOrder = nullptr;
}

void destroyPlaylist() {
  freePlayOrder();
  for (int i = 0; i < playlist.count; ++i) playlist.entries[i].~TrackEntry();
  std::free(static_cast<void*>(playlist.entries));
  playlist = {nullptr, 0, 0, nullptr};
  fieldsDerived = false;
}
