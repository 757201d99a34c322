// The artwork generator: draws the 17 pictures of the program, quantises them to indexed
// palettes, and writes them as the C++ resource table (--source FILE) and/or as PNG files with
// a contact sheet for review (--png FOLDER); --icon FILE writes the launcher's icon as PNG;
// --rc FOLDER writes the Windows program's resource script with the pictures and the icon.
//
//   zolta_artwork --fonts /usr/share/fonts/truetype/dejavu --source embedded_resources.cpp
#include "background_art.h"
#include "font_art.h"
#include "gfx/picture_ids.h"
#include "icon_art.h"
#include "image_blob_writer.h"
#include "overlay_art.h"
#include "resource_script_writer.h"
#include "resource_source_writer.h"
#include "sprite_art.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int backgroundColours = 253;               // palette entries of the console picture
constexpr int sheetWidth = 1280, sheetHeight = 860;  // contact sheet, pixels
constexpr int sheetScale = 3;                        // enlargement of the small pictures

const Rgb white{255, 255, 255}, black{0, 0, 0}, green{0, 255, 0};

struct Picture {
  int id;
  IndexedImage image;
};

std::vector<Picture> drawAll(const FontFaces& fonts) {
  std::vector<Picture> pictures;
  pictures.push_back({sparkPicture, quantise(drawSpark(), maxPaletteEntries, {black})});
  pictures.push_back({pointerPicture, quantise(drawPointer(), maxPaletteEntries, {white})});
  const RgbImage plain = drawBackground(fonts);
  const IndexedImage background = quantise(plain, backgroundColours, {white});
  const RgbImage quantisedBackground = expandIndexed(background);
  pictures.push_back({backgroundPicture, background});
  for (int i = 0; i < layout::buttonCount; ++i) {
    const RgbImage lit = drawBackground(fonts, {i, false});
    pictures.push_back({firstHighlightPicture + i,
                        cutOverlay(quantisedBackground, plain, lit, layout::button(i))});
  }
  pictures.push_back({speakerPicture, cutSpeakerPatch(quantisedBackground)});
  pictures.push_back({scrollFontPicture, quantise(drawScrollerFont(fonts), 2, {black, white})});
  for (int n = 0; n < notePictureCount; ++n)
    pictures.push_back({firstNotePicture + n, quantise(drawNote(n), maxPaletteEntries, {white})});
  pictures.push_back(
      {textFontPicture, quantise(drawTextFont(), maxPaletteEntries, {green, white, black})});
  const RgbImage lampOn = drawBackground(fonts, {-1, true});
  pictures.push_back(
      {repeatPicture, cutOverlay(quantisedBackground, plain, lampOn, layout::lampPicture)});
  return pictures;
}

bool writePng(const RgbImage& image, const std::string& path) {
  cairo_surface_t* surface = surfaceFromImage(image);
  const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  if (!ok) std::fprintf(stderr, "zolta_artwork: cannot write %s\n", path.c_str());
  return ok;
}

// Every picture on one sheet: the console at its size on the left, the others enlarged.
bool writeContactSheet(const std::vector<Picture>& pictures, const std::string& path) {
  cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, sheetWidth, sheetHeight);
  cairo_t* cr = cairo_create(sheet);
  cairo_set_source_rgb(cr, 0.5, 0.5, 0.55);
  cairo_paint(cr);
  int x = 650, y = 10, rowHeight = 0;
  for (const Picture& picture : pictures) {
    cairo_surface_t* surface = surfaceFromImage(expandIndexed(picture.image));
    const int scale = picture.id == backgroundPicture ? 1 : sheetScale;
    const int w = picture.image.width * scale, h = picture.image.height * scale;
    int px = 0, py = 0;
    if (picture.id == backgroundPicture) {
      py = 10;
    } else {
      if (x + w > sheetWidth - 10 && x > 650) x = 650, y += rowHeight + 18, rowHeight = 0;
      px = x, py = y;
      x += w + 12;
      rowHeight = std::max(rowHeight, h);
      if (picture.id == scrollFontPicture || picture.id == textFontPicture)
        x = 650, y += rowHeight + 18, rowHeight = 0;
    }
    if (picture.id == backgroundPicture && y < 10) y = 10;
    cairo_save(cr);
    cairo_translate(cr, px, py);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_font_size(cr, 10);
    cairo_move_to(cr, px, py + h + 11);
    cairo_show_text(cr, std::to_string(picture.id).c_str());
    cairo_surface_destroy(surface);
  }
  cairo_destroy(cr);
  const bool ok = cairo_surface_write_to_png(sheet, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(sheet);
  if (!ok) std::fprintf(stderr, "zolta_artwork: cannot write %s\n", path.c_str());
  return ok;
}

bool writePngs(const std::vector<Picture>& pictures, const std::string& folder) {
  mkdir(folder.c_str(), 0755);
  bool ok = true;
  for (const Picture& picture : pictures)
    ok = writePng(expandIndexed(picture.image),
                  folder + "/picture_" + std::to_string(picture.id) + ".png") &&
         ok;
  return writeContactSheet(pictures, folder + "/contact_sheet.png") && ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::string fontDir = "/usr/share/fonts/truetype/dejavu", source, pngFolder, icon, rcFolder;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--fonts") == 0)
      fontDir = argv[i + 1];
    else if (std::strcmp(argv[i], "--source") == 0)
      source = argv[i + 1];
    else if (std::strcmp(argv[i], "--png") == 0)
      pngFolder = argv[i + 1];
    else if (std::strcmp(argv[i], "--icon") == 0)
      icon = argv[i + 1];
    else if (std::strcmp(argv[i], "--rc") == 0)
      rcFolder = argv[i + 1];
    else {
      std::fprintf(stderr, "zolta_artwork: unknown option %s\n", argv[i]);
      return 2;
    }
  }
  if (source.empty() && pngFolder.empty() && icon.empty() && rcFolder.empty()) {
    std::fprintf(stderr,
                 "usage: zolta_artwork [--fonts DIR] [--source FILE.cpp] [--png FOLDER] [--icon "
                 "FILE.png] [--rc FOLDER]\n");
    return 2;
  }
  if (!rcFolder.empty() && icon.empty()) icon = rcFolder + "/zolta-icon.png";
  bool ok = icon.empty() || writeIcon(icon);
  if (source.empty() && pngFolder.empty() && rcFolder.empty())
    return ok ? 0 : 1;  // the icon needs no fonts
  FontFaces fonts;
  if (!fonts.open(fontDir)) return 1;
  const std::vector<Picture> pictures = drawAll(fonts);
  std::vector<EncodedPicture> encoded;
  encoded.reserve(pictures.size());
  for (const Picture& picture : pictures)
    encoded.push_back({picture.id, encodeImageBlob(picture.image)});
  if (!source.empty()) ok = writeResourceSource(source, encoded) && ok;
  if (!rcFolder.empty()) ok = writeResourceScript(rcFolder, encoded, icon) && ok;
  if (!pngFolder.empty()) ok = writePngs(pictures, pngFolder) && ok;
  return ok ? 0 : 1;
}
