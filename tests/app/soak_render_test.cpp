// Soak test: the real program (WinMain, its main loop and renderFrame) runs 20,000 frames unseen
// on the virtual clock, with the music pulled in step, while a seeded random stream of user input
// reaches its window through the program's own Win32 layer: posted window messages and SDL
// events that the message pump translates. Every key the window procedure knows and others,
// moves and clicks in every zone, drags across the volume slider, minimising and twenty
// full-screen switches there and back; the close zone ends the run. Afterwards the program
// must still be sane (it played, drew a real picture, is windowed, WinMain returned 0, the
// Direct3D layer refused none of its calls), and outside AddressSanitizer the heap in use must
// show no upward trend after the warm-up.
// Clicks in the drag strip reach the modal window move, which returns at once here: the
// offscreen video driver has no global pointer to follow.
#include <SDL.h>
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/screen_layout.h"
#include "app/win_main.h"
#include "gfx/device.h"
#include "gfx/scene_resources.h"
#include "music/playback.h"
#include "music/playlist.h"
#include "platform/hooks/clock.h"
#include "platform/hooks/manual_audio.h"
#include "platform/hooks/present_observer.h"
#include "platform/hooks/window.h"
#include "tests/support/audio_module_writer.h"
#include "tests/support/render_helpers.h"

#if defined(__SANITIZE_ADDRESS__)
#define SOAK_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SOAK_UNDER_ASAN 1
#endif
#endif

