// The window procedure (app/window_proc.h): keys on release (a media key as the player key it
// stands for), the pointer-leave timer, mouse moves (pointer, volume slider, hover) and left
// clicks (buttons, window zones, repeat box).
// Mouse positions are client pixels, x in the low and y in the high 16 bits of lParam.
#include "app/window_proc.h"

#include "app/display_mode.h"
#include "app/main_window.h"
#include "app/player_commands.h"
#include "app/screen_layout.h"
#include "music/playback.h"
#include "gfx/device.h"
#include "gfx/scene_resources.h"

int hoveredButton = -1;
bool mouseInside = false;
float cursorX = 0.0f;
float cursorY = 0.0f;

namespace {

constexpr UINT_PTR hoverTimerId = 100;
constexpr UINT hoverTimerMilliseconds = 500;

// Zones of the top strip and the repeat box (inclusive bounds, client pixels).
constexpr unsigned topStripBottom = titleStripRows - 1;
constexpr unsigned closeLeft = closeZone.x;
constexpr unsigned fullScreenLeft = fullScreenZone.x, fullScreenRight = lastColumn(fullScreenZone);
constexpr unsigned minimiseLeft = minimiseZone.x, minimiseRight = lastColumn(minimiseZone);
constexpr unsigned repeatLeft = repeatLampZone.x, repeatRight = lastColumn(repeatLampZone);
constexpr unsigned repeatTop = repeatLampZone.y, repeatBottom = lastRow(repeatLampZone);

// The key each control button sends, button 0 first.
constexpr WPARAM buttonKeys[buttonCount] = {'Y', 'C', 'V', 'X', 'B'};

// Index of the control button containing (x, y), -1 for none. The extents are those of the
// button quads: left and top from the first corner, right from the second, bottom from the third.
int buttonAt(float x, float y) {
  for (int index = 0; index < buttonCount; ++index) {
    const ScreenVertex* corners = buttonVertices[index];
    if (corners[1].x <= corners[0].x) continue;  // not built yet
    if (x >= corners[0].x && x <= corners[1].x && y >= corners[0].y && y <= corners[2].y)
      return index;
  }
  return -1;
}

void onKeyUp(HWND window, WPARAM key) {
  switch (key) {
    case VK_ESCAPE:
      if (deviceState.fullScreen) {
        leaveFullScreen();
        if (!deviceState.fullScreen) centreMainWindow();
      } else {
        DestroyWindow(window);
      }
      break;
    case VK_UP:
    case 'Y': previousTrack(); break;
    case VK_DOWN:
    case 'B': nextTrack(); break;
    case 'C': togglePause(); break;
    case 'V': stopMusic(); break;
    case 'X': playMusic(); break;
    case VK_MEDIA_NEXT_TRACK:
    case VK_MEDIA_PREV_TRACK:
    case VK_MEDIA_STOP:
    case VK_MEDIA_PLAY_PAUSE:
      if (const WPARAM playerKey = mediaKeyPlayerKey(key)) onKeyUp(window, playerKey);
      break;
    default: break;
  }
}

// 500 ms after the last move: if the pointer has left the window, say so with WM_MOUSELEAVE.
void onHoverTimer(HWND window) {
  RECT rect;
  POINT point;
  GetWindowRect(window, &rect);
  GetCursorPos(&point);
  if (!PtInRect(&rect, point)) PostMessageA(window, WM_MOUSELEAVE, 0, 0);
  KillTimer(window, hoverTimerId);
}

void onMouseMove(HWND window, WPARAM keys, LPARAM position) {
  SetTimer(window, hoverTimerId, hoverTimerMilliseconds, nullptr);
  mouseInside = true;
  const float x = static_cast<float>(LOWORD(position));
  const float y = static_cast<float>(HIWORD(position));
  cursorX = x - pointerOffset;
  cursorY = y - pointerOffset;
  const bool onSlider = cursorX > volumeSliderLeft && cursorX < volumeSliderRight &&
                        cursorY > volumeSliderTop && cursorY < volumeSliderBottom;
  if (onSlider && (keys & MK_LBUTTON)) {
    volume = sliderVolumeAt(cursorX);
    setVolume(volume);
  }
  hoveredButton = buttonAt(x, y);
}

void onLeftButtonDown(HWND window, LPARAM position) {
  const unsigned x = LOWORD(position);
  const unsigned y = HIWORD(position);
  if (hoveredButton >= 0) {
    SendMessageA(window, WM_KEYUP, buttonKeys[hoveredButton], 0);
  } else if (x >= closeLeft && y <= topStripBottom) {
    DestroyWindow(window);
  } else if (x >= fullScreenLeft && x <= fullScreenRight && y <= topStripBottom) {
    if (deviceState.fullScreen) {
      leaveFullScreen();
      if (!deviceState.fullScreen) centreMainWindow();
    } else {
      enterFullScreen();
    }
  } else if (x >= minimiseLeft && x <= minimiseRight && y <= topStripBottom) {
    if (deviceState.fullScreen) leaveFullScreen();
    ShowWindow(window, SW_MINIMIZE);
  } else if (y <= topStripBottom && !deviceState.fullScreen) {
    SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    ShowCursor(FALSE);
  } else if (x >= repeatLeft && x <= repeatRight && y >= repeatTop && y <= repeatBottom) {
    repeatTrack = !repeatTrack;
  }
}

}  // namespace

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_KEYUP: onKeyUp(window, wParam); return 0;
    case WM_TIMER: onHoverTimer(window); return 0;
    case WM_MOUSEMOVE: onMouseMove(window, wParam, lParam); return 0;
    case WM_LBUTTONDOWN: onLeftButtonDown(window, lParam); return 0;
    case WM_MOUSELEAVE: mouseInside = false; return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
