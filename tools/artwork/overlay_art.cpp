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
  RgbImage patch(area.width, area.height, {255, 255, 255});
  for (int y = 0; y < area.height; ++y)
    for (int x = 0; x < area.width; ++x) {
      const int bx = area.x + x, by = area.y + y;
      const PixelRect plate = layout::speakerPlate;
      const bool insideCut = bx >= plate.x && by < plate.y + plate.height - 1;
      if (insideCut && cabinet[std::size_t(by) * layout::pictureWidth + bx] > 0)
        patch.at(x, y) = quantisedBackground.at(bx, by);
    }
  return quantise(patch, maxPaletteEntries, {{255, 255, 255}});
}
