// y = Poisson(k A a), k = S t V / 1000: a in kBq/mL, S in cps/MBq, t seconds per view, V in mL.
#include "model/tomo/Acquisition.h"

#include <algorithm>
#include <cmath>

#include "model/tomo/Collimator.h"
#include "model/tomo/Poisson.h"
#include "model/tomo/SystemModel.h"

namespace lumo::tomo {

ProjectionGeometry acquisitionGeometry(const Settings& s, int n, int slices, double voxelMm) {
  const int views = std::clamp(s.views, 1, 3600);
  const double step = (s.arcDeg == 180 ? 180.0 : 360.0) / views * (s.direction == Direction::Cw ? -1.0 : 1.0);
  return ProjectionGeometry::circular(views, slices, n, voxelMm, voxelMm, s.startDeg, step, s.radiusCm * 10.0);
}

Acquisition acquire(const Settings& s) {
  Acquisition a;
  const int slices = effectiveSlices(s.slices, s.matrix);
  a.phantom = makePhantom(s.phantom, s.matrix, slices, s.attenuation, s.defect);
  const Volume& truth = a.phantom.activity;
  const ProjectionGeometry g = acquisitionGeometry(s, truth.n, truth.slices, truth.voxelMm);
  const SystemModel model(g, truth.n, truth.voxelMm, &a.phantom.mu, s.collimator);
  a.expected = model.blankProjections();
  model.forward(truth, a.expected);
  // Counts per second from 1 kBq/mL in a voxel seen whole: S (cps/MBq) / 1000 times the voxel's mL.
  const double perSecond = sensitivityCpsPerMBq(s.collimator) / 1000.0 * std::pow(truth.voxelMm / 10.0, 3.0);
  const double seen = a.expected.total() * perSecond;  // counts per second of all views together
  a.secondsPerView = seen > 0 && std::isfinite(s.counts) ? s.counts / seen : 0.0;
  a.calibration = perSecond * a.secondsPerView;
  for (float& v : a.expected.counts) v = static_cast<float>(v * a.calibration);
  a.data = a.expected;
  if (s.noise) poissonNoise(a.data.counts, s.seed);
  return a;
}

}  // namespace lumo::tomo
