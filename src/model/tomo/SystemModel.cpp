// ybar = A x + s, A = sum over views v of C_v T_v R_v: rotate, attenuate, collimate (blur and sum).
#include "model/tomo/SystemModel.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <numbers>
#include <stdexcept>

#include "model/tomo/Collimator.h"
#include "model/tomo/Parallel.h"
#include "model/tomo/Simd.h"

namespace lumo::tomo {

namespace {

std::size_t sz(long long v) { return static_cast<std::size_t>(v); }

// e^x for x <= 0, to a relative error of about 1e-7: e^x = 2^i e^f with i = the integer part of
// x / ln 2 and f = x - i ln 2 in (-ln 2, ln 2), e^f by its Taylor series to the ninth power.
// Written without branches so that the attenuation loops vectorise.
inline float expNonPositive(float x) {
  x = std::max(x, -87.0f);
  const int i = static_cast<int>(x * 1.44269504088896341f);
  const float fi = static_cast<float>(i);
  const float f = (x - fi * 0.693145751953125f) - fi * 1.42860682030941723212e-6f;
  float p = 1.0f / 362880.0f;
  p = p * f + 1.0f / 40320.0f;
  p = p * f + 1.0f / 5040.0f;
  p = p * f + 1.0f / 720.0f;
  p = p * f + 1.0f / 120.0f;
  p = p * f + 1.0f / 24.0f;
  p = p * f + 1.0f / 6.0f;
  p = p * f + 0.5f;
  p = p * f + 1.0f;
  p = p * f + 1.0f;
  const float scale = std::bit_cast<float>(static_cast<std::uint32_t>(i + 127) << 23);
  return p * scale;
}

// The frame's plane of grid points at bins [first, last): frame[b * K + k] = bilinear sample of
// slice k of u (z-fastest) at (x0 + b dx, y0 + b dy). Grid points lie inside the field's circle,
// so clamping the upper-left corner to n - 2 keeps all four neighbours inside the slice.
LUMO_HOT void rotatePlane(const float* __restrict u, int n, int K, float x0, float y0, float dx, float dy, int first,
                          int last, float* __restrict plane) {
  const float hi = static_cast<float>(n - 2);
  if (K == 1) {
    // One slice: the same bilinear sample, vectorised along the bins instead.
    for (int b = first; b < last; ++b) {
      const float x = x0 + static_cast<float>(b) * dx, y = y0 + static_cast<float>(b) * dy;
      const int xi = static_cast<int>(std::min(std::max(x, 0.0f), hi));
      const int yi = static_cast<int>(std::min(std::max(y, 0.0f), hi));
      const float fx = x - static_cast<float>(xi), fy = y - static_cast<float>(yi);
      const int i = yi * n + xi;
      const float top = u[i] + fx * (u[i + 1] - u[i]);
      const float bottom = u[i + n] + fx * (u[i + n + 1] - u[i + n]);
      plane[b] = top + fy * (bottom - top);
    }
    return;
  }
  for (int b = first; b < last; ++b) {
    const float x = x0 + static_cast<float>(b) * dx, y = y0 + static_cast<float>(b) * dy;
    const int xi = static_cast<int>(std::min(std::max(x, 0.0f), hi));
    const int yi = static_cast<int>(std::min(std::max(y, 0.0f), hi));
    const float fx = x - static_cast<float>(xi), fy = y - static_cast<float>(yi);
    const float w0 = (1.0f - fx) * (1.0f - fy), w1 = fx * (1.0f - fy), w2 = (1.0f - fx) * fy, w3 = fx * fy;
    const std::size_t i = (static_cast<std::size_t>(yi) * static_cast<std::size_t>(n) + static_cast<std::size_t>(xi)) *
                          static_cast<std::size_t>(K);
    const std::size_t row = static_cast<std::size_t>(n) * static_cast<std::size_t>(K);
    const float* __restrict a = u + i;
    const float* __restrict c = u + i + row;
    float* __restrict dst = plane + static_cast<std::size_t>(b) * static_cast<std::size_t>(K);
    for (int k = 0; k < K; ++k) dst[k] = w0 * a[k] + w1 * a[k + K] + w2 * c[k] + w3 * c[k + K];
  }
}

// The transpose of rotatePlane for one slice: indices and weights first (vectorised), then the
// scattering one corner at a time and every other point: neighbouring grid points (one voxel
// apart) may share a corner, points two apart never do, so no addition waits for the one before.
// idx and w are scratch of n and 4 n entries.
LUMO_HOT void unrotateLine(const float* __restrict r, int n, float x0, float y0, float dx, float dy, int first, int last,
                           float* __restrict u, int* __restrict idx, float* __restrict w) {
  const float hi = static_cast<float>(n - 2);
  float* __restrict w0 = w;
  float* __restrict w1 = w + n;
  float* __restrict w2 = w + 2 * n;
  float* __restrict w3 = w + 3 * n;
  for (int b = first; b < last; ++b) {
    const float x = x0 + static_cast<float>(b) * dx, y = y0 + static_cast<float>(b) * dy;
    const int xi = static_cast<int>(std::min(std::max(x, 0.0f), hi));
    const int yi = static_cast<int>(std::min(std::max(y, 0.0f), hi));
    const float fx = x - static_cast<float>(xi), fy = y - static_cast<float>(yi);
    const float a = r[b] * (1.0f - fy), c = r[b] * fy;
    idx[b] = yi * n + xi;
    w0[b] = a * (1.0f - fx);
    w1[b] = a * fx;
    w2[b] = c * (1.0f - fx);
    w3[b] = c * fx;
  }
  const float* ws[4] = {w0, w1, w2, w3};
  const int offset[4] = {0, 1, n, n + 1};
  for (int c = 0; c < 4; ++c) {
    const float* wc = ws[c];
    float* uc = u + offset[c];
    for (int start = first; start < first + 2; ++start)
      for (int b = start; b < last; b += 2) uc[idx[b]] += wc[b];
  }
}

// The transpose of rotatePlane: u += the bilinear weights of each grid point times the frame.
LUMO_HOT void unrotatePlane(const float* __restrict plane, int n, int K, float x0, float y0, float dx, float dy,
                            int first, int last, float* __restrict u) {
  const float hi = static_cast<float>(n - 2);
  for (int b = first; b < last; ++b) {
    const float x = x0 + static_cast<float>(b) * dx, y = y0 + static_cast<float>(b) * dy;
    const int xi = static_cast<int>(std::min(std::max(x, 0.0f), hi));
    const int yi = static_cast<int>(std::min(std::max(y, 0.0f), hi));
    const float fx = x - static_cast<float>(xi), fy = y - static_cast<float>(yi);
    const float w0 = (1.0f - fx) * (1.0f - fy), w1 = fx * (1.0f - fy), w2 = (1.0f - fx) * fy, w3 = fx * fy;
    const std::size_t i = (static_cast<std::size_t>(yi) * static_cast<std::size_t>(n) + static_cast<std::size_t>(xi)) *
                          static_cast<std::size_t>(K);
    const std::size_t row = static_cast<std::size_t>(n) * static_cast<std::size_t>(K);
    float* __restrict a = u + i;
    float* __restrict c = u + i + row;
    const float* __restrict src = plane + static_cast<std::size_t>(b) * static_cast<std::size_t>(K);
    if (K == 1) {
      const float s = src[0];
      a[0] += w0 * s;
      a[1] += w1 * s;
      c[0] += w2 * s;
      c[1] += w3 * s;
      continue;
    }
    for (int k = 0; k < K; ++k) {
      const float s = src[k];
      a[k] += w0 * s;
      c[k] += w2 * s;
    }
    for (int k = 0; k < K; ++k) {
      const float s = src[k];
      a[k + K] += w1 * s;
      c[k + K] += w3 * s;
    }
  }
}

// factors[i] = e^-(cum[i] + mu[i] / 2) cm, cum[i] += mu[i], over one plane.
// integrals[i] = (cum[i] + mu[i] / 2) cm, cum[i] += mu[i], over one plane: the attenuation
// length from the plane to the detector.
LUMO_HOT void attenuationLengthPlane(float* __restrict plane, float* __restrict cum, std::size_t count, float cm) {
  for (std::size_t i = 0; i < count; ++i) {
    const float m = plane[i];
    plane[i] = (cum[i] + 0.5f * m) * cm;
    cum[i] += m;
  }
}

LUMO_HOT void attenuationPlane(float* __restrict plane, float* __restrict cum, std::size_t count, float cm) {
  for (std::size_t i = 0; i < count; ++i) {
    const float m = plane[i];
    plane[i] = expNonPositive(-(cum[i] + 0.5f * m) * cm);
    cum[i] += m;
  }
}

LUMO_HOT void multiply(float* __restrict a, const float* __restrict b, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) a[i] *= b[i];
}

// acc += plane e^-l l: the plane's attenuated photons weighted by the attenuation length l they crossed.
LUMO_HOT void addBuildup(const float* __restrict plane, const float* __restrict lengths, std::size_t count,
                         float* __restrict acc) {
  for (std::size_t i = 0; i < count; ++i) acc[i] += plane[i] * expNonPositive(-lengths[i]) * lengths[i];
}

LUMO_HOT void addTo(float* __restrict acc, const float* __restrict x, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) acc[i] += x[i];
}

