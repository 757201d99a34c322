// zolta-frames: runs the real program — WinMain, its main loop and renderFrame — on the
// virtual clock, with the music mixed in step with it, and saves chosen frames as PNG files.
// Every frame lasts exactly the main loop's 10 ms sleep, so frame n shows the program
// n × 10 ms after start-up, the same picture on every run and every machine. The Linux build
// draws unseen through our Direct3D layer; the Windows build (zolta-frames.exe) draws in the
// program's real window through the real Direct3D 9 (frames_platform.h).
//
//   zolta-frames --frames 1,130,600 [--out shots/] [--keys 300:C,500:C]
//
// --keys presses keys as a user would: after frame N is presented, the key (a letter or digit)
// is released into the window, as the keyboard's WM_KEYUP; C pauses, B skips to the next tune.
//
// Run it from the folder that holds data/msx/, as the program itself.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include <d3d9.h>
#include <windows.h>

#include "app/main_window.h"
#include "app/screen_layout.h"
#include "app/win_main.h"
#include "platform/hooks/manual_audio.h"
#include "support/printable_name.h"
#include "tools/frames/frames_platform.h"

namespace {

constexpr int framesOfSoundPerPicture = 441;  // 10 ms of sound per 10 ms frame
constexpr int pictureWidth = clientWidth, pictureHeight = clientHeight;

std::set<long> wantedFrames;
std::multimap<long, char> keyPresses;  // frame after which the key is released -> key
long lastWantedFrame = 0;
long presentedFrames = 0;
std::string outputFolder = "shots";
bool writeFailed = false;

// Copies the back buffer into a system-memory surface and writes it as an opaque PNG.
bool saveBackBuffer(IDirect3DDevice9* device, const std::string& path) {
  IDirect3DSurface9* target = nullptr;
  IDirect3DSurface9* copy = nullptr;
  bool saved = false;
  if (SUCCEEDED(device->GetRenderTarget(0, &target)) &&
      SUCCEEDED(device->CreateOffscreenPlainSurface(pictureWidth, pictureHeight, D3DFMT_X8R8G8B8,
                                                    D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
      SUCCEEDED(device->GetRenderTargetData(target, copy))) {
    D3DLOCKED_RECT locked;
    if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
      saved = writePng(path, static_cast<const unsigned char*>(locked.pBits), locked.Pitch,
                       pictureWidth, pictureHeight);
      copy->UnlockRect();
    }
  }
  if (copy) copy->Release();
  if (target) target->Release();
  return saved;
}

void onPresent(IDirect3DDevice9* device) {
  ++presentedFrames;
  if (wantedFrames.count(presentedFrames)) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%05ld.png", presentedFrames);
    const std::string path = outputFolder + "/" + name;
    if (saveBackBuffer(device, path)) {
      std::printf("%s\n", printableName(path.c_str()).c_str());
    } else {
      std::fprintf(stderr, "zolta-frames: cannot write %s\n", printableName(path.c_str()).c_str());
      writeFailed = true;
    }
  }
  const auto [first, last] = keyPresses.equal_range(presentedFrames);
  for (auto press = first; press != last; ++press)
    PostMessageA(appWindow, WM_KEYUP, WPARAM(press->second), 0);
  // The music advances by the frame's 10 ms, in step with the virtual clock.
  std::vector<float> sound(framesOfSoundPerPicture * 2);
  bassPullOutput(sound.data(), framesOfSoundPerPicture);
  if (presentedFrames >= lastWantedFrame || writeFailed) PostQuitMessage(writeFailed ? 1 : 0);
}

// Reads a frame number 1-10,000,000 from the start of item; the rest is left in *rest.
bool readFrame(const std::string& item, long* frame, const char** rest) {
  char* end = nullptr;
  errno = 0;
  *frame = std::strtol(item.c_str(), &end, 10);
  *rest = end;
  return !item.empty() && end != item.c_str() && errno == 0 && *frame >= 1 && *frame <= 10000000;
}

// Calls take(item) for every comma-separated item of text; false as soon as one fails.
template <typename Take>
bool forEachItem(const char* text, Take take) {
  const std::string list = text;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t comma = std::min(list.find(',', start), list.size());
    if (!take(list.substr(start, comma - start))) return false;
    start = comma + 1;
  }
  return true;
}

// Reads "1,130,600" into wantedFrames.
bool parseFrameList(const char* text) {
  const bool read = forEachItem(text, [](const std::string& item) {
    long frame;
    const char* rest;
    if (!readFrame(item, &frame, &rest) || *rest != '\0') return false;
    wantedFrames.insert(frame);
    return true;
  });
  if (read) lastWantedFrame = *wantedFrames.rbegin();
  return read;
}

// Reads "300:C,500:C" into keyPresses: a frame, ':' and a letter or digit.
bool parseKeyList(const char* text) {
  return forEachItem(text, [](const std::string& item) {
    long frame;
    const char* rest;
    if (!readFrame(item, &frame, &rest) || rest[0] != ':' ||
        !std::isalnum(static_cast<unsigned char>(rest[1])) || rest[2] != '\0')
      return false;
    keyPresses.emplace(frame, static_cast<char>(std::toupper(static_cast<unsigned char>(rest[1]))));
    return true;
  });
}

int usage() {
  std::fprintf(stderr, "usage: zolta-frames --frames N[,N…] [--out FOLDER] [--keys N:K[,N:K…]]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
      if (!parseFrameList(argv[++i])) return usage();
    } else if (std::strcmp(argv[i], "--keys") == 0 && i + 1 < argc) {
      if (!parseKeyList(argv[++i])) return usage();
    } else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
      outputFolder = argv[++i];
    } else {
      return usage();
    }
  }
  if (wantedFrames.empty()) return usage();
  std::error_code error;
  std::filesystem::create_directory(outputFolder, error);
  if (error) {
    std::fprintf(stderr, "zolta-frames: cannot make %s: %s\n",
                 printableName(outputFolder.c_str()).c_str(), error.message().c_str());
    return 1;
  }
  bassUseManualOutput(true);
  prepareVirtualRun(onPresent);
  const int status = WinMain(nullptr, nullptr, nullptr, 0);
  return writeFailed ? 1 : status;
}
