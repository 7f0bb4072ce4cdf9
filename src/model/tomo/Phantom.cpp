// a(x, y), mu(x, y): the mean of 4 x 4 samples of each phantom's tissue labels per pixel.
#include "model/tomo/Phantom.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <numbers>

#include "model/tomo/BrainVolume.h"

namespace lumo::tomo {

namespace {

constexpr int kSub = 4;  // samples per pixel along each axis
constexpr int kSamples = kSub * kSub;

enum Tissue { Air, Soft, Bone };

struct RegionDesign {
  std::string name;
  Region::Kind kind;
  std::function<bool(int)> member;  // of a label
};

struct Design {
  std::function<int(double, double)> label;  // of a point (X, Y) in mm
  std::function<double(int)> activity;
  std::function<Tissue(int)> tissue;
  std::vector<RegionDesign> regions;
};

// Inside the ellipse of centre (cx, cy), semi-axes (ax, ay), turned by phi degrees.
bool inEllipse(double x, double y, double cx, double cy, double ax, double ay, double phiDeg = 0) {
  double u = x - cx, v = y - cy;
  if (phiDeg != 0) {
    const double p = phiDeg * std::numbers::pi / 180.0, c = std::cos(p), s = std::sin(p);
    const double ru = u * c + v * s, rv = -u * s + v * c;
    u = ru;
    v = rv;
  }
  u /= ax;
  v /= ay;
  return u * u + v * v <= 1.0;
}

// ---- brain: the transaxial plane Z = kBrainSliceZMm of the head of the clinical images -------
Design brain() {
  Design d;
  d.label = [](double X, double Y) { return static_cast<int>(brainPartAt(X, Y, kBrainSliceZMm)); };
  d.activity = [](int l) { return brainActivity(static_cast<BrainPart>(l)); };
  d.tissue = [](int l) {
    const auto p = static_cast<BrainPart>(l);
    return p == BrainPart::Air ? Air : p == BrainPart::Skull ? Bone : Soft;
  };
  auto is = [](BrainPart p) { return [p](int l) { return static_cast<BrainPart>(l) == p; }; };
  d.regions = {{"basal ganglia", Region::Hot,
                [](int l) {
                  const auto p = static_cast<BrainPart>(l);
                  return p == BrainPart::Caudate || p == BrainPart::Putamen;
                }},
               {"ventricles", Region::Cold, is(BrainPart::Ventricle)},
               {"white matter", Region::Background, is(BrainPart::White)},
               {"white matter", Region::Uniform, is(BrainPart::White)}};
  return d;
}

// ---- modified Shepp-Logan head (Toft), 1 unit = 100 mm, Y up ------------------------------
struct Ell {
  double value, a, b, x, y, phi;
};
constexpr std::array<Ell, 10> kShepp{{{1.0, .69, .92, 0, 0, 0},
                                      {-.8, .6624, .8740, 0, -.0184, 0},
                                      {-.2, .1100, .3100, .22, 0, -18},
                                      {-.2, .1600, .4100, -.22, 0, 18},
                                      {.1, .2100, .2500, 0, .35, 0},
                                      {.1, .0460, .0460, 0, .1, 0},
                                      {.1, .0460, .0460, 0, -.1, 0},
                                      {.1, .0460, .0230, -.08, -.605, 0},
                                      {.1, .0230, .0230, 0, -.606, 0},
                                      {.1, .0230, .0460, .06, -.605, 0}}};

Design sheppLogan() {
  Design d;
  d.label = [](double X, double Y) {
    const double x = X / 100.0, y = Y / 100.0;
    int mask = 0;
    for (std::size_t i = 0; i < kShepp.size(); ++i) {
      const Ell& e = kShepp[i];
      if (inEllipse(x, y, e.x, e.y, e.a, e.b, e.phi)) mask |= 1 << i;
    }
    return mask;
  };
  d.activity = [](int mask) {
    double v = 0;
    for (std::size_t i = 0; i < kShepp.size(); ++i)
      if (mask & (1 << i)) v += kShepp[i].value;
    return std::max(0.0, v);
  };
  d.tissue = [](int mask) { return (mask & 2) ? Soft : (mask & 1) ? Bone : Air; };
  d.regions = {{"upper ellipse", Region::Hot, [](int m) { return m == (1 | 2 | 16); }},
               {"right ventricle", Region::Cold, [](int m) { return m == (1 | 2 | 4); }},
               {"brain", Region::Background, [](int m) { return m == (1 | 2); }},
               {"brain", Region::Uniform, [](int m) { return m == (1 | 2); }}};
  return d;
}

// ---- rods: six sectors of cold rods in a 21.6 cm water cylinder ---------------------------
constexpr std::array<double, 6> kRodMm{12.7, 11.1, 9.5, 7.9, 6.4, 4.8};
constexpr double kRodCylinderMm = 108.0, kRodInsertMm = 85.0;
enum RodLabel { RAir = 0, RWater = 7, ROuterRing = 8, RRim = 9 };  // rods of sector k: k + 1

int rodLabel(double X, double Y) {
  const double r = std::hypot(X, Y);
  if (r > kRodCylinderMm) return RAir;
  if (r > 104.0) return RRim;
  if (r >= 88.0) return ROuterRing;
  if (r > kRodInsertMm) return RWater;
  // Sector k spans 60 degrees centred at 90 + 60 k degrees (counter-clockwise from the top).
  double ang = std::atan2(Y, X) * 180.0 / std::numbers::pi - 60.0;  // sector 0 starts at 60 degrees
  ang = std::fmod(ang + 720.0, 360.0);
  const int k = std::min(5, static_cast<int>(ang / 60.0));
  const double d = kRodMm[static_cast<std::size_t>(k)], spacing = 2 * d;
  const double a0 = (60.0 + 60.0 * k) * std::numbers::pi / 180.0, a1 = a0 + std::numbers::pi / 3;
  const double ux = std::cos(a0), uy = std::sin(a0), wx = std::cos(a1), wy = std::sin(a1);
  // (X, Y) = spacing (p u + q w): solve, then try the four lattice points around.
  const double det = ux * wy - uy * wx;
  const double p = (X * wy - Y * wx) / det / spacing, q = (ux * Y - uy * X) / det / spacing;
  const int i0 = static_cast<int>(std::floor(p - 0.5)), j0 = static_cast<int>(std::floor(q - 0.5));
  for (int i = i0; i <= i0 + 1; ++i)
    for (int j = j0; j <= j0 + 1; ++j) {
      if (i < 0 || j < 0) continue;
      const double cx = spacing * ((i + 0.5) * ux + (j + 0.5) * wx);
      const double cy = spacing * ((i + 0.5) * uy + (j + 0.5) * wy);
      if (std::hypot(cx, cy) + d / 2 > kRodInsertMm) continue;
      if (std::hypot(X - cx, Y - cy) <= d / 2) return k + 1;
    }
  return RWater;
}

std::string rodName(double d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "rods %.1f mm", d);
  return buf;
}

Design rods() {
  Design d;
  d.label = rodLabel;
  d.activity = [](int l) { return l >= RWater ? 1.0 : 0.0; };
  d.tissue = [](int l) { return l == RAir ? Air : Soft; };
  for (int k = 5; k >= 0; --k)
    d.regions.push_back({rodName(kRodMm[static_cast<std::size_t>(k)]), Region::Cold, [k](int l) { return l == k + 1; }});
  d.regions.push_back({"outer ring", Region::Background, [](int l) { return l == ROuterRing; }});
  d.regions.push_back({"outer ring", Region::Uniform, [](int l) { return l == ROuterRing; }});
  return d;
}

// ---- cylinder: uniform 20 cm water --------------------------------------------------------
Design cylinder() {
  Design d;
  d.label = [](double X, double Y) {
    const double r = std::hypot(X, Y);
    return r > 100.0 ? 0 : r > 80.0 ? 2 : 1;
  };
  d.activity = [](int l) { return l ? 1.0 : 0.0; };
  d.tissue = [](int l) { return l ? Soft : Air; };
  d.regions = {{"central disc", Region::Background, [](int l) { return l == 1; }},
               {"central disc", Region::Uniform, [](int l) { return l == 1; }}};
  return d;
}

Phantom build(const Design& d, int n, double softMu) {
  const double pixelMm = kFieldOfViewMm / n, c = (n - 1) / 2.0;
  Phantom ph;
  ph.activity = Image::blank(n, pixelMm);
  ph.mu = Image::blank(n, pixelMm);
  const std::size_t pixels = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  std::vector<std::array<std::int16_t, kSamples>> labels(pixels);
  const double boneMu = softMu * kBoneToSoftTissue;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(n) + static_cast<std::size_t>(x);
      double a = 0, m = 0;
      for (int sy = 0; sy < kSub; ++sy)
        for (int sx = 0; sx < kSub; ++sx) {
          const double X = (x - c + (sx + 0.5) / kSub - 0.5) * pixelMm;
          const double Y = (c - y - (sy + 0.5) / kSub + 0.5) * pixelMm;
          const int l = d.label(X, Y);
          labels[i][static_cast<std::size_t>(sy * kSub + sx)] = static_cast<std::int16_t>(l);
          a += d.activity(l);
          const Tissue t = d.tissue(l);
          m += t == Soft ? softMu : t == Bone ? boneMu : 0.0;
        }
      ph.activity.px[i] = static_cast<float>(a / kSamples);
      ph.mu.px[i] = static_cast<float>(m / kSamples);
    }
  for (const RegionDesign& rd : d.regions) {
    std::vector<char> pure(pixels), some(pixels), any(pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
      int in = 0;
      for (auto l : labels[i]) in += rd.member(l) ? 1 : 0;
      pure[i] = in == kSamples;
      some[i] = 2 * in > kSamples;
      any[i] = in > 0;
    }
    Region r{rd.name, rd.kind, {}};
    for (int y = 1; y + 1 < n; ++y)
      for (int x = 1; x + 1 < n; ++x) {
        bool all = true;
        for (int dy = -1; dy <= 1 && all; ++dy)
          for (int dx = -1; dx <= 1 && all; ++dx) all = pure[static_cast<std::size_t>((y + dy) * n + x + dx)];
        if (all) r.pixels.push_back(y * n + x);
      }
    for (const auto* set : {&pure, &some, &any}) {
      if (!r.pixels.empty()) break;
      for (std::size_t i = 0; i < pixels; ++i)
        if ((*set)[i]) r.pixels.push_back(static_cast<int>(i));
    }
    ph.regions.push_back(std::move(r));
  }
  return ph;
}

