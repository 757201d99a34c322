// FreeType set-up and glyph rendering for the artwork.
#include "font_face.h"

#include <cstdio>

namespace {

const char* const faceFiles[FontFaces::faceCount] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf",
                                                     "DejaVuSansCondensed-Bold.ttf",
                                                     "DejaVuSansMono-Bold.ttf"};

}  // namespace

FontFaces::~FontFaces() {
  for (cairo_font_face_t* face : cairoFaces_)
    if (face) cairo_font_face_destroy(face);
  // Cairo's font caches still hold the faces; empty them while FreeType's faces are alive,
  // so the generator ends with nothing left allocated (leak checkers run it in CI).
  cairo_debug_reset_static_data();
  for (FT_Face face : faces_)
    if (face) FT_Done_Face(face);
  if (library_) FT_Done_FreeType(library_);
}

bool FontFaces::open(const std::string& fontDir) {
  if (FT_Init_FreeType(&library_) != 0) {
    std::fprintf(stderr, "zolta_artwork: FreeType could not start\n");
    return false;
  }
  for (int i = 0; i < faceCount; ++i) {
    const std::string path = fontDir + "/" + faceFiles[i];
    if (FT_New_Face(library_, path.c_str(), 0, &faces_[i]) != 0) {
      std::fprintf(stderr, "zolta_artwork: cannot open font %s (package fonts-dejavu-core)\n",
                   path.c_str());
      return false;
    }
    cairoFaces_[i] = cairo_ft_font_face_create_for_ft_face(faces_[i], 0);
  }
  return true;
}

GlyphBitmap FontFaces::render(Face face, char code, int pixelHeight, bool monochrome,
                              int pixelWidth) const {
  GlyphBitmap glyph;
  FT_Face ft = faces_[face];
  FT_Set_Pixel_Sizes(ft, FT_UInt(pixelWidth), FT_UInt(pixelHeight));
  const FT_Int32 flags =
      FT_LOAD_RENDER | (monochrome ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
  if (FT_Load_Char(ft, FT_ULong(static_cast<unsigned char>(code)), flags) != 0) return glyph;
  const FT_Bitmap& bitmap = ft->glyph->bitmap;
  glyph.width = int(bitmap.width);
  glyph.rows = int(bitmap.rows);
  glyph.left = ft->glyph->bitmap_left;
  glyph.top = ft->glyph->bitmap_top;
  glyph.coverage.resize(std::size_t(glyph.width) * glyph.rows);
  for (int y = 0; y < glyph.rows; ++y)
    for (int x = 0; x < glyph.width; ++x) {
      const unsigned char* row = bitmap.buffer + y * bitmap.pitch;
      const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
      glyph.coverage[std::size_t(y) * glyph.width + x] =
          mono ? ((row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0) : row[x];
    }
  return glyph;
}