// acc = [a, 1 - 2a, a] along the bins (stride K) of the n x K image held in tmp, zero beyond.
LUMO_HOT void threeTapBins(const float* __restrict tmp, int n, int K, float a, float* __restrict acc) {
  const std::size_t total = static_cast<std::size_t>(n) * static_cast<std::size_t>(K), k = static_cast<std::size_t>(K);
  const float centre = 1.0f - 2.0f * a;
  if (n == 1) {
    for (std::size_t i = 0; i < total; ++i) acc[i] = centre * tmp[i];
    return;
  }
  for (std::size_t i = 0; i < k; ++i) acc[i] = centre * tmp[i] + a * tmp[i + k];
  for (std::size_t i = k; i + k < total; ++i) acc[i] = centre * tmp[i] + a * (tmp[i - k] + tmp[i + k]);
  for (std::size_t i = total - k; i < total; ++i) acc[i] = centre * tmp[i] + a * tmp[i - k];
}

// acc = [a, 1 - 2a, a] along the rows (contiguous, K >= 2) of each bin, zero beyond.
LUMO_HOT void threeTapRows(const float* __restrict tmp, int n, int K, float a, float* __restrict acc) {
  const float centre = 1.0f - 2.0f * a;
  for (int b = 0; b < n; ++b) {
    const float* __restrict t = tmp + static_cast<std::size_t>(b) * static_cast<std::size_t>(K);
    float* __restrict o = acc + static_cast<std::size_t>(b) * static_cast<std::size_t>(K);
    o[0] = centre * t[0] + a * t[1];
    for (int k = 1; k + 1 < K; ++k) o[k] = centre * t[k] + a * (t[k - 1] + t[k + 1]);
    o[K - 1] = centre * t[K - 1] + a * t[K - 2];
  }
}

