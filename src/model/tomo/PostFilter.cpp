// g = G_sigma * f, sigma = FWHM / (2 sqrt(2 ln 2)): a separable 2-D Gaussian smoothing in mm.
#include "model/tomo/PostFilter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumo::tomo {

Image gaussianPostFilter(const Image& in, double fwhmMm) {
  if (!(fwhmMm > 0) || !std::isfinite(fwhmMm) || in.n <= 0 || !(in.pixelMm > 0)) return in;
  const int n = in.n;
  const double sigma = fwhmMm / (2.0 * std::sqrt(2.0 * std::numbers::ln2)) / in.pixelMm;
  const int h = std::max(1, static_cast<int>(std::ceil(3.0 * sigma)));
  std::vector<float> k(static_cast<std::size_t>(2 * h + 1));
  double sum = 0;
  for (int t = -h; t <= h; ++t) sum += k[static_cast<std::size_t>(t + h)] = static_cast<float>(std::exp(-0.5 * t * t / (sigma * sigma)));
  for (float& w : k) w = static_cast<float>(w / sum);
  auto idx = [n](int x, int y) { return static_cast<std::size_t>(y) * static_cast<std::size_t>(n) + static_cast<std::size_t>(x); };
  Image tmp = Image::blank(n, in.pixelMm), out = Image::blank(n, in.pixelMm);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      float a = 0;
      for (int t = std::max(-h, -x); t <= std::min(h, n - 1 - x); ++t) a += k[static_cast<std::size_t>(t + h)] * in.px[idx(x + t, y)];
      tmp.px[idx(x, y)] = a;
    }
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      float a = 0;
      for (int t = std::max(-h, -y); t <= std::min(h, n - 1 - y); ++t) a += k[static_cast<std::size_t>(t + h)] * tmp.px[idx(x, y + t)];
      out.px[idx(x, y)] = a;
    }
  return out;
}

}  // namespace lumo::tomo
