// FBP, Chang and MLEM/OSEM against first principles, in kBq/mL: the truth from noiseless data, a
// likelihood that never falls, attenuation that cups the uniform cylinder, resolution recovery in
// the plane and along the axis, one slice as the two-dimensional lab, and inputs it must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "model/tomo/Acquisition.h"
#include "model/tomo/Chang.h"
#include "model/tomo/Collimator.h"
#include "model/tomo/Fbp.h"
#include "model/tomo/Figures.h"
#include "model/tomo/Osem.h"
#include "model/tomo/PostFilter.h"
#include "model/tomo/Reconstruction.h"
#include "model/tomo/SystemModel.h"

namespace lumo::tomo {
namespace {

// Noiseless data of an ideal camera that records no scatter: what these tests compare with the
// truth (scatter and its corrections have tests of their own).
Settings noiseless(PhantomKind phantom, int matrix, int slices = 1) {
  Settings s;
  s.phantom = phantom;
  s.matrix = matrix;
  s.slices = slices;
  s.noise = false;
  s.scatter = false;
  return s;
}

Reconstruction run(const Settings& s, const Acquisition& a, const StepObserver& observe = {}) {
  return reconstruct(s, a.data, &a.phantom.mu, a.calibration, &a.truth(), &a.phantom, observe);
}

double sum(const Volume& v) {
  double t = 0;
  for (float x : v.v) t += x;
  return t;
}

bool allFinite(const Volume& v) {
  for (float x : v.v)
    if (!std::isfinite(x)) return false;
  return true;
}

// Mean of slice k over the voxels whose centre lies between r0 and r1 mm from the axis.
double ringMean(const Volume& v, int k, double r0, double r1) {
  double s = 0;
  int count = 0;
  for (int y = 0; y < v.n; ++y)
    for (int x = 0; x < v.n; ++x) {
      const double r = std::hypot(v.xMm(x), v.yMm(y));
      if (r >= r0 && r < r1) {
        s += v.at(x, y, k);
        ++count;
      }
    }
  return count ? s / count : NAN;
}

double regionMean(const Volume& v, const Phantom& p, Region::Kind kind) {
  for (const Region& r : p.regions)
    if (r.kind == kind) {
      double s = 0;
      for (int i : r.voxels) s += v.v[static_cast<std::size_t>(i)];
      return s / static_cast<double>(r.voxels.size());
    }
  return NAN;
}

TEST(Reconstruction, FbpOfIdealDataReproducesSheppLoganAndKeepsTheActivity) {
  Settings s = noiseless(PhantomKind::SheppLogan, 128);
  s.attenuation = 0;
  s.collimator = Collimator::None;
  s.method = Method::Fbp;
  s.prefilter = Prefilter::None;
  s.ac = false;
  const Acquisition a = acquire(s);
  const Reconstruction r = run(s, a);
  ASSERT_EQ(r.volume.n, 128);
  ASSERT_EQ(r.volume.slices, 1);
  ASSERT_EQ(r.history.size(), 1u);
  EXPECT_EQ(r.history[0].iteration, 0);
  EXPECT_TRUE(std::isnan(r.history[0].logLikelihood));
  EXPECT_NEAR(sum(r.volume), sum(a.truth()), 0.01 * sum(a.truth()));  // both in kBq/mL
  EXPECT_LT(r.history[0].nrmse, 0.5);
  // Shepp-Logan's window smooths: a little further from the sharp truth, the same activity.
  s.filter = ReconFilter::SheppLogan;
  const Reconstruction sl = run(s, a);
  EXPECT_GT(sl.history[0].nrmse, r.history[0].nrmse);
  EXPECT_NEAR(sum(sl.volume), sum(a.truth()), 0.01 * sum(a.truth()));
}

TEST(Reconstruction, EveryPrefilterKeepsTheCountsAndStaysFinite) {
  // Every window passes the zero frequency unchanged, so the activity of a slice does not depend
  // on it: along the bins at one slice, in two dimensions in the middle of a volume.
  for (int slices : {1, 16}) {
    Settings s = noiseless(PhantomKind::Cylinder, 64, slices);
    s.method = Method::Fbp;
    s.ac = false;
    const Acquisition a = acquire(s);
    const int k = slices / 2;
    s.prefilter = Prefilter::None;
    const double plain = sum(Volume::of(run(s, a).volume.slice(k)));
    ASSERT_GT(plain, 0.0);
    for (Prefilter p : {Prefilter::Butterworth, Prefilter::Hanning, Prefilter::Hamming, Prefilter::Gauss}) {
      SCOPED_TRACE(std::string(name(p)) + ", " + std::to_string(slices) + " slices");
      s.prefilter = p;
      const Reconstruction r = run(s, a);
      ASSERT_TRUE(allFinite(r.volume));
      EXPECT_NEAR(sum(Volume::of(r.volume.slice(k))), plain, 0.02 * plain);
    }
  }
}

TEST(Reconstruction, AttenuationCupsTheCylinderChangAndModellingRemoveIt) {
  Settings s = noiseless(PhantomKind::Cylinder, 64);
  s.collimator = Collimator::None;
  s.prefilter = Prefilter::None;
  const Acquisition a = acquire(s);
  const double truthLevel = ringMean(a.truth(), 0, 0, 70);
  ASSERT_NEAR(truthLevel, 10.0, 1e-5);  // water, kBq/mL
  auto cupping = [&](const Volume& v) { return 1.0 - ringMean(v, 0, 0, 25) / ringMean(v, 0, 80, 95); };
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
  const double cPlain = cupping(plain.volume), cChang = cupping(chang.volume), cOsem = cupping(osem.volume);
  EXPECT_GT(cPlain, 0.4);                      // the centre well below the edge
  EXPECT_LT(std::fabs(cChang), 0.3 * cPlain);  // Chang removes most of it
  EXPECT_LT(std::fabs(cOsem), std::fabs(cChang));
  // Modelled attenuation is quantitative: the truth's concentration within a few per cent.
  EXPECT_NEAR(ringMean(osem.volume, 0, 0, 70) / truthLevel, 1.0, 0.05);
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
  EXPECT_TRUE(allFinite(r.volume));
}

TEST(Reconstruction, OsemOfNoiselessDataConvergesTowardTheTruth) {
  struct Case {
    PhantomKind phantom;
    int slices;
  };
  for (const Case& c : {Case{PhantomKind::SheppLogan, 1}, Case{PhantomKind::Jaszczak, 1}, Case{PhantomKind::Jaszczak, 4}}) {
    SCOPED_TRACE(std::string(name(c.phantom)) + ", " + std::to_string(c.slices) + " slices");
    Settings s = noiseless(c.phantom, 64, c.slices);
    s.iterations = 8;
    s.subsets = 8;
    const Acquisition a = acquire(s);
    const Reconstruction r = run(s, a);
    ASSERT_EQ(r.history.size(), 8u);
    for (std::size_t i = 1; i < r.history.size(); ++i) EXPECT_LT(r.history[i].nrmse, r.history[i - 1].nrmse) << i;
    EXPECT_LT(r.history.back().nrmse, 0.8 * r.history.front().nrmse);
    EXPECT_NEAR(sum(r.volume), sum(a.truth()), 0.03 * sum(a.truth()));
  }
}

// A perfect reconstruction equals the truth: noiseless data without blur, attenuation modelled,
// enough MLEM iterations for the smooth cylinder, the central disc at the water's 10 kBq/mL; and
// the counts only set the noise: ten times the counts, the same kBq/mL.
TEST(Reconstruction, ResultsAreInKilobecquerelPerMillilitreWhateverTheCounts) {
  Settings s = noiseless(PhantomKind::Cylinder, 64);
  s.collimator = Collimator::None;
  s.method = Method::Mlem;
  s.iterations = 60;
  const Acquisition a = acquire(s);
  const double truth = regionMean(a.truth(), a.phantom, Region::Uniform);
  ASSERT_NEAR(truth, 10.0, 1e-5);
  const Reconstruction r = run(s, a);
  EXPECT_NEAR(regionMean(r.volume, a.phantom, Region::Uniform) / truth, 1.0, 0.02);

  s.iterations = 3;
  for (Method m : {Method::Fbp, Method::Osem}) {
    SCOPED_TRACE(name(m));
    s.method = m;
    s.counts = 100000;
    const Acquisition low = acquire(s);
    s.counts = 1000000;
    const Acquisition high = acquire(s);
    const double lowMean = regionMean(run(s, low).volume, low.phantom, Region::Uniform);
    const double highMean = regionMean(run(s, high).volume, high.phantom, Region::Uniform);
    EXPECT_NEAR(highMean / lowMean, 1.0, 1e-4);
    EXPECT_NEAR(lowMean / truth, 1.0, 0.1);
  }
}

// The point 10 cm off the axis, LEGP: the collimator's blur grows with the distance from the face,
// and modelling it (rr on) narrows the reconstructed point in the plane and along the axis. At one
// slice there is no axis: its FWHM is NaN and the model blurs along the bins only.
TEST(Reconstruction, ResolutionRecoveryNarrowsTheOffCentrePoint) {
  for (int slices : {9, 1}) {
    SCOPED_TRACE(std::to_string(slices) + " slices");
    Settings s = noiseless(PhantomKind::Points, 64, slices);
    s.views = 60;
    s.collimator = Collimator::Legp;
    s.iterations = 10;
    s.subsets = 10;
    const Acquisition a = acquire(s);
    s.rr = false;
    const Figures off = figuresOfMerit(run(s, a).volume, a.truth(), a.phantom);
    s.rr = true;
    const Figures on = figuresOfMerit(run(s, a).volume, a.truth(), a.phantom);
    ASSERT_EQ(on.fwhm.size(), 3u);
    ASSERT_EQ(on.fwhm[2].name, "10 cm");
    EXPECT_LT(on.fwhm[2].fwhmMm, 0.9 * off.fwhm[2].fwhmMm);
    if (slices > 1) {
      EXPECT_LT(on.fwhm[2].axialFwhmMm, 0.9 * off.fwhm[2].axialFwhmMm);
      // Without modelling, at least the collimator's FWHM at the point's nearest approach.
      EXPECT_GT(off.fwhm[2].axialFwhmMm, collimatorFwhmMm(Collimator::Legp, s.radiusCm * 10 - 100));
    } else {
      EXPECT_TRUE(std::isnan(on.fwhm[2].axialFwhmMm));
      EXPECT_TRUE(std::isnan(off.fwhm[2].axialFwhmMm));
      const SystemModel A(a.data.geometry, 64, a.truth().voxelMm, nullptr, Collimator::Legp);
      EXPECT_EQ(A.collimate().schedule(0).nearRows.size(), 1u);
    }
  }
}

// One slice is the two-dimensional lab: reconstruct() gives what the pieces give when called one
// by one (FBP with Chang on the cylinder, OSEM with attenuation and blur on the brain), figures
// included.
TEST(Reconstruction, OneSliceIsTheDirectPathThroughThePieces) {
  {
    Settings s = noiseless(PhantomKind::Cylinder, 64);
    s.method = Method::Fbp;
    s.postfilterMm = 8;
    const Acquisition a = acquire(s);
    const Reconstruction r = run(s, a);
    const ProjectionGeometry& g = a.data.geometry;
    const std::vector<float> filtered = filterProjections(a.data, s);
    Volume acc = Volume::blank(g.bins, 1, g.binMm);
    backprojectViews(g, filtered, 0, g.views, acc);
    const Volume chang = changFactors(SystemModel(g, g.bins, g.binMm, &a.phantom.mu, Collimator::None), a.phantom.mu);
    for (std::size_t i = 0; i < acc.v.size(); ++i)
      acc.v[i] = static_cast<float>(acc.v[i] * (fbpViewWeight(g) / a.calibration)) * chang.v[i];
    const Volume direct = gaussianPostFilter(acc, s.postfilterMm);
    ASSERT_TRUE(direct.sameGrid(r.volume));
    for (std::size_t i = 0; i < direct.v.size(); ++i) ASSERT_NEAR(r.volume.v[i], direct.v[i], 1e-4 * (1 + std::fabs(direct.v[i]))) << i;
    const Figures f = figuresOfMerit(direct, a.truth(), a.phantom);
    EXPECT_NEAR(r.history[0].nrmse, f.nrmse, 1e-5);
    EXPECT_NEAR(r.history[0].cv, f.cv, 1e-5);
  }
  {
    Settings s = noiseless(PhantomKind::Brain, 64);
    s.noise = true;
    s.views = 60;
    s.iterations = 3;
    s.subsets = 6;
    const Acquisition a = acquire(s);
    const Reconstruction r = run(s, a);
    const SystemModel A(a.data.geometry, 64, a.truth().voxelMm, &a.phantom.mu, s.collimator);
    const SubsetPlan plan = SubsetPlan::make(3, 6, 60);
    Volume direct = osem(A, a.data, {}, uniformStart(A, a.data, {}), plan).estimate;
    for (float& v : direct.v) v = static_cast<float>(v / a.calibration);
    for (std::size_t i = 0; i < direct.v.size(); ++i) ASSERT_NEAR(r.volume.v[i], direct.v[i], 1e-4 * (1 + std::fabs(direct.v[i]))) << i;
    const Figures f = figuresOfMerit(direct, a.truth(), a.phantom);
    ASSERT_EQ(r.history.size(), 3u);
    EXPECT_NEAR(r.history.back().nrmse, f.nrmse, 1e-5);
    EXPECT_NEAR(r.history.back().cv, f.cv, 1e-5);
    EXPECT_NEAR(r.history.back().crc, f.crc[0].crc, 1e-5);  // basal ganglia, the first Hot region
  }
}

// Without a collimator's blur nothing passes between slices: the central slice of a uniform
// cylinder acquired over 5 slices reconstructs as the one-slice run does.
TEST(Reconstruction, CentralSliceOfAVolumeIsTheOneSliceRun) {
  for (Method m : {Method::Fbp, Method::Osem}) {
    SCOPED_TRACE(name(m));
    Settings s = noiseless(PhantomKind::Cylinder, 64);
    s.collimator = Collimator::None;
    s.method = m;
    s.prefilter = Prefilter::None;
    s.iterations = 3;
    const Acquisition one = acquire(s);
    s.slices = 5;
    const Acquisition five = acquire(s);
    const Volume a = run(s, one).volume, b = run(s, five).volume;
    ASSERT_EQ(b.slices, 5);
    double worst = 0;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x)
        if (std::hypot(a.xMm(x), a.yMm(y)) < 90) worst = std::max(worst, std::fabs(static_cast<double>(b.at(x, y, 2)) / a.at(x, y, 0) - 1));
    EXPECT_LT(worst, 0.01);
  }
}

TEST(Reconstruction, UnevenSubsetsAndOddInputs) {
  Settings s;
  s.phantom = PhantomKind::Rods;
  s.matrix = 64;
  s.views = 30;
  s.subsets = 7;  // subsets of 5 and 4 views
  s.iterations = 2;
  const Acquisition a = acquire(s);
  const Reconstruction r = run(s, a);
  ASSERT_TRUE(allFinite(r.volume));
  EXPECT_GT(sum(r.volume), 0.1 * sum(a.truth()));
  for (const IterationRecord& rec : r.history) EXPECT_TRUE(std::isfinite(rec.logLikelihood));

  // Data of zeros without an attenuation map or truth: finite volumes, figures NaN.
  ProjectionStack zeros = a.data;
  std::fill(zeros.counts.begin(), zeros.counts.end(), 0.0f);
  for (Method m : {Method::Fbp, Method::Mlem, Method::Osem}) {
    SCOPED_TRACE(name(m));
    s.method = m;
    const Reconstruction z = reconstruct(s, zeros, nullptr, a.calibration, nullptr, nullptr);
    ASSERT_EQ(z.volume.n, 64);
    EXPECT_TRUE(allFinite(z.volume));
    ASSERT_FALSE(z.history.empty());
    EXPECT_TRUE(std::isnan(z.history.back().nrmse));
  }
  // Inconsistent data, a map of another grid and a calibration that is not positive are refused.
  ProjectionStack broken = a.data;
  broken.counts.pop_back();
  const Volume small = Volume::blank(32, 1, 420.0 / 32), thick = Volume::blank(64, 2, 420.0 / 64);
  for (Method m : {Method::Fbp, Method::Osem}) {
    SCOPED_TRACE(name(m));
    s.method = m;
    EXPECT_THROW(reconstruct(s, broken, nullptr, a.calibration, nullptr, nullptr), std::invalid_argument);
    EXPECT_THROW(reconstruct(s, ProjectionStack{}, nullptr, a.calibration, nullptr, nullptr), std::invalid_argument);
    EXPECT_THROW(reconstruct(s, a.data, &small, a.calibration, nullptr, nullptr), std::invalid_argument);
    EXPECT_THROW(reconstruct(s, a.data, &thick, a.calibration, nullptr, nullptr), std::invalid_argument);
    for (double k : {0.0, -1.0, double(NAN), double(INFINITY)})
      EXPECT_THROW(reconstruct(s, a.data, &a.phantom.mu, k, nullptr, nullptr), std::invalid_argument) << k;
  }
}

// Counts that are NaN or infinite (a damaged import) count as 0 for every method: the volume stays
// finite and equals the reconstruction of the data with those bins at 0.
TEST(Reconstruction, CountsThatAreNotFiniteCountAsZeroForEveryMethod) {
  Settings s;
  s.matrix = 64;
  s.views = 30;
  s.subsets = 5;
  s.iterations = 2;
  const Acquisition a = acquire(s);
  ProjectionStack odd = a.data, zeroed = a.data;
  for (std::size_t i : {5u, 77u, 100u}) zeroed.counts[i] = 0.0f;
  odd.counts[5] = NAN;
  odd.counts[77] = -NAN;
  odd.counts[100] = INFINITY;
  for (Method m : {Method::Fbp, Method::Mlem, Method::Osem}) {
    SCOPED_TRACE(name(m));
    s.method = m;
    const Reconstruction r = reconstruct(s, odd, &a.phantom.mu, a.calibration, nullptr, nullptr);
    EXPECT_TRUE(allFinite(r.volume));
    EXPECT_TRUE(r.volume.v == reconstruct(s, zeroed, &a.phantom.mu, a.calibration, nullptr, nullptr).volume.v);
  }
}

TEST(Reconstruction, ObserverSeesTheBuildUpAndCancels) {
  Settings s;
  s.matrix = 64;
  s.slices = 3;
  s.views = 24;
  s.subsets = 6;
  s.iterations = 2;
  const Acquisition a = acquire(s);
  for (Method m : {Method::Fbp, Method::Mlem, Method::Osem}) {
    SCOPED_TRACE(name(m));
    s.method = m;
    std::vector<int> seen;
    int total = 0;
    const Reconstruction whole = run(s, a, [&](const BuildStep& st) {
      seen.push_back(st.index);
      total = st.total;
      EXPECT_EQ(st.partial->n, 64);
      EXPECT_EQ(st.partial->slices, 3);
      return true;
    });
    EXPECT_FALSE(whole.cancelled);
    const int expected = m == Method::Fbp ? 24 : m == Method::Mlem ? 2 : 2 * 6;
    EXPECT_EQ(total, expected);
    ASSERT_EQ(static_cast<int>(seen.size()), expected);
    for (int i = 0; i < expected; ++i) EXPECT_EQ(seen[static_cast<std::size_t>(i)], i + 1);
    // Without an observer the result is the same volume, with the same history.
    const Reconstruction quiet = run(s, a);
    EXPECT_EQ(quiet.volume.v, whole.volume.v);
    EXPECT_EQ(quiet.history.size(), whole.history.size());

    int calls = 0;
    Volume last;
    const Reconstruction stopped = run(s, a, [&](const BuildStep& st) {
      last = *st.partial;
      return ++calls < 2;
    });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(stopped.volume.v, last.v);  // the volume so far
    EXPECT_TRUE(allFinite(stopped.volume));
  }
}

}  // namespace
}  // namespace lumo::tomo