// acc = kernel along the bins (stride K) of tmp, zero beyond.
LUMO_HOT void kernelBins(const float* __restrict tmp, int n, int K, const float* __restrict w, int h, float* __restrict acc) {
  const std::size_t k = static_cast<std::size_t>(K);
  std::fill(acc, acc + static_cast<std::size_t>(n) * k, 0.0f);
  for (int t = -h; t <= h; ++t) {
    const int lo = std::max(0, -t), hi = std::min(n, n - t);
    if (lo >= hi) continue;
    const float wt = w[t + h];
    float* __restrict dst = acc + static_cast<std::size_t>(lo) * k;
    const float* __restrict src = tmp + static_cast<std::size_t>(lo + t) * k;
    const std::size_t count = static_cast<std::size_t>(hi - lo) * k;
    for (std::size_t i = 0; i < count; ++i) dst[i] += wt * src[i];
  }
}

// acc = kernel along the rows (contiguous) of each bin of tmp, zero beyond.
LUMO_HOT void kernelRows(const float* __restrict tmp, int n, int K, const float* __restrict w, int h, float* __restrict acc) {
  std::fill(acc, acc + static_cast<std::size_t>(n) * static_cast<std::size_t>(K), 0.0f);
  for (int b = 0; b < n; ++b) {
    const float* __restrict src = tmp + static_cast<std::size_t>(b) * static_cast<std::size_t>(K);
    float* __restrict dst = acc + static_cast<std::size_t>(b) * static_cast<std::size_t>(K);
    for (int t = -h; t <= h; ++t) {
      const int lo = std::max(0, -t), hi = std::min(K, K - t);
      const float wt = w[t + h];
      for (int k = lo; k < hi; ++k) dst[k] += wt * src[k + t];
    }
  }
}

