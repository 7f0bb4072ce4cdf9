#pragma once
// Pixel checks shared by the tests of the filter studies (CDialog15, CDialog16, CDialog17).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/ScreenView.h"
#include "support/FramePixels.h"

namespace lumo::filtertest {

using Point = std::pair<int, int>;

inline std::string at(const Point& p) {
  return "(" + std::to_string(p.first) + ", " + std::to_string(p.second) + ")";
}

// The last pixel a line from `from` to `to` draws (the end point itself is not drawn):
// one step back along the major axis, the minor coordinate on either side of the exact line.
inline bool lastPixelOfSegmentIs(const ScreenView& view, int frameId, Point from, Point to,
                                 draw::Color c) {
  const int dx = to.first - from.first, dy = to.second - from.second;
  if (dx == 0 && dy == 0) return false;
  if (std::abs(dx) >= std::abs(dy)) {
    const int x = to.first - (dx > 0 ? 1 : -1);
    const double y = from.second + static_cast<double>(dy) * (x - from.first) / dx;
    return view.framePixel(frameId, x, static_cast<int>(std::floor(y))) == c ||
           view.framePixel(frameId, x, static_cast<int>(std::ceil(y))) == c;
  }
  const int y = to.second - (dy > 0 ? 1 : -1);
  const double x = from.first + static_cast<double>(dx) * (y - from.second) / dy;
  return view.framePixel(frameId, static_cast<int>(std::floor(x)), y) == c ||
         view.framePixel(frameId, static_cast<int>(std::ceil(x)), y) == c;
}

// Every vertex of a polyline drawn in colour c: each start point is drawn, and the final
// vertex is checked through the last pixel of the segment leading to it.
inline void expectPolyline(const ScreenView& view, int frameId, const std::vector<Point>& points,
                           draw::Color c) {
  ASSERT_GE(points.size(), 2u);
  for (std::size_t k = 0; k + 1 < points.size(); ++k)
    EXPECT_EQ(view.framePixel(frameId, points[k].first, points[k].second), c) << at(points[k]);
  EXPECT_TRUE(lastPixelOfSegmentIs(view, frameId, points[points.size() - 2], points.back(), c))
      << "segment to " << at(points.back());
}

// Each listed point is drawn in colour c.
inline void expectPixels(const ScreenView& view, int frameId, const std::vector<Point>& points,
                         draw::Color c) {
  for (const Point& p : points) EXPECT_EQ(view.framePixel(frameId, p.first, p.second), c) << at(p);
}

using test::countIn;

inline int countInFrame(const ScreenView& view, int frameId, draw::Color c) {
  return test::countColour(view, frameId, c);
}

}  // namespace lumo::filtertest
