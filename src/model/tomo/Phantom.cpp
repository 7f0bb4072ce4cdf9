// a(X, Y, Z), mu(X, Y, Z): each voxel the mean of its samples of the phantom's tissue labels
// (4 x 4 in-plane times 4 along z; at one slice 4 x 4 in the plane Z = 0).
#include "model/tomo/Phantom.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <numbers>
#include <stdexcept>

#include "model/tomo/BrainVolume.h"
#include "model/tomo/Parallel.h"

namespace lumo::tomo {

namespace {

constexpr int kSub = 4;          // samples per voxel along each axis (along z only when slices > 1)
constexpr int kMaxLabels = 1024;  // labels are 0 .. kMaxLabels - 1
constexpr int kMaxRegions = 16;   // region designs per phantom (bits of a RegionMask)
using RegionMask = std::uint16_t;

enum Tissue { Air, Soft, Bone };

struct RegionDesign {
  std::string name;
  Region::Kind kind;
  std::function<bool(int)> member;  // of a label
};

struct Design {
  std::function<int(double, double, double)> label;  // of a point (X, Y, Z) in mm (Volume.h)
  std::function<double(int)> activity;                // kBq/mL
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

// ---- brain: the head of the clinical images, lab Z = 0 at its plane Z = kBrainSliceZMm ------
constexpr double kGreyKBqPerMl = 20.0;  // cortical grey matter; every part in proportion (BrainVolume.h)

Design brain() {
  Design d;
  d.label = [](double X, double Y, double Z) { return static_cast<int>(brainPartAt(X, Y, Z + kBrainSliceZMm)); };
  d.activity = [](int l) { return kGreyKBqPerMl * brainActivity(static_cast<BrainPart>(l)); };
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
constexpr double kSheppKBqPerMlPerUnit = 50.0;  // so the brain (0.2) holds 10 kBq/mL

Design sheppLogan() {
  Design d;
  d.label = [](double X, double Y, double) {
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
    return kSheppKBqPerMlPerUnit * std::max(0.0, v);
  };
  d.tissue = [](int mask) { return (mask & 2) ? Soft : (mask & 1) ? Bone : Air; };
  d.regions = {{"upper ellipse", Region::Hot, [](int m) { return m == (1 | 2 | 16); }},
               {"right ventricle", Region::Cold, [](int m) { return m == (1 | 2 | 4); }},
               {"brain", Region::Background, [](int m) { return m == (1 | 2); }},
               {"brain", Region::Uniform, [](int m) { return m == (1 | 2); }}};
  return d;
}

// ---- rods: six sectors of cold rods in a 21.6 cm water cylinder ---------------------------
constexpr double kWaterKBqPerMl = 10.0;  // the water of the cylinders (and the jaszczak background)
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
  d.label = [](double X, double Y, double) { return rodLabel(X, Y); };
  d.activity = [](int l) { return l >= RWater ? kWaterKBqPerMl : 0.0; };
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
  d.label = [](double X, double Y, double) {
    const double r = std::hypot(X, Y);
    return r > 100.0 ? 0 : r > 80.0 ? 2 : 1;
  };
  d.activity = [](int l) { return l ? kWaterKBqPerMl : 0.0; };
  d.tissue = [](int l) { return l ? Soft : Air; };
  d.regions = {{"central disc", Region::Background, [](int l) { return l == 1; }},
               {"central disc", Region::Uniform, [](int l) { return l == 1; }}};
  return d;
}

// ---- sampling --------------------------------------------------------------------------------

struct Grid {
  int n, slices;
  double voxelMm, c, ck;
  int subZ;  // samples along z: kSub, or 1 (the plane Z = 0) at one slice
  std::size_t voxels() const { return static_cast<std::size_t>(n) * static_cast<std::size_t>(n) * static_cast<std::size_t>(slices); }
};

Grid gridOf(int n, int slices) {
  const double voxelMm = kFieldOfViewMm / n;
  return {n, slices, voxelMm, (n - 1) / 2.0, (slices - 1) / 2.0, slices == 1 ? 1 : kSub};
}

// Per voxel, one bit per region design: every sample inside (pure), more than half (some), any.
struct Membership {
  std::vector<RegionMask> pure, some, any;
};

// Voxels wholly inside a region whose neighbours are wholly inside too: the 8 in-plane
// neighbours, and at more than one slice the 26 around (a neighbour beyond the first or last
// slice is not looked at: the volume holds no truth there). In-plane the edge is never kept.
std::vector<RegionMask> eroded(const Grid& g, const std::vector<RegionMask>& pure) {
  std::vector<RegionMask> out(pure.size(), 0);
  const int n = g.n, dz = g.slices > 1 ? 1 : 0;
  parallelFor(g.slices, [&](int k) {
    for (int y = 1; y + 1 < n; ++y)
      for (int x = 1; x + 1 < n; ++x) {
        RegionMask m = pure[(static_cast<std::size_t>(k) * n + y) * n + x];
        for (int kk = std::max(0, k - dz); kk <= std::min(g.slices - 1, k + dz) && m; ++kk)
          for (int yy = y - 1; yy <= y + 1; ++yy)
            for (int xx = x - 1; xx <= x + 1; ++xx) m &= pure[(static_cast<std::size_t>(kk) * n + yy) * n + xx];
        out[(static_cast<std::size_t>(k) * n + y) * n + x] = m;
      }
  });
  return out;
}

Phantom build(const Design& d, int n, int slices, double softMu) {
  if (d.regions.size() > static_cast<std::size_t>(kMaxRegions)) throw std::logic_error("too many regions in a phantom");
  const Grid g = gridOf(n, slices);
  // Every label's activity, attenuation and regions, looked up per sample.
  std::vector<double> act(kMaxLabels), mu(kMaxLabels);
  std::vector<RegionMask> in(kMaxLabels, 0);
  const double boneMu = softMu * kBoneToSoftTissue;
  for (int l = 0; l < kMaxLabels; ++l) {
    act[static_cast<std::size_t>(l)] = d.activity(l);
    const Tissue t = d.tissue(l);
    mu[static_cast<std::size_t>(l)] = t == Soft ? softMu : t == Bone ? boneMu : 0.0;
    for (std::size_t r = 0; r < d.regions.size(); ++r)
      if (d.regions[r].member(l)) in[static_cast<std::size_t>(l)] |= static_cast<RegionMask>(1u << r);
  }

  Phantom ph;
  ph.activity = Volume::blank(n, slices, g.voxelMm);
  ph.mu = Volume::blank(n, slices, g.voxelMm);
  Membership mem{std::vector<RegionMask>(g.voxels()), std::vector<RegionMask>(g.voxels()), std::vector<RegionMask>(g.voxels())};
  const int samples = kSub * kSub * g.subZ;
  parallelFor(n * slices, [&](int row) {
    const int k = row / n, y = row % n;
    std::array<int, kSub * kSub * kSub> labels{};
    for (int x = 0; x < n; ++x) {
      double a = 0, m = 0;
      RegionMask pure = static_cast<RegionMask>(~0u), any = 0;
      int s = 0;
      for (int sz = 0; sz < g.subZ; ++sz)
        for (int sy = 0; sy < kSub; ++sy)
          for (int sx = 0; sx < kSub; ++sx, ++s) {
            // Sample centres spread evenly over the voxel; Z = 0 exactly at one slice.
            const double X = (x - g.c + (sx + 0.5) / kSub - 0.5) * g.voxelMm;
            const double Y = (g.c - y - (sy + 0.5) / kSub + 0.5) * g.voxelMm;
            const double Z = g.subZ == 1 ? 0.0 : (g.ck - k - (sz + 0.5) / kSub + 0.5) * g.voxelMm;
            const int l = d.label(X, Y, Z);
            assert(l >= 0 && l < kMaxLabels);
            labels[static_cast<std::size_t>(s)] = l;
            a += act[static_cast<std::size_t>(l)];
            m += mu[static_cast<std::size_t>(l)];
            pure &= in[static_cast<std::size_t>(l)];
            any |= in[static_cast<std::size_t>(l)];
          }
      RegionMask some = pure;
      for (RegionMask left = static_cast<RegionMask>(any & ~pure); left; left = static_cast<RegionMask>(left & (left - 1))) {
        const int r = std::countr_zero(static_cast<unsigned>(left));
        int count = 0;
        for (int i = 0; i < samples; ++i) count += (in[static_cast<std::size_t>(labels[static_cast<std::size_t>(i)])] >> r) & 1;
        if (2 * count > samples) some = static_cast<RegionMask>(some | (1u << r));
      }
      const std::size_t i = ph.activity.index(x, y, k);
      ph.activity.v[i] = static_cast<float>(a / samples);
      ph.mu.v[i] = static_cast<float>(m / samples);
      mem.pure[i] = pure;
      mem.some[i] = some;
      mem.any[i] = any;
    }
  });

  // A region holds its eroded voxels; where a structure is too small for that at the matrix, its
  // pure voxels, else the voxels mostly inside, else every voxel it touches.
  const std::vector<RegionMask> core = eroded(g, mem.pure);
  const std::vector<RegionMask>* const rules[] = {&core, &mem.pure, &mem.some, &mem.any};
  for (std::size_t r = 0; r < d.regions.size(); ++r) {
    Region out{d.regions[r].name, d.regions[r].kind, {}};
    for (const std::vector<RegionMask>* set : rules) {
      for (std::size_t i = 0; i < set->size(); ++i)
        if (((*set)[i] >> r) & 1) out.voxels.push_back(static_cast<int>(i));
      if (!out.voxels.empty()) break;
    }
    ph.regions.push_back(std::move(out));
  }
  return ph;
}

// ---- points: sources of a fixed activity, each in one voxel --------------------------------
constexpr double kPointKBq = 1000.0;  // 1 MBq per source

Phantom points(int n, int slices) {
  const Grid g = gridOf(n, slices);
  Phantom ph;
  ph.activity = Volume::blank(n, slices, g.voxelMm);
  ph.mu = Volume::blank(n, slices, g.voxelMm);
  // Concentration of a source: its activity over the volume of its voxel, (voxelMm / 10)^3 mL.
  const double concentration = kPointKBq / std::pow(g.voxelMm / 10.0, 3);
  const std::pair<const char*, double> sources[] = {{"centre", 0.0}, {"5 cm", 50.0}, {"10 cm", 100.0}};
  for (const auto& [label, offset] : sources) {
    const int x = static_cast<int>(std::lround(g.c + offset / g.voxelMm));
    const int y = static_cast<int>(std::lround(g.c));
    const int k = static_cast<int>(std::lround(g.ck));
    ph.activity.v[ph.activity.index(x, y, k)] = static_cast<float>(concentration);
    ph.points.push_back({label, ph.activity.xMm(x), ph.activity.yMm(y), ph.activity.zMm(k)});
  }
  return ph;
}

}  // namespace

Phantom makePhantom(PhantomKind kind, int matrix, int slices, double softTissueMu, bool defect) {
  (void)defect;
  const int n = std::max(8, matrix);
  const int s = std::clamp(slices, 1, n);
  const double mu = std::isfinite(softTissueMu) ? std::max(0.0, softTissueMu) : 0.0;
  switch (kind) {
    case PhantomKind::Brain: return build(brain(), n, s, mu);
    case PhantomKind::SheppLogan: return build(sheppLogan(), n, s, mu);
    case PhantomKind::Rods: return build(rods(), n, s, mu);
    case PhantomKind::Cylinder: return build(cylinder(), n, s, mu);
    case PhantomKind::Points: return points(n, s);
    case PhantomKind::Jaszczak: return build(rods(), n, s, mu);
    case PhantomKind::Cardiac: return build(cylinder(), n, s, mu);
  }
  return points(n, s);
}

}  // namespace lumo::tomo
