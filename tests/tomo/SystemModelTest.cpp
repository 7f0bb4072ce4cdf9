// The system model's steps and their adjoints: <A x, y> = <x, A^T y> for each step and the chain.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>

#include "model/tomo/Collimator.h"
#include "model/tomo/SystemModel.h"

using namespace lumo::tomo;

namespace {

std::vector<float> randomValues(std::size_t count, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> d(0.0f, 1.0f);
  std::vector<float> v(count);
  for (float& x : v) x = d(rng);
  return v;
}

double dot(const std::vector<float>& a, const std::vector<float>& b) {
  double s = 0;
  for (std::size_t i = 0; i < a.size(); ++i) s += static_cast<double>(a[i]) * b[i];
  return s;
}

// A small study with every step on: 16 x 16 x 6 voxels, a body-contouring orbit (two radii),
// a 180-degree clockwise arc from 45 degrees, attenuation and the collimator's blur in both
// directions.
struct Study {
  int n = 16, slices = 6;
  double voxelMm = 420.0 / 16;
  ProjectionGeometry g = ProjectionGeometry::circular(7, 6, 16, 420.0 / 16, 420.0 / 16, 45, -180.0 / 7, 150);
  Volume mu = Volume::blank(16, 6, 420.0 / 16);
  Study() {
    for (int v = 0; v < g.views; ++v) g.radiusMm[static_cast<std::size_t>(v)] = v % 2 ? 120 : 260;
    for (int k = 0; k < slices; ++k)
      for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
          if (insideField(n, x, y)) mu.v[mu.index(x, y, k)] = 0.15f + 0.01f * static_cast<float>((x + y + k) % 5);
  }
};

}  // namespace

TEST(SystemModel, EachStepHasItsExactAdjoint) {
  const Study s;
  const SystemModel A(s.g, s.n, s.voxelMm, &s.mu, Collimator::Legp);
  ASSERT_TRUE(A.attenuates());
  ASSERT_TRUE(A.blurs());
  const ModelGrid& grid = A.grid();
  for (int v : {0, 3, 6}) {
    SCOPED_TRACE(v);
    // Rotate: volume -> frame.
    const std::vector<float> u = randomValues(grid.volumeSize(), 1), f = randomValues(grid.frameSize(), 2);
    std::vector<float> Ru(grid.frameSize()), Rtf(grid.volumeSize(), 0.0f);
    A.rotate().forward(v, u.data(), Ru.data());
    A.rotate().adjoint(v, f.data(), Rtf.data());
    EXPECT_NEAR(dot(Ru, f), dot(u, Rtf), 1e-5 * std::abs(dot(Ru, f)));
    // Attenuate: diagonal, factors in (0, 1].
    std::vector<float> factors(grid.frameSize()), scratch;
    A.attenuate()->factorsOf(v, factors.data());
    for (float a : factors) ASSERT_TRUE(a > 0.0f && a <= 1.0f);
    std::vector<float> Tf = f;
    A.attenuate()->apply(v, Tf.data(), scratch);
    for (std::size_t i = 0; i < f.size(); ++i) ASSERT_FLOAT_EQ(Tf[i], f[i] * factors[i]);
    // Collimate: frame -> detector image.
    const std::vector<float> img = randomValues(grid.imageSize(), 3);
    std::vector<float> frame = f, Cf(grid.imageSize()), Ctimg(grid.frameSize());
    A.collimate().forward(v, frame.data(), Cf.data());
    A.collimate().adjoint(v, img.data(), Ctimg.data());
    EXPECT_NEAR(dot(Cf, img), dot(f, Ctimg), 1e-5 * std::abs(dot(Cf, img)));
  }
}

TEST(SystemModel, TheWholeChainHasItsExactAdjoint) {
  const Study s;
  for (Collimator c : {Collimator::None, Collimator::Lehr}) {
    for (const Volume* mu : {static_cast<const Volume*>(nullptr), &s.mu}) {
      const SystemModel A(s.g, s.n, s.voxelMm, mu, c);
      Volume x = A.blankVolume();
      x.v = randomValues(x.size(), 4);
      ProjectionStack y = A.blankProjections();
      y.counts = randomValues(y.counts.size(), 5);
      ProjectionStack Ax = A.blankProjections();
      Volume Aty = A.blankVolume();
      A.forward(x, Ax);
      A.back(y, Aty);
      EXPECT_NEAR(dot(Ax.counts, y.counts), dot(x.v, Aty.v), 1e-5 * std::abs(dot(Ax.counts, y.counts)));
      // A subset of views: only those views are projected, and the back-projection sums only them.
      const std::vector<int> some{1, 4};
      ProjectionStack part = A.blankProjections();
      A.forward(x, part, some);
      Volume back = A.blankVolume();
      A.back(part, back, some);
      double partial = 0;
      for (int v : some)
        for (std::size_t i = 0; i < s.g.viewSize(); ++i) partial += double(Ax.counts[v * s.g.viewSize() + i]) * part.counts[v * s.g.viewSize() + i];
      EXPECT_NEAR(partial, dot(x.v, back.v), 1e-5 * partial);
    }
  }
}

