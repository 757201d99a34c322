// The fade of a line of 3D text by where a character stands: 255 for every world unit right
// of x = -shift, folded back down once it passes 2000 and held within 0 (gone) to 255 (fully
// shown). The scroller works it in float and the track information in double.
#pragma once

constexpr int textFadeFull = 255;  // fade of a fully shown character

template <typename Real>
constexpr Real textFade(Real x, Real shift) {
  constexpr Real full = textFadeFull, fold = 2000;
  Real fade = (x + shift) * full;
  if (fade > fold) fade = full - (fade - fold);
  if (fade > full) fade = full;
  if (fade < 0) fade = 0;
  return fade;
}
