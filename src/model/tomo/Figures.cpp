// NRMSE = sqrt(sum (f^ - f)^2 / sum f^2); CV = SD / mean; CRC_hot = (C_H/C_B - 1)/(a_H/a_B - 1),
// CRC_cold = 1 - C_C / C_B; FWHM from the half-maximum crossings of a profile.
#include "model/tomo/Figures.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumo::tomo {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double meanOver(const Volume& v, const std::vector<int>& voxels) {
  if (voxels.empty() || v.v.empty()) return kNaN;
  double s = 0;
  for (int i : voxels) s += v.v[static_cast<std::size_t>(i)];
  return s / static_cast<double>(voxels.size());
}

const Region* firstOf(const Phantom& p, Region::Kind kind) {
  for (const Region& r : p.regions)
    if (r.kind == kind) return &r;
  return nullptr;
}

bool regionFits(const Volume& v, const Region& r) {
  for (int i : r.voxels)
    if (i < 0 || static_cast<std::size_t>(i) >= v.v.size()) return false;
  return true;
}

// The voxel of the largest value within 3 voxels (in-plane) and 3 slices of the source.
bool peakNear(const Volume& v, double xMm, double yMm, double zMm, int& bx, int& by, int& bk) {
  if (v.n <= 0 || v.v.size() != v.size() || !(v.voxelMm > 0)) return false;
  const double c = (v.n - 1) / 2.0, ck = (v.slices - 1) / 2.0;
  const int px = static_cast<int>(std::lround(c + xMm / v.voxelMm));
  const int py = static_cast<int>(std::lround(c - yMm / v.voxelMm));
  const int pk = static_cast<int>(std::lround(ck - zMm / v.voxelMm));
  float best = -std::numeric_limits<float>::infinity();
  bx = by = bk = -1;
  for (int k = std::max(0, pk - 3); k <= std::min(v.slices - 1, pk + 3); ++k)
    for (int y = std::max(0, py - 3); y <= std::min(v.n - 1, py + 3); ++y)
      for (int x = std::max(0, px - 3); x <= std::min(v.n - 1, px + 3); ++x)
        if (v.at(x, y, k) > best) {
          best = v.at(x, y, k);
          bx = x;
          by = y;
          bk = k;
        }
  return bx >= 0;
}
}  // namespace

double nrmse(const Volume& result, const Volume& truth) {
  if (!result.sameGrid(truth) || result.v.empty()) return kNaN;
  double num = 0, den = 0;
  const int n = result.n;
  for (int k = 0; k < result.slices; ++k)
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) {
        if (!insideField(n, x, y)) continue;
        const std::size_t i = result.index(x, y, k);
        const double d = static_cast<double>(result.v[i]) - truth.v[i];
        num += d * d;
        den += static_cast<double>(truth.v[i]) * truth.v[i];
      }
  return den > 0 ? std::sqrt(num / den) : kNaN;
}

double noiseCv(const Volume& result, const Phantom& p) {
  const Region* u = firstOf(p, Region::Uniform);
  if (!u || u->voxels.size() < 2 || !regionFits(result, *u)) return kNaN;
  const double mean = meanOver(result, u->voxels);
  double ss = 0;
  for (int i : u->voxels) {
    const double d = result.v[static_cast<std::size_t>(i)] - mean;
    ss += d * d;
  }
  const double sd = std::sqrt(ss / static_cast<double>(u->voxels.size() - 1));
  return mean != 0 ? sd / mean : kNaN;
}

double fwhmOf(const std::vector<float>& curve, int peak) {
  const int n = static_cast<int>(curve.size());
  if (peak < 0 || peak >= n) return kNaN;
  const double top = curve[static_cast<std::size_t>(peak)];
  if (!(top > 0)) return kNaN;
  const double half = top / 2;
  double left = kNaN, right = kNaN;
  for (int i = peak; i > 0; --i) {
    const double a = curve[static_cast<std::size_t>(i - 1)], b = curve[static_cast<std::size_t>(i)];
    if (a < half) {
      left = (i - 1) + (half - a) / (b - a);
      break;
    }
  }
  for (int i = peak; i + 1 < n; ++i) {
    const double a = curve[static_cast<std::size_t>(i)], b = curve[static_cast<std::size_t>(i + 1)];
    if (b < half) {
      right = i + (a - half) / (a - b);
      break;
    }
  }
  return right - left;
}