namespace {

#ifdef SOAK_UNDER_ASAN
constexpr bool underSanitizers = true;
#else
constexpr bool underSanitizers = false;
#endif
constexpr unsigned soakSeed = 20261207;
constexpr long soakFrames = 20000;  // frames of 10 ms: 200 s of the program's life
constexpr int fullScreenRoundTrips = 20;
constexpr int warmUpRoundTrips = 5;      // close together at the start
constexpr long warmUpPeriod = 300;       // frames between full-screen entries then
constexpr long laterEntriesFrom = 2500;  // frame of the first entry after those
constexpr long roundTripPeriod = 1100;   // frames between full-screen entries afterwards
// Memory is watched from a quarter of the way. The heap in use, sampled every 100 frames,
// swings by a few hundred KiB with the tune loaded and the picture, so a straight line is
// fitted through the samples: over the 15,000 frames it may rise by at most 256 KiB, which a
// leak of 48 KiB per round trip or 20 bytes per frame exceeds. Only frames shown in the window
// during the random use are sampled: minimised or full-screen the renderer holds other buffers
// (minimised about 1 MiB less), and a tune started afresh in the quiet end holds more for a
// while, so a few such samples at either end would tilt the line. Resident memory is only held
// to a coarse bound: the allocator's free pages and its arenas for Mesa's threads make it step
// up by a few MiB with no byte leaked.
constexpr long warmUpFrames = soakFrames / 4;
constexpr long heapSamplePeriod = 100;
constexpr double allowedHeapTrendBytes = 256 * 1024;
constexpr long allowedResidentGrowthBytes = 16 * 1024 * 1024;
constexpr long quietFrom = soakFrames - 400;       // the last frames: no random input
constexpr long playAgainFrame = soakFrames - 300;  // "X" then, so the last frames must sound
constexpr long soundCheckFrom = soakFrames - 200;
constexpr int soundFramesPerPicture = 441;  // 10 ms of sound per 10 ms frame
constexpr float audiblePeak = 0.01f;        // linear sample value

// Zones of the window, client pixels (centres of the small ones).
constexpr POINT closeClick{630, 6};
constexpr POINT fullScreenClick{612, 7};
constexpr POINT minimiseClick{600, 7};
constexpr POINT repeatBox{repeatLampZone.x + repeatLampZone.width / 2,
                          repeatLampZone.y + repeatLampZone.height / 2};
constexpr int dragStripLeft = 20, dragStripRight = 580, dragStripBottom = 14;
constexpr int sliderFirstX = 389, sliderLastX = 506;  // client x where the slider takes a drag
constexpr int sliderTopY = 221, sliderBottomY = 247;
constexpr int topRightLeft = 590, topRightBottom = 20;  // random points stay out of here

// Keys: those the window procedure acts on, and others it must ignore. Escape is kept apart:
// in windowed mode it ends the program.
constexpr WPARAM knownKeys[] = {VK_UP, VK_DOWN, 'Y', 'B', 'C', 'V', 'X'};
constexpr WPARAM otherKeys[] = {'A',    'Z',     'Q',      'M',       '0',
                                '7',    VK_LEFT, VK_RIGHT, VK_RETURN, VK_SPACE,
                                VK_TAB, VK_BACK, VK_SHIFT, VK_CONTROL};

enum class Exit { escape, fullScreenZone, minimiseZone };

struct Drag {
  int framesLeft = 0;  // moves still to make; 0: no drag in progress
  bool throughSdl = false;
  int lastX = 0;  // client x of the latest move made on the slider, -1 for none
};

struct Soak {
  std::mt19937 random{soakSeed};
  long frame = 0;
  bool wasFullScreen = false;
  int entries = 0, exits = 0;
  int plannedEntries = 0;
  long plannedExit = -1;
  long restoreAt = -1;
  long windowedMinimiseAt = -1;
  Drag drag;
  bool dragEnded = false;  // the last drag's final move is handled by the next frame
  int drags = 0, dragsOffTarget = 0;
  std::string firstDragOffTarget;
  int gestures = 0, sdlGestures = 0;
  int trackChanges = 0, lastTrack = 0;
  long audibleFrames = 0, endAudibleFrames = 0;
  long warmUpResident = 0, endResident = 0;
  std::vector<double> heapFrames, heapInUse;  // samples from the warm-up on
  int windowMismatches = 0;
  long minimisedFrames = 0;
  Picture lastPicture;
  bool closed = false;
  bool endedMinimised = false;
};

Soak soak;

// Anonymous resident memory (heap, stacks, mappings without a file), bytes: what a leak grows.
// Code pages of the libraries, touched for the first time late in the run, are left out.
long residentAnonymousBytes() {
  long kib = 0;
  if (FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[128];
    while (std::fgets(line, sizeof line, status)) {
      if (std::sscanf(line, "RssAnon: %ld kB", &kib) == 1) break;
    }
    std::fclose(status);
  }
  return kib * 1024;
}

// Bytes the program holds from malloc, in all arenas and in mappings of its own.
double heapBytesInUse() {
  const struct mallinfo2 heap = mallinfo2();
  return static_cast<double>(heap.uordblks + heap.hblkhd);
}

// Slope of the least-squares line through the samples, bytes per frame.
double fittedSlope(const std::vector<double>& x, const std::vector<double>& y) {
  const double n = static_cast<double>(x.size());
  double meanX = 0, meanY = 0;
  for (size_t i = 0; i < x.size(); ++i) meanX += x[i] / n, meanY += y[i] / n;
  double covariance = 0, variance = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    covariance += (x[i] - meanX) * (y[i] - meanY);
    variance += (x[i] - meanX) * (x[i] - meanX);
  }
  return covariance / variance;
}

int between(int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(soak.random);
}
bool chance(double probability) { return std::bernoulli_distribution(probability)(soak.random); }

// ---- Input through the Win32 layer: posted messages, or SDL events the pump translates.

Uint32 sdlWindowId() { return SDL_GetWindowID(sdlWindowOf(appWindow)); }

