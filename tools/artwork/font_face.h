// The DejaVu faces the artwork uses, opened with FreeType: glyph coverage bitmaps for the
// fonts, and Cairo font faces for the lettering on the background.
#pragma once

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

struct GlyphBitmap {
  int width = 0, rows = 0;
  int left = 0, top = 0;               // pen-relative placement: x of column 0, rows above baseline
  std::vector<std::uint8_t> coverage;  // 0-255, rows top to bottom
  std::uint8_t at(int x, int y) const { return coverage[std::size_t(y) * width + x]; }
};

class FontFaces {
 public:
  enum Face { sans, sansBold, condensedBold, monoBold, faceCount };

  FontFaces() = default;
  FontFaces(const FontFaces&) = delete;
  FontFaces& operator=(const FontFaces&) = delete;
  ~FontFaces();

  // Opens every face from fontDir; false (with a message on stderr) when one is missing.
  bool open(const std::string& fontDir);

  // Grey coverage of one character at a pixel size (hinted, antialiased or monochrome);
  // a pixelWidth other than 0 squeezes or widens the glyph horizontally.
  GlyphBitmap render(Face face, char code, int pixelHeight, bool monochrome,
                     int pixelWidth = 0) const;

  // A Cairo face for the background lettering (owned here).
  cairo_font_face_t* cairoFace(Face face) const { return cairoFaces_[face]; }

 private:
  FT_Library library_ = nullptr;
  FT_Face faces_[faceCount] = {};
  cairo_font_face_t* cairoFaces_[faceCount] = {};
};
