// Scatter in the energy windows of a Tc-99m acquisition, and its estimates by TEW and DEW.
#include "model/tomo/Scatter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumo::tomo {

namespace {
std::size_t sz(long long v) { return static_cast<std::size_t>(v); }

// The standard deviation in keV of the camera's energy response at e keV.
double sigmaKeV(double resolutionPercent, double e) {
  return resolutionPercent / 100.0 * kTc99mKeV / 2.3548200450309493 * std::sqrt(std::max(e, 1.0) / kTc99mKeV);
}

// Klein-Nishina's differential cross-section at e keV and angle theta, up to a constant.
double kleinNishina(double e, double theta) {
  const double p = comptonKeV(e, theta) / e, s = std::sin(theta);
  return p * p * (p + 1.0 / p - s * s);
}

// Adds weight w at energy e to a histogram on lo + i step, split linearly between two bins.
void deposit(std::vector<double>& h, double lo, double step, double e, double w) {
  const double x = (e - lo) / step;
  const int i = static_cast<int>(std::floor(x));
  if (i < 0 || i + 1 >= static_cast<int>(h.size())) return;
  const double f = x - i;
  h[sz(i)] += w * (1 - f);
  h[sz(i + 1)] += w * f;
}

// One line of a separable exponential spread: y = sum_j c a^|i - j| x_j, c = (1 - a) / (1 + a),
// by a forward and a backward recursion; nothing comes back from beyond the ends.
void spreadLine(float* x, int count, std::size_t stride, double a, std::vector<double>& f) {
  const double c = (1 - a) / (1 + a);
  f.resize(sz(count));
  double run = 0;
  for (int i = 0; i < count; ++i) f[sz(i)] = run = x[sz(i) * stride] + a * run;
  run = 0;
  for (int i = count - 1; i >= 0; --i) {
    const double here = x[sz(i) * stride];
    run = here + a * run;
    x[sz(i) * stride] = static_cast<float>(c * (f[sz(i)] + run - here));
  }
}
}  // namespace

EnergyWindows energyWindows(double windowPercent, double subwindowPercent) {
  const double half = kTc99mKeV * windowPercent / 200.0, sub = kTc99mKeV * subwindowPercent / 100.0;
  EnergyWindows w;
  w.peak = {kTc99mKeV - half, kTc99mKeV + half};
  w.lower = {w.peak.loKeV - sub, w.peak.loKeV};
  w.upper = {w.peak.hiKeV, w.peak.hiKeV + sub};
  w.compton = {92.0, 125.0};
  return w;
}

double comptonKeV(double e, double theta) { return e / (1.0 + e / kElectronRestKeV * (1.0 - std::cos(theta))); }

Spectrum::Spectrum(double resolutionPercent) : resolution_(resolutionPercent), lo_(20.0), step_(0.25) {
  const int bins = static_cast<int>((200.0 - lo_) / step_) + 1;
  // The Compton energies before the camera's blur: once scattered, and twice.
  std::vector<double> once(sz(bins), 0.0), twice(sz(bins), 0.0);
  const int angles = 2000;
  for (int i = 0; i < angles; ++i) {
    const double t = (i + 0.5) * std::numbers::pi / angles;
    deposit(once, lo_, step_, comptonKeV(kTc99mKeV, t), kleinNishina(kTc99mKeV, t) * std::sin(t));
  }
  const int coarse = 240;
  for (int i = 0; i < coarse; ++i) {
    const double t1 = (i + 0.5) * std::numbers::pi / coarse;
    const double e1 = comptonKeV(kTc99mKeV, t1), w1 = kleinNishina(kTc99mKeV, t1) * std::sin(t1);
    for (int j = 0; j < coarse; ++j) {
      const double t2 = (j + 0.5) * std::numbers::pi / coarse;
      deposit(twice, lo_, step_, comptonKeV(e1, t2), w1 * kleinNishina(e1, t2) * std::sin(t2));
    }
  }
  double s1 = 0, s2 = 0;
  for (int i = 0; i < bins; ++i) {
    s1 += once[sz(i)];
    s2 += twice[sz(i)];
  }
  // Then the camera's response, energy by energy.
  scatter_.assign(sz(bins), 0.0);
  for (int j = 0; j < bins; ++j) {
    const double w = (1 - kMultipleShare) * once[sz(j)] / s1 + kMultipleShare * twice[sz(j)] / s2;
    if (w == 0) continue;
    const double e = lo_ + j * step_, s = sigmaKeV(resolution_, e);
    for (int i = 0; i < bins; ++i) {
      const double z = (lo_ + i * step_ - e) / s;
      if (std::abs(z) < 6) scatter_[sz(i)] += w * std::exp(-0.5 * z * z) / (s * std::sqrt(2 * std::numbers::pi));
    }
  }
  double total = 0;
  for (double d : scatter_) total += d * step_;
  cumulative_.assign(sz(bins), 0.0);
  double run = 0;
  for (int i = 0; i < bins; ++i) {
    scatter_[sz(i)] /= total;
    run += scatter_[sz(i)] * step_;
    cumulative_[sz(i)] = run;  // the share below lo_ + (i + 1/2) step_
  }
}

