// The phantoms: one slice is the plane Z = 0, concentrations in kBq/mL whatever the matrix,
// regions inside their structures (in three dimensions), point sources where they say they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "model/tomo/BrainVolume.h"
#include "model/tomo/Phantom.h"

namespace lumo::tomo {
namespace {

constexpr PhantomKind kAll[] = {PhantomKind::Brain,  PhantomKind::Jaszczak,   PhantomKind::Cylinder, PhantomKind::Points,
                                PhantomKind::Cardiac, PhantomKind::SheppLogan, PhantomKind::Rods};

const Region* find(const Phantom& p, const std::string& name, Region::Kind kind) {
  for (const Region& r : p.regions)
    if (r.name == name && r.kind == kind) return &r;
  return nullptr;
}

double mean(const Volume& v, const std::vector<int>& voxels) {
  double s = 0;
  for (int i : voxels) s += v.v[static_cast<std::size_t>(i)];
  return voxels.empty() ? NAN : s / static_cast<double>(voxels.size());
}

// The brain at one slice is today's slice of the head, 20 kBq/mL per unit of grey: each pixel of
// the row through the caudate heads is the mean of 4 x 4 samples of the plane Z = kBrainSliceZMm.
TEST(Phantom, BrainSliceIsTheHeadsPlaneThroughTheBasalGanglia) {
  const int n = 64;
  const Phantom ph = makePhantom(PhantomKind::Brain, n, 1, 0.15);
  const double mm = 420.0 / n, c = (n - 1) / 2.0;
  const int y = static_cast<int>(std::lround(c - 18.0 / mm));
  int structured = 0;
  for (int x = 0; x < n; ++x) {
    double a = 0;
    for (int sy = 0; sy < 4; ++sy)
      for (int sx = 0; sx < 4; ++sx) {
        const double X = (x - c + (sx + 0.5) / 4 - 0.5) * mm, Y = (c - y - (sy + 0.5) / 4 + 0.5) * mm;
        a += 20.0 * brainActivity(brainPartAt(X, Y, kBrainSliceZMm));
      }
    EXPECT_NEAR(ph.activity.at(x, y, 0), a / 16, 1e-4) << "x " << x;
    structured += a > 0 ? 1 : 0;
  }
  EXPECT_GT(structured, n / 3);
}

// At one slice every phantom is its plane Z = 0: wherever the three slices of a three-slice
// volume agree in activity and attenuation (nothing changes along z there), the one-slice phantom
// has those values.
TEST(Phantom, OneSliceIsThePlaneZ0) {
  const int n = 64;
  for (PhantomKind kind : kAll) {
    const Phantom one = makePhantom(kind, n, 1, 0.15, true);
    const Phantom three = makePhantom(kind, n, 3, 0.15, true);
    int compared = 0, nonzero = 0;
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) {
        const float a = three.activity.at(x, y, 1), m = three.mu.at(x, y, 1);
        nonzero += one.activity.at(x, y, 0) > 0 ? 1 : 0;
        if (three.activity.at(x, y, 0) != a || three.activity.at(x, y, 2) != a) continue;
        if (three.mu.at(x, y, 0) != m || three.mu.at(x, y, 2) != m) continue;
        ++compared;
        ASSERT_EQ(one.activity.at(x, y, 0), a) << name(kind) << " at " << x << ", " << y;
        ASSERT_EQ(one.mu.at(x, y, 0), m) << name(kind) << " at " << x << ", " << y;
      }
    EXPECT_GT(compared, n * n / 2) << name(kind);
    EXPECT_GT(nonzero, 0) << name(kind);
  }
}

// Concentrations are the phantom's, not the voxel's: a region's truth mean is the stated
// kBq/mL at 64 and at 128, in one slice and in a volume.
TEST(Phantom, ConcentrationsDoNotChangeWithTheMatrix) {
  struct Case {
    PhantomKind kind;
    const char* region;
    Region::Kind regionKind;
    double kBqPerMl;
  };
  const Case cases[] = {
      {PhantomKind::Brain, "white matter", Region::Background, 5.0},
      {PhantomKind::Brain, "basal ganglia", Region::Hot, 21.0},
      {PhantomKind::Cylinder, "central disc", Region::Uniform, 10.0},
      {PhantomKind::Rods, "outer ring", Region::Background, 10.0},
      {PhantomKind::SheppLogan, "brain", Region::Background, 10.0},
      {PhantomKind::SheppLogan, "upper ellipse", Region::Hot, 15.0},
      {PhantomKind::Jaszczak, "water", Region::Background, 10.0},
      {PhantomKind::Cardiac, "liver", Region::Background, 24.0},
      {PhantomKind::Cardiac, "myocardium", Region::Hot, 40.0},
      {PhantomKind::Cardiac, "soft tissue", Region::Uniform, 4.0},
  };
  for (const Case& c : cases)
    for (int n : {64, 128})
      for (int slices : {1, n / 16}) {
        const Phantom ph = makePhantom(c.kind, n, slices, 0.15);
        const Region* r = find(ph, c.region, c.regionKind);
        ASSERT_NE(r, nullptr) << name(c.kind) << " " << c.region;
        EXPECT_NEAR(mean(ph.activity, r->voxels), c.kBqPerMl, 0.03 * c.kBqPerMl)
            << name(c.kind) << " " << c.region << " n " << n << " slices " << slices;
      }
}

// Every region of every phantom holds voxels, each once and inside the volume.
TEST(Phantom, RegionsHoldVoxelsOfTheVolume) {
  for (PhantomKind kind : kAll)
    for (int slices : {1, 24}) {
      const Phantom ph = makePhantom(kind, 64, slices, 0.15, true);
      ASSERT_EQ(ph.activity.size(), 64u * 64u * static_cast<unsigned>(slices));
      ASSERT_TRUE(ph.mu.sameGrid(ph.activity));
      for (const Region& r : ph.regions) {
        ASSERT_FALSE(r.voxels.empty()) << name(kind) << " " << r.name;
        std::vector<int> v = r.voxels;
        std::sort(v.begin(), v.end());
        EXPECT_EQ(std::adjacent_find(v.begin(), v.end()), v.end()) << name(kind) << " " << r.name;
        EXPECT_GE(v.front(), 0) << name(kind) << " " << r.name;
        EXPECT_LT(static_cast<std::size_t>(v.back()), ph.activity.size()) << name(kind) << " " << r.name;
      }
    }
}

// In a volume a region's voxel lies wholly inside its structure with all 26 neighbours: white
// matter voxels and every voxel around them (the slices above and below included) hold exactly
// the white matter's concentration.
TEST(Phantom, RegionsAreErodedInThreeDimensions) {
  const int n = 64, slices = 16;
  const Phantom ph = makePhantom(PhantomKind::Brain, n, slices, 0.15);
  const Region* white = find(ph, "white matter", Region::Uniform);
  ASSERT_NE(white, nullptr);
  ASSERT_GT(white->voxels.size(), 20u);
  const Volume& a = ph.activity;
  for (int i : white->voxels) {
    const int x = i % n, y = (i / n) % n, k = i / (n * n);
    for (int kk = std::max(0, k - 1); kk <= std::min(slices - 1, k + 1); ++kk)
      for (int yy = y - 1; yy <= y + 1; ++yy)
        for (int xx = x - 1; xx <= x + 1; ++xx) ASSERT_FLOAT_EQ(a.at(xx, yy, kk), 5.0f) << x << ", " << y << ", " << k;
  }
}

// Each phantom runs its stated length along z: the slices holding activity span it (to a slice).
TEST(Phantom, PhantomsHaveTheirLengthAlongZ) {
  struct Case {
    PhantomKind kind;
    double fromMm, toMm;
  };
  const Case cases[] = {{PhantomKind::Cylinder, -100, 100},
                        {PhantomKind::SheppLogan, -80, 80},
                        {PhantomKind::Rods, -80, 80},
                        {PhantomKind::Jaszczak, -108, 78}};
  const int n = 64;
  for (const Case& c : cases) {
    const Phantom ph = makePhantom(c.kind, n, n, 0.15);
    double top = -1e9, bottom = 1e9;
    for (int k = 0; k < n; ++k) {
      double sum = 0;
      for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) sum += ph.activity.at(x, y, k);
      if (sum > 0) {
        top = std::max(top, ph.activity.zMm(k));
        bottom = std::min(bottom, ph.activity.zMm(k));
      }
    }
    const double v = ph.activity.voxelMm;
    EXPECT_NEAR(top, c.toMm, v) << name(c.kind);
    EXPECT_NEAR(bottom, c.fromMm, v) << name(c.kind);
  }
}