Phantom points(int n) {
  const double pixelMm = kFieldOfViewMm / n, c = (n - 1) / 2.0;
  Phantom ph;
  ph.activity = Image::blank(n, pixelMm);
  ph.mu = Image::blank(n, pixelMm);
  const std::pair<const char*, double> sources[] = {{"centre", 0.0}, {"5 cm", 50.0}, {"10 cm", 100.0}};
  for (const auto& [label, offset] : sources) {
    const int x = static_cast<int>(std::lround(c + offset / pixelMm));
    const int y = static_cast<int>(std::lround(c));
    ph.activity.px[static_cast<std::size_t>(y) * static_cast<std::size_t>(n) + static_cast<std::size_t>(x)] = 1.0f;
    ph.points.push_back({label, (x - c) * pixelMm, (c - y) * pixelMm});
  }
  return ph;
}

}  // namespace

Phantom makePhantom(PhantomKind kind, int matrix, double softTissueMu) {
  const int n = std::max(8, matrix);
  const double mu = std::isfinite(softTissueMu) ? std::max(0.0, softTissueMu) : 0.0;
  switch (kind) {
    case PhantomKind::Brain: return build(brain(), n, mu);
    case PhantomKind::SheppLogan: return build(sheppLogan(), n, mu);
    case PhantomKind::Rods: return build(rods(), n, mu);
    case PhantomKind::Cylinder: return build(cylinder(), n, mu);
    case PhantomKind::Points: return points(n);
  }
  return points(n);
}

}  // namespace lumo::tomo
