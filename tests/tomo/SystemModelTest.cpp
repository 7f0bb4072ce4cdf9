// The system model: its steps and their adjoints (<A x, y> = <x, A^T y> for each step and the
// chain), where a point projects and how wide, attenuation, counts kept by rotation and blur.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>

#include "model/tomo/Collimator.h"
#include "model/tomo/Figures.h"
#include "model/tomo/Phantom.h"
#include "model/tomo/Poisson.h"
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

namespace {

// An n x n x slices volume of zeros with one unit voxel.
Volume pointVolume(int n, int slices, double voxelMm, int x, int y, int k) {
  Volume v = Volume::blank(n, slices, voxelMm);
  v.v[v.index(x, y, k)] = 1.0f;
  return v;
}

// Centroid and FWHM (in bins) of row r of view v.
std::pair<double, double> centroidAndWidth(const ProjectionStack& p, int v, int r = 0) {
  std::vector<float> line(static_cast<std::size_t>(p.geometry.bins));
  double t = 0, m = 0;
  int peak = 0;
  for (int b = 0; b < p.geometry.bins; ++b) {
    line[static_cast<std::size_t>(b)] = p.at(v, r, b);
    t += p.at(v, r, b);
    m += b * p.at(v, r, b);
    if (p.at(v, r, b) > p.at(v, r, peak)) peak = b;
  }
  return {m / t, fwhmOf(line, peak)};
}

double viewSum(const ProjectionStack& p, int v) {
  double t = 0;
  for (std::size_t i = 0; i < p.geometry.viewSize(); ++i) t += p.counts[static_cast<std::size_t>(v) * p.geometry.viewSize() + i];
  return t;
}

}  // namespace

TEST(SystemModel, OrientationAndDepthDependentBlurOfAPoint) {
  // A point 60 mm right of the centre (n odd: the centre is a voxel). View 0 looks from above
  // (bins left to right): the point sits 60 mm right of the centre bin. Views turn
  // counter-clockwise: at 90 degrees the detector is at the left and the point projects onto the
  // centre bin; at 180 degrees (below, bins right to left) 60 mm left of it. A negative step turns
  // the other way: its second view lies at the right, where the point is nearer.
  const int n = 105;  // 4 mm voxels
  const double c = (n - 1) / 2.0, mm = 420.0 / n;
  const Volume x = pointVolume(n, 1, mm, static_cast<int>(c) + 15, static_cast<int>(c), 0);
  const ProjectionGeometry g = ProjectionGeometry::circular(4, 1, n, mm, mm, 0, 90, 150);
  const SystemModel A(g, n, mm, nullptr, Collimator::Lehr);
  ProjectionStack p = A.blankProjections();
  A.forward(x, p);
  EXPECT_NEAR(centroidAndWidth(p, 0).first, c + 15, 0.01);
  EXPECT_NEAR(centroidAndWidth(p, 1).first, c, 0.01);
  EXPECT_NEAR(centroidAndWidth(p, 2).first, c - 15, 0.01);
  EXPECT_NEAR(centroidAndWidth(p, 3).first, c, 0.01);
  // At 90 degrees the point is 60 mm further from the detector than the centre, at 270 degrees
  // 60 mm nearer: its image is wider at 90 than at 270, each about the collimator's FWHM there.
  const double far = centroidAndWidth(p, 1).second * mm, nearer = centroidAndWidth(p, 3).second * mm;
  EXPECT_GT(far, nearer + 2.0);
  EXPECT_NEAR(far, collimatorFwhmMm(Collimator::Lehr, 150 + 60), 1.5);
  EXPECT_NEAR(nearer, collimatorFwhmMm(Collimator::Lehr, 150 - 60), 1.5);

  const ProjectionGeometry cw = ProjectionGeometry::circular(4, 1, n, mm, mm, 0, -90, 150);
  const SystemModel B(cw, n, mm, nullptr, Collimator::Lehr);
  ProjectionStack q = B.blankProjections();
  B.forward(x, q);
  EXPECT_NEAR(centroidAndWidth(q, 1).first, c, 0.01);
  EXPECT_NEAR(centroidAndWidth(q, 1).second * mm, nearer, 0.1);  // -90 degrees is 270
  EXPECT_NEAR(centroidAndWidth(q, 3).second * mm, far, 0.1);
}

