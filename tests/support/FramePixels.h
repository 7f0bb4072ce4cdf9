#pragma once
// Counting the pixels of one colour in a screen's picture frame, in the frame's own
// coordinates: the checks most screen tests make.
#include "app/ScreenView.h"

namespace lumo::test {

// Pixels of colour c in the rectangle [x0, x1) x [y0, y1) of a frame.
inline int countIn(const ScreenView& view, int frameId, int x0, int y0, int x1, int y1, draw::Color c) {
  int n = 0;
  for (int x = x0; x < x1; ++x)
    for (int y = y0; y < y1; ++y)
      if (view.framePixel(frameId, x, y) == c) ++n;
  return n;
}

inline bool anyColourIn(const ScreenView& view, int frameId, int x0, int y0, int x1, int y1, draw::Color c) {
  return countIn(view, frameId, x0, y0, x1, y1, c) > 0;
}

// Pixels of colour c in the whole client rectangle of a frame.
inline int countColour(const ScreenView& view, int frameId, draw::Color c) {
  const PixelRect r = view.frameRect(frameId);
  return countIn(view, frameId, 0, 0, r.width(), r.height(), c);
}

}  // namespace lumo::test
