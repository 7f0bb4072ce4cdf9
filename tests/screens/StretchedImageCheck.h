#pragma once
// Checks that a frame shows a bitmap's source rectangle on the 128 x 128 square around its
// centre, as the drawing surface stretches it on its own.
#include <gtest/gtest.h>

#include "app/ScreenView.h"
#include "draw/Canvas.h"
#include "draw/Surface.h"

namespace lumo {

struct SourceRect {
  int bitmap, sx, sy, sw, sh;
};

// The number of pixels of the centred square that differ from the reference stretch.
inline int stretchedMismatches(const ScreenView& view, int frameId, const SourceRect& src) {
  const PixelRect r = view.frameRect(frameId);
  draw::Canvas reference(r.width(), r.height());
  draw::Surface s(reference, 0, 0, r.width(), r.height());
  s.setup(draw::Setup::Centred);
  s.stretchBitmap(src.bitmap, src.sx, src.sy, src.sw, src.sh, -64, -64, 128, 128);
  int mismatches = 0;
  for (int x = -64; x < 64; ++x)
    for (int y = -64; y < 64; ++y) {
      const int px = r.width() / 2 + x, py = r.height() / 2 + y;
      if (view.framePixel(frameId, px, py) != reference.pixel(px, py)) ++mismatches;
    }
  return mismatches;
}

// How many pixels of the centred 128 x 128 square have colour c.
inline int centredSquareCount(const ScreenView& view, int frameId, draw::Color c) {
  const PixelRect r = view.frameRect(frameId);
  int n = 0;
  for (int x = -64; x < 64; ++x)
    for (int y = -64; y < 64; ++y)
      if (view.framePixel(frameId, r.width() / 2 + x, r.height() / 2 + y) == c) ++n;
  return n;
}

}  // namespace lumo
