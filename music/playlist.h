// The playlist: every entry of data/msx/ as a TrackEntry in folder-listing order, the
// display fields derived from each file name, and playOrder, the entries sorted by their
// carousel label. Fixed after start-up except the carousel positions.
#pragma once

#include "support/ref_string.h"

struct TrackEntry {
  RefString artist;        // base name before its first hyphen
  RefString shortTitle;    // after the last hyphen, cut to 13 characters + ">" when over 14
  RefString path;          // musicFolder + the listed file name
  RefString number;        // 1-based display position, decimal
  RefString title;         // after the last hyphen, uncut
  float carouselX = 0.0f;  // x of the first character in the carousel, world units
  float carouselY = 0.0f;  // y of the title in the carousel, world units
};

// The carousel's titles stand on one slanting line: a title at height y (world units) starts
// at x = -2.5 on the line y = 0 and 0.15 further left for every unit up.
constexpr float carouselTitleX(float y) { return -2.5f - y * 0.15f; }

struct Playlist {
  TrackEntry* entries;     // contiguous storage (malloc), null until the first entry
  int count;               // entries in use
  int capacity;            // entries the storage holds
  TrackEntry** playOrder;  // count pointers in display order (malloc); null when empty
};

extern Playlist playlist;

// The folder scanned, ending in '/': "data/msx/" unless the command line chose another.
extern const char* musicFolder;

// Lists musicFolder into the playlist and makes playOrder. 0 on success, -1 when the folder
// cannot be listed or the listing fails part-way (playOrder is still made for what was
// found), -2 when it holds nothing but "." and "..". An empty result leaves count 0 and
// playOrder null, and says so in one stderr line.
int scanMusicFolder();
// Derives artist, titles, display order, number and carousel start of every entry; only the
// first call after a scan does anything.
void deriveTrackFields();
// Sorts playOrder by shortTitle (signed bytes, case-sensitive); equal titles keep their
// listing order.
void sortPlayOrder();
// Frees playOrder and clears the pointer (shut-down).
void freePlayOrder();
// Destroys every entry and frees the storage: the playlist is empty again (exit-time
// clean-up, also used by tests to start over).
void destroyPlaylist();