double Spectrum::primaryDensity(double e) const {
  const double s = sigmaKeV(resolution_, kTc99mKeV), z = (e - kTc99mKeV) / s;
  return std::exp(-0.5 * z * z) / (s * std::sqrt(2 * std::numbers::pi));
}

double Spectrum::scatterDensity(double e) const {
  const double x = (e - lo_) / step_;
  const int i = static_cast<int>(std::floor(x));
  if (i < 0 || i + 1 >= static_cast<int>(scatter_.size())) return 0;
  const double f = x - i;
  return scatter_[sz(i)] * (1 - f) + scatter_[sz(i + 1)] * f;
}

double Spectrum::primaryIn(const EnergyWindow& w) const {
  const double s = sigmaKeV(resolution_, kTc99mKeV) * std::numbers::sqrt2;
  return 0.5 * (std::erf((w.hiKeV - kTc99mKeV) / s) - std::erf((w.loKeV - kTc99mKeV) / s));
}

double Spectrum::scatterIn(const EnergyWindow& w) const {
  // The cumulative share at an energy, linear between the grid's half-steps.
  auto below = [&](double e) {
    const double x = (e - lo_) / step_ - 0.5;
    if (x < 0) return 0.0;
    const int i = static_cast<int>(std::floor(x));
    if (i + 1 >= static_cast<int>(cumulative_.size())) return 1.0;
    const double f = x - i;
    return cumulative_[sz(i)] * (1 - f) + cumulative_[sz(i + 1)] * f;
  };
  return std::max(0.0, below(w.hiKeV) - below(w.loKeV));
}

void spreadScatter(float* image, int rows, int bins, double rowMm, double binMm) {
  std::vector<double> f;
  const double ab = std::exp(-binMm / kScatterSpreadMm);
  for (int r = 0; r < rows; ++r) spreadLine(image + sz(r) * sz(bins), bins, 1, ab, f);
  if (rows < 2) return;
  const double ar = std::exp(-rowMm / kScatterSpreadMm);
  for (int b = 0; b < bins; ++b) spreadLine(image + sz(b), rows, sz(bins), ar, f);
}

ProjectionStack detectedScatter(const SystemModel& model, const Volume& activity) {
  const ProjectionGeometry& g = model.geometry();
  ProjectionStack s = model.blankProjections();
  if (!model.attenuates()) return s;
  std::vector<float> u(model.grid().volumeSize());
  if (activity.n != model.grid().n || activity.slices != model.grid().slices) return s;
  toZFastest(activity, u.data());
  model.buildupZ(u.data(), s.counts.data());
  for (int v = 0; v < g.views; ++v) spreadScatter(s.counts.data() + sz(v) * g.viewSize(), g.rows, g.bins, g.rowMm, g.binMm);
  for (float& c : s.counts) c = static_cast<float>(c * kBuildup);
  return s;
}

std::vector<float> tewEstimate(const ProjectionStack& lower, const ProjectionStack& upper, const EnergyWindows& w) {
  std::vector<float> s(lower.counts.size(), 0.0f);
  const double l = w.lower.widthKeV() > 0 ? 1.0 / w.lower.widthKeV() : 0.0, h = w.upper.widthKeV() > 0 ? 1.0 / w.upper.widthKeV() : 0.0;
  for (std::size_t i = 0; i < s.size() && i < upper.counts.size(); ++i)
    s[i] = static_cast<float>((lower.counts[i] * l + upper.counts[i] * h) * w.peak.widthKeV() / 2.0);
  return s;
}

std::vector<float> dewEstimate(const ProjectionStack& compton, double k) {
  std::vector<float> s(compton.counts.size());
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<float>(k * compton.counts[i]);
  return s;
}

}  // namespace lumo::tomo