TEST(SystemModel, ViewsKeepTheCountsOfTheSliceWithoutAttenuation) {
  // Blur kernels of sum 1 neither make nor lose counts inside the field. Rotating by bilinear
  // interpolation keeps them exactly at multiples of 90 degrees and to a few tenths of a per cent
  // for an extended object at other angles.
  const Phantom ph = makePhantom(PhantomKind::Brain, 64, 1, 0.15);
  const double total = std::accumulate(ph.activity.v.begin(), ph.activity.v.end(), 0.0);
  const ProjectionGeometry g = ProjectionGeometry::circular(24, 1, 64, 420.0 / 64, 420.0 / 64, 0, 15, 250);
  for (Collimator c : {Collimator::None, Collimator::Lehr, Collimator::Legp}) {
    SCOPED_TRACE(name(c));
    const SystemModel A(g, 64, 420.0 / 64, nullptr, c);
    ProjectionStack p = A.blankProjections();
    A.forward(ph.activity, p);
    for (int v = 0; v < 24; ++v) EXPECT_NEAR(viewSum(p, v), total, (v % 6 == 0 ? 1e-5 : 5e-3) * total) << v;
  }
}

TEST(SystemModel, AttenuationFactorAtTheCentreOfTheCylinder) {
  // A point at the centre of the 20 cm water cylinder: every view sees exp(-mu * 10 cm).
  const int n = 105, c = (n - 1) / 2;
  const double mu = 0.15, mm = 420.0 / n;
  const Phantom cyl = makePhantom(PhantomKind::Cylinder, n, 1, mu);
  const ProjectionGeometry g = ProjectionGeometry::circular(12, 1, n, mm, mm, 0, 30, 150);
  const SystemModel A(g, n, mm, &cyl.mu, Collimator::None);
  ASSERT_TRUE(A.attenuates());
  ProjectionStack p = A.blankProjections();
  A.forward(pointVolume(n, 1, mm, c, c, 0), p);
  const double expected = std::exp(-mu * 10.0);
  std::vector<float> factors(A.grid().frameSize());
  for (int v = 0; v < 12; ++v) {
    A.attenuate()->factorsOf(v, factors.data());
    // Frame [plane j][bin b][slice]: the centre is plane c, bin c; plane 0 is next to the detector.
    EXPECT_NEAR(factors[static_cast<std::size_t>(c * n + c)], expected, 0.01 * expected) << v;
    EXPECT_FLOAT_EQ(factors[static_cast<std::size_t>(c)], 1.0f) << v;  // air at the detector
    if (v % 3 == 0) {
      EXPECT_NEAR(viewSum(p, v), expected, 0.01 * expected) << v;  // axis-aligned views
    }
  }
}

// Without blur every slice projects on its own: each row of a volume's projection is the one-row
// model's sinogram of that slice, attenuation included.
TEST(SystemModel, WithoutBlurEachSliceProjectsOnItsOwn) {
  const int n = 32, slices = 5, views = 7;
  const double mm = 420.0 / n;
  const Phantom ph = makePhantom(PhantomKind::Brain, n, 1, 0.15);
  Volume act = Volume::blank(n, slices, mm), mu = Volume::blank(n, slices, mm);
  Random rng(3);
  for (int k = 0; k < slices; ++k)
    for (std::size_t i = 0; i < ph.activity.v.size(); ++i) {
      act.v[static_cast<std::size_t>(k) * act.sliceSize() + i] = ph.activity.v[i] * static_cast<float>(1 + k + rng.uniform());
      mu.v[static_cast<std::size_t>(k) * mu.sliceSize() + i] = ph.mu.v[i] * static_cast<float>(1 + 0.1 * k);
    }
  const ProjectionGeometry g = ProjectionGeometry::circular(views, slices, n, mm, mm, 10, -6.5, 160);
  const SystemModel A(g, n, mm, &mu, Collimator::None);
  ProjectionStack p = A.blankProjections();
  A.forward(act, p);
  ProjectionGeometry g1 = g;
  g1.rows = 1;
  for (int k = 0; k < slices; ++k) {
    const Volume muK = Volume::of(mu.slice(k));
    const SystemModel one(g1, n, mm, &muK, Collimator::None);
    ProjectionStack s = one.blankProjections();
    one.forward(Volume::of(act.slice(k)), s);
    for (int v = 0; v < views; ++v)
      for (int b = 0; b < n; ++b)
        ASSERT_NEAR(p.at(v, k, b), s.at(v, 0, b), 1e-5 * (1 + std::fabs(s.at(v, 0, b)))) << k << " " << v << " " << b;
  }
}

