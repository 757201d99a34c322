// The program's life: start-up in a fixed order, the main loop, shut-down (app/win_main.h).
#include "app/win_main.h"

#include "app/display_mode.h"
#include "app/frame_clock.h"
#include "app/main_window.h"
#include "app/scroll_text.h"
#include "frame/render_frame.h"
#include "gfx/device.h"
#include "gfx/scene_resources.h"
#include "music/playback.h"
#include "music/playlist.h"
#include "support/stderr_line.h"

namespace {

constexpr DWORD idleSleepMilliseconds = 10;  // pause before each frame when no message waits

}  // namespace

int runMainLoop(void (*drawFrame)(float frameSeconds)) {
  MSG message;
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      TranslateMessage(&message);
      DispatchMessageA(&message);
      continue;
    }
    Sleep(idleSleepMilliseconds);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const long long elapsed =
        frameClock.lastCounter == 0 ? 0 : now.QuadPart - frameClock.lastCounter;
    frameClock.lastCounter = now.QuadPart;
    drawFrame(static_cast<float>(static_cast<double>(elapsed) / frameClock.frequency));
  }
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ShowCursor(FALSE);
  if (createMainWindow() != 0) return -1;  // the window layer has said why on stderr
  if (createDevice(false) != 0) {
    stderrLine("cannot create the Direct3D device");
    return -1;
  }
  scanMusicFolder();
  setupCameraAndLights();
  createSceneResources();
  startAudio();
  initFrameClock();
  buildScrollText();
  if (playlist.count > 0) loadAndPlay(playlist.playOrder[0]->path);  // no tunes: play nothing
  setVolume(volume);

  const int exitCode = runMainLoop(renderFrame);

  stopAudio();
  freePlayOrder();
  releaseDevice();
  return exitCode;
}
