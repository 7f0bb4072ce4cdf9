// p(v, b) = sum over depth planes j of [G_j * (att_v,j . R_v f)_j](b): rotate, attenuate, blur, sum.
#include "model/tomo/Projector.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/tomo/Collimator.h"
#include "model/tomo/Parallel.h"
#include "model/tomo/Simd.h"

namespace lumo::tomo {

namespace {

std::size_t sz(long long v) { return static_cast<std::size_t>(v); }

// Start and step of the image position along plane j of a view (x right, y down, in pixels).
struct PlaneLine {
  float x0, y0, dx, dy;
};

PlaneLine planeLine(int n, double cosA, double sinA, int j) {
  const double c = (n - 1) / 2.0;
  const double s = c - j;  // depth toward the detector, pixels
  // x = c + t cos a - s sin a, y = c - (t sin a + s cos a), t = b - c.
  const double x0 = c + (-c) * cosA - s * sinA;
  const double y0 = c - ((-c) * sinA + s * cosA);
  return {static_cast<float>(x0), static_cast<float>(y0), static_cast<float>(cosA), static_cast<float>(-sinA)};
}

// The bilinear neighbourhood of grid point b: upper-left pixel index and the fractions toward
// x + 1 and y + 1. Grid points lie inside the field's circle, so x and y are within [0, n - 1];
// clamping the corner to n - 2 keeps all four neighbours in the image.
#define LUMO_SAMPLE(l, b, n, hi, i, fx, fy)                                          \
  const float x_ = (l).x0 + static_cast<float>(b) * (l).dx;                         \
  const float y_ = (l).y0 + static_cast<float>(b) * (l).dy;                         \
  const int xi_ = static_cast<int>(std::min(std::max(x_, 0.0f), hi));               \
  const int yi_ = static_cast<int>(std::min(std::max(y_, 0.0f), hi));               \
  const float fx = x_ - static_cast<float>(xi_);                                     \
  const float fy = y_ - static_cast<float>(yi_);                                     \
  const int i = yi_ * (n) + xi_

// r[b] = bilinear sample of f at grid point b (times att[b] when given), b in [first, last).
LUMO_HOT void gatherPlane(const float* __restrict f, int n, PlaneLine l, int first, int last,
                          const float* __restrict att, float* __restrict r) {
  const float hi = static_cast<float>(n - 2);
  if (att) {
    for (int b = first; b < last; ++b) {
      LUMO_SAMPLE(l, b, n, hi, i, fx, fy);
      const float top = f[i] + fx * (f[i + 1] - f[i]);
      const float bottom = f[i + n] + fx * (f[i + n + 1] - f[i + n]);
      r[b] = (top + fy * (bottom - top)) * att[b];
    }
  } else {
    for (int b = first; b < last; ++b) {
      LUMO_SAMPLE(l, b, n, hi, i, fx, fy);
      const float top = f[i] + fx * (f[i + 1] - f[i]);
      const float bottom = f[i + n] + fx * (f[i + n + 1] - f[i + n]);
      r[b] = top + fy * (bottom - top);
    }
  }
}

// The transpose of gatherPlane: f += the bilinear weights of each grid point times v[b], where
// v = r . att (att given) or r. idx and w are scratch of n and 4 n entries.
LUMO_HOT void scatterPlane(float* __restrict f, int n, PlaneLine l, int first, int last,
                           const float* __restrict att, const float* __restrict r, int* __restrict idx,
                           float* __restrict w) {
  const float hi = static_cast<float>(n - 2);
  float* __restrict w0 = w;
  float* __restrict w1 = w + n;
  float* __restrict w2 = w + 2 * n;
  float* __restrict w3 = w + 3 * n;
  // Indices and the four weights first (vectorised), the scattering after.
  for (int b = first; b < last; ++b) {
    LUMO_SAMPLE(l, b, n, hi, i, fx, fy);
    const float v = att ? r[b] * att[b] : r[b];
    const float a = v * (1.0f - fy), c = v * fy;
    idx[b] = i;
    w0[b] = a * (1.0f - fx);
    w1[b] = a * fx;
    w2[b] = c * (1.0f - fx);
    w3[b] = c * fx;
  }
  // One corner at a time and every other point: neighbouring grid points (one pixel apart) may
  // share a corner pixel, points two apart never do, so no addition waits for the one before.
  const float* ws[4] = {w0, w1, w2, w3};
  const int offset[4] = {0, 1, n, n + 1};
  for (int c = 0; c < 4; ++c) {
    const float* wc = ws[c];
    float* fc = f + offset[c];
    for (int start = first; start < first + 2; ++start)
      for (int b = start; b < last; b += 2) fc[idx[b]] += wc[b];
  }
}

// acc[b + t] += k[t + h] * r[b] for every tap t (the spread of one plane onto the detector).
LUMO_HOT void spreadPlane(const float* __restrict r, int first, int last, const float* __restrict k, int h,
                          float* __restrict acc) {
  for (int t = -h; t <= h; ++t) {
    const float w = k[t + h];
    float* dst = acc + t;
    for (int b = first; b < last; ++b) dst[b] += w * r[b];
  }
}

// r[b] = sum_t k[t + h] * y[b + t]: the transpose of spreadPlane.
LUMO_HOT void collectPlane(const float* __restrict y, int first, int last, const float* __restrict k, int h,
                           float* __restrict r) {
  for (int b = first; b < last; ++b) r[b] = 0.0f;
  for (int t = -h; t <= h; ++t) {
    const float w = k[t + h];
    const float* src = y + t;
    for (int b = first; b < last; ++b) r[b] += w * src[b];
  }
}

LUMO_HOT void addPlane(const float* __restrict r, int first, int last, float* __restrict acc) {
  for (int b = first; b < last; ++b) acc[b] += r[b];
}

// Per-thread index scratch of the back-projector.
std::vector<int>& idx_scratch() {
  thread_local std::vector<int> idx;
  return idx;
}

// Bin-integrated Gaussian of standard deviation sigma (pixels), normalised to sum 1.
std::vector<float> gaussianKernel(double sigma) {
  if (!(sigma > 0.05)) return {1.0f};
  const int h = std::max(1, static_cast<int>(std::ceil(3.0 * sigma)));
  std::vector<double> w(sz(2 * h + 1));
  double sum = 0;
  const double k = 1.0 / (sigma * std::numbers::sqrt2);
  for (int t = -h; t <= h; ++t) {
    const double v = 0.5 * (std::erf((t + 0.5) * k) - std::erf((t - 0.5) * k));
    w[sz(t + h)] = v;
    sum += v;
  }
  std::vector<float> out(w.size());
  for (std::size_t i = 0; i < w.size(); ++i) out[i] = static_cast<float>(w[i] / sum);
  return out;
}

// Views [first, last) of lane `lane` among `lanes` equal chunks of `count` items.
std::pair<int, int> chunk(int lane, int lanes, int count) {
  const long long a = static_cast<long long>(count) * lane / lanes;
  const long long b = static_cast<long long>(count) * (lane + 1) / lanes;
  return {static_cast<int>(a), static_cast<int>(b)};
}

}  // namespace

ProjectionGeometry ProjectionGeometry::of(const Sinogram& s) {
  ProjectionGeometry g;
  g.n = s.bins;
  g.pixelMm = s.binMm;
  g.views = s.views;
  g.startDeg = s.startDeg;
  g.stepDeg = s.stepDeg;
  g.radiusCm = s.radiusCm;
  return g;
}

Sinogram ProjectionGeometry::blankSinogram() const {
  Sinogram s;
  s.views = views;
  s.bins = n;
  s.binMm = pixelMm;
  s.startDeg = startDeg;
  s.stepDeg = stepDeg;
  s.radiusCm = radiusCm;
  s.counts.assign(sz(static_cast<long long>(views) * n), 0.0f);
  return s;
}

Projector::Projector(const ProjectionGeometry& g, const Image* mu, Collimator collimator) : g_(g) {
  const int n = g_.n;
  const double c = (n - 1) / 2.0;
  cos_.resize(sz(g_.views));
  sin_.resize(sz(g_.views));
  for (int v = 0; v < g_.views; ++v) {
    const double a = (g_.startDeg + v * g_.stepDeg) * std::numbers::pi / 180.0;
    cos_[sz(v)] = std::cos(a);
    sin_[sz(v)] = std::sin(a);
  }
  span_.resize(sz(n));
  for (int j = 0; j < n; ++j) {
    const double s = c - j;
    const double w = std::sqrt(std::max(0.0, c * c - s * s));
    const int first = std::max(0, static_cast<int>(std::ceil(c - w - 1e-9)));
    const int last = std::min(n, static_cast<int>(std::floor(c + w + 1e-9)) + 1);
    span_[sz(j)] = {first, std::max(first, last)};
  }
  kernels_.resize(sz(n));
  blur_ = collimator != Collimator::None;
  for (int j = 0; j < n; ++j) {
    if (!blur_) {
      kernels_[sz(j)] = {1.0f};
      continue;
    }
    const double distanceMm = g_.radiusCm * 10.0 - (c - j) * g_.pixelMm;
    const double sigmaPx = collimatorFwhmMm(collimator, distanceMm) / (2.0 * std::sqrt(2.0 * std::numbers::ln2)) / g_.pixelMm;
    kernels_[sz(j)] = gaussianKernel(sigmaPx);
    pad_ = std::max(pad_, static_cast<int>(kernels_[sz(j)].size() / 2));
  }

  if (mu && mu->n == n && mu->px.size() == sz(static_cast<long long>(n) * n)) {
    att_.assign(sz(static_cast<long long>(g_.views) * n * n), 1.0f);
    const float pixelCm = static_cast<float>(g_.pixelMm / 10.0);
    const float* m = mu->px.data();
    const int lanes = parallelLanes();
    parallelFor(lanes, [&](int lane) {
      const auto [first, last] = chunk(lane, lanes, g_.views);
      std::vector<float> cum(sz(n)), here(sz(n));
      for (int v = first; v < last; ++v) {
        std::fill(cum.begin(), cum.end(), 0.0f);
        float* a = att_.data() + sz(static_cast<long long>(v) * n * n);
        for (int j = 0; j < n; ++j) {
          const PlaneLine l = planeLine(n, cos_[sz(v)], sin_[sz(v)], j);
          const int b0 = span_[sz(j)].first, b1 = span_[sz(j)].second;
          gatherPlane(m, n, l, b0, b1, nullptr, here.data());
          for (int b = b0; b < b1; ++b) {
            a[sz(j) * sz(n) + sz(b)] = std::exp(-(cum[sz(b)] + 0.5f * here[sz(b)]) * pixelCm);
            cum[sz(b)] += here[sz(b)];
          }
        }
      }
    });
  }
}

float Projector::attenuationFactor(int v, int b, int j) const {
  if (att_.empty()) return 1.0f;
  const int n = g_.n;
  return att_[sz((static_cast<long long>(v) * n + j) * n + b)];
}

void Projector::forwardView(int v, const float* image, float* out, std::vector<float>& work) const {
  const int n = g_.n, pad = pad_, width = n + 2 * pad;
  work.assign(sz(2 * width), 0.0f);
  float* acc = work.data() + pad;          // the projection, padded by the kernels' reach
  float* row = work.data() + width + pad;  // one plane, attenuated
  const float* att = att_.empty() ? nullptr : att_.data() + sz(static_cast<long long>(v) * n * n);
  for (int j = 0; j < n; ++j) {
    const int first = span_[sz(j)].first, last = span_[sz(j)].second;
    if (first >= last) continue;
    const PlaneLine l = planeLine(n, cos_[sz(v)], sin_[sz(v)], j);
    gatherPlane(image, n, l, first, last, att ? att + sz(j) * sz(n) : nullptr, row);
    const std::vector<float>& k = kernels_[sz(j)];
    if (k.size() == 1)
      addPlane(row, first, last, acc);
    else
      spreadPlane(row, first, last, k.data(), static_cast<int>(k.size() / 2), acc);
  }
  std::copy(acc, acc + n, out);
}

void Projector::attenuatedPlanes(int v, const float* image, float* planes) const {
  const int n = g_.n;
  std::fill(planes, planes + sz(static_cast<long long>(n) * n), 0.0f);
  const float* att = att_.empty() ? nullptr : att_.data() + sz(static_cast<long long>(v) * n * n);
  for (int j = 0; j < n; ++j) {
    const int first = span_[sz(j)].first, last = span_[sz(j)].second;
    if (first >= last) continue;
    const PlaneLine l = planeLine(n, cos_[sz(v)], sin_[sz(v)], j);
    gatherPlane(image, n, l, first, last, att ? att + sz(j) * sz(n) : nullptr, planes + sz(j) * sz(n));
  }
}

void Projector::backView(int v, const float* proj, float* image, std::vector<float>& work) const {
  const int n = g_.n, pad = pad_, width = n + 2 * pad;
  work.assign(sz(2 * width + 4 * n), 0.0f);
  float* y = work.data() + pad;            // the projection, zero beyond the detector
  float* row = work.data() + width + pad;  // one plane
  float* weights = work.data() + 2 * width;
  std::vector<int>& idx = idx_scratch();
  idx.resize(sz(n));
  std::copy(proj, proj + n, y);
  const float* att = att_.empty() ? nullptr : att_.data() + sz(static_cast<long long>(v) * n * n);
  for (int j = 0; j < n; ++j) {
    const int first = span_[sz(j)].first, last = span_[sz(j)].second;
    if (first >= last) continue;
    const PlaneLine l = planeLine(n, cos_[sz(v)], sin_[sz(v)], j);
    const std::vector<float>& k = kernels_[sz(j)];
    const float* src = y;
    if (k.size() > 1) {
      collectPlane(y, first, last, k.data(), static_cast<int>(k.size() / 2), row);
      src = row;
    }
    scatterPlane(image, n, l, first, last, att ? att + sz(j) * sz(n) : nullptr, src, idx.data(), weights);
  }
}

void Projector::forward(const float* image, float* sino, std::span<const int> views) const {
  std::vector<int> all;
  if (views.empty()) {
    all.resize(sz(g_.views));
    for (int v = 0; v < g_.views; ++v) all[sz(v)] = v;
    views = all;
  }
  const int n = g_.n;
  const int count = static_cast<int>(views.size());
  const int lanes = std::min(parallelLanes(), count);
  parallelFor(lanes, [&](int lane) {
    std::vector<float> work;
    const auto [first, last] = chunk(lane, lanes, count);
    for (int i = first; i < last; ++i) {
      const int v = views[sz(i)];
      forwardView(v, image, sino + sz(static_cast<long long>(v) * n), work);
    }
  });
}

void Projector::back(const float* sino, float* image, std::span<const int> views) const {
  std::vector<int> all;
  if (views.empty()) {
    all.resize(sz(g_.views));
    for (int v = 0; v < g_.views; ++v) all[sz(v)] = v;
    views = all;
  }
  const int n = g_.n;
  const std::size_t pixels = sz(static_cast<long long>(n) * n);
  const int count = static_cast<int>(views.size());
  const int lanes = std::max(1, std::min(parallelLanes(), count));
  // Lane 0 adds into the image itself, the others into their own sheets, summed in lane order.
  std::vector<std::vector<float>> sheets(sz(lanes - 1));
  std::fill(image, image + pixels, 0.0f);
  parallelFor(lanes, [&](int lane) {
    float* dst = image;
    if (lane > 0) {
      sheets[sz(lane - 1)].assign(pixels, 0.0f);
      dst = sheets[sz(lane - 1)].data();
    }
    std::vector<float> work;
    const auto [first, last] = chunk(lane, lanes, count);
    for (int i = first; i < last; ++i) {
      const int v = views[sz(i)];
      backView(v, sino + sz(static_cast<long long>(v) * n), dst, work);
    }
  });
  for (const auto& s : sheets)
    for (std::size_t i = 0; i < pixels; ++i) image[i] += s[i];
}

Sinogram Projector::project(const Image& slice) const {
  Sinogram s = g_.blankSinogram();
  if (slice.n == g_.n && slice.px.size() == sz(static_cast<long long>(g_.n) * g_.n)) forward(slice.px.data(), s.counts.data());
  return s;
}

}  // namespace lumo::tomo
