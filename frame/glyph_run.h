// Glyph runs of the 3D text: one textGlyphs quad per character, each placed on its own.
// A byte outside 32-127 has no glyph: it draws nothing but still takes its place in the run.
#pragma once

#include "gfx/placement.h"

// Index into textGlyphs for the byte `code`, or -1 when the byte has no glyph.
int glyphIndex(char code);

// Sets the world matrix from `placement`, then draws the glyph of `code` if it has one.
void drawGlyph(char code, const Placement& placement);

// The message that the label and the information text show when there are no tunes.
extern const char* const noTunesMessage;
