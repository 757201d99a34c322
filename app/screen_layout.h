// The screen layout: the client picture and every place on it where the program draws a fixed
// picture or reacts to the mouse, in client pixels (origin top-left, x right, y down). The
// program, the artwork generator (which paints its background to fit) and the tests all read
// it from here.
#pragma once

// A rectangle of whole pixels: columns x to x + width - 1, rows y to y + height - 1.
struct PixelRect {
  int x, y, width, height;  // pixels
};

constexpr int lastColumn(const PixelRect& rect) { return rect.x + rect.width - 1; }
constexpr int lastRow(const PixelRect& rect) { return rect.y + rect.height - 1; }

// ---- The picture and the window --------------------------------------------------------

constexpr int clientWidth = 640;   // client picture, back buffer and render targets, pixels
constexpr int clientHeight = 480;  // pixels
constexpr int windowHeight = 482;  // the window has two rows more than its region shows, pixels

// ---- The pointer ----------------------------------------------------------------------------

// The drawn pointer's top-left corner lies this far left of and above the pointer's client
// position (its hot spot), pixels; the slider reads the corner.
constexpr float pointerOffset = 5.0f;

// ---- The top strip: dragging it moves the window; three zones at its right end ----------

constexpr int titleStripRows = 15;                   // rows 0-14
constexpr PixelRect minimiseZone{596, 0, 9, 15};     // columns 596-604
constexpr PixelRect fullScreenZone{606, 0, 14, 15};  // columns 606-619
constexpr PixelRect closeZone{621, 0, 19, 15};       // columns 621-639

// ---- Control buttons: previous, pause, stop, play, next, left to right ----------------------

constexpr int buttonCount = 5;
constexpr int buttonPitch = 40;  // pixels from one button's left edge to the next one's
// Button i's highlight picture and click area (the quad's top edge leans up by half a pixel).
constexpr PixelRect controlButton(int i) { return {329 + buttonPitch * i, 14, 40, 37}; }

// ---- The repeat lamp ----------------------------------------------------------------------

constexpr PixelRect repeatLampPicture{552, 29, 14, 14};  // the lamp's quad
constexpr PixelRect repeatLampZone{553, 30, 13, 13};     // the lamp itself: a click toggles repeat

// ---- The volume slider and bar ------------------------------------------------------------

// A left-button drag strictly inside these bounds sets the volume from x (pixels).
constexpr float volumeSliderLeft = 383.0f;
constexpr float volumeSliderRight = 502.0f;
constexpr float volumeSliderTop = 215.0f;
constexpr float volumeSliderBottom = 243.0f;
// Slider fraction per pixel: 1/119 of the slider's width.
constexpr float volumeSliderStep = 1.0f / (volumeSliderRight - volumeSliderLeft);
// The volume (0-100 scale) a drag sets with the drawn pointer's left edge at x, inside the bounds.
constexpr int sliderVolumeAt(float x) {
  return static_cast<int>((x - volumeSliderLeft) * volumeSliderStep * 100.0f);
}

// The volume bar's quad: top-left, top-right, bottom-right, bottom-left, pixels.
constexpr float volumeBarQuad[4][2] = {{385, 234}, {503, 217}, {501, 226}, {387, 242}};

// ---- The loudspeaker patch ------------------------------------------------------------------

constexpr PixelRect speakerPatch{217, 312, 28, 22};  // drawn over the left cabinet's corner
