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
  ProjectionStack primary = model.blankProjections();
  model.forward(truth, primary);

  // The photopeak window's share of the primaries and of the scatter, and the other windows'.
  const bool scatter = s.scatter;
  const Spectrum spectrum(s.resolutionPercent);
  a.resolutionPercent = s.resolutionPercent;
  a.windows = energyWindows(s.windowPercent, s.subwindowPercent);
  const ProjectionStack scattered = scatter ? detectedScatter(model, truth) : model.blankProjections();
  const double f = scatter ? spectrum.primaryIn(a.windows.peak) : 1.0;
  const double gPeak = scatter ? spectrum.scatterIn(a.windows.peak) : 0.0;
  auto window = [&](double fp, double gs) {
    ProjectionStack w = primary;
    for (std::size_t i = 0; i < w.counts.size(); ++i) w.counts[i] = static_cast<float>(fp * primary.counts[i] + gs * scattered.counts[i]);
    return w;
  };
  a.expected = window(f, gPeak);

  // Counts per second from 1 kBq/mL in a voxel seen whole: S (cps/MBq) / 1000 times the voxel's mL.
  const double perSecond = sensitivityCpsPerMBq(s.collimator) / 1000.0 * std::pow(truth.voxelMm / 10.0, 3.0);
  const double seen = a.expected.total() * perSecond;  // photopeak counts per second of all views together
  a.secondsPerView = seen > 0 && std::isfinite(s.counts) ? s.counts / seen : 0.0;
  const double k = perSecond * a.secondsPerView;  // counts per unit of the model
  a.calibration = k * f;
  auto scaled = [k](ProjectionStack p) {
    for (float& v : p.counts) v = static_cast<float>(v * k);
    return p;
  };
  a.expected = scaled(a.expected);
  a.data = a.expected;
  if (s.noise) poissonNoise(a.data.counts, s.seed);
  if (scatter) {
    a.scatter = scaled(window(0, gPeak));
    a.primaryTotal = primary.total() * k;
    a.scatterTotal = scattered.total() * k;
    // Each window counts its own photons: its own draws.
    const struct {
      ProjectionStack* to;
      const EnergyWindow* w;
    } others[] = {{&a.lower, &a.windows.lower}, {&a.upper, &a.windows.upper}, {&a.compton, &a.windows.compton}};
    std::uint64_t stream = 1;
    for (const auto& o : others) {
      *o.to = scaled(window(spectrum.primaryIn(*o.w), spectrum.scatterIn(*o.w)));
      if (s.noise) poissonNoise(o.to->counts, s.seed ^ (0x9E3779B97F4A7C15ull * stream));
      ++stream;
    }
  }
  return a;
}

double Acquisition::scatterFraction() const {
  const double all = expected.total();
  return scatter.counts.empty() || !(all > 0) ? std::nan("") : scatter.total() / all;
}

SpectrumCounts spectrumCounts(const Acquisition& a, const std::vector<double>& keV) {
  const Spectrum spectrum(a.resolutionPercent);
  SpectrumCounts out;
  for (double e : keV) {
    out.primary.push_back(a.primaryTotal * spectrum.primaryDensity(e));
    out.scatter.push_back(a.scatterTotal * spectrum.scatterDensity(e));
  }
  return out;
}

std::vector<float> scatterEstimate(const Settings& s, const Acquisition& a) {
  if (s.sc == ScatterCorrection::Tew && a.hasWindows()) return tewEstimate(a.lower, a.upper, a.windows);
  if (s.sc == ScatterCorrection::Dew && !a.compton.counts.empty()) return dewEstimate(a.compton);
  return {};
}

Volume correctionMap(const Settings& s, const Acquisition& a) {
  if (!(s.acmu > 0) || s.acmu == s.attenuation) return a.phantom.mu;
  if (s.attenuation > 0) {
    Volume mu = a.phantom.mu;
    for (float& m : mu.v) m = static_cast<float>(m * (s.acmu / s.attenuation));
    return mu;
  }
  return makePhantom(s.phantom, s.matrix, effectiveSlices(s.slices, s.matrix), s.acmu, s.defect).mu;
}

}  // namespace lumo::tomo
