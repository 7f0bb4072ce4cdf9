// NRMSE = sqrt(sum (f^ - f)^2 / sum f^2); CV = SD / mean; CRC_hot = (C_H/C_B - 1)/(a_H/a_B - 1),
// CRC_cold = 1 - C_C / C_B; FWHM from the half-maximum crossings of a profile.
#include "model/tomo/Figures.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumo::tomo {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double meanOver(const Image& im, const std::vector<int>& pixels) {
  if (pixels.empty() || im.px.empty()) return kNaN;
  double s = 0;
  for (int i : pixels) s += im.px[static_cast<std::size_t>(i)];
  return s / static_cast<double>(pixels.size());
}

const Region* firstOf(const Phantom& p, Region::Kind kind) {
  for (const Region& r : p.regions)
    if (r.kind == kind) return &r;
  return nullptr;
}

bool sameGrid(const Image& a, const Image& b) { return a.n == b.n && a.px.size() == b.px.size() && !a.px.empty(); }
bool regionFits(const Image& im, const Region& r) {
  for (int i : r.pixels)
    if (i < 0 || static_cast<std::size_t>(i) >= im.px.size()) return false;
  return true;
}
}  // namespace

double nrmse(const Image& slice, const Image& truth) {
  if (!sameGrid(slice, truth)) return kNaN;
  double num = 0, den = 0;
  const int n = slice.n;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      if (!insideField(n, x, y)) continue;
      const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(n) + static_cast<std::size_t>(x);
      const double d = static_cast<double>(slice.px[i]) - truth.px[i];
      num += d * d;
      den += static_cast<double>(truth.px[i]) * truth.px[i];
    }
  return den > 0 ? std::sqrt(num / den) : kNaN;
}

double noiseCv(const Image& slice, const Phantom& p) {
  const Region* u = firstOf(p, Region::Uniform);
  if (!u || u->pixels.size() < 2 || !regionFits(slice, *u)) return kNaN;
  const double mean = meanOver(slice, u->pixels);
  double ss = 0;
  for (int i : u->pixels) {
    const double d = slice.px[static_cast<std::size_t>(i)] - mean;
    ss += d * d;
  }
  const double sd = std::sqrt(ss / static_cast<double>(u->pixels.size() - 1));
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

double pointFwhmMm(const Image& slice, double xMm, double yMm) {
  const int n = slice.n;
  if (n <= 0 || slice.px.size() != static_cast<std::size_t>(n) * static_cast<std::size_t>(n)) return kNaN;
  const double c = (n - 1) / 2.0;
  const int px = static_cast<int>(std::lround(c + xMm / slice.pixelMm));
  const int py = static_cast<int>(std::lround(c - yMm / slice.pixelMm));
  int bx = -1, by = -1;
  float best = -std::numeric_limits<float>::infinity();
  for (int y = std::max(0, py - 3); y <= std::min(n - 1, py + 3); ++y)
    for (int x = std::max(0, px - 3); x <= std::min(n - 1, px + 3); ++x)
      if (slice.at(x, y) > best) {
        best = slice.at(x, y);
        bx = x;
        by = y;
      }
  if (bx < 0) return kNaN;
  std::vector<float> row(static_cast<std::size_t>(n)), col(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    row[static_cast<std::size_t>(i)] = slice.at(i, by);
    col[static_cast<std::size_t>(i)] = slice.at(bx, i);
  }
  return 0.5 * (fwhmOf(row, bx) + fwhmOf(col, by)) * slice.pixelMm;
}

Figures figuresOfMerit(const Image& slice, const Image& truth, const Phantom& p) {
  Figures f{nrmse(slice, truth), noiseCv(slice, p), {}, {}};
  const Region* bg = firstOf(p, Region::Background);
  const bool bgOk = bg && regionFits(slice, *bg) && regionFits(truth, *bg) && sameGrid(slice, truth);
  const double cb = bgOk ? meanOver(slice, bg->pixels) : kNaN;
  const double ab = bgOk ? meanOver(truth, bg->pixels) : kNaN;
  for (const Region& r : p.regions) {
    if (r.kind != Region::Hot && r.kind != Region::Cold) continue;
    double crc = kNaN;
    if (bgOk && regionFits(slice, r) && cb != 0) {
      const double c = meanOver(slice, r.pixels);
      if (r.kind == Region::Cold) {
        crc = 1.0 - c / cb;
      } else {
        const double a = meanOver(truth, r.pixels);
        if (ab != 0 && a / ab != 1.0) crc = (c / cb - 1.0) / (a / ab - 1.0);
      }
    }
    f.crc.push_back({r.name, crc});
  }
  for (const PointSource& s : p.points) f.fwhm.push_back({s.name, pointFwhmMm(slice, s.xMm, s.yMm)});
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