// A point source at the centre of rotation: its projection keeps the counts and spreads along the
// bins and across the rows with the collimator's FWHM at the radius.
TEST(SystemModel, PointSourceSpreadsWithTheCollimatorsResolutionInBothDirections) {
  const int n = 64, slices = 41, kc = slices / 2;
  const double mm = 2.0;
  const ProjectionGeometry g = ProjectionGeometry::circular(3, slices, n, mm, mm, 10, 90, 160);
  const SystemModel A(g, n, mm, nullptr, Collimator::Lehr);
  ProjectionStack p = A.blankProjections();
  A.forward(pointVolume(n, slices, mm, n / 2, n / 2, kc), p);
  const double expected = collimatorFwhmMm(Collimator::Lehr, 160.0);
  for (int v = 0; v < 3; ++v) {
    SCOPED_TRACE(v);
    EXPECT_NEAR(viewSum(p, v), 1.0, 0.01);  // the rotation's bilinear resampling of a single voxel
    int bmax = 0;
    for (int b = 0; b < n; ++b)
      if (p.at(v, kc, b) > p.at(v, kc, bmax)) bmax = b;
    std::vector<float> across(static_cast<std::size_t>(slices));
    for (int k = 0; k < slices; ++k) across[static_cast<std::size_t>(k)] = p.at(v, k, bmax);
    const double along = centroidAndWidth(p, v, kc).second * mm, axial = fwhmOf(across, kc) * mm;
    // Along the bins the bilinear resampling widens the peak a little; across the rows only the
    // collimator acts.
    EXPECT_NEAR(axial, expected, 0.3);
    EXPECT_NEAR(along, expected, 0.4);
    EXPECT_NEAR(along, axial, 0.2);
  }
}

TEST(SystemModel, BlurKernelsSumToOneAndGrowWithDistance) {
  // A radius beyond the field's: every plane lies in front of the face.
  const ProjectionGeometry g = ProjectionGeometry::circular(4, 8, 64, 420.0 / 64, 420.0 / 64, 0, 90, 250);
  const SystemModel A(g, 64, 420.0 / 64, nullptr, Collimator::Legp);
  const CollimateStep::Schedule& s = A.collimate().schedule(0);
  EXPECT_NEAR(std::accumulate(s.nearBins.begin(), s.nearBins.end(), 0.0), 1.0, 1e-6);
  EXPECT_NEAR(std::accumulate(s.nearRows.begin(), s.nearRows.end(), 0.0), 1.0, 1e-6);
  EXPECT_GT(s.nearRows.size(), 1u);  // more than one row: blurred across the rows too
  // Every plane further out adds variance: a positive increment in both directions.
  for (std::size_t j = 0; j + 1 < s.stepBins.size(); ++j) {
    ASSERT_GT(s.stepBins[j], 0.0f) << j;
    ASSERT_GT(s.stepRows[j], 0.0f) << j;
    ASSERT_LE(s.stepBins[j], 0.25f) << j;  // three taps [a, 1 - 2a, a] stay non-negative
  }
  const SystemModel none(g, 64, 420.0 / 64, nullptr, Collimator::None);
  EXPECT_FALSE(none.blurs());
}