// Bin-integrated Gaussian of standard deviation sigma (in samples), normalised to sum 1.
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

// The bins of each depth plane inside the field: a plane is a row of the turned grid.
std::vector<std::pair<int, int>> fieldSpans(int n) {
  std::vector<std::pair<int, int>> span(sz(n));
  for (int j = 0; j < n; ++j) span[sz(j)] = fieldColumns(n, j);
  return span;
}

constexpr double kFwhmToSigma = 1.0 / 2.3548200450309493;  // 1 / (2 sqrt(2 ln 2))

}  // namespace

void requireMapFits(const Volume& mu, const ProjectionGeometry& g) {
  if (mu.n == g.bins && mu.slices == g.rows && mu.v.size() == mu.size()) return;
  throw std::invalid_argument("the attenuation map is " + std::to_string(mu.n) + " x " + std::to_string(mu.n) + " x " +
                              std::to_string(mu.slices) + ", the projections need " + std::to_string(g.bins) + " x " +
                              std::to_string(g.bins) + " x " + std::to_string(g.rows));
}

void toZFastest(const Volume& v, float* u) {
  const std::size_t plane = v.sliceSize(), K = static_cast<std::size_t>(v.slices);
  for (std::size_t k = 0; k < K; ++k) {
    const float* s = v.v.data() + k * plane;
    for (std::size_t i = 0; i < plane; ++i) u[i * K + k] = s[i];
  }
}

void fromZFastest(const float* u, Volume& v) {
  const std::size_t plane = v.sliceSize(), K = static_cast<std::size_t>(v.slices);
  for (std::size_t k = 0; k < K; ++k) {
    float* s = v.v.data() + k * plane;
    for (std::size_t i = 0; i < plane; ++i) s[i] = u[i * K + k];
  }
}

// ---- Rotate ---------------------------------------------------------------------------------

RotateStep::RotateStep(const ModelGrid& g, const ProjectionGeometry& geometry) : g_(g), span_(fieldSpans(g.n)) {
  for (int v = 0; v < geometry.views; ++v) {
    const double a = geometry.angleRad(v);
    cos_.push_back(std::cos(a));
    sin_.push_back(std::sin(a));
  }
}

namespace {
// The grid line of plane j at view (cos a, sin a): x = c + t cos a - s sin a, y = c - (t sin a + s cos a),
// t = b - c, s = c - j (the depth toward the detector, in voxels).
struct Line {
  float x0, y0, dx, dy;
};
Line planeLine(int n, double ca, double sa, int j) {
  const double c = (n - 1) / 2.0, s = c - j;
  return {static_cast<float>(c - c * ca - s * sa), static_cast<float>(c - (-c * sa + s * ca)), static_cast<float>(ca),
          static_cast<float>(-sa)};
}
}  // namespace

void RotateStep::forward(int v, const float* u, float* frame) const {
  const int n = g_.n, K = g_.slices;
  const std::size_t planeSize = sz(static_cast<long long>(n) * K);
  for (int j = 0; j < n; ++j) {
    float* plane = frame + sz(j) * planeSize;
    const auto [first, last] = span_[sz(j)];
    std::fill(plane, plane + sz(static_cast<long long>(first) * K), 0.0f);
    std::fill(plane + sz(static_cast<long long>(last) * K), plane + planeSize, 0.0f);
    const Line l = planeLine(n, cos_[sz(v)], sin_[sz(v)], j);
    rotatePlane(u, n, K, l.x0, l.y0, l.dx, l.dy, first, last, plane);
  }
}

