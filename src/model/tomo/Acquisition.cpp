// y = Poisson(k A a), k = counts / sum(A a), truth = k a: the expected sinogram sums to counts.
#include "model/tomo/Acquisition.h"

#include <algorithm>
#include <cmath>

#include "model/tomo/Poisson.h"
#include "model/tomo/Projector.h"

namespace lumo::tomo {

Acquisition acquire(const Settings& s) {
  Acquisition a;
  a.phantom = makePhantom(s.phantom, s.matrix, s.attenuation);
  ProjectionGeometry g;
  g.n = a.phantom.activity.n;
  g.pixelMm = a.phantom.activity.pixelMm;
  g.views = std::clamp(s.views, 1, 3600);
  g.startDeg = 0;
  g.stepDeg = 360.0 / g.views;
  g.radiusCm = s.radiusCm;
  const bool attenuated = std::any_of(a.phantom.mu.px.begin(), a.phantom.mu.px.end(), [](float m) { return m > 0; });
  const Projector p(g, attenuated ? &a.phantom.mu : nullptr, s.collimator);
  Sinogram raw = p.project(a.phantom.activity);
  double sum = 0;
  for (float v : raw.counts) sum += v;
  const double k = sum > 0 && std::isfinite(s.counts) ? s.counts / sum : 0.0;
  a.truth = a.phantom.activity;
  for (float& v : a.truth.px) v = static_cast<float>(v * k);
  a.expected = raw;
  for (float& v : a.expected.counts) v = static_cast<float>(v * k);
  a.sinogram = a.expected;
  if (s.noise) poissonNoise(a.sinogram.counts, s.seed);
  return a;
}

}  // namespace lumo::tomo
