// The glyphs of the 3D text font, drawn by hand on a 6 x 6 pixel grid: rows 0-4 stand on the
// baseline (capitals and ascenders from row 0, the x-height from row 1), row 5 is the descender.
// Every character has a shape of its own (i l 1 | I, g q y p, 0 O, M W ...).
#pragma once

constexpr int textGlyphSize = 6;                         // pixels, square
constexpr int textGlyphFirst = 33, textGlyphLast = 126;  // '!' to '~'

// Row strings of '#' (ink) and '.' for each code from textGlyphFirst to textGlyphLast.
extern const char* const textGlyphRows[textGlyphLast - textGlyphFirst + 1][textGlyphSize];