void RotateStep::adjoint(int v, const float* frame, float* u) const {
  const int n = g_.n, K = g_.slices;
  const std::size_t planeSize = sz(static_cast<long long>(n) * K);
  thread_local std::vector<int> idx;
  thread_local std::vector<float> weights;
  if (K == 1) {
    idx.resize(sz(n));
    weights.resize(sz(4 * n));
  }
  for (int j = 0; j < n; ++j) {
    const auto [first, last] = span_[sz(j)];
    const Line l = planeLine(n, cos_[sz(v)], sin_[sz(v)], j);
    if (K == 1) {
      unrotateLine(frame + sz(j) * planeSize, n, l.x0, l.y0, l.dx, l.dy, first, last, u, idx.data(), weights.data());
      continue;
    }
    unrotatePlane(frame + sz(j) * planeSize, n, K, l.x0, l.y0, l.dx, l.dy, first, last, u);
  }
}

// ---- Attenuate ------------------------------------------------------------------------------

AttenuateStep::AttenuateStep(const ModelGrid& g, const RotateStep& rotate, std::vector<float> muZ, double voxelMm, int views)
    : g_(g), rotate_(rotate), mu_(std::move(muZ)), voxelCm_(voxelMm / 10.0) {
  const std::size_t frame = g_.frameSize();
  if (frame * sz(views) * sizeof(float) > kAttenuationCacheBytes) return;
  cache_.resize(frame * sz(views));
  const int lanes = std::max(1, std::min(parallelLanes(), views));
  parallelFor(lanes, [&](int lane) {
    const auto [first, last] = chunk(lane, lanes, views);
    for (int v = first; v < last; ++v) factorsOf(v, cache_.data() + sz(v) * frame);
  });
}

void AttenuateStep::lengthsOf(int v, float* out) const {
  const int n = g_.n;
  const std::size_t planeSize = sz(static_cast<long long>(n) * g_.slices);
  rotate_.forward(v, mu_.data(), out);
  thread_local std::vector<float> cum;
  cum.assign(planeSize, 0.0f);
  const float cm = static_cast<float>(voxelCm_);
  for (int j = 0; j < n; ++j) attenuationLengthPlane(out + sz(j) * planeSize, cum.data(), planeSize, cm);
}

void AttenuateStep::factorsOf(int v, float* out) const {
  const int n = g_.n;
  const std::size_t planeSize = sz(static_cast<long long>(n) * g_.slices);
  rotate_.forward(v, mu_.data(), out);
  thread_local std::vector<float> cum;
  cum.assign(planeSize, 0.0f);
  const float cm = static_cast<float>(voxelCm_);
  for (int j = 0; j < n; ++j) attenuationPlane(out + sz(j) * planeSize, cum.data(), planeSize, cm);
}

const float* AttenuateStep::factors(int v, std::vector<float>& scratch) const {
  const std::size_t size = g_.frameSize();
  if (!cache_.empty()) return cache_.data() + sz(v) * size;
  scratch.resize(size);
  factorsOf(v, scratch.data());
  return scratch.data();
}

void AttenuateStep::apply(int v, float* frame, std::vector<float>& scratch) const {
  multiply(frame, factors(v, scratch), g_.frameSize());
}

// ---- Collimate ------------------------------------------------------------------------------