// SDL window coordinates of a client point: the same in windowed mode; in full-screen mode on
// the scaled picture, rounded up so the pump's mapping back lands on the same client pixel.
void toWindow(int clientX, int clientY, int* x, int* y) {
  *x = clientX;
  *y = clientY;
  if (!deviceState.fullScreen) return;
  int width, height, left, top, pictureWidth, pictureHeight;
  SDL_GetWindowSize(sdlWindowOf(appWindow), &width, &height);
  pictureViewport(width, height, &left, &top, &pictureWidth, &pictureHeight);
  *x = left + static_cast<int>(std::ceil(clientX * double(pictureWidth) / clientWidth));
  *y = top + static_cast<int>(std::ceil(clientY * double(pictureHeight) / clientHeight));
}

void mouseMove(int x, int y, bool leftDown, bool throughSdl) {
  if (!throughSdl) {
    PostMessageA(appWindow, WM_MOUSEMOVE, leftDown ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    return;
  }
  SDL_Event event{};
  event.type = SDL_MOUSEMOTION;
  event.motion.windowID = sdlWindowId();
  event.motion.state = leftDown ? SDL_BUTTON_LMASK : 0;
  toWindow(x, y, &event.motion.x, &event.motion.y);
  SDL_PushEvent(&event);
}

void mouseButton(int x, int y, bool down, bool throughSdl) {
  if (!throughSdl) {
    PostMessageA(appWindow, down ? WM_LBUTTONDOWN : WM_LBUTTONUP, down ? MK_LBUTTON : 0,
                 MAKELPARAM(x, y));
    return;
  }
  SDL_Event event{};
  event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  event.button.windowID = sdlWindowId();
  event.button.button = SDL_BUTTON_LEFT;
  event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.button.clicks = 1;
  toWindow(x, y, &event.button.x, &event.button.y);
  SDL_PushEvent(&event);
}

// A click as a user makes it: the pointer gets there first, then the button goes down and up.
void click(POINT at, bool throughSdl) {
  mouseMove(at.x, at.y, false, throughSdl);
  mouseButton(at.x, at.y, true, throughSdl);
  mouseButton(at.x, at.y, false, throughSdl);
}

SDL_Keycode sdlKeyOf(WPARAM key) {
  if (key >= 'A' && key <= 'Z') return SDLK_a + static_cast<SDL_Keycode>(key - 'A');
  if (key >= '0' && key <= '9') return SDLK_0 + static_cast<SDL_Keycode>(key - '0');
  switch (key) {
    case VK_ESCAPE: return SDLK_ESCAPE;
    case VK_UP: return SDLK_UP;
    case VK_DOWN: return SDLK_DOWN;
    case VK_LEFT: return SDLK_LEFT;
    case VK_RIGHT: return SDLK_RIGHT;
    case VK_RETURN: return SDLK_RETURN;
    case VK_SPACE: return SDLK_SPACE;
    case VK_TAB: return SDLK_TAB;
    case VK_BACK: return SDLK_BACKSPACE;
    case VK_SHIFT: return SDLK_LSHIFT;
    default: return SDLK_LCTRL;
  }
}

void keyPress(WPARAM key, bool throughSdl) {
  if (!throughSdl) {
    PostMessageA(appWindow, WM_KEYDOWN, key, 0x00000001);
    PostMessageA(appWindow, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
    return;
  }
  for (const bool down : {true, false}) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = sdlWindowId();
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = sdlKeyOf(key);
    SDL_PushEvent(&event);
  }
}

// ---- The random user: one gesture per frame at most, so every gesture is handled (the main
// loop empties the queue before each frame) before the next one is chosen against the state.

POINT buttonCentre(int index) {
  const ScreenVertex* corners = buttonVertices[index];
  return POINT{static_cast<LONG>((corners[0].x + corners[1].x) / 2),
               static_cast<LONG>((corners[0].y + corners[2].y) / 2)};
}

POINT randomPoint() {
  for (;;) {
    const POINT point{between(0, clientWidth - 1), between(0, clientHeight - 1)};
    if (point.x < topRightLeft || point.y > topRightBottom) return point;
  }
}

void startDrag(bool throughSdl) {
  soak.drag = Drag{between(3, 30), throughSdl, -1};
  ++soak.drags;
  const int x = between(sliderFirstX, sliderLastX), y = between(sliderTopY, sliderBottomY);
  mouseMove(x, y, false, throughSdl);
  mouseButton(x, y, true, throughSdl);
}

// One move of the drag per frame, now and then straying above the slider; the button goes up
// with the last one.
void continueDrag() {
  Drag& drag = soak.drag;
  const bool onSlider = !chance(0.1);
  const int x = onSlider ? between(sliderFirstX, sliderLastX) : between(300, 600);
  const int y = onSlider ? between(sliderTopY, sliderBottomY) : between(150, sliderTopY - 6);
  mouseMove(x, y, true, drag.throughSdl);
  if (onSlider) drag.lastX = x;
  if (--drag.framesLeft == 0) mouseButton(x, y, false, drag.throughSdl);
}

// After a drag: the volume follows the slider, 0 at its left end to 100 at its right end.
void checkDragVolume() {
  if (soak.drag.lastX < 0) return;
  const double expected =
      100.0 * (soak.drag.lastX - sliderFirstX + 1) / (sliderLastX - sliderFirstX + 2);
  if (std::abs(volume - expected) > 1.5 && soak.dragsOffTarget++ == 0) {
    char text[160];
    std::snprintf(text, sizeof text, "frame %ld: volume %d after a drag ending at x %d (%s, %s)",
                  soak.frame, volume, soak.drag.lastX,
                  soak.drag.throughSdl ? "SDL events" : "posted",
                  deviceState.fullScreen ? "full-screen" : "windowed");
    soak.firstDragOffTarget = text;
  }
}

void randomGesture() {
  const bool throughSdl = chance(0.3);
  ++soak.gestures;
  soak.sdlGestures += throughSdl;
  const int kind = between(0, 99);
  if (kind < 25)
    keyPress(knownKeys[between(0, std::size(knownKeys) - 1)], throughSdl);
  else if (kind < 35)
    keyPress(otherKeys[between(0, std::size(otherKeys) - 1)], throughSdl);
  else if (kind < 55) {
    const POINT point = randomPoint();
    mouseMove(point.x, point.y, chance(0.2), throughSdl);
  } else if (kind < 70)
    click(buttonCentre(between(0, buttonCount - 1)), throughSdl);
  else if (kind < 76)
    click(repeatBox, throughSdl);
  else if (kind < 80)
    click(POINT{between(dragStripLeft, dragStripRight), between(0, dragStripBottom)}, throughSdl);
  else if (kind < 88)
    click(randomPoint(), throughSdl);
  else
    startDrag(throughSdl);
}

// Frame of the index-th full-screen entry.
long entryFrame(int index) {
  if (index < warmUpRoundTrips) return warmUpPeriod * (index + 1);
  return laterEntriesFrom + roundTripPeriod * (index - warmUpRoundTrips);
}

// Full-screen entries on a schedule, each left after a random stay by Escape, the full-screen
// zone or the minimise zone in turn; some windowed spells are minimised too.
bool modeChanges() {
  const bool throughSdl = chance(0.3);
  if (soak.restoreAt >= 0 && soak.frame >= soak.restoreAt) {
    ShowWindow(appWindow, SW_RESTORE);  // the user brings the window back from the taskbar
    soak.restoreAt = -1;
  } else if (soak.plannedExit >= 0 && soak.frame >= soak.plannedExit && deviceState.fullScreen) {
    switch (static_cast<Exit>(soak.exits % 3)) {
      case Exit::escape: keyPress(VK_ESCAPE, throughSdl); break;
      case Exit::fullScreenZone: click(fullScreenClick, throughSdl); break;
      case Exit::minimiseZone:
        click(minimiseClick, throughSdl);
        soak.restoreAt = soak.frame + between(20, 60);
        break;
    }
    soak.plannedExit = -1;
    if (soak.exits % 4 == 3) soak.windowedMinimiseAt = soak.frame + between(30, 80);
  } else if (soak.windowedMinimiseAt >= 0 && soak.frame >= soak.windowedMinimiseAt &&
             soak.restoreAt < 0 && !deviceState.fullScreen) {
    click(minimiseClick, throughSdl);
    soak.restoreAt = soak.frame + between(20, 60);
    soak.windowedMinimiseAt = -1;
  } else if (soak.plannedEntries < fullScreenRoundTrips &&
             soak.frame >= entryFrame(soak.plannedEntries) && soak.restoreAt < 0 &&
             soak.windowedMinimiseAt < 0) {
    click(fullScreenClick, throughSdl);
    ++soak.plannedEntries;
    soak.plannedExit = soak.frame + between(60, 200);
  } else {
    return false;
  }
  ++soak.gestures;
  return true;
}

// Watches what the last frame's input did to the display mode.
void followDisplayMode() {
  const bool fullScreen = deviceState.fullScreen;
  if (fullScreen && !soak.wasFullScreen) ++soak.entries;
  if (!fullScreen && soak.wasFullScreen) ++soak.exits;
  soak.wasFullScreen = fullScreen;
  if (isWindowFullScreen(appWindow) != fullScreen) ++soak.windowMismatches;
}

void onPresent(IDirect3DDevice9* device) {
  ++soak.frame;
  std::vector<float> sound(soundFramesPerPicture * 2);
  bassPullOutput(sound.data(), soundFramesPerPicture);
  float peak = 0.0f;
  for (float sample : sound) peak = std::max(peak, std::abs(sample));
  if (peak > audiblePeak) ++soak.audibleFrames;
  if (soak.frame >= soundCheckFrom && peak > audiblePeak) ++soak.endAudibleFrames;
  if (currentTrack != soak.lastTrack) ++soak.trackChanges;
  soak.lastTrack = currentTrack;
  followDisplayMode();
  soak.minimisedFrames += IsIconic(appWindow);
  if (soak.frame == warmUpFrames) soak.warmUpResident = residentAnonymousBytes();
  if (soak.frame >= warmUpFrames && soak.frame < quietFrom && soak.frame % heapSamplePeriod == 0 &&
      !IsIconic(appWindow) && !deviceState.fullScreen) {
    soak.heapFrames.push_back(static_cast<double>(soak.frame));
    soak.heapInUse.push_back(heapBytesInUse());
  }

  if (soak.drag.framesLeft > 0) {
    continueDrag();
    soak.dragEnded = soak.drag.framesLeft == 0;
    return;
  }
  if (soak.dragEnded) {
    checkDragVolume();
    soak.dragEnded = false;
  }
  if (soak.frame < quietFrom) {
    if (!modeChanges() && chance(0.3)) randomGesture();
  } else if (soak.frame == playAgainFrame) {
    keyPress('X', false);
  } else if (soak.frame == soakFrames) {
    soak.endedMinimised = IsIconic(appWindow);
    soak.endResident = residentAnonymousBytes();
    soak.lastPicture = readRenderTarget(device);
    click(closeClick, chance(0.5));
    soak.closed = true;
  }
}

TEST(Soak, TwentyThousandFramesOfRandomUseLeaveTheProgramSaneAndItsMemoryFlat) {
  const std::filesystem::path buildFolder = std::filesystem::current_path();
  const std::string scratch = freshScratchFolder("soak");
  std::filesystem::current_path(scratch);
  std::filesystem::create_directories("data");
  std::filesystem::copy(ZOLTA_SOURCE_DIR "/data/msx", "data/msx");
  // A tune that loops within a second, so the automatic advance happens too.
  writeBytes("data/msx/Aaa Soak - Quick Loop.mod", makeToneModule(ToneModule{5, 8, 0, 48, true}));

  // The software renderer rasterizes on the drawing thread, so no frame is still in flight
  // in its buffers when the heap is sampled at a Present (with its own threads the heap in
  // use wanders by a few hundred KiB with their timing).
  setenv("LP_NUM_THREADS", "0", 1);
  // The Direct3D layer says on stderr why it refuses any call the program makes. Under the
  // sanitizers stderr is left alone: a report of theirs ends the run and must reach the log.
  setenv("ZOLTA_D3D_DEBUG", "1", 1);
  if (!underSanitizers) testing::internal::CaptureStderr();
  useVirtualClock();
  bassUseManualOutput(true);
  setPresentObserver(onPresent);
  const int status = WinMain(nullptr, nullptr, nullptr, 0);
  setPresentObserver(nullptr);
  useRealClock();
  const std::string messages = underSanitizers ? "" : testing::internal::GetCapturedStderr();
  unsetenv("ZOLTA_D3D_DEBUG");
  std::fputs(messages.c_str(), stderr);
  std::filesystem::current_path(buildFolder);
  std::filesystem::remove_all(scratch);

  EXPECT_EQ(status, 0);
  EXPECT_EQ(messages.find("zolta: d3d9: "), std::string::npos) << "refused calls:\n" << messages;
  EXPECT_TRUE(soak.closed) << "the program ended before the close zone was clicked";
  EXPECT_EQ(soak.frame, soakFrames) << "frames presented";
  EXPECT_FALSE(IsWindow(appWindow)) << "the close zone left the window open";
  EXPECT_EQ(soak.entries, fullScreenRoundTrips);
  EXPECT_EQ(soak.exits, fullScreenRoundTrips);
  EXPECT_FALSE(soak.wasFullScreen) << "the run ended in full-screen mode";
  EXPECT_EQ(soak.windowMismatches, 0)
      << "frames where the window and the device disagreed on full-screen";
  EXPECT_GT(soak.minimisedFrames, 100) << "the minimise zone did not minimise";
  EXPECT_FALSE(soak.endedMinimised);
  EXPECT_GT(soak.drags, 100);
  EXPECT_EQ(soak.dragsOffTarget, 0)
      << "drags after which the volume did not match the slider, first at "
      << soak.firstDragOffTarget;
  EXPECT_GT(soak.trackChanges, 100);
  EXPECT_GT(soak.audibleFrames, soakFrames / 4) << "the music was heard in too few frames";
  EXPECT_GT(soak.endAudibleFrames, 150) << "after \"X\" the last frames were silent";

  // The last picture is the program's, not a blank: many colours, and saved for a look.
  std::set<uint32_t> colours(soak.lastPicture.pixels.begin(), soak.lastPicture.pixels.end());
  EXPECT_GT(colours.size(), 500u);
  savePicture(soak.lastPicture, "soak_last_frame");

  RecordProperty("gestures", soak.gestures);
  RecordProperty("resident_kib_after_warm_up", static_cast<int>(soak.warmUpResident / 1024));
  RecordProperty("resident_kib_at_end", static_cast<int>(soak.endResident / 1024));
  const double heapTrend =
      fittedSlope(soak.heapFrames, soak.heapInUse) * (soakFrames - warmUpFrames);
  const auto [heapLow, heapHigh] =
      std::minmax_element(soak.heapInUse.begin(), soak.heapInUse.end());
  std::printf(
      "soak: %ld frames, %d gestures (%d as SDL events), %d drags, %d track changes, "
      "resident memory %ld KiB after warm-up, %ld KiB at the end, heap in use "
      "%.0f-%.0f KiB, its trend %+.0f KiB\n",
      soak.frame, soak.gestures, soak.sdlGestures, soak.drags, soak.trackChanges,
      soak.warmUpResident / 1024, soak.endResident / 1024, *heapLow / 1024, *heapHigh / 1024,
      heapTrend / 1024);
  if (!underSanitizers) {
    EXPECT_LE(heapTrend, allowedHeapTrendBytes) << "the heap in use grew";
    EXPECT_LE(soak.endResident - soak.warmUpResident, allowedResidentGrowthBytes)
        << "resident memory grew";
  }
}

}  // namespace
