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
#include <optional>
#include <stdexcept>

#include "model/tomo/BrainVolume.h"
#include "model/tomo/Parallel.h"

namespace lumo::tomo {

namespace {

constexpr int kSub = 4;          // samples per voxel along each axis (along z only when slices > 1)
constexpr int kMaxLabels = 1024;  // labels are 0 .. kMaxLabels - 1
constexpr int kMaxRegions = 16;   // region designs per phantom (bits of a RegionMask)
using RegionMask = std::uint16_t;

enum Tissue { Air, Soft, Bone, Lung };
constexpr double kLungToSoftTissue = 0.3;  // inflated lung: about 0.3 g/mL, attenuation in proportion

struct Point3 {
  double x, y, z;
};

struct Sphere {
  Point3 centre;
  double diameterMm;
};

struct RegionDesign {
  std::string name;
  Region::Kind kind;
  std::function<bool(int)> member;  // of a label
  // A hot sphere: its region is the voxels whose centre lies inside (member unused).
  std::optional<Sphere> sphere = std::nullopt;
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
constexpr double kExtrudedHalfLengthMm = 80.0;   // shepp-logan and rods run 16 cm along z

Design sheppLogan() {
  Design d;
  d.label = [](double X, double Y, double Z) {
    if (std::fabs(Z) > kExtrudedHalfLengthMm) return 0;
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

std::string sizeName(const char* what, double d) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%s %.1f mm", what, d);
  return buf;
}

Design rods() {
  Design d;
  d.label = [](double X, double Y, double Z) { return std::fabs(Z) > kExtrudedHalfLengthMm ? RAir : rodLabel(X, Y); };
  d.activity = [](int l) { return l >= RWater ? kWaterKBqPerMl : 0.0; };
  d.tissue = [](int l) { return l == RAir ? Air : Soft; };
  for (int k = 5; k >= 0; --k)
    d.regions.push_back({sizeName("rods", kRodMm[static_cast<std::size_t>(k)]), Region::Cold, [k](int l) { return l == k + 1; }});
  d.regions.push_back({"outer ring", Region::Background, [](int l) { return l == ROuterRing; }});
  d.regions.push_back({"outer ring", Region::Uniform, [](int l) { return l == ROuterRing; }});
  return d;
}

// ---- cylinder: uniform water, 20 cm across and 20 cm long -----------------------------------
Design cylinder() {
  Design d;
  // 1: the central part (80 mm from the axis and from the middle plane), 2: the rest of the water.
  d.label = [](double X, double Y, double Z) {
    const double r = std::hypot(X, Y), z = std::fabs(Z);
    return r > 100.0 || z > 100.0 ? 0 : r > 80.0 || z > 80.0 ? 2 : 1;
  };
  d.activity = [](int l) { return l ? kWaterKBqPerMl : 0.0; };
  d.tissue = [](int l) { return l ? Soft : Air; };
  d.regions = {{"central disc", Region::Background, [](int l) { return l == 1; }},
               {"central disc", Region::Uniform, [](int l) { return l == 1; }}};
  return d;
}

// ---- jaszczak: rods below, hot spheres above, in a 21.6 cm water cylinder ------------------
// The cylinder runs from Z = -108 to +78 mm (18.6 cm inside, clipped to the volume): the rod
// sector insert, 88 mm tall, from -108 to -20; above it water holding the six spheres, their
// centres on a ring of 60 mm radius in the plane Z = 0 (so one slice cuts every sphere through its
// middle), the largest at the top of the picture and the others clockwise in decreasing size.
constexpr double kJaszczakBottomMm = -108.0, kJaszczakTopMm = 78.0, kRodTopMm = -20.0;
constexpr std::array<double, 6> kSphereMm{9.5, 12.7, 15.9, 19.1, 25.4, 31.8};
constexpr double kSphereRingMm = 60.0, kSphereToBackground = 4.0;
constexpr int JSphere = 10, JWater = 16;  // sphere i: JSphere + i; rods as in RodLabel

Point3 sphereCentre(std::size_t i) {
  // Angle counter-clockwise from the picture's right: 90 degrees for the largest, 60 less each.
  const double a = (90.0 - 60.0 * static_cast<double>(kSphereMm.size() - 1 - i)) * std::numbers::pi / 180.0;
  return {kSphereRingMm * std::cos(a), kSphereRingMm * std::sin(a), 0.0};
}

int jaszczakLabel(double X, double Y, double Z) {
  if (Z < kJaszczakBottomMm || Z > kJaszczakTopMm || std::hypot(X, Y) > kRodCylinderMm) return RAir;
  if (Z <= kRodTopMm) return rodLabel(X, Y);
  for (std::size_t i = 0; i < kSphereMm.size(); ++i) {
    const Point3 c = sphereCentre(i);
    const double r = kSphereMm[i] / 2;
    if ((X - c.x) * (X - c.x) + (Y - c.y) * (Y - c.y) + (Z - c.z) * (Z - c.z) <= r * r) return JSphere + static_cast<int>(i);
  }
  return std::hypot(X, Y) > 100.0 ? RRim : JWater;
}

Design jaszczak() {
  Design d;
  d.label = jaszczakLabel;
  d.activity = [](int l) {
    return l >= JSphere && l < JWater ? kSphereToBackground * kWaterKBqPerMl : l >= RWater ? kWaterKBqPerMl : 0.0;
  };
  d.tissue = [](int l) { return l == RAir ? Air : Soft; };
  for (std::size_t i = 0; i < kSphereMm.size(); ++i)
    d.regions.push_back({sizeName("sphere", kSphereMm[i]), Region::Hot, nullptr, Sphere{sphereCentre(i), kSphereMm[i]}});
  for (int k = 5; k >= 0; --k)
    d.regions.push_back({sizeName("rods", kRodMm[static_cast<std::size_t>(k)]), Region::Cold, [k](int l) { return l == k + 1; }});
  d.regions.push_back({"water", Region::Background, [](int l) { return l == JWater; }});
  d.regions.push_back({"water", Region::Uniform, [](int l) { return l == JWater; }});
  return d;
}

// ---- cardiac: a torso with a tilted left ventricle -----------------------------------------
// Tc-99m sestamibi about an hour after 740 MBq: the left-ventricular wall takes about 1 % of it in
// some 185 mL, 40 kBq/mL; the liver 0.6 of that, blood and soft tissue a tenth, lungs less.
constexpr double kMyocardiumKBqPerMl = 40.0, kDefectFraction = 0.4;
enum CardiacLabel { CAir, CSoft, CLung, CSpine, CLiver, CMyocardium, CBloodPool, CDefect };

double cardiacActivity(int l) {
  switch (l) {
    case CSoft: return 4.0;
    case CLung: return 1.5;
    case CSpine: return 3.0;
    case CLiver: return 24.0;
    case CMyocardium: return kMyocardiumKBqPerMl;
    case CBloodPool: return 4.0;
    case CDefect: return kDefectFraction * kMyocardiumKBqPerMl;
    default: return 0.0;
  }
}

// Squared normalised radius of a point in an axis-aligned ellipsoid.
double ellipsoid(double x, double y, double z, Point3 c, double ax, double ay, double az) {
  const double u = (x - c.x) / ax, v = (y - c.y) / ay, w = (z - c.z) / az;
  return u * u + v * v + w * w;
}

// The left ventricle: a half-ellipsoid shell, 10 mm thick, 90 mm from the valve plane to the apex
// outside and 64 mm across, whose long axis runs from the base toward the apex along (1, 1, -1) /
// sqrt(3): anterior, to the patient's left and down, about 55 degrees from each axis. The middle of
// the long axis lies at (35, 15, 0) mm, so the plane Z = 0 cuts the mid-ventricle.
constexpr Point3 kLvMiddle{35.0, 15.0, 0.0};
constexpr double kLvOuterLongMm = 90.0, kLvOuterRadiusMm = 32.0, kLvWallMm = 10.0;

struct LvFrame {
  Point3 base;      // centre of the valve plane
  Point3 axis;      // unit, base to apex
  Point3 inferolateral;  // unit, across the axis: the inferolateral wall's direction
};

LvFrame lvFrame() {
  const double s3 = 1.0 / std::sqrt(3.0), s6 = 1.0 / std::sqrt(6.0);
  const Point3 axis{s3, s3, -s3};
  const double h = kLvOuterLongMm / 2;
  // The patient's down (-Z) and left (+X) with their parts along the axis removed point to the
  // inferior and the lateral wall, 120 degrees apart; between them: (1, -2, -1) / sqrt(6).
  return {{kLvMiddle.x - h * axis.x, kLvMiddle.y - h * axis.y, kLvMiddle.z - h * axis.z}, axis, {s6, -2 * s6, -s6}};
}

// CMyocardium, CBloodPool, CDefect, or CAir outside the ventricle.
int leftVentricle(double X, double Y, double Z, bool defect) {
  static const LvFrame f = lvFrame();
  const double qx = X - f.base.x, qy = Y - f.base.y, qz = Z - f.base.z;
  const double u = qx * f.axis.x + qy * f.axis.y + qz * f.axis.z;  // along the axis from the base
  if (u < 0) return CAir;
  const double rx = qx - u * f.axis.x, ry = qy - u * f.axis.y, rz = qz - u * f.axis.z;  // across it
  const double r2 = rx * rx + ry * ry + rz * rz;
  const double ao = kLvOuterLongMm, bo = kLvOuterRadiusMm, ai = ao - kLvWallMm, bi = bo - kLvWallMm;
  if (u * u / (ao * ao) + r2 / (bo * bo) > 1) return CAir;
  if (u * u / (ai * ai) + r2 / (bi * bi) <= 1) return CBloodPool;
  // The defect: the inferolateral wall within 45 degrees of its direction, from a fifth of the
  // way to the apex to 85 % of it (mid and apical segments).
  if (defect && u >= 0.2 * ao && u <= 0.85 * ao) {
    const double along = rx * f.inferolateral.x + ry * f.inferolateral.y + rz * f.inferolateral.z;
    if (along >= std::sqrt(r2) * std::cos(std::numbers::pi / 4)) return CDefect;
  }
  return CMyocardium;
}

// Torso 340 x 240 mm along the whole volume; a vertebral body of bone 40 mm across behind; lungs
// either side of the heart above the diaphragm; the liver on the patient's right (picture left),
// its dome reaching Z = +15 mm so the plane Z = 0 shows it, as cardiac slices often do.
int cardiacLabel(double X, double Y, double Z, bool defect) {
  if (!inEllipse(X, Y, 0, 0, 170, 120)) return CAir;
  if (const int lv = leftVentricle(X, Y, Z, defect); lv != CAir) return lv;
  if (std::hypot(X, Y + 78) <= 20) return CSpine;
  if (ellipsoid(X, Y, Z, {-55, -5, -75}, 85, 80, 90) <= 1) return CLiver;
  if (ellipsoid(X, Y, Z, {-80, -5, 40}, 55, 75, 130) <= 1) return CLung;
  if (ellipsoid(X, Y, Z, {85, -10, 40}, 50, 75, 130) <= 1) return CLung;
  return CSoft;
}

Design cardiac(bool defect) {
  Design d;
  d.label = [defect](double X, double Y, double Z) { return cardiacLabel(X, Y, Z, defect); };
  d.activity = cardiacActivity;
  d.tissue = [](int l) { return l == CAir ? Air : l == CLung ? Lung : l == CSpine ? Bone : Soft; };
  auto is = [](int label) { return [label](int l) { return l == label; }; };
  d.regions = {{"myocardium", Region::Hot, is(CMyocardium)}, {"blood pool", Region::Cold, is(CBloodPool)}};
  if (defect) d.regions.push_back({"defect", Region::Cold, is(CDefect)});
  d.regions.push_back({"liver", Region::Background, is(CLiver)});
  d.regions.push_back({"soft tissue", Region::Uniform, is(CSoft)});
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

// Voxel centres inside the sphere (Volume.h's millimetres), else the voxel holding its centre,
// else none (the sphere outside the volume).
std::vector<int> sphereVoxels(const Volume& v, const Sphere& s) {
  std::vector<int> out;
  const double r = s.diameterMm / 2, c = (v.n - 1) / 2.0, ck = (v.slices - 1) / 2.0;
  // The voxels of the sphere's bounding box (index = centre's index -+ r / voxelMm).
  auto from = [&](double i) { return std::max(0, static_cast<int>(std::floor(i - r / v.voxelMm))); };
  auto to = [&](double i, int size) { return std::min(size - 1, static_cast<int>(std::ceil(i + r / v.voxelMm))); };
  const double xc = c + s.centre.x / v.voxelMm, yc = c - s.centre.y / v.voxelMm, kc = ck - s.centre.z / v.voxelMm;
  for (int k = from(kc); k <= to(kc, v.slices); ++k)
    for (int y = from(yc); y <= to(yc, v.n); ++y)
      for (int x = from(xc); x <= to(xc, v.n); ++x) {
        const double dx = v.xMm(x) - s.centre.x, dy = v.yMm(y) - s.centre.y, dz = v.zMm(k) - s.centre.z;
        if (dx * dx + dy * dy + dz * dz <= r * r) out.push_back(static_cast<int>(v.index(x, y, k)));
      }
  if (!out.empty()) return out;
  const long x = std::lround(xc), y = std::lround(yc), k = std::lround(kc);
  if (x >= 0 && x < v.n && y >= 0 && y < v.n && k >= 0 && k < v.slices)
    out.push_back(static_cast<int>(v.index(static_cast<int>(x), static_cast<int>(y), static_cast<int>(k))));
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
    mu[static_cast<std::size_t>(l)] = t == Soft ? softMu : t == Bone ? boneMu : t == Lung ? softMu * kLungToSoftTissue : 0.0;
    for (std::size_t r = 0; r < d.regions.size(); ++r)
      if (d.regions[r].member && d.regions[r].member(l)) in[static_cast<std::size_t>(l)] |= static_cast<RegionMask>(1u << r);
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
  // pure voxels, else the voxels mostly inside, else every voxel it touches. A sphere holds the
  // voxels whose centre lies inside it (else the voxel holding its centre). A region with no voxel
  // in the volume (the jaszczak's rods at one slice) is left out.
  const std::vector<RegionMask> core = eroded(g, mem.pure);
  const std::vector<RegionMask>* const rules[] = {&core, &mem.pure, &mem.some, &mem.any};
  auto byRules = [&](std::size_t r) {
    std::vector<int> out;
    for (const std::vector<RegionMask>* set : rules) {
      for (std::size_t i = 0; i < set->size(); ++i)
        if (((*set)[i] >> r) & 1) out.push_back(static_cast<int>(i));
      if (!out.empty()) break;
    }
    return out;
  };
  for (std::size_t r = 0; r < d.regions.size(); ++r) {
    const RegionDesign& rd = d.regions[r];
    Region out{rd.name, rd.kind, rd.sphere ? sphereVoxels(ph.activity, *rd.sphere) : byRules(r),
               rd.sphere ? rd.sphere->diameterMm : 0.0};
    if (!out.voxels.empty()) ph.regions.push_back(std::move(out));
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
  // Z of a source where the volume reaches it (its half-length slices * voxelMm / 2), else 0.
  const double halfLength = g.slices * g.voxelMm / 2;
  const struct {
    const char* name;
    double xMm, zMm;
  } sources[] = {{"centre", 0.0, 0.0}, {"5 cm", 50.0, 50.0}, {"10 cm", 100.0, -50.0}};
  for (const auto& s : sources) {
    const double Z = std::fabs(s.zMm) <= halfLength ? s.zMm : 0.0;
    const int x = static_cast<int>(std::lround(g.c + s.xMm / g.voxelMm));
    const int y = static_cast<int>(std::lround(g.c));
    const int k = std::clamp(static_cast<int>(std::lround(g.ck - Z / g.voxelMm)), 0, g.slices - 1);
    ph.activity.v[ph.activity.index(x, y, k)] = static_cast<float>(concentration);
    ph.points.push_back({s.name, ph.activity.xMm(x), ph.activity.yMm(y), ph.activity.zMm(k)});
  }
  return ph;
}

}  // namespace

Phantom makePhantom(PhantomKind kind, int matrix, int slices, double softTissueMu, bool defect) {
  const int n = std::max(8, matrix);
  const int s = std::clamp(slices, 1, n);
  const double mu = std::isfinite(softTissueMu) ? std::max(0.0, softTissueMu) : 0.0;
  switch (kind) {
    case PhantomKind::Brain: return build(brain(), n, s, mu);
    case PhantomKind::SheppLogan: return build(sheppLogan(), n, s, mu);
    case PhantomKind::Rods: return build(rods(), n, s, mu);
    case PhantomKind::Cylinder: return build(cylinder(), n, s, mu);
    case PhantomKind::Points: return points(n, s);
    case PhantomKind::Jaszczak: return build(jaszczak(), n, s, mu);
    case PhantomKind::Cardiac: return build(cardiac(defect), n, s, mu);
  }
  return points(n, s);
}

}  // namespace lumo::tomo
