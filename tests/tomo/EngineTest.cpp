// The collimator kernels of the projector, and sinograms a reconstruction cannot use.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numeric>

#include "model/tomo/Acquisition.h"
#include "model/tomo/Collimator.h"
#include "model/tomo/Figures.h"
#include "model/tomo/Osem.h"
#include "model/tomo/Poisson.h"
#include "model/tomo/Projector.h"
#include "model/tomo/Reconstruction.h"
#include "model/tomo/Settings.h"

using namespace lumo::tomo;

namespace {

bool allFinite(const Image& im) {
  for (float v : im.px)
    if (!std::isfinite(v)) return false;
  return true;
}

}  // namespace

TEST(TomoProjector, BlurKernelsWidenWithDistanceAndSumToOne) {
  const ProjectionGeometry g{128, 420.0 / 128, 4, 0, 90, 15};
  const Projector A(g, nullptr, Collimator::Lehr);
  EXPECT_LT(A.kernel(0).size(), A.kernel(127).size());  // plane 0 is next to the detector
  for (int j : {0, 64, 127}) EXPECT_NEAR(std::accumulate(A.kernel(j).begin(), A.kernel(j).end(), 0.0), 1.0, 1e-6);
  // LEHR about 7 mm and LEGP 8 to 9 mm at 10 cm; no collimator, no blur.
  EXPECT_NEAR(collimatorFwhmMm(Collimator::Lehr, 100), 7.0, 0.3);
  EXPECT_GT(collimatorFwhmMm(Collimator::Legp, 100), 8.0);
  EXPECT_LT(collimatorFwhmMm(Collimator::Legp, 100), 9.0);
  EXPECT_EQ(collimatorFwhmMm(Collimator::None, 100), 0.0);
}

TEST(TomoInput, BrokenSinogramsGiveAnEmptySliceNotACrash) {
  Settings s;
  Sinogram bad;
  EXPECT_TRUE(reconstruct(s, bad, nullptr, nullptr, nullptr).slice.px.empty());
  bad.views = 4;
  bad.bins = 8;
  bad.binMm = 3;
  bad.counts.assign(31, 1.0f);  // one short
  EXPECT_TRUE(reconstruct(s, bad, nullptr, nullptr, nullptr).slice.px.empty());
  bad.counts.assign(32, std::nanf(""));
  bad.stepDeg = 90;
  const Reconstruction r = reconstruct(s, bad, nullptr, nullptr, nullptr);
  EXPECT_EQ(r.slice.n, 8);
  EXPECT_TRUE(allFinite(r.slice));
}

