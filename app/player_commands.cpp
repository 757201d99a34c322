// The remote control's commands and the media keys (app/player_commands.h).
#include "app/player_commands.h"

#include "app/main_window.h"
#include "app/player_view.h"
#include "app/screen_layout.h"
#include "app/window_proc.h"
#include "gfx/device.h"
#include "music/playback.h"

namespace {

// The drawn pointer's left edge at the slider's first whole pixel inside its bounds, and its
// top at the slider's middle row (pixels).
constexpr float firstSliderPointerX = static_cast<float>(static_cast<int>(volumeSliderLeft) + 1);
constexpr float sliderPointerY = (volumeSliderTop + volumeSliderBottom) / 2.0f;

// The player as a remote control sees it: with no tracks there is nothing to play.
PlaybackState playerState() {
  const PlayerView& view = playerView();
  return view.trackCount() > 0 ? view.state() : PlaybackState::stopped;
}

// The client position of a mouse message whose drawn pointer has its top-left corner here.
LPARAM pointerAt(float left, float top) {
  return MAKELPARAM(static_cast<int>(left + pointerOffset), static_cast<int>(top + pointerOffset));
}

// False when the window is not there (not made yet, or destroyed).
bool post(UINT message, WPARAM wParam, LPARAM lParam) {
  return appWindow && PostMessageA(appWindow, message, wParam, lParam);
}

// Puts the pointer back after a click or drag made for a command: where it last moved, or
// outside the window when it had left.
void postPointerBack() {
  if (mouseInside) {
    post(WM_MOUSEMOVE, 0, pointerAt(cursorX, cursorY));
  } else {
    post(WM_MOUSELEAVE, 0, 0);
  }
}

// A click in the middle of a zone as the pointer makes it: a move there (over no button), the
// press, and the pointer back.
bool postClickOn(const PixelRect& zone) {
  const LPARAM middle = MAKELPARAM(zone.x + (zone.width - 1) / 2, zone.y + (zone.height - 1) / 2);
  if (!post(WM_MOUSEMOVE, 0, middle)) return false;
  post(WM_LBUTTONDOWN, MK_LBUTTON, middle);
  postPointerBack();
  return true;
}

bool postKey(KeyCommand command) {
  const WPARAM key = commandKey(command, playerState());
  return key != 0 && post(WM_KEYUP, key, 0);
}

bool nextCommand() { return postKey(KeyCommand::next); }
bool previousCommand() { return postKey(KeyCommand::previous); }
bool playCommand() { return postKey(KeyCommand::play); }
bool pauseCommand() { return postKey(KeyCommand::pause); }
bool playPauseCommand() { return postKey(KeyCommand::playPause); }
bool stopCommand() { return postKey(KeyCommand::stop); }

// A left-button drag on the volume slider where it sets the volume wanted: the first position
// that reaches it (the slider's last one for a volume beyond it).
bool volumeCommand(int wanted) {
  if (wanted == volume) return false;
  float left = firstSliderPointerX;
  while (left + 1.0f < volumeSliderRight && sliderVolumeAt(left) < wanted) left += 1.0f;
  if (!post(WM_MOUSEMOVE, MK_LBUTTON, pointerAt(left, sliderPointerY))) return false;
  postPointerBack();
  return true;
}

bool repeatCommand(bool on) { return on != repeatTrack && postClickOn(repeatLampZone); }

bool fullScreenCommand(bool on) {
  return on != deviceState.fullScreen && postClickOn(fullScreenZone);
}

bool quitCommand() { return post(WM_CLOSE, 0, 0); }

const PlayerCommands commands{nextCommand,       previousCommand, playCommand,   pauseCommand,
                              playPauseCommand,  stopCommand,     volumeCommand, repeatCommand,
                              fullScreenCommand, quitCommand};

}  // namespace

WPARAM commandKey(KeyCommand command, PlaybackState state) {
  switch (command) {
    case KeyCommand::next: return 'B';
    case KeyCommand::previous: return 'Y';
    case KeyCommand::stop: return 'V';
    case KeyCommand::pause: return state == PlaybackState::playing ? 'C' : 0;
    case KeyCommand::playPause: return state == PlaybackState::stopped ? 'X' : 'C';
    case KeyCommand::play: return state == PlaybackState::playing ? 0 : 'X';
  }
  return 0;
}

WPARAM mediaKeyPlayerKey(WPARAM key) {
  switch (key) {
    case VK_MEDIA_NEXT_TRACK: return commandKey(KeyCommand::next, playerState());
    case VK_MEDIA_PREV_TRACK: return commandKey(KeyCommand::previous, playerState());
    case VK_MEDIA_STOP: return commandKey(KeyCommand::stop, playerState());
    case VK_MEDIA_PLAY_PAUSE: return commandKey(KeyCommand::playPause, playerState());
    default: return 0;
  }
}

const PlayerCommands& playerCommands() { return commands; }