// The jaszczak's spheres lie on a ring of 60 mm in the plane Z = 0, the largest at the top and
// the others clockwise in decreasing size: each sphere's region is the voxels whose centre lies in
// it (as many as its volume holds), its centre voxel holds four times the background, the
// background water lies above the rods and clear of every sphere, and the rods lie below (Z under
// -20 mm) and are left out at one slice.
TEST(Phantom, JaszczakSpheresAreHotAndWhereTheySay) {
  const double diameters[] = {9.5, 12.7, 15.9, 19.1, 25.4, 31.8};
  for (int slices : {1, 64}) {
    const Phantom ph = makePhantom(PhantomKind::Jaszczak, 128, slices, 0.15);
    const Volume& a = ph.activity;
    const Region* water = find(ph, "water", Region::Background);
    ASSERT_NE(water, nullptr);
    const double background = mean(a, water->voxels);
    EXPECT_NEAR(background, 10.0, 0.01);
    for (int v : water->voxels) {
      const int x = v % a.n, y = (v / a.n) % a.n, k = v / (a.n * a.n);
      ASSERT_GT(a.zMm(k), -20.0);
      for (int i = 0; i < 6; ++i) {
        const double angle = (90.0 - 60.0 * (5 - i)) * std::acos(-1.0) / 180.0;
        ASSERT_GT(std::hypot(a.xMm(x) - 60 * std::cos(angle), a.yMm(y) - 60 * std::sin(angle), a.zMm(k)),
                  diameters[i] / 2 + a.voxelMm);
      }
    }
    for (int i = 0; i < 6; ++i) {
      char label[32];
      std::snprintf(label, sizeof label, "sphere %.1f mm", diameters[i]);
      const Region* r = find(ph, label, Region::Hot);
      ASSERT_NE(r, nullptr) << label;
      EXPECT_EQ(r->diameterMm, diameters[i]);
      const double angle = (90.0 - 60.0 * (5 - i)) * std::acos(-1.0) / 180.0;
      const double cx = 60 * std::cos(angle), cy = 60 * std::sin(angle), radius = diameters[i] / 2;
      for (int v : r->voxels) {
        const int x = v % a.n, y = (v / a.n) % a.n, k = v / (a.n * a.n);
        ASSERT_LE(std::hypot(a.xMm(x) - cx, a.yMm(y) - cy, a.zMm(k)), radius + 1e-9) << label;
        ASSERT_GT(a.at(x, y, k), background) << label;
      }
      // As many voxels as the sphere's volume (its disc's area at one slice) holds.
      const double inside = slices == 1 ? std::acos(-1.0) * radius * radius / (a.voxelMm * a.voxelMm)
                                        : 4.0 / 3.0 * std::acos(-1.0) * std::pow(radius, 3) / std::pow(a.voxelMm, 3);
      if (diameters[i] >= 15.9) {
        EXPECT_NEAR(static_cast<double>(r->voxels.size()), inside, 0.15 * inside) << label;
      }
      // The voxel nearest the centre lies wholly inside from 12.7 mm up: exactly 4 : 1.
      const int x = static_cast<int>(std::lround(cx / a.voxelMm + (a.n - 1) / 2.0));
      const int y = static_cast<int>(std::lround((a.n - 1) / 2.0 - cy / a.voxelMm));
      const int k = static_cast<int>(std::lround((a.slices - 1) / 2.0));
      if (diameters[i] >= 12.7) {
        EXPECT_NEAR(a.at(x, y, k), 4 * background, 1e-4) << label;
      }
    }
    bool rods = false;
    for (const Region& r : ph.regions) {
      if (r.name.rfind("rods", 0) != 0) continue;
      rods = true;
      EXPECT_EQ(r.kind, Region::Cold);
      for (int v : r.voxels) ASSERT_LT(a.zMm(v / (a.n * a.n)), -20.0) << r.name;
    }
    EXPECT_EQ(rods, slices > 1);
  }
}

