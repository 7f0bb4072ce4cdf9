// g = G_sigma * f, sigma = FWHM / (2 sqrt(2 ln 2)): a separable Gaussian smoothing in mm.
#include "model/tomo/PostFilter.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace lumo::tomo {

namespace {
// out[i * stride] = sum_t k[t + h] in[(i + t) * stride] along one line of `count` samples.
void smoothLine(const float* in, float* out, int count, std::size_t stride, const std::vector<float>& k) {
  const int h = static_cast<int>(k.size() / 2);
  for (int i = 0; i < count; ++i) {
    float a = 0;
    for (int t = std::max(-h, -i); t <= std::min(h, count - 1 - i); ++t)
      a += k[static_cast<std::size_t>(t + h)] * in[static_cast<std::size_t>(i + t) * stride];
    out[static_cast<std::size_t>(i) * stride] = a;
  }
}
}  // namespace

Volume gaussianPostFilter(const Volume& in, double fwhmMm) {
  if (!(fwhmMm > 0) || !std::isfinite(fwhmMm) || in.n <= 0 || !(in.voxelMm > 0) || in.v.size() != in.size()) return in;
  const int n = in.n;
  const double sigma = fwhmMm / (2.0 * std::sqrt(2.0 * std::numbers::ln2)) / in.voxelMm;
  const int h = std::max(1, static_cast<int>(std::ceil(3.0 * sigma)));
  std::vector<float> k(static_cast<std::size_t>(2 * h + 1));
  double sum = 0;
  for (int t = -h; t <= h; ++t) sum += k[static_cast<std::size_t>(t + h)] = static_cast<float>(std::exp(-0.5 * t * t / (sigma * sigma)));
  for (float& w : k) w = static_cast<float>(w / sum);
  Volume a = in, b = in;
  const std::size_t row = static_cast<std::size_t>(n), plane = in.sliceSize();
  for (int z = 0; z < in.slices; ++z)
    for (int y = 0; y < n; ++y) smoothLine(in.v.data() + in.index(0, y, z), a.v.data() + in.index(0, y, z), n, 1, k);
  for (int z = 0; z < in.slices; ++z)
    for (int x = 0; x < n; ++x) smoothLine(a.v.data() + in.index(x, 0, z), b.v.data() + in.index(x, 0, z), n, row, k);
  if (in.slices == 1) return b;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) smoothLine(b.v.data() + in.index(x, y, 0), a.v.data() + in.index(x, y, 0), in.slices, plane, k);
  return a;
}

}  // namespace lumo::tomo
