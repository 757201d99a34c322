// Weighted median-cut quantiser with k-means refinement and reserved exact colours.
#include "quantise.h"

#include <algorithm>
#include <array>
#include <map>

namespace {

constexpr int refineRounds = 6;  // k-means passes after the median cut

struct ColourCount {
  std::array<int, 3> c;
  long long count;
};

std::uint32_t pack(Rgb c) { return std::uint32_t(c.r) << 16 | std::uint32_t(c.g) << 8 | c.b; }
Rgb unpack(std::uint32_t v) {
  return {std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

long long distance(const std::array<int, 3>& a, Rgb b) {
  const long long dr = a[0] - b.r, dg = a[1] - b.g, db = a[2] - b.b;
  return 3 * dr * dr + 4 * dg * dg + 2 * db * db;  // rough perceptual weights
}

struct Box {
  std::vector<ColourCount> colours;
  long long spread() const {  // weighted size: largest channel range times pixel count
    if (colours.size() < 2) return -1;
    int best = 0;
    for (int ch = 0; ch < 3; ++ch) {
      int lo = 255, hi = 0;
      for (const auto& cc : colours) lo = std::min(lo, cc.c[ch]), hi = std::max(hi, cc.c[ch]);
      best = std::max(best, hi - lo);
    }
    long long weight = 0;
    for (const auto& cc : colours) weight += cc.count;
    return best * (1 + weight / 64);
  }
};

Rgb meanOf(const std::vector<ColourCount>& colours) {
  long long sum[3] = {0, 0, 0}, weight = 0;
  for (const auto& cc : colours) {
    for (int ch = 0; ch < 3; ++ch) sum[ch] += cc.c[ch] * cc.count;
    weight += cc.count;
  }
  auto channel = [&](int ch) { return std::uint8_t((sum[ch] + weight / 2) / weight); };
  return {channel(0), channel(1), channel(2)};
}

std::vector<Rgb> medianCut(std::vector<ColourCount> colours, int entries) {
  std::vector<Box> boxes{Box{std::move(colours)}};
  while (int(boxes.size()) < entries) {
    auto widest = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
      return a.spread() < b.spread();
    });
    if (widest->spread() < 0) break;
    int channel = 0, bestRange = -1;
    for (int ch = 0; ch < 3; ++ch) {
      int lo = 255, hi = 0;
      for (const auto& cc : widest->colours)
        lo = std::min(lo, cc.c[ch]), hi = std::max(hi, cc.c[ch]);
      if (hi - lo > bestRange) bestRange = hi - lo, channel = ch;
    }
    auto& list = widest->colours;
    std::sort(list.begin(), list.end(), [channel](const ColourCount& a, const ColourCount& b) {
      return a.c[channel] != b.c[channel] ? a.c[channel] < b.c[channel] : a.c < b.c;
    });
    long long total = 0, running = 0;
    for (const auto& cc : list) total += cc.count;
    std::size_t split = 1;
    for (; split < list.size() - 1; ++split) {
      running += list[split - 1].count;
      if (running * 2 >= total) break;
    }
    Box upper{std::vector<ColourCount>(list.begin() + long(split), list.end())};
    list.resize(split);
    boxes.push_back(std::move(upper));
  }
  std::vector<Rgb> palette;
  palette.reserve(boxes.size());
  for (const auto& box : boxes) palette.push_back(meanOf(box.colours));
  return palette;
}

std::size_t nearest(const std::array<int, 3>& c, const std::vector<Rgb>& palette) {
  std::size_t best = 0;
  long long bestDistance = -1;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const long long d = distance(c, palette[i]);
    if (bestDistance < 0 || d < bestDistance) bestDistance = d, best = i;
  }
  return best;
}

void refine(const std::vector<ColourCount>& colours, std::vector<Rgb>& palette) {
  for (int round = 0; round < refineRounds; ++round) {
    std::vector<std::vector<ColourCount>> members(palette.size());
    for (const auto& cc : colours) members[nearest(cc.c, palette)].push_back(cc);
    for (std::size_t i = 0; i < palette.size(); ++i)
      if (!members[i].empty()) palette[i] = meanOf(members[i]);
  }
}

}  // namespace

IndexedImage quantise(const RgbImage& image, int maxColours, const std::vector<Rgb>& exactColours) {
  maxColours = std::clamp(maxColours, 2, maxPaletteEntries);
  std::map<std::uint32_t, long long> histogram;
  for (const Rgb& p : image.pixels) ++histogram[pack(p)];

  std::vector<Rgb> palette;
  std::size_t exactEntries = 0;  // palette entries [0, exactEntries) are reserved colours
  if (int(histogram.size()) <= maxColours) {
    for (const auto& [value, count] : histogram) palette.push_back(unpack(value));
    exactEntries = palette.size();
  } else {
    for (const Rgb& key : exactColours)
      if (histogram.count(pack(key)) &&
          std::find(palette.begin(), palette.end(), key) == palette.end())
        palette.push_back(key);
    exactEntries = palette.size();
    std::vector<ColourCount> others;
    for (const auto& [value, count] : histogram) {
      const Rgb c = unpack(value);
      if (std::find(palette.begin(), palette.end(), c) == palette.end())
        others.push_back({{c.r, c.g, c.b}, count});
    }
    std::vector<Rgb> cut = medianCut(others, maxColours - int(exactEntries));
    refine(others, cut);
    for (Rgb& c : cut)  // a reduced colour must never take the value of a reserved one
      while (std::find(palette.begin(), palette.begin() + long(exactEntries), c) !=
             palette.begin() + long(exactEntries))
        c.b = std::uint8_t(c.b > 0 ? c.b - 1 : 1);
    palette.insert(palette.end(), cut.begin(), cut.end());
  }
  while (palette.size() < 2)
    palette.push_back(palette.empty() || palette[0] != Rgb{} ? Rgb{} : Rgb{255, 255, 255});

  std::map<std::uint32_t, std::uint8_t> lookup;
  for (std::size_t i = 0; i < exactEntries; ++i) lookup[pack(palette[i])] = std::uint8_t(i);
  const std::vector<Rgb> reduced(palette.begin() + long(exactEntries), palette.end());
  IndexedImage result{image.width, image.height, palette, {}};
  result.indices.reserve(image.pixels.size());
  for (const Rgb& p : image.pixels) {
    auto found = lookup.find(pack(p));
    if (found == lookup.end())
      found =
          lookup.emplace(pack(p), std::uint8_t(exactEntries + nearest({p.r, p.g, p.b}, reduced)))
              .first;
    result.indices.push_back(found->second);
  }
  return result;
}

RgbImage expandIndexed(const IndexedImage& image) {
  RgbImage rgb(image.width, image.height);
  for (std::size_t i = 0; i < image.indices.size(); ++i)
    rgb.pixels[i] = image.palette[image.indices[i]];
  return rgb;
}