CollimateStep::CollimateStep(const ModelGrid& g, const ProjectionGeometry& geometry, Collimator collimator)
    : g_(g), blur_(collimator != Collimator::None), blurRows_(collimator != Collimator::None && g.slices > 1) {
  if (!blur_) return;
  const int n = g_.n;
  const double c = (n - 1) / 2.0;
  std::map<double, std::size_t> byRadius;
  std::vector<std::size_t> index;
  for (int v = 0; v < geometry.views; ++v) {
    const double radius = geometry.radius(v);
    auto it = byRadius.find(radius);
    if (it != byRadius.end()) {
      schedules_.push_back(schedules_[it->second]);
      continue;
    }
    byRadius[radius] = schedules_.size();
    Schedule s;
    std::vector<double> variance(sz(n));
    for (int j = 0; j < n; ++j) {
      const double distance = radius - (c - j) * geometry.binMm;
      const double sigma = collimatorFwhmMm(collimator, distance) * kFwhmToSigma;
      variance[sz(j)] = sigma * sigma;
    }
    s.nearBins = gaussianKernel(std::sqrt(variance[0]) / geometry.binMm);
    s.nearRows = blurRows_ ? gaussianKernel(std::sqrt(variance[0]) / geometry.rowMm) : std::vector<float>{1.0f};
    s.stepBins.assign(sz(n), 0.0f);
    s.stepRows.assign(sz(n), 0.0f);
    s.repeats.assign(sz(n), 0);
    for (int j = 0; j + 1 < n; ++j) {
      const double dv = std::max(0.0, variance[sz(j + 1)] - variance[sz(j)]);
      const double ab = dv / (geometry.binMm * geometry.binMm) / 2.0;
      const double ar = blurRows_ ? dv / (geometry.rowMm * geometry.rowMm) / 2.0 : 0.0;
      if (!(ab > 0) && !(ar > 0)) continue;
      const int m = std::max(1, static_cast<int>(std::ceil(std::max(ab, ar) / 0.25)));
      s.repeats[sz(j)] = m;
      s.stepBins[sz(j)] = static_cast<float>(ab / m);
      s.stepRows[sz(j)] = static_cast<float>(ar / m);
    }
    schedules_.push_back(std::move(s));
  }
}

const CollimateStep::Schedule& CollimateStep::schedule(int v) const { return schedules_[sz(v)]; }

void CollimateStep::increment(float* acc, int j, const Schedule& s, std::vector<float>& tmp) const {
  const int n = g_.n, K = g_.slices;
  const std::size_t size = g_.imageSize();
  for (int r = 0; r < s.repeats[sz(j)]; ++r) {
    std::copy(acc, acc + size, tmp.data());
    threeTapBins(tmp.data(), n, K, s.stepBins[sz(j)], acc);
    if (blurRows_) {
      std::copy(acc, acc + size, tmp.data());
      threeTapRows(tmp.data(), n, K, s.stepRows[sz(j)], acc);
    }
  }
}

void CollimateStep::nearBlur(float* acc, const Schedule& s, std::vector<float>& tmp) const {
  const int n = g_.n, K = g_.slices;
  const std::size_t size = g_.imageSize();
  if (s.nearBins.size() > 1) {
    std::copy(acc, acc + size, tmp.data());
    kernelBins(tmp.data(), n, K, s.nearBins.data(), static_cast<int>(s.nearBins.size() / 2), acc);
  }
  if (blurRows_ && s.nearRows.size() > 1) {
    std::copy(acc, acc + size, tmp.data());
    kernelRows(tmp.data(), n, K, s.nearRows.data(), static_cast<int>(s.nearRows.size() / 2), acc);
  }
}

void CollimateStep::forward(int v, float* frame, float* image) const {
  const int n = g_.n;
  const std::size_t size = g_.imageSize();
  std::fill(image, image + size, 0.0f);
  if (!blur_) {
    for (int j = 0; j < n; ++j) addTo(image, frame + sz(j) * size, size);
    return;
  }
  thread_local std::vector<float> tmp;
  tmp.resize(size);
  const Schedule& s = schedules_[sz(v)];
  for (int j = n - 1; j >= 0; --j) {
    if (j + 1 < n) increment(image, j, s, tmp);
    addTo(image, frame + sz(j) * size, size);
  }
  nearBlur(image, s, tmp);
}

void CollimateStep::adjoint(int v, const float* image, float* frame) const {
  const int n = g_.n;
  const std::size_t size = g_.imageSize();
  if (!blur_) {
    for (int j = 0; j < n; ++j) std::copy(image, image + size, frame + sz(j) * size);
    return;
  }
  thread_local std::vector<float> tmp, acc;
  tmp.resize(size);
  acc.assign(image, image + size);
  const Schedule& s = schedules_[sz(v)];
  nearBlur(acc.data(), s, tmp);
  for (int j = 0; j < n; ++j) {
    std::copy(acc.begin(), acc.end(), frame + sz(j) * size);
    if (j + 1 < n) increment(acc.data(), j, s, tmp);
  }
}

// ---- The model ------------------------------------------------------------------------------

