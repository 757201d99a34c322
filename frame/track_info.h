// The track information text of the visible pass: the current title scrolling left on one
// line, its artist scrolling right on the line above, both fading at the same place.
#pragma once

// World x from which the title line is laid out (its first character stands 1.0 further).
extern float infoTitleScroll;
// World x of the last character of the artist line.
extern float infoArtistScroll;

// Alpha (0-255) of an information glyph at world x: 0 left of about -0.157, 255 right of 0.843.
int infoFadeAlpha(float x);

// Draws both lines and moves them on by `frameSeconds` world units; a line that drew nothing
// in this frame starts again. With no tunes the title line shows the no-tunes message.
void drawTrackInfo(float frameSeconds);
