// The phantoms: one slice is the plane Z = 0, concentrations in kBq/mL whatever the matrix,
// regions inside their structures (in three dimensions), point sources where they say they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
  };
  for (const Case& c : cases)
    for (int n : {64, 128})
      for (int slices : {1, n / 8}) {
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

// A point source is 1 MBq in one voxel: its concentration is 1000 kBq over the voxel's volume in
// mL, so the volume holds 3 MBq at any matrix; the largest voxel near each source is its centre.
TEST(Phantom, PointSourcesAreOneMegabecquerelEachWhereTheySay) {
  for (int n : {64, 128})
    for (int slices : {1, 9}) {
      const Phantom ph = makePhantom(PhantomKind::Points, n, slices, 0.15);
      const Volume& a = ph.activity;
      const double voxelMl = std::pow(a.voxelMm / 10.0, 3);
      double total = 0;
      for (float v : a.v) total += v * voxelMl;
      EXPECT_NEAR(total, 3000.0, 0.01) << n;
      ASSERT_EQ(ph.points.size(), 3u);
      const double xs[] = {0, 50, 100};
      for (std::size_t p = 0; p < 3; ++p) {
        const PointSource& s = ph.points[p];
        EXPECT_NEAR(s.xMm, xs[p], a.voxelMm / 2 + 1e-9) << s.name;
        EXPECT_NEAR(s.yMm, 0, a.voxelMm / 2 + 1e-9) << s.name;
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
