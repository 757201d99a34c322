// Frames of the two builds compared pixel by pixel: which pixels differ by more than a tolerance
// in a colour channel, what share of a region's pixels do, which way they differ, and a
// difference picture for a person to look at.
#pragma once

#include <string>
#include <vector>

#include "tests/support/e2e_run.h"
#include "tests/support/render_helpers.h"

// A PNG file as a Picture (alpha 255); an empty one (width 0) when it cannot be read.
Picture readPng(const std::string& path);

// The pixels of `area` less those of `without` (which may be empty: {0, 0, 0, 0}).
struct FrameRegion {
  std::string name;
  Rectangle area;
  Rectangle without;

  bool contains(int x, int y) const;
};

class FrameDifference {
 public:
  // a and b must outlive the difference; pictures of different sizes differ everywhere.
  FrameDifference(const Picture& a, const Picture& b, int tolerance);

  // Share (0-1) of the region's pixels that are the same within the tolerance.
  double sameShare(const FrameRegion& region) const;
  // Of the region's differing pixels, the share (0-1) where b is no brighter than a in any
  // channel; 1 when none differ.
  double darkerInBShare(const FrameRegion& region) const;
  // Over the region's differing pixels, the mean brightness of b as a share of a's; 1 when none
  // differ.
  double brightnessOfBInDiffering(const FrameRegion& region) const;
  // Differing pixels red, as bright as their largest channel difference (at least a quarter),
  // every other pixel a dim grey copy of a.
  Picture picture() const;

 private:
  bool differs(int x, int y) const { return differs_[size_t(y) * size_t(a_.width) + size_t(x)]; }

  const Picture& a_;
  const Picture& b_;
  std::vector<bool> differs_;
  std::vector<int> largest_;  // largest channel difference per pixel
};