TEST(SystemModel, WithoutAttenuationEveryViewSeesTheWholeActivityInTheField) {
  // Rotation preserves the activity and the blur's kernels sum to one, so each view's counts are
  // the activity inside the field's cylinder, less what the blur carries past the detector's edges.
  const Study s;
  const SystemModel A(s.g, s.n, s.voxelMm, nullptr, Collimator::None);
  Volume x = A.blankVolume();
  double inField = 0;
  // A smooth blob well inside the field: bilinear resampling keeps its sum.
  for (int k = 0; k < s.slices; ++k)
    for (int y = 0; y < s.n; ++y)
      for (int xx = 0; xx < s.n; ++xx) {
        const float a = static_cast<float>(std::exp(-((xx - 8.2) * (xx - 8.2) + (y - 7.1) * (y - 7.1)) / 3.0));
        x.v[x.index(xx, y, k)] = a;
        inField += a;
      }
  ProjectionStack p = A.blankProjections();
  A.forward(x, p);
  for (int v = 0; v < s.g.views; ++v) {
    double sum = 0;
    for (std::size_t i = 0; i < s.g.viewSize(); ++i) sum += p.counts[v * s.g.viewSize() + i];
    EXPECT_NEAR(sum, inField, 1e-2 * inField) << v;  // bilinear resampling on a turned grid: within a percent
  }
}

TEST(SystemModel, OneSliceHasNoAxialBlurAndTheBlurWidensWithDistance) {
  const ProjectionGeometry one = ProjectionGeometry::circular(4, 1, 64, 420.0 / 64, 420.0 / 64, 0, 90, 150);
  const SystemModel flat(one, 64, 420.0 / 64, nullptr, Collimator::Lehr);
  const auto& s = flat.collimate().schedule(0);
  EXPECT_EQ(s.nearRows.size(), 1u);
  for (float a : s.stepRows) EXPECT_EQ(a, 0.0f);
  // A point near the detector of view 0 (top of the picture) projects narrower than one far from it.
  auto width = [&](int y) {
    Volume x = flat.blankVolume();
    x.v[x.index(32, y, 0)] = 1;
    ProjectionStack p = flat.blankProjections();
    flat.forward(x, p, std::vector<int>{0});
    double m = 0, m2 = 0, t = 0;
    for (int b = 0; b < 64; ++b) {
      t += p.at(0, 0, b);
      m += b * p.at(0, 0, b);
      m2 += double(b) * b * p.at(0, 0, b);
    }
    m /= t;
    return std::sqrt(m2 / t - m * m) * 420.0 / 64;  // mm
  };
  const double nearMm = width(10), farMm = width(54);
  EXPECT_LT(nearMm, farMm);
  // The spread is the collimator's at each distance (sigma = FWHM / 2.355; the voxel adds a little).
  const double c = 31.5, px = 420.0 / 64;
  const double dNear = 150 - (c - 10) * px, dFar = 150 - (c - 54) * px;
  EXPECT_NEAR(farMm, collimatorFwhmMm(Collimator::Lehr, dFar) / 2.3548, 0.25 * px);
  EXPECT_NEAR(nearMm, std::hypot(collimatorFwhmMm(Collimator::Lehr, dNear) / 2.3548, 0.0), 0.3 * px);
}

TEST(SystemModel, RefusesAMapOrVolumeOfTheWrongSize) {
  const ProjectionGeometry g = ProjectionGeometry::circular(8, 1, 64, 420.0 / 64, 420.0 / 64, 0, 45, 150);
  const Volume big = Volume::blank(128, 1, 420.0 / 128);
  EXPECT_THROW(SystemModel(g, 64, 420.0 / 64, &big, Collimator::Lehr), std::invalid_argument);
  const SystemModel A(g, 64, 420.0 / 64, nullptr, Collimator::Lehr);
  ProjectionStack p = A.blankProjections();
  EXPECT_THROW(A.forward(big, p), std::invalid_argument);
  EXPECT_THROW(SystemModel(g, 32, 420.0 / 32, nullptr, Collimator::Lehr), std::invalid_argument);
}
