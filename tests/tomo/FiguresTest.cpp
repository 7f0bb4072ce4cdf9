// The figures of merit on volumes: the truth scores perfectly, each figure by hand on a small
// fixture whose regions hold known values, FWHM and profiles by linear interpolation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/tomo/Figures.h"
#include "model/tomo/Phantom.h"
#include "model/tomo/Reconstruction.h"

namespace lumo::tomo {
namespace {

TEST(Figures, TheTruthScoresPerfectly) {
  for (int slices : {1, 5}) {
    SCOPED_TRACE(slices);
    const Phantom ph = makePhantom(PhantomKind::Brain, slices == 1 ? 128 : 64, slices, 0.15);
    const Figures f = figuresOfMerit(ph.activity, ph.activity, ph);
    EXPECT_EQ(f.nrmse, 0.0);
    EXPECT_NEAR(f.cv, 0.0, 1e-6);
    ASSERT_EQ(f.crc.size(), 2u);
    EXPECT_EQ(f.crc[0].name, "basal ganglia");
    EXPECT_NEAR(f.crc[0].crc, 1.0, 1e-6);
    EXPECT_EQ(f.crc[1].name, "ventricles");
    EXPECT_NEAR(f.crc[1].crc, 1.0, 1e-6);
    // Half the activity everywhere: NRMSE 0.5, contrasts unchanged; a flat volume: CRC 0.
    Volume half = ph.activity;
    for (float& v : half.v) v *= 0.5f;
    const Figures h = figuresOfMerit(half, ph.activity, ph);
    EXPECT_NEAR(h.nrmse, 0.5, 1e-6);
    EXPECT_NEAR(h.crc[0].crc, 1.0, 1e-5);
    Volume flat = ph.activity;
    std::fill(flat.v.begin(), flat.v.end(), 2.0f);
    const Figures z = figuresOfMerit(flat, ph.activity, ph);
    EXPECT_NEAR(z.crc[0].crc, 0.0, 1e-9);
    EXPECT_NEAR(z.crc[1].crc, 0.0, 1e-9);
  }
  // Grids that do not match: NaN, not a crash.
  const Phantom ph = makePhantom(PhantomKind::Brain, 64, 1, 0.15);
  EXPECT_TRUE(std::isnan(nrmse(Volume::blank(64, 2, 420.0 / 64), ph.activity)));
  EXPECT_TRUE(std::isnan(figuresOfMerit(Volume::blank(32, 1, 420.0 / 32), ph.activity, ph).crc[0].crc));
}

// A fixture of 8 x 8 x 2 voxels with five regions of known values, each region's voxels in its own
// place, listed in an order where the first Uniform and the first Hot region are not the ones a
// careless lookup would pick.
struct Fixture {
  Phantom ph;
  Volume result;
  Fixture() {
    ph.activity = Volume::blank(8, 2, 10.0);
    ph.mu = Volume::blank(8, 2, 10.0);
    result = Volume::blank(8, 2, 10.0);
    auto region = [&](const char* name, Region::Kind kind, int y, float truth, std::vector<float> values, double diameter = 0) {
      Region r{name, kind, {}, diameter};
      for (std::size_t i = 0; i < values.size(); ++i) {
        const int x = static_cast<int>(i % 8), k = static_cast<int>(i / 8);
        const int index = static_cast<int>(ph.activity.index(x, y, k));
        r.voxels.push_back(index);
        ph.activity.v[static_cast<std::size_t>(index)] = truth;
        result.v[static_cast<std::size_t>(index)] = values[i];
      }
      ph.regions.push_back(r);
    };
    // Uniform first: mean 2.5 (truth 30 there, away from the background's 10).
    region("noise disc", Region::Uniform, 1, 30, {1, 2, 3, 4});
    region("cold rod", Region::Cold, 2, 0, {1, 3});                       // mean 2
    region("sphere 20 mm", Region::Hot, 3, 40, {18, 22, 20, 20}, 20.0);  // mean 20
    region("background", Region::Background, 4, 10, {7, 9, 8, 8, 6, 10, 8, 8, 8, 8});  // mean 8, over both slices
    region("sphere 10 mm", Region::Hot, 5, 25, {9, 11}, 10.0);          // mean 10
    region("second background", Region::Background, 6, 5, {50, 50});
  }
};

TEST(Figures, NoiseCvIsTheSampleDeviationOverTheMeanOfTheUniformRegion) {
  const Fixture fx;
  // 1, 2, 3, 4: mean 2.5, squared deviations 2.25 + 0.25 + 0.25 + 2.25 = 5 over n - 1 = 3.
  EXPECT_NEAR(noiseCv(fx.result, fx.ph), std::sqrt(5.0 / 3.0) / 2.5, 1e-12);
  EXPECT_NEAR(figuresOfMerit(fx.result, fx.ph.activity, fx.ph).cv, std::sqrt(5.0 / 3.0) / 2.5, 1e-12);
  // A region of one voxel has no deviation; a phantom without a Uniform region has no CV.
  Phantom one = fx.ph;
  one.regions[0].voxels.resize(1);
  EXPECT_TRUE(std::isnan(noiseCv(fx.result, one)));
  Phantom none = fx.ph;
  none.regions.erase(none.regions.begin());
  EXPECT_TRUE(std::isnan(noiseCv(fx.result, none)));
}

TEST(Figures, ContrastRecoveryAndRecoveryReadTheirOwnRegions) {
  const Fixture fx;
  const Figures f = figuresOfMerit(fx.result, fx.ph.activity, fx.ph);
  // In the phantom's order: cold rod, sphere 20 mm, sphere 10 mm. C_B = 8, a_B = 10.
  ASSERT_EQ(f.crc.size(), 3u);
  EXPECT_EQ(f.crc[0].name, "cold rod");
  EXPECT_NEAR(f.crc[0].crc, 1.0 - 2.0 / 8.0, 1e-12);
  EXPECT_EQ(f.crc[1].name, "sphere 20 mm");
  EXPECT_NEAR(f.crc[1].crc, (20.0 / 8.0 - 1.0) / (40.0 / 10.0 - 1.0), 1e-12);
  EXPECT_EQ(f.crc[2].name, "sphere 10 mm");
  EXPECT_NEAR(f.crc[2].crc, (10.0 / 8.0 - 1.0) / (25.0 / 10.0 - 1.0), 1e-12);
  ASSERT_EQ(f.recovery.size(), 2u);
  EXPECT_EQ(f.recovery[0].diameterMm, 20.0);
  EXPECT_NEAR(f.recovery[0].rc, 20.0 / 40.0, 1e-12);
  EXPECT_NEAR(f.recovery[1].rc, 10.0 / 25.0, 1e-12);
  // The history's CRC is the first Hot region's; without a Hot region the first Cold one's.
  const IterationRecord rec = recordOf(3, 0.0, fx.result, &fx.ph.activity, &fx.ph);
  EXPECT_NEAR(rec.crc, f.crc[1].crc, 1e-12);
  EXPECT_NEAR(rec.cv, f.cv, 1e-12);
  Phantom coldOnly = fx.ph;
  std::erase_if(coldOnly.regions, [](const Region& r) { return r.kind == Region::Hot; });
  EXPECT_NEAR(recordOf(3, 0.0, fx.result, &fx.ph.activity, &coldOnly).crc, 0.75, 1e-12);
  const IterationRecord bare = recordOf(0, 0.0, fx.result, nullptr, nullptr);
  EXPECT_TRUE(std::isnan(bare.nrmse) && std::isnan(bare.cv) && std::isnan(bare.crc));
}

TEST(Figures, FwhmAndProfileByLinearInterpolation) {
  // A sampled Gaussian of FWHM 6: the crossings interpolated linearly land close to 6.
  std::vector<float> g(41);
  for (int i = 0; i < 41; ++i) g[static_cast<std::size_t>(i)] = static_cast<float>(std::exp(-4 * std::log(2.0) * (i - 20) * (i - 20) / 36.0));
  EXPECT_NEAR(fwhmOf(g, 20), 6.0, 0.1);
  // A triangle 0, 1, 2, 1, 0: half maximum at 1 on each side exactly.
  EXPECT_DOUBLE_EQ(fwhmOf({0, 1, 2, 1, 0}, 2), 2.0);
  EXPECT_TRUE(std::isnan(fwhmOf({2, 2, 1, 0}, 0)));  // never below half on the left
  EXPECT_TRUE(std::isnan(fwhmOf({0, 1}, 5)));

  // A point blurred to a triangle in x (width 4 voxels), 2 in y and 6 across the slices: the
  // in-plane FWHM is the mean of x and y, the axial one its own; at one slice the axial one is NaN.
  Volume v = Volume::blank(16, 16, 2.0);
  auto tri = [](int d, int half) { return std::max(0, half - std::abs(d)); };
  for (int k = 0; k < 16; ++k)
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) v.v[v.index(x, y, k)] = static_cast<float>(tri(x - 7, 4) * tri(y - 8, 2) * tri(k - 9, 6));
  EXPECT_NEAR(pointFwhmMm(v, v.xMm(7), v.yMm(8), v.zMm(9)), (4 + 2) / 2.0 * 2.0, 1e-9);
  EXPECT_NEAR(axialFwhmMm(v, v.xMm(7), v.yMm(8), v.zMm(9)), 6 * 2.0, 1e-9);
  // Looked for within 3 voxels of where it is said to be.
  EXPECT_NEAR(pointFwhmMm(v, v.xMm(9), v.yMm(6), v.zMm(11)), 6.0, 1e-9);
  EXPECT_TRUE(std::isnan(axialFwhmMm(Volume::of(v.slice(9)), v.xMm(7), v.yMm(8), 0)));

  // On the plane v = x + 2 y bilinear interpolation is exact; outside the slice 0.
  Image im = Image::blank(8, 1);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) im.px[static_cast<std::size_t>(y * 8 + x)] = static_cast<float>(x + 2 * y);
  const std::vector<float> p = profile(im, 1, 1, 5.5, 3.25, 4);
  ASSERT_EQ(p.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    const double t = i / 3.0, x = 1 + 4.5 * t, y = 1 + 2.25 * t;
    EXPECT_NEAR(p[static_cast<std::size_t>(i)], x + 2 * y, 1e-5);
  }
  EXPECT_EQ(profile(im, 2, 3, 0, 0, 1), std::vector<float>{8.0f});
  EXPECT_EQ(profile(im, -5, -5, -9, -9, 3), (std::vector<float>{0, 0, 0}));
  EXPECT_TRUE(profile(im, 0, 0, 1, 1, 0).empty());
}

}  // namespace
}  // namespace lumo::tomo
