// C(x, y) = V / sum_v exp(-integral of mu from (x, y) to the detector at view v), inside the body.
#include "model/tomo/Chang.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "model/tomo/Parallel.h"

namespace lumo::tomo {

Image changFactors(const ProjectionGeometry& g, const Image& mu) {
  const int n = g.n;
  Image out = Image::blank(n, g.pixelMm);
  std::fill(out.px.begin(), out.px.end(), 1.0f);
  if (mu.n != n || g.views <= 0) return out;
  const Projector p(g, &mu, Collimator::None);
  if (!p.attenuates()) return out;
  const double c = (n - 1) / 2.0;
  std::vector<double> cs(static_cast<std::size_t>(g.views)), sn(cs.size());
  for (int v = 0; v < g.views; ++v) {
    const double a = (g.startDeg + v * g.stepDeg) * std::numbers::pi / 180.0;
    cs[static_cast<std::size_t>(v)] = std::cos(a);
    sn[static_cast<std::size_t>(v)] = std::sin(a);
  }
  const int lanes = std::min(parallelLanes(), n);
  parallelFor(lanes, [&](int lane) {
    for (int y = n * lane / lanes; y < n * (lane + 1) / lanes; ++y)
      for (int x = 0; x < n; ++x) {
        const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(n) + static_cast<std::size_t>(x);
        if (!(mu.px[i] > 0) || !insideField(n, x, y)) continue;
        const double X = x - c, Y = c - y;
        double sum = 0;
        for (int v = 0; v < g.views; ++v) {
          const double ca = cs[static_cast<std::size_t>(v)], sa = sn[static_cast<std::size_t>(v)];
          const double b = c + X * ca + Y * sa;
          const double j = c - (-X * sa + Y * ca);
          const int b0 = std::clamp(static_cast<int>(std::floor(b)), 0, n - 2);
          const int j0 = std::clamp(static_cast<int>(std::floor(j)), 0, n - 2);
          const double fb = b - b0, fj = j - j0;
          const float* a = p.attenuationMap(v) + static_cast<std::size_t>(j0) * static_cast<std::size_t>(n) + static_cast<std::size_t>(b0);
          const double top = a[0] * (1 - fb) + a[1] * fb;
          const double bottom = a[n] * (1 - fb) + a[n + 1] * fb;
          sum += top * (1 - fj) + bottom * fj;
        }
        if (sum > 0) out.px[i] = static_cast<float>(g.views / sum);
      }
  });
  return out;
}

}  // namespace lumo::tomo
