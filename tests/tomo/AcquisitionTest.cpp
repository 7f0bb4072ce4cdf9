// Acquisition and its noise: the same seed gives the same sinogram byte for byte, and the
// residuals about the expected counts are Poisson (mean 0, variance equal to the mean).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "model/tomo/Acquisition.h"
#include "model/tomo/Collimator.h"
#include "model/tomo/Phantom.h"
#include "model/tomo/Poisson.h"

namespace lumo::tomo {
namespace {

TEST(Acquisition, SameSeedSameSinogramByteForByte) {
  Settings s;
  s.matrix = 64;
  s.views = 60;
  const Acquisition a = acquire(s), b = acquire(s);
  ASSERT_EQ(a.sinogram.counts.size(), 60u * 64u);
  EXPECT_EQ(std::memcmp(a.sinogram.counts.data(), b.sinogram.counts.data(), a.sinogram.counts.size() * sizeof(float)), 0);
  s.seed = 2;
  const Acquisition c = acquire(s);
  EXPECT_NE(a.sinogram.counts, c.sinogram.counts);
  EXPECT_EQ(a.expected.counts, c.expected.counts);
  for (float v : a.sinogram.counts) EXPECT_EQ(v, std::floor(v));  // whole counts
}

TEST(Acquisition, NoiseIsPoisson) {
  Settings s;
  s.phantom = PhantomKind::Cylinder;
  s.matrix = 64;
  s.counts = 2e6;
  const Acquisition a = acquire(s);
  // Residuals standardised by the expected count: mean 0 and variance 1 over the bins with
  // enough counts for the normal approximation; the total within a few standard deviations.
  double z = 0, z2 = 0, total = 0;
  int bins = 0;
  for (std::size_t i = 0; i < a.sinogram.counts.size(); ++i) {
    const double m = a.expected.counts[i], y = a.sinogram.counts[i];
    total += y;
    if (m < 20) continue;
    const double r = (y - m) / std::sqrt(m);
    z += r;
    z2 += r * r;
    ++bins;
  }
  ASSERT_GT(bins, 3000);
  const double mean = z / bins, var = z2 / bins - mean * mean;
  EXPECT_NEAR(mean, 0.0, 4.0 / std::sqrt(bins));
  EXPECT_NEAR(var, 1.0, 0.06);
  EXPECT_NEAR(total, s.counts, 4 * std::sqrt(s.counts));
}

TEST(Poisson, DrawsHaveTheMeanAndVarianceOfLambda) {
  // Both samplers: inversion below 10, transformed rejection from 10 on.
  Random rng(7);
  for (double lambda : {0.3, 2.5, 9.9, 10.0, 37.0, 1500.0}) {
    SCOPED_TRACE(lambda);
    const int draws = 40000;
    double s = 0, s2 = 0;
    for (int i = 0; i < draws; ++i) {
      const double k = static_cast<double>(poisson(rng, lambda));
      s += k;
      s2 += k * k;
    }
    const double mean = s / draws, var = s2 / draws - mean * mean;
    EXPECT_NEAR(mean, lambda, 5 * std::sqrt(lambda / draws));
    EXPECT_NEAR(var / lambda, 1.0, 0.05);
  }
  EXPECT_EQ(poisson(rng, 0.0), 0u);
  EXPECT_EQ(poisson(rng, -3.0), 0u);
  EXPECT_EQ(poisson(rng, NAN), 0u);
  EXPECT_EQ(poisson(rng, INFINITY), 0u);
}

TEST(Collimator, PublishedResolutionAtTenCentimetres) {
  EXPECT_NEAR(collimatorFwhmMm(Collimator::Lehr, 100), 7.0, 0.3);
  const double legp = collimatorFwhmMm(Collimator::Legp, 100);
  EXPECT_GE(legp, 8.0);
  EXPECT_LE(legp, 9.0);
  EXPECT_NEAR(collimatorFwhmMm(Collimator::Lehr, 0), std::hypot(1.11, 3.8), 1e-9);
  EXPECT_EQ(collimatorFwhmMm(Collimator::None, 100), 0.0);
  EXPECT_LT(collimatorFwhmMm(Collimator::Lehr, 50), collimatorFwhmMm(Collimator::Lehr, 150));
}

TEST(Phantom, MapsAndRegionsAtEveryMatrix) {
  for (PhantomKind k : {PhantomKind::Brain, PhantomKind::SheppLogan, PhantomKind::Rods, PhantomKind::Cylinder, PhantomKind::Points})
    for (int n : {64, 128, 256}) {
      SCOPED_TRACE(std::string(name(k)) + " " + std::to_string(n));
      const Phantom p = makePhantom(k, n, 0.15);
      ASSERT_EQ(p.activity.n, n);
      EXPECT_DOUBLE_EQ(p.activity.pixelMm, 420.0 / n);
      ASSERT_EQ(p.activity.px.size(), static_cast<std::size_t>(n * n));
      ASSERT_EQ(p.mu.px.size(), p.activity.px.size());
      double total = 0, muMax = 0;
      for (std::size_t i = 0; i < p.activity.px.size(); ++i) {
        ASSERT_GE(p.activity.px[i], 0.0f);
        total += p.activity.px[i];
        muMax = std::max(muMax, static_cast<double>(p.mu.px[i]));
      }
      EXPECT_GT(total, 0.0);
      // Every region has pixels (down to the smallest rods at 64), each inside the slice.
      for (const Region& r : p.regions) {
        EXPECT_FALSE(r.pixels.empty()) << r.name;
        for (int i : r.pixels) ASSERT_TRUE(i >= 0 && i < n * n) << r.name;
      }
      if (k == PhantomKind::Points) {
        EXPECT_EQ(muMax, 0.0);  // in air
        ASSERT_EQ(p.points.size(), 3u);
        EXPECT_NEAR(p.points[2].xMm, 100.0, p.activity.pixelMm / 2);
      } else if (k == PhantomKind::Brain || k == PhantomKind::SheppLogan) {
        // Bone (0.27), partly averaged with soft tissue where the skull is thinner than a pixel.
        EXPECT_LE(muMax, 0.27 + 1e-5);
        EXPECT_GT(muMax, n == 64 ? 0.2 : 0.27 - 1e-5);
      } else {
        EXPECT_NEAR(muMax, 0.15, 1e-6);  // water
      }
    }
  // The attenuation setting scales soft tissue, bone in proportion; 0 turns it off.
  const Phantom half = makePhantom(PhantomKind::Brain, 256, 0.075);
  double muMax = 0;
  for (float m : half.mu.px) muMax = std::max(muMax, static_cast<double>(m));
  EXPECT_GT(muMax, 0.1);
  EXPECT_LE(muMax, 0.135 + 1e-5);
  for (float m : makePhantom(PhantomKind::Cylinder, 64, 0).mu.px) ASSERT_EQ(m, 0.0f);
}

}  // namespace
}  // namespace lumo::tomo
