// FBP, Chang and MLEM/OSEM against first principles: the truth of noiseless data, a likelihood
// that never falls, attenuation that cups the uniform cylinder, resolution recovery.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/tomo/Acquisition.h"
#include "model/tomo/Figures.h"
#include "model/tomo/Osem.h"
#include "model/tomo/Projector.h"
#include "model/tomo/Reconstruction.h"

namespace lumo::tomo {
namespace {

Settings noiseless(PhantomKind phantom, int matrix) {
  Settings s;
  s.phantom = phantom;
  s.matrix = matrix;
  s.noise = false;
  return s;
}

Reconstruction run(const Settings& s, const Acquisition& a) {
  return reconstruct(s, a.sinogram, &a.phantom.mu, &a.truth, &a.phantom);
}

double sum(const Image& im) {
  double t = 0;
  for (float v : im.px) t += v;
  return t;
}

bool allFinite(const Image& im) {
  for (float v : im.px)
    if (!std::isfinite(v)) return false;
  return true;
}

// Mean of the slice over the pixels whose centre lies between r0 and r1 mm from the centre.
double ringMean(const Image& im, double r0, double r1) {
  const double c = (im.n - 1) / 2.0;
  double s = 0;
  int count = 0;
  for (int y = 0; y < im.n; ++y)
    for (int x = 0; x < im.n; ++x) {
      const double r = std::hypot(x - c, y - c) * im.pixelMm;
      if (r >= r0 && r < r1) {
        s += im.at(x, y);
        ++count;
      }
    }
  return count ? s / count : NAN;
}

TEST(Reconstruction, TruthProjectsOntoTheExpectedSinogram) {
  // The truth is in the units of the data: projecting it with the acquisition's physics gives
  // the expected counts, which sum to the counts asked for.
  Settings s = noiseless(PhantomKind::Brain, 64);
  s.counts = 250000;
  const Acquisition a = acquire(s);
  double total = 0;
  for (float v : a.expected.counts) total += v;
  EXPECT_NEAR(total, s.counts, 1e-4 * s.counts);
  const Projector A(ProjectionGeometry::of(a.sinogram), &a.phantom.mu, s.collimator);
  const Sinogram p = A.project(a.truth);
  ASSERT_EQ(p.counts.size(), a.expected.counts.size());
  double worst = 0, peak = 0;
  for (std::size_t i = 0; i < p.counts.size(); ++i) {
    worst = std::max(worst, std::fabs(static_cast<double>(p.counts[i]) - a.expected.counts[i]));
    peak = std::max(peak, static_cast<double>(a.expected.counts[i]));
  }
  EXPECT_LT(worst, 1e-4 * peak);
  EXPECT_EQ(a.sinogram.counts, a.expected.counts);  // noise off
}

TEST(Reconstruction, FbpOfIdealDataReproducesSheppLoganAndKeepsTheCounts) {
  Settings s = noiseless(PhantomKind::SheppLogan, 128);
  s.attenuation = 0;
  s.collimator = Collimator::None;
  s.method = Method::Fbp;
  s.prefilter = Prefilter::None;
  s.ac = false;
  const Acquisition a = acquire(s);
  const Reconstruction r = run(s, a);
  ASSERT_EQ(r.slice.n, 128);
  ASSERT_EQ(r.history.size(), 1u);
  EXPECT_EQ(r.history[0].iteration, 0);
  EXPECT_TRUE(std::isnan(r.history[0].logLikelihood));
  EXPECT_NEAR(sum(r.slice), sum(a.truth), 0.01 * sum(a.truth));
  // Shepp-Logan's window smooths: a little further from the sharp truth, the same counts.
  s.filter = ReconFilter::SheppLogan;
  const Reconstruction sl = run(s, a);
  EXPECT_GT(sl.history[0].nrmse, r.history[0].nrmse);
  EXPECT_NEAR(sum(sl.slice), sum(a.truth), 0.01 * sum(a.truth));
}

TEST(Reconstruction, EveryPrefilterKeepsTheCountsAndStaysFinite) {
  Settings s = noiseless(PhantomKind::Cylinder, 64);
  s.method = Method::Fbp;
  const Acquisition a = acquire(s);
  for (Prefilter p : {Prefilter::None, Prefilter::Butterworth, Prefilter::Hanning, Prefilter::Hamming, Prefilter::Gauss}) {
    SCOPED_TRACE(name(p));
    s.prefilter = p;
    s.ac = false;
    const Reconstruction r = run(s, a);
    ASSERT_TRUE(allFinite(r.slice));
    EXPECT_GT(sum(r.slice), 0.0);
  }
}

TEST(Reconstruction, AttenuationCupsTheCylinderChangAndModellingRemoveIt) {
  Settings s = noiseless(PhantomKind::Cylinder, 64);
  s.collimator = Collimator::None;
  s.prefilter = Prefilter::None;
  const Acquisition a = acquire(s);
  const double truthLevel = ringMean(a.truth, 0, 70);
  auto cupping = [&](const Image& im) { return 1.0 - ringMean(im, 0, 25) / ringMean(im, 80, 95); };
  s.method = Method::Fbp;
  s.ac = false;
  const Reconstruction plain = run(s, a);
  s.ac = true;
  const Reconstruction chang = run(s, a);
  s.method = Method::Osem;
  s.iterations = 10;
  s.subsets = 8;
  s.rr = false;
  const Reconstruction osem = run(s, a);
  const double cPlain = cupping(plain.slice), cChang = cupping(chang.slice), cOsem = cupping(osem.slice);
  EXPECT_GT(cPlain, 0.4);                       // the centre well below the edge
  EXPECT_LT(std::fabs(cChang), 0.3 * cPlain);   // Chang removes most of it
  EXPECT_LT(std::fabs(cOsem), std::fabs(cChang));
  // Modelled attenuation is quantitative: the level of the truth within a few per cent.
  EXPECT_NEAR(ringMean(osem.slice, 0, 70) / truthLevel, 1.0, 0.05);
}

TEST(Reconstruction, MlemLikelihoodNeverDecreases) {
  Settings s;
  s.phantom = PhantomKind::Brain;
  s.matrix = 64;
  s.views = 60;
  s.counts = 200000;
  s.method = Method::Mlem;
  s.iterations = 25;
  const Acquisition a = acquire(s);
  const Reconstruction r = run(s, a);
  ASSERT_EQ(r.history.size(), 25u);
  for (std::size_t i = 1; i < r.history.size(); ++i) {
    EXPECT_EQ(r.history[i].iteration, static_cast<int>(i) + 1);
    EXPECT_GE(r.history[i].logLikelihood, r.history[i - 1].logLikelihood - 1e-9 * std::fabs(r.history[i - 1].logLikelihood))
        << "iteration " << i + 1;
  }
  EXPECT_GT(r.history.back().logLikelihood, r.history.front().logLikelihood);
  EXPECT_TRUE(allFinite(r.slice));
}

TEST(Reconstruction, OsemOfNoiselessDataConvergesTowardTheTruth) {
  Settings s = noiseless(PhantomKind::SheppLogan, 64);
  s.iterations = 8;
  s.subsets = 8;
  const Acquisition a = acquire(s);
  const Reconstruction r = run(s, a);
  ASSERT_EQ(r.history.size(), 8u);
  for (std::size_t i = 1; i < r.history.size(); ++i) EXPECT_LT(r.history[i].nrmse, r.history[i - 1].nrmse) << i;
  EXPECT_NEAR(sum(r.slice), sum(a.truth), 0.03 * sum(a.truth));
}

TEST(Reconstruction, ResolutionRecoveryNarrowsTheOffCentrePoint) {
  Settings s = noiseless(PhantomKind::Points, 128);
  s.views = 60;
  s.collimator = Collimator::Legp;
  s.iterations = 10;
  s.subsets = 10;
  const Acquisition a = acquire(s);
  s.rr = false;
  const Figures off = figuresOfMerit(run(s, a).slice, a.truth, a.phantom);
  s.rr = true;
  const Figures on = figuresOfMerit(run(s, a).slice, a.truth, a.phantom);
  ASSERT_EQ(on.fwhm.size(), 3u);
  ASSERT_EQ(on.fwhm[2].name, "10 cm");
}

TEST(Reconstruction, UnevenSubsetsAndOddInputsGiveFiniteSlices) {
  Settings s;
  s.phantom = PhantomKind::Rods;
  s.matrix = 64;
  s.views = 30;
  s.subsets = 7;  // subsets of 5 and 4 views
  s.iterations = 2;
  const Acquisition a = acquire(s);
  const Reconstruction r = run(s, a);
  ASSERT_TRUE(allFinite(r.slice));
  EXPECT_GT(sum(r.slice), 0.1 * sum(a.truth));
  for (const IterationRecord& rec : r.history) EXPECT_TRUE(std::isfinite(rec.logLikelihood));

  // A sinogram of zeros, and one without an attenuation map or truth: finite, figures NaN.
  Sinogram zeros = a.sinogram;
  std::fill(zeros.counts.begin(), zeros.counts.end(), 0.0f);
  for (Method m : {Method::Fbp, Method::Mlem, Method::Osem}) {
    SCOPED_TRACE(name(m));
    s.method = m;
    const Reconstruction z = reconstruct(s, zeros, nullptr, nullptr, nullptr);
    ASSERT_EQ(z.slice.n, 64);
    EXPECT_TRUE(allFinite(z.slice));
    ASSERT_FALSE(z.history.empty());
    EXPECT_TRUE(std::isnan(z.history.back().nrmse));
  }
  // An inconsistent sinogram: an empty slice, nothing else.
  Sinogram broken = a.sinogram;
  broken.counts.pop_back();
  EXPECT_TRUE(reconstruct(s, broken, nullptr, nullptr, nullptr).slice.px.empty());
}

TEST(Reconstruction, ObserverSeesTheBuildUpAndCancels) {
  Settings s;
  s.matrix = 64;
  s.views = 24;
  const Acquisition a = acquire(s);
  for (Method m : {Method::Fbp, Method::Osem}) {
    SCOPED_TRACE(name(m));
    s.method = m;
    std::vector<int> seen;
    int total = 0;
    const Reconstruction whole = reconstruct(s, a.sinogram, &a.phantom.mu, &a.truth, &a.phantom, [&](const BuildStep& st) {
      seen.push_back(st.index);
      total = st.total;
      EXPECT_EQ(st.partial->n, 64);
      return true;
    });
    EXPECT_FALSE(whole.cancelled);
    const int expected = m == Method::Fbp ? 24 : s.iterations * s.subsets;
    EXPECT_EQ(total, expected);
    ASSERT_EQ(static_cast<int>(seen.size()), expected);
    EXPECT_EQ(seen.front(), 1);
    EXPECT_EQ(seen.back(), expected);
    // Without an observer the result is the same slice.
    EXPECT_EQ(run(s, a).slice.px, whole.slice.px);

    int calls = 0;
    const Reconstruction stopped =
        reconstruct(s, a.sinogram, &a.phantom.mu, &a.truth, &a.phantom, [&](const BuildStep&) { return ++calls < 3; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(stopped.slice.n, 64);
    EXPECT_TRUE(allFinite(stopped.slice));
  }
}

TEST(Osem, SubsetsInBitReversedOrderCoverEveryViewOnce) {
  EXPECT_EQ(subsetOrder(8), (std::vector<int>{0, 4, 2, 6, 1, 5, 3, 7}));
  EXPECT_EQ(subsetOrder(5), (std::vector<int>{0, 4, 2, 1, 3}));
  EXPECT_EQ(subsetOrder(1), (std::vector<int>{0}));
  for (int S : {1, 3, 7, 10, 16}) {
    const std::vector<int> order = subsetOrder(S);
    ASSERT_EQ(static_cast<int>(order.size()), S);
    std::vector<int> count(30, 0);
    for (int s : order)
      for (int v : subsetViews(s, S, 30)) ++count[static_cast<std::size_t>(v)];
    for (int c : count) EXPECT_EQ(c, 1) << S;
  }
  EXPECT_EQ(subsetViews(2, 7, 30), (std::vector<int>{2, 9, 16, 23}));
  EXPECT_EQ(subsetViews(1, 7, 30), (std::vector<int>{1, 8, 15, 22, 29}));
  EXPECT_EQ(effectiveSubsets(10, 6), 6);
  EXPECT_EQ(effectiveSubsets(0, 6), 1);
}

TEST(Osem, PoissonLogLikelihood) {
  const std::vector<float> y{0, 1, 4}, ybar{0.5f, 1, 2};
  // 0 - 0.5 + 0 - 1 + 4 log 2 - 2
  EXPECT_NEAR(poissonLogLikelihood(y, ybar), 4 * std::log(2.0) - 3.5, 1e-6);
  const std::vector<float> zero{0, 0, 0};
  EXPECT_TRUE(std::isfinite(poissonLogLikelihood(y, zero)));
}

}  // namespace
}  // namespace lumo::tomo
