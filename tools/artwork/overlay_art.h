// Pictures cut from the console picture: the five button highlights (106-110), the lit repeat
// lamp (119) and the speaker patch (111). Pixels an overlay shares with the background take the
// background's quantised colour, so the overlays line up with it exactly.
#pragma once

#include "art_layout.h"
#include "background_art.h"
#include "quantise.h"

// The rectangle `area` of `variant` (the console drawn in another look); where it equals
// `plain` (the console as drawn for the background) the background's quantised pixels are used.
IndexedImage cutOverlay(const RgbImage& quantisedBackground, const RgbImage& plain,
                        const RgbImage& variant, const PixelRect& area);

// The background's pixels of the speaker patch where the left cabinet is, pure white elsewhere.
IndexedImage cutSpeakerPatch(const RgbImage& quantisedBackground);
