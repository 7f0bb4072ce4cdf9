// f(x, y, z) = w * sum_v q_v(x cos a_v + y sin a_v, z), q_v = ramp-filtered rows of P(p_v), w = |step| pi / arc.
#include "model/tomo/Fbp.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/Filters.h"
#include "model/tomo/Fft.h"
#include "model/tomo/Parallel.h"
#include "model/tomo/Simd.h"

namespace lumo::tomo {

namespace {
std::size_t sz(long long v) { return static_cast<std::size_t>(v); }

// row[x] += q(t0 + x dt) by linear interpolation, x in [xa, xb); t stays within [0, n - 1].
LUMO_HOT void addInterpolated(const float* __restrict q, int n, float t0, float dt, int xa, int xb, float* __restrict row) {
  const float hi = static_cast<float>(n - 2);
  for (int x = xa; x < xb; ++x) {
    const float t = t0 + static_cast<float>(x) * dt;
    const int b = static_cast<int>(std::min(std::max(t, 0.0f), hi));
    const float f = t - static_cast<float>(b);
    row[x] += q[b] + f * (q[b + 1] - q[b]);
  }
}
}  // namespace

double prefilterAt(double f, const Settings& s) {
  switch (s.prefilter) {
    case Prefilter::None: return 1.0;
    case Prefilter::Butterworth: return model::butterworth(f, s.cutoff, s.order);
    case Prefilter::Hanning: return model::hanning(f, s.cutoff);
    case Prefilter::Hamming: return model::hamming(f, s.cutoff);
    case Prefilter::Gauss: return model::gaussian(f, s.width);
  }
  return 1.0;
}

std::vector<float> fbpResponse(int m, const Settings& s, bool withPrefilter) {
  // The ramp: the discrete transform of the band-limited ramp kernel on the padded circle.
  std::vector<double> h(sz(m), 0.0);
  h[0] = 0.25;
  for (int k = 1; k <= m / 2; k += 2) {
    const double v = -1.0 / (std::numbers::pi * std::numbers::pi * k * k);
    h[sz(k)] = v;
    h[sz(m - k)] = v;
  }
  std::vector<float> out(sz(m / 2 + 1));
  for (int q = 0; q <= m / 2; ++q) {
    double r = 0;
    for (int k = 0; k < m; ++k) {
      if (h[sz(k)] == 0.0) continue;
      // cos(2 pi q k / m) with the argument reduced exactly in integers.
      r += h[sz(k)] * std::cos(2.0 * std::numbers::pi * static_cast<double>((static_cast<long long>(q) * k) % m) / m);
    }
    const double f = static_cast<double>(q) / m;
    double w = 1.0;
    if (s.filter == ReconFilter::SheppLogan && q > 0) w = std::sin(std::numbers::pi * f) / (std::numbers::pi * f);
    out[sz(q)] = static_cast<float>(r * w * (withPrefilter ? prefilterAt(f, s) : 1.0));
  }
  return out;
}

std::vector<float> filterProjections(const ProjectionStack& p, const Settings& s) {
  const ProjectionGeometry& g = p.geometry;
  const int n = g.bins, rows = g.rows, views = g.views;
  std::vector<float> out(p.counts.size());
  // One row: the pre-filter goes along the bins with the ramp. More rows: first in two dimensions.
  const bool planar = rows > 1 && s.prefilter != Prefilter::None;
  const LineFilter line(n, fbpResponse(paddedLength(n), s, !planar));
  std::vector<float> source;
  if (planar) {
    source.resize(p.counts.size());
    const PlaneFilter plane = PlaneFilter::radial(rows, n, [&](double f) { return prefilterAt(f, s); });
    const int lanes = std::min(parallelLanes(), std::max(1, views));
    parallelFor(lanes, [&](int lane) {
      for (int v = views * lane / lanes; v < views * (lane + 1) / lanes; ++v)
        plane.apply(p.counts.data() + sz(v) * g.viewSize(), source.data() + sz(v) * g.viewSize());
    });
  }
  const float* in = planar ? source.data() : p.counts.data();
  const int lines = views * rows;
  const int lanes = std::min(parallelLanes(), std::max(1, lines));
  parallelFor(lanes, [&](int lane) {
    const int first = static_cast<int>(static_cast<long long>(lines) * lane / lanes);
    const int last = static_cast<int>(static_cast<long long>(lines) * (lane + 1) / lanes);
    for (int i = first; i < last; ++i) line.apply(in + sz(i) * sz(n), out.data() + sz(i) * sz(n));
  });
  return out;
}

double fbpViewWeight(const ProjectionGeometry& g) {
  const double arc = std::min(360.0, std::max(180.0, g.arcDeg()));
  // Parallel rays: each direction is seen twice over 360 degrees and once over 180.
  return std::abs(g.stepDeg) * std::numbers::pi / 180.0 * (180.0 / arc);
}

void backprojectViews(const ProjectionGeometry& g, const std::vector<float>& filtered, int first, int last, Volume& acc) {
  const int n = g.bins, rows = g.rows;
  const double c = (n - 1) / 2.0;
  std::vector<float> cs, sn;
  for (int v = first; v < last; ++v) {
    const double a = g.angleRad(v);
    cs.push_back(static_cast<float>(std::cos(a)));
    sn.push_back(static_cast<float>(std::sin(a)));
  }
  const int lines = n * rows;
  const int lanes = std::min(parallelLanes(), lines);
  parallelFor(lanes, [&](int lane) {
    for (int line = lines * lane / lanes; line < lines * (lane + 1) / lanes; ++line) {
      const int k = line / n, y = line % n;
      const double Y = c - y;
      const auto [xa, xb] = fieldColumns(n, y);
      float* row = acc.v.data() + acc.index(0, y, k);
      for (int i = 0; i < last - first; ++i) {
        const float* q = filtered.data() + (sz(first + i) * sz(rows) + sz(k)) * sz(n);
        // t = c + X cos a + Y sin a, X = x - c.
        const float t0 = static_cast<float>(c + (-c) * cs[sz(i)] + Y * sn[sz(i)]);
        addInterpolated(q, n, t0, cs[sz(i)], xa, xb, row);
      }
    }
  });
}

}  // namespace lumo::tomo
