#pragma once
// A square slice: value(x, y) = px[y * n + x], row 0 at the top of the picture.
//
// Orientation of every slice of the lab: x (columns) runs from the picture's left to its right,
// y (rows) from its top to its bottom. Physical coordinates in millimetres have their origin at
// the centre of the field of view, X to the right and Y up (toward row 0):
//   X = (x - c) * pixelMm,  Y = (c - y) * pixelMm,  c = (n - 1) / 2.
// The field of view is 420 mm across at every matrix (pixelMm = 420 / n). Reconstructions are
// confined to the inscribed circle of the field (pixels with (x - c)^2 + (y - c)^2 <= c^2).
#include <cstddef>
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

// True where pixel (x, y) lies in the circle a reconstruction covers.
inline bool insideField(int n, int x, int y) {
  const double c = (n - 1) / 2.0;
  const double dx = x - c, dy = y - c;
  return dx * dx + dy * dy <= c * c;
}

}  // namespace lumo::tomo
