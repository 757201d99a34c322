// Overlay pictures registered to the background.
#include "overlay_art.h"

#include <algorithm>

IndexedImage cutOverlay(const RgbImage& quantisedBackground, const RgbImage& plain,
                        const RgbImage& variant, const PixelRect& area) {
  RgbImage part = cropImage(variant, area.x, area.y, area.width, area.height);
  std::vector<Rgb> shared;
  for (int y = 0; y < area.height; ++y)
    for (int x = 0; x < area.width; ++x) {
      if (!(variant.at(area.x + x, area.y + y) == plain.at(area.x + x, area.y + y))) continue;
      const Rgb c = quantisedBackground.at(area.x + x, area.y + y);
      part.at(x, y) = c;
      if (std::find(shared.begin(), shared.end(), c) == shared.end()) shared.push_back(c);
    }
  return quantise(part, maxPaletteEntries, shared);
}

IndexedImage cutSpeakerPatch(const RgbImage& quantisedBackground) {
  const PixelRect area = layout::speakerPatch;
  const std::vector<std::uint8_t> cabinet = leftCabinetCoverage();
  auto solid = [&](int bx, int by) {
    return cabinet[std::size_t(by) * layout::pictureWidth + bx] == 255;
  };
  const PixelRect cap = layout::speakerCap;
  RgbImage patch(area.width, area.height, {255, 255, 255});
  for (int y = 0; y < area.height; ++y)
    for (int x = 0; x < area.width; ++x) {
      const int bx = area.x + x, by = area.y + y;
      // Inside the cap's left and bottom rim, and one pixel in from the cabinet's outline.
      const bool insideCut = bx > cap.x && by < cap.y + cap.height - 1;
      if (insideCut && solid(bx, by) && solid(bx + 1, by) && solid(bx, by - 1) &&
          solid(bx + 1, by - 1))
        patch.at(x, y) = quantisedBackground.at(bx, by);
    }
  return quantise(patch, maxPaletteEntries, {{255, 255, 255}});
}