SystemModel::SystemModel(const ProjectionGeometry& g, int n, double voxelMm, const Volume* mu, Collimator collimator)
    : geometry_(g), voxelMm_(voxelMm) {
  if (!g.valid()) throw std::invalid_argument("the projection geometry is incomplete or not finite");
  if (n < 2 || g.bins != n) throw std::invalid_argument("the projections' bins do not match the volume's matrix");
  if (!(voxelMm > 0)) throw std::invalid_argument("the voxel size must be positive");
  grid_ = {n, g.rows};
  rotate_ = std::make_unique<RotateStep>(grid_, g);
  if (mu) {
    requireMapFits(*mu, g);
    const bool any = std::any_of(mu->v.begin(), mu->v.end(), [](float m) { return m != 0.0f; });
    if (any) {
      std::vector<float> muZ(grid_.volumeSize());
      toZFastest(*mu, muZ.data());
      attenuate_ = std::make_unique<AttenuateStep>(grid_, *rotate_, std::move(muZ), voxelMm, g.views);
    }
  }
  collimate_ = std::make_unique<CollimateStep>(grid_, g, collimator);
}

SystemModel::~SystemModel() = default;

std::vector<int> SystemModel::allViews(std::span<const int> views) const {
  std::vector<int> out;
  if (views.empty()) {
    for (int v = 0; v < geometry_.views; ++v) out.push_back(v);
  } else {
    for (int v : views) {
      if (v < 0 || v >= geometry_.views) throw std::out_of_range("no such view");
      out.push_back(v);
    }
  }
  return out;
}

namespace {
// A view's detector image as the steps hold it, image[b * K + k], and as projections store it,
// projection[k * n + b].
void toDetector(const float* image, int n, int K, float* projection) {
  for (int k = 0; k < K; ++k)
    for (int b = 0; b < n; ++b) projection[sz(k) * sz(n) + sz(b)] = image[sz(b) * sz(K) + sz(k)];
}
void fromDetector(const float* projection, int n, int K, float* image) {
  for (int k = 0; k < K; ++k)
    for (int b = 0; b < n; ++b) image[sz(b) * sz(K) + sz(k)] = projection[sz(k) * sz(n) + sz(b)];
}
}  // namespace

// One lane's scratch: a frame, a detector image, and the attenuation factors of the view it
// last made them for (so projecting and back-projecting one view makes them once).
struct SystemModel::Lane {
  std::vector<float> frame, image, factors;
  const float* attenuation = nullptr;
  int attenuationView = -1;
  float* volume = nullptr;  // where this lane's back-projections add up
};

const float* SystemModel::attenuationOf(int v, Lane& lane) const {
  if (!attenuate_) return nullptr;
  if (lane.attenuationView != v) {
    lane.attenuation = attenuate_->factors(v, lane.factors);
    lane.attenuationView = v;
  }
  return lane.attenuation;
}

void SystemModel::project(int v, const float* u, Lane& lane) const {
  rotate_->forward(v, u, lane.frame.data());
  if (const float* att = attenuationOf(v, lane)) multiply(lane.frame.data(), att, grid_.frameSize());
  collimate_->forward(v, lane.frame.data(), lane.image.data());
}

void SystemModel::backProject(int v, Lane& lane) const {
  collimate_->adjoint(v, lane.image.data(), lane.frame.data());
  if (const float* att = attenuationOf(v, lane)) multiply(lane.frame.data(), att, grid_.frameSize());
  rotate_->adjoint(v, lane.frame.data(), lane.volume);
}

void SystemModel::eachView(std::span<const int> list, float* sum, const std::function<void(int, Lane&)>& body) const {
  const std::vector<int> views = allViews(list);
  const int count = static_cast<int>(views.size());
  const int lanes = std::max(1, std::min(parallelLanes(), count));
  const std::size_t voxels = grid_.volumeSize();
  if (sum) std::fill(sum, sum + voxels, 0.0f);
  // Lane 0 adds into the sum itself, the others into volumes of their own, added in lane order.
  std::vector<std::vector<float>> sheets(sum ? sz(lanes - 1) : 0);
  parallelFor(lanes, [&](int l) {
    Lane lane;
    lane.frame.resize(grid_.frameSize());
    lane.image.resize(grid_.imageSize());
    if (sum && l > 0) sheets[sz(l - 1)].assign(voxels, 0.0f);
    lane.volume = !sum ? nullptr : l == 0 ? sum : sheets[sz(l - 1)].data();
    const auto [first, last] = chunk(l, lanes, count);
    for (int i = first; i < last; ++i) body(views[sz(i)], lane);
  });
  for (const auto& s : sheets) addTo(sum, s.data(), voxels);
}

