// Greetings scroller: moves the scroll text from right to left along the bottom of the
// picture, one glyph quad per character, fading the glyphs in at the left end and out at the
// right, and starts the text again once its last character has left.
#pragma once

#include <d3d9.h>

extern float scrollOffset;  // world x of character 0 of the scroll text, world units (starts at 15)
extern int firstVisible;    // first character that has not yet left the picture on the left

// Fade of a character standing at world x: 0 (invisible) to 255 (fully shown).
float scrollerFade(float x);

// Where a glyph of the given fade takes its alpha: the font's own alpha when fully shown
// (only the glyph shows), else the vertex colour (its whole cell blends in at the fade).
DWORD glyphAlphaSource(float fade);

// Vertex colour of a glyph of the given fade: white with the fade as alpha.
D3DCOLOR glyphColour(float fade);

// Walks the characters of one frame from firstVisible on: calls drawCharacter(index, x) for
// every character to draw, in order, moves firstVisible past those that have left on the left
// and stops at the first one beyond the right edge. Returns how many were drawn.
int visitScrollerCharacters(int textLength, void (*drawCharacter)(int index, float x));

// Moves the text on by frameSeconds; when nothing was drawn the text starts again.
void advanceScroller(float frameSeconds, int drawn);

// Draws the scroller on the current render target and moves it on.
void drawScroller(float frameSeconds);
