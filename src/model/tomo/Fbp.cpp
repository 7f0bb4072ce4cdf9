// f(x, y) = pi / V * sum_v q_v(x cos a_v + y sin a_v), q_v = IFFT(H . FFT(p_v)), H = R(f) W(f) P(f).
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
}  // namespace

std::vector<float> fbpResponse(int m, const Settings& s) {
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
    out[sz(q)] = static_cast<float>(r * w * prefilterAt(f, s));
  }
  return out;
}

std::vector<float> filterViews(const Sinogram& sino, const Settings& s) {
  const int n = sino.bins;
  std::vector<float> out(sino.counts.size());
  LineFilter filter(n, fbpResponse(paddedLength(n), s));
  const int lanes = std::min(parallelLanes(), std::max(1, sino.views));
  parallelFor(lanes, [&](int lane) {
    const int first = static_cast<int>(static_cast<long long>(sino.views) * lane / lanes);
    const int last = static_cast<int>(static_cast<long long>(sino.views) * (lane + 1) / lanes);
    for (int v = first; v < last; ++v)
      filter.apply(sino.counts.data() + sz(static_cast<long long>(v) * n), out.data() + sz(static_cast<long long>(v) * n));
  });
  return out;
}

void backprojectViews(const Sinogram& g, const std::vector<float>& filtered, int first, int last, std::vector<float>& acc) {
  const int n = g.bins;
  const double c = (n - 1) / 2.0;
  std::vector<float> cs, sn;
  for (int v = first; v < last; ++v) {
    const double a = g.angleDeg(v) * std::numbers::pi / 180.0;
    cs.push_back(static_cast<float>(std::cos(a)));
    sn.push_back(static_cast<float>(std::sin(a)));
  }
  const int lanes = std::min(parallelLanes(), n);
  parallelFor(lanes, [&](int lane) {
    const int y0 = n * lane / lanes, y1 = n * (lane + 1) / lanes;
    for (int y = y0; y < y1; ++y) {
      const double Y = c - y;
      const double w = std::sqrt(std::max(0.0, c * c - Y * Y));
      const int xa = std::max(0, static_cast<int>(std::ceil(c - w - 1e-9)));
      const int xb = std::min(n, static_cast<int>(std::floor(c + w + 1e-9)) + 1);
      float* row = acc.data() + sz(static_cast<long long>(y) * n);
      for (int i = 0; i < last - first; ++i) {
        const float* q = filtered.data() + sz(static_cast<long long>(first + i) * n);
        // t = c + X cos a + Y sin a, X = x - c.
        const float t0 = static_cast<float>(c + (-c) * cs[sz(i)] + Y * sn[sz(i)]);
        addInterpolated(q, n, t0, cs[sz(i)], xa, xb, row);
      }
    }
  });
}

}  // namespace lumo::tomo