// The cardiac phantom's left ventricle is tilted as in a patient, its apex anterior, to the
// patient's left and down: slice by slice toward the feet the myocardium's centroid moves right in
// the picture and up (anterior), by at least 0.15 mm per mm of Z (least squares over its voxels). The defect sits in the inferolateral
// (posterior) wall at 40 % of the myocardium, whose voxels hold the full uptake without it.
TEST(Phantom, CardiacVentricleIsTiltedAndItsDefectHoldsFortyPercent) {
  const int n = 128, slices = 64;
  const Phantom ph = makePhantom(PhantomKind::Cardiac, n, slices, 0.15, false);
  const Phantom sick = makePhantom(PhantomKind::Cardiac, n, slices, 0.15, true);
  const Volume& a = ph.activity;
  const Region* myo = find(ph, "myocardium", Region::Hot);
  const Region* defect = find(sick, "defect", Region::Cold);
  ASSERT_NE(myo, nullptr);
  ASSERT_NE(defect, nullptr);
  EXPECT_EQ(find(ph, "defect", Region::Cold), nullptr);
  ASSERT_NE(find(ph, "blood pool", Region::Cold), nullptr);
  struct Sums {
    double x = 0, y = 0, z = 0, xz = 0, yz = 0, zz = 0, count = 0;
    void add(double X, double Y, double Z) {
      x += X, y += Y, z += Z, xz += X * Z, yz += Y * Z, zz += Z * Z, count += 1;
    }
  } wall, hurt;
  for (int v : myo->voxels) wall.add(a.xMm(v % n), a.yMm((v / n) % n), a.zMm(v / (n * n)));
  for (int v : defect->voxels) hurt.add(a.xMm(v % n), a.yMm((v / n) % n), a.zMm(v / (n * n)));
  ASSERT_GT(wall.count, 100);
  const double varZ = wall.zz / wall.count - std::pow(wall.z / wall.count, 2);
  ASSERT_GT(varZ, 100.0);  // the wall spans many slices
  const double dXdZ = (wall.xz / wall.count - wall.x * wall.z / (wall.count * wall.count)) / varZ;
  const double dYdZ = (wall.yz / wall.count - wall.y * wall.z / (wall.count * wall.count)) / varZ;
  EXPECT_LT(dXdZ, -0.15);
  EXPECT_LT(dYdZ, -0.15);
  // The defect lies behind (posterior to) the wall's centroid.
  EXPECT_LT(hurt.y / hurt.count, wall.y / wall.count - 5.0);
  // The truth: 40 kBq/mL in the wall, 16 in the defect, whose voxels hold 40 without it.
  const double healthy = mean(a, myo->voxels);
  EXPECT_NEAR(healthy, 40.0, 1.0);
  EXPECT_NEAR(mean(sick.activity, defect->voxels), 0.4 * healthy, 0.02 * healthy);
  EXPECT_NEAR(mean(a, defect->voxels), healthy, 0.02 * healthy);
  // One slice cuts the ventricle: myocardium and blood pool in the plane Z = 0.
  const Phantom one = makePhantom(PhantomKind::Cardiac, n, 1, 0.15, true);
  ASSERT_NE(find(one, "myocardium", Region::Hot), nullptr);
  ASSERT_NE(find(one, "blood pool", Region::Cold), nullptr);
  EXPECT_NEAR(mean(one.activity, find(one, "myocardium", Region::Hot)->voxels), 40.0, 2.0);
}

