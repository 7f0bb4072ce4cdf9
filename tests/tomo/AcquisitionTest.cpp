// Acquisition and its noise: the truth in kBq/mL projects onto the expected counts through the
// calibration, the same seed gives the same data byte for byte, and the residuals about the
// expected counts are Poisson (mean 0, variance equal to the mean).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "model/tomo/Acquisition.h"
#include "model/tomo/Collimator.h"
#include "model/tomo/Phantom.h"
#include "model/tomo/Poisson.h"
#include "model/tomo/SystemModel.h"

namespace lumo::tomo {
namespace {

TEST(Acquisition, TruthTimesTheCalibrationProjectsOntoTheExpectedCounts) {
  // The truth is the phantom's concentration; k A a are the expected counts, which sum to the
  // counts asked for, over the settings' arc, start and direction.
  struct Case {
    const char* what;
    int slices, arcDeg;
    double startDeg;
    Direction direction;
  };
  const Case cases[] = {{"one slice", 1, 360, 0, Direction::Ccw}, {"four slices, half turn clockwise", 4, 180, 30, Direction::Cw}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settings s;
    s.phantom = PhantomKind::Brain;
    s.matrix = 64;
    s.slices = c.slices;
    s.views = 30;
    s.arcDeg = c.arcDeg;
    s.startDeg = c.startDeg;
    s.direction = c.direction;
    s.noise = false;
    s.scatter = false;  // the primaries alone: A truth
    s.counts = 250000;
    const Acquisition a = acquire(s);
    ASSERT_TRUE(a.hasTruth());
    EXPECT_EQ(a.truth().v, makePhantom(PhantomKind::Brain, 64, c.slices, s.attenuation).activity.v);  // kBq/mL
    const ProjectionGeometry& g = a.data.geometry;
    EXPECT_EQ(g.rows, c.slices);
    EXPECT_EQ(g.views, 30);
    EXPECT_DOUBLE_EQ(g.arcDeg(), c.arcDeg);
    EXPECT_DOUBLE_EQ(g.angleDeg(1) - g.angleDeg(0), (c.direction == Direction::Cw ? -1.0 : 1.0) * c.arcDeg / 30);
    EXPECT_DOUBLE_EQ(g.angleDeg(0), c.startDeg);
    EXPECT_DOUBLE_EQ(g.radius(0), s.radiusCm * 10);
    EXPECT_NEAR(a.expected.total(), s.counts, 1e-4 * s.counts);
    EXPECT_EQ(a.data.counts, a.expected.counts);  // noise off
    const SystemModel A(g, 64, a.truth().voxelMm, &a.phantom.mu, s.collimator);
    ProjectionStack p = A.blankProjections();
    A.forward(a.truth(), p);
    double worst = 0, peak = 0;
    for (std::size_t i = 0; i < p.counts.size(); ++i) {
      worst = std::max(worst, std::fabs(p.counts[i] * a.calibration - a.expected.counts[i]));
      peak = std::max(peak, static_cast<double>(a.expected.counts[i]));
    }
    EXPECT_LT(worst, 1e-4 * peak);
  }
}

TEST(Acquisition, TheCountsSetTheTimeAndTheCalibrationNotTheTruth) {
  Settings s;
  s.phantom = PhantomKind::Cylinder;
  s.matrix = 64;
  s.noise = false;
  s.scatter = false;
  const Acquisition a = acquire(s);
  s.counts *= 10;
  const Acquisition b = acquire(s);
  EXPECT_EQ(a.truth().v, b.truth().v);
  EXPECT_NEAR(b.calibration / a.calibration, 10.0, 1e-9);
  EXPECT_NEAR(b.secondsPerView / a.secondsPerView, 10.0, 1e-9);
  // k = S t V / 1000: the sensitivity in cps/MBq, t in s, V in mL.
  const double voxelMl = std::pow(420.0 / 64 / 10.0, 3);
  EXPECT_NEAR(a.calibration, sensitivityCpsPerMBq(s.collimator) * a.secondsPerView * voxelMl / 1000.0, 1e-9 * a.calibration);
}

TEST(Acquisition, SameSeedSameDataByteForByte) {
  for (int slices : {1, 3}) {
    SCOPED_TRACE(slices);
    Settings s;
    s.matrix = 64;
    s.slices = slices;
    s.views = 60;
    const Acquisition a = acquire(s), b = acquire(s);
    ASSERT_EQ(a.data.counts.size(), 60u * 64u * static_cast<unsigned>(slices));
    EXPECT_EQ(std::memcmp(a.data.counts.data(), b.data.counts.data(), a.data.counts.size() * sizeof(float)), 0);
    s.seed = 2;
    const Acquisition c = acquire(s);
    EXPECT_NE(a.data.counts, c.data.counts);
    EXPECT_EQ(a.expected.counts, c.expected.counts);
    for (float v : a.data.counts) ASSERT_EQ(v, std::floor(v));  // whole counts
  }
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
  for (std::size_t i = 0; i < a.data.counts.size(); ++i) {
    const double m = a.expected.counts[i], y = a.data.counts[i];
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

// The attenuation maps: water and soft tissue at the setting, bone in proportion, points in air.
TEST(Phantom, AttenuationMapsAtEveryMatrix) {
  for (PhantomKind k : {PhantomKind::Brain, PhantomKind::SheppLogan, PhantomKind::Rods, PhantomKind::Cylinder, PhantomKind::Points})
    for (int n : {64, 128, 256}) {
      SCOPED_TRACE(std::string(name(k)) + " " + std::to_string(n));
      const Phantom p = makePhantom(k, n, 1, 0.15);
      const double muMax = *std::max_element(p.mu.v.begin(), p.mu.v.end());
      if (k == PhantomKind::Points) {
        EXPECT_EQ(muMax, 0.0);
      } else if (k == PhantomKind::Brain || k == PhantomKind::SheppLogan) {
        // Bone (0.27), partly averaged with soft tissue where the skull is thinner than a voxel.
        EXPECT_LE(muMax, 0.27 + 1e-5);
        EXPECT_GT(muMax, n == 64 ? 0.2 : 0.27 - 1e-5);
      } else {
        EXPECT_NEAR(muMax, 0.15, 1e-6);  // water
      }
    }
  // The attenuation setting scales soft tissue, bone in proportion; 0 turns it off.
  const Phantom half = makePhantom(PhantomKind::Brain, 256, 1, 0.075);
  const double muMax = *std::max_element(half.mu.v.begin(), half.mu.v.end());
  EXPECT_GT(muMax, 0.1);
  EXPECT_LE(muMax, 0.135 + 1e-5);
  for (float m : makePhantom(PhantomKind::Cylinder, 64, 3, 0).mu.v) ASSERT_EQ(m, 0.0f);
}

}  // namespace
}  // namespace lumo::tomo
