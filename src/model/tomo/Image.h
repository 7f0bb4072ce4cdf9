#pragma once
// A square slice: value(x, y) = px[y * n + x], row 0 at the top of the picture.
//
// Orientation of every slice of the lab: x (columns) runs from the picture's left to its right,
// y (rows) from its top to its bottom. Physical coordinates in millimetres have their origin at
// the centre of the field of view, X to the right and Y up (toward row 0):
//   X = (x - c) * pixelMm,  Y = (c - y) * pixelMm,  c = (n - 1) / 2.
// The field of view is 420 mm across at every matrix (pixelMm = 420 / n). Reconstructions are
// confined to the inscribed circle of the field (pixels with (x - c)^2 + (y - c)^2 <= c^2).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace lumo::tomo {

constexpr double kFieldOfViewMm = 420.0;

struct Image {
  int n = 0;
  double pixelMm = 0;  // 420 mm / n
  std::vector<float> px;

  static Image blank(int n, double pixelMm) {
    Image im;
    im.n = n;
    im.pixelMm = pixelMm;
    im.px.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0.0f);
    return im;
  }
  float at(int x, int y) const { return px[static_cast<std::size_t>(y) * static_cast<std::size_t>(n) + static_cast<std::size_t>(x)]; }
};

// The field of view, the one test of the engine: the columns [first, last) of row y of an n x n
// grid whose centres lie in the circle of radius c = (n - 1) / 2 about the centre. The system
// model's depth planes (rows of the turned grid), FBP's rows, the iterations' mask and the
// figures all read it.
inline std::pair<int, int> fieldColumns(int n, int y) {
  const double c = (n - 1) / 2.0, s = c - y;
  const double w = std::sqrt(std::max(0.0, c * c - s * s));
  const int first = std::max(0, static_cast<int>(std::ceil(c - w - 1e-9)));
  const int last = std::min(n, static_cast<int>(std::floor(c + w + 1e-9)) + 1);
  return {first, std::max(first, last)};
}

// True where pixel (x, y) lies in the circle a reconstruction covers.
inline bool insideField(int n, int x, int y) {
  const auto [first, last] = fieldColumns(n, y);
  return x >= first && x < last;
}

}  // namespace lumo::tomo