// Attenuation by tissue: soft tissue and water at softTissueMu, bone at 0.27 / 0.15 of it, lung
// at 0.3 of it, air 0; sampled at points well inside each (one slice, the plane Z = 0).
TEST(Phantom, AttenuationFollowsTheTissue) {
  struct Case {
    PhantomKind kind;
    double xMm, yMm, relative;  // mu / softTissueMu
  };
  const Case cases[] = {{PhantomKind::Cardiac, 0, 100, 1.0},          {PhantomKind::Cardiac, 0, -78, 0.27 / 0.15},
                        {PhantomKind::Cardiac, -80, 50, 0.3},          {PhantomKind::Cardiac, 100, 50, 0.3},
                        {PhantomKind::Cardiac, 0, 150, 0.0},           {PhantomKind::Jaszczak, 0, 0, 1.0},
                        {PhantomKind::Jaszczak, 0, 150, 0.0},          {PhantomKind::Cylinder, 50, 50, 1.0},
                        {PhantomKind::Points, 0, 0, 0.0},              {PhantomKind::SheppLogan, 0, 0, 1.0}};
  const int n = 128;
  for (const Case& c : cases) {
    const Phantom ph = makePhantom(c.kind, n, 1, 0.2);
    const int x = static_cast<int>(std::lround(c.xMm / ph.mu.voxelMm + (n - 1) / 2.0));
    const int y = static_cast<int>(std::lround((n - 1) / 2.0 - c.yMm / ph.mu.voxelMm));
    EXPECT_NEAR(ph.mu.at(x, y, 0), 0.2 * c.relative, 1e-6) << name(c.kind) << " at " << c.xMm << ", " << c.yMm;
  }
}