double pointFwhmMm(const Volume& v, double xMm, double yMm, double zMm) {
  int bx, by, bk;
  if (!peakNear(v, xMm, yMm, zMm, bx, by, bk)) return kNaN;
  const int n = v.n;
  std::vector<float> row(static_cast<std::size_t>(n)), col(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    row[static_cast<std::size_t>(i)] = v.at(i, by, bk);
    col[static_cast<std::size_t>(i)] = v.at(bx, i, bk);
  }
  return 0.5 * (fwhmOf(row, bx) + fwhmOf(col, by)) * v.voxelMm;
}

double axialFwhmMm(const Volume& v, double xMm, double yMm, double zMm) {
  int bx, by, bk;
  if (v.slices < 2 || !peakNear(v, xMm, yMm, zMm, bx, by, bk)) return kNaN;
  std::vector<float> line(static_cast<std::size_t>(v.slices));
  for (int k = 0; k < v.slices; ++k) line[static_cast<std::size_t>(k)] = v.at(bx, by, k);
  return fwhmOf(line, bk) * v.voxelMm;
}

Figures figuresOfMerit(const Volume& result, const Volume& truth, const Phantom& p) {
  Figures f{nrmse(result, truth), noiseCv(result, p), {}, {}, {}};
  const bool grids = result.sameGrid(truth) && !result.v.empty();
  const Region* bg = firstOf(p, Region::Background);
  const bool bgOk = grids && bg && regionFits(result, *bg);
  const double cb = bgOk ? meanOver(result, bg->voxels) : kNaN;
  const double ab = bgOk ? meanOver(truth, bg->voxels) : kNaN;
  for (const Region& r : p.regions) {
    if (r.kind != Region::Hot && r.kind != Region::Cold) continue;
    const bool fits = grids && regionFits(result, r);
    double crc = kNaN;
    if (bgOk && fits && cb != 0) {
      const double c = meanOver(result, r.voxels);
      if (r.kind == Region::Cold) {
        crc = 1.0 - c / cb;
      } else {
        const double a = meanOver(truth, r.voxels);
        if (ab != 0 && a / ab != 1.0) crc = (c / cb - 1.0) / (a / ab - 1.0);
      }
    }
    f.crc.push_back({r.name, crc});
    if (r.kind == Region::Hot && r.diameterMm > 0) {
      const double a = fits ? meanOver(truth, r.voxels) : kNaN;
      f.recovery.push_back({r.name, r.diameterMm, fits && a != 0 ? meanOver(result, r.voxels) / a : kNaN});
    }
  }
  for (const PointSource& s : p.points)
    f.fwhm.push_back({s.name, pointFwhmMm(result, s.xMm, s.yMm, s.zMm), axialFwhmMm(result, s.xMm, s.yMm, s.zMm)});
  return f;
}

std::vector<float> profile(const Image& im, double x0, double y0, double x1, double y1, int samples) {
  std::vector<float> out;
  if (samples <= 0 || im.n <= 0 || im.px.size() != static_cast<std::size_t>(im.n) * static_cast<std::size_t>(im.n)) return out;
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return std::vector<float>(static_cast<std::size_t>(samples), 0.0f);
  const int n = im.n;
  auto value = [&](double x, double y) -> float {
    const double fx = std::floor(x), fy = std::floor(y);
    const double ax = x - fx, ay = y - fy;
    auto px = [&](double xi, double yi) -> double {
      if (xi < 0 || yi < 0 || xi > n - 1 || yi > n - 1) return 0.0;
      return im.at(static_cast<int>(xi), static_cast<int>(yi));
    };
    return static_cast<float>((px(fx, fy) * (1 - ax) + px(fx + 1, fy) * ax) * (1 - ay) +
                              (px(fx, fy + 1) * (1 - ax) + px(fx + 1, fy + 1) * ax) * ay);
  };
  out.reserve(static_cast<std::size_t>(samples));
  for (int i = 0; i < samples; ++i) {
    const double t = samples == 1 ? 0.0 : static_cast<double>(i) / (samples - 1);
    out.push_back(value(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t));
  }
  return out;
}

}  // namespace lumo::tomo