void SystemModel::forwardZ(const float* u, float* y, std::span<const int> views) const {
  eachView(views, nullptr, [&](int v, Lane& lane) {
    project(v, u, lane);
    toDetector(lane.image.data(), grid_.n, grid_.slices, y + sz(v) * grid_.imageSize());
  });
}

void SystemModel::backZ(const float* y, float* u, std::span<const int> views) const {
  eachView(views, u, [&](int v, Lane& lane) {
    fromDetector(y + sz(v) * grid_.imageSize(), grid_.n, grid_.slices, lane.image.data());
    backProject(v, lane);
  });
}

void SystemModel::forwardThenBackZ(const float* u, const ViewTransform& between, float* out, std::span<const int> views) const {
  eachView(views, out, [&](int v, Lane& lane) {
    thread_local std::vector<float> projection;
    projection.resize(grid_.imageSize());
    project(v, u, lane);
    toDetector(lane.image.data(), grid_.n, grid_.slices, projection.data());
    between(v, projection.data());
    fromDetector(projection.data(), grid_.n, grid_.slices, lane.image.data());
    backProject(v, lane);
  });
}

void SystemModel::buildupZ(const float* u, float* y, std::span<const int> views) const {
  eachView(views, nullptr, [&](int v, Lane& lane) {
    std::fill(lane.image.begin(), lane.image.end(), 0.0f);
    if (attenuate_) {
      thread_local std::vector<float> lengths;
      lengths.resize(grid_.frameSize());
      attenuate_->lengthsOf(v, lengths.data());
      rotate_->forward(v, u, lane.frame.data());
      const std::size_t size = grid_.imageSize();
      for (int j = 0; j < grid_.n; ++j)
        addBuildup(lane.frame.data() + sz(j) * size, lengths.data() + sz(j) * size, size, lane.image.data());
    }
    toDetector(lane.image.data(), grid_.n, grid_.slices, y + sz(v) * grid_.imageSize());
  });
}

void SystemModel::forward(const Volume& x, ProjectionStack& y, std::span<const int> views) const {
  if (x.n != grid_.n || x.slices != grid_.slices || x.v.size() != grid_.volumeSize())
    throw std::invalid_argument("the volume does not match the system model's grid");
  if (y.geometry.size() != geometry_.size() || y.counts.size() != geometry_.size()) y = blankProjections();
  std::vector<float> u(grid_.volumeSize());
  toZFastest(x, u.data());
  forwardZ(u.data(), y.counts.data(), views);
}

void SystemModel::back(const ProjectionStack& y, Volume& x, std::span<const int> views) const {
  if (y.counts.size() != geometry_.size()) throw std::invalid_argument("the projections do not match the system model");
  if (!x.sameGrid(blankVolume())) x = blankVolume();
  std::vector<float> u(grid_.volumeSize());
  backZ(y.counts.data(), u.data(), views);
  fromZFastest(u.data(), x);
}

std::vector<float> SystemModel::backProjectedAttenuationZ() const {
  std::vector<float> sum(grid_.volumeSize());
  eachView({}, sum.data(), [&](int v, Lane& lane) {
    if (const float* att = attenuationOf(v, lane))
      std::copy(att, att + grid_.frameSize(), lane.frame.begin());
    else
      std::fill(lane.frame.begin(), lane.frame.end(), 1.0f);
    rotate_->adjoint(v, lane.frame.data(), lane.volume);
  });
  return sum;
}

std::vector<float> SystemModel::backProjectedWeightsZ() const {
  std::vector<float> sum(grid_.volumeSize());
  eachView({}, sum.data(), [&](int v, Lane& lane) {
    std::fill(lane.frame.begin(), lane.frame.end(), 1.0f);
    rotate_->adjoint(v, lane.frame.data(), lane.volume);
  });
  return sum;
}

}  // namespace lumo::tomo