// A point source is 1 MBq in one voxel: its concentration is 1000 kBq over the voxel's volume in
// mL, so the volume holds 3 MBq at any matrix; the largest voxel near each source is its centre.
TEST(Phantom, PointSourcesAreOneMegabecquerelEachWhereTheySay) {
  for (int n : {64, 128})
    for (int slices : {1, 9, n}) {
      const Phantom ph = makePhantom(PhantomKind::Points, n, slices, 0.15);
      const Volume& a = ph.activity;
      const double voxelMl = std::pow(a.voxelMm / 10.0, 3);
      double total = 0;
      for (float v : a.v) total += v * voxelMl;
      EXPECT_NEAR(total, 3000.0, 0.01) << n;
      ASSERT_EQ(ph.points.size(), 3u);
      // Heights 0, +5 and -5 cm where the volume reaches them, else 0.
      const double xs[] = {0, 50, 100}, zs[] = {0, slices == n ? 50.0 : 0.0, slices == n ? -50.0 : 0.0};
      for (std::size_t p = 0; p < 3; ++p) {
        const PointSource& s = ph.points[p];
        EXPECT_NEAR(s.xMm, xs[p], a.voxelMm / 2 + 1e-9) << s.name;
        EXPECT_NEAR(s.yMm, 0, a.voxelMm / 2 + 1e-9) << s.name;
        EXPECT_NEAR(s.zMm, zs[p], a.voxelMm / 2 + 1e-9) << s.name;
        const int x = static_cast<int>(std::lround(s.xMm / a.voxelMm + (n - 1) / 2.0));
        const int y = static_cast<int>(std::lround((n - 1) / 2.0 - s.yMm / a.voxelMm));
        const int k = static_cast<int>(std::lround((slices - 1) / 2.0 - s.zMm / a.voxelMm));
        ASSERT_NEAR(a.xMm(x), s.xMm, 1e-9);
        ASSERT_NEAR(a.yMm(y), s.yMm, 1e-9);
        ASSERT_NEAR(a.zMm(k), s.zMm, 1e-9);
        EXPECT_NEAR(a.at(x, y, k) * voxelMl, 1000.0, 0.01) << s.name;
      }
      for (float m : ph.mu.v) ASSERT_EQ(m, 0.0f);
    }
}

}  // namespace
}  // namespace lumo::tomo
