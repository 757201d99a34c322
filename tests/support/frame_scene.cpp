// Off-screen scene for the frame's render tests and benchmark.
#include "tests/support/frame_scene.h"

#include <cstring>
#include <string>
#include <vector>

#include "gfx/device.h"
#include "gfx/scene_resources.h"
#include "music/playback.h"
#include "music/playlist.h"

namespace {

std::vector<TrackEntry> entries;
std::vector<TrackEntry*> order;

// Takes the hand-made tracks out of the playlist; a scanned playlist is left alone.
void forgetTracks() {
  if (!order.empty() && playlist.playOrder == order.data()) {
    playlist.playOrder = nullptr;
    playlist.count = 0;
  }
  order.clear();
  entries.clear();
}

}  // namespace

bool openFrameScene() {
  forgetTracks();
  if (!createOffscreenDevice()) return false;
  createSceneResources();
  return true;
}

void closeFrameScene() {
  releaseSceneResources();
  releaseOffscreenDevice();
  forgetTracks();
}

void useFrameTracks(int count) {
  forgetTracks();
  if (playlist.count > 0) return;  // a scanned playlist is in use
  entries.resize(count);
  for (int i = 0; i < count; ++i) {
    TrackEntry& entry = entries[i];
    std::string artist = "Artist " + std::to_string(i + 1);
    std::string title = "Title " + std::to_string(i + 1);
    entry.artist.assign(artist.c_str());
    entry.title.assign(title.c_str());
    entry.shortTitle.assign(title.c_str());
    entry.number = RefString(i + 1);
    entry.carouselY = i * -0.125f;
    entry.carouselX = -2.5f - entry.carouselY * 0.15f;
    order.push_back(&entry);
  }
  playlist.playOrder = order.empty() ? nullptr : order.data();
  playlist.count = count;
  currentTrack = 0;
  carouselSteps = 0;
  repeatTrack = true;
}

TrackEntry& frameTrack(int index) { return *order[index]; }

Picture endSceneAndSave(const char* name) {
  deviceState.device->EndScene();
  Picture picture = readSurface(backBuffer);
  savePicture(picture, name);
  return picture;
}

Picture readTexels(IDirect3DTexture9* texture) {
  Picture picture;
  D3DSURFACE_DESC desc;
  D3DLOCKED_RECT locked;
  if (!texture || FAILED(texture->GetLevelDesc(0, &desc))) return picture;
  if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return picture;
  picture.width = int(desc.Width);
  picture.height = int(desc.Height);
  picture.pixels.resize(size_t(picture.width) * picture.height);
  for (int y = 0; y < picture.height; ++y)
    std::memcpy(&picture.pixels[size_t(y) * picture.width],
                static_cast<const unsigned char*>(locked.pBits) + y * locked.Pitch,
                size_t(picture.width) * 4);
  texture->UnlockRect(0);
  return picture;
}
