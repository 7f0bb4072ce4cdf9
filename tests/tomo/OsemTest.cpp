// MLEM/OSEM on the system model: subsets and their order, the Poisson log-likelihood, and the
// additive term (scatter and other known counts) in ybar = A x + s.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "model/tomo/Osem.h"
#include "model/tomo/Phantom.h"
#include "model/tomo/Poisson.h"
#include "model/tomo/SystemModel.h"

namespace lumo::tomo {
namespace {

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
  // The plan: subsets clamped to the views, steps counted as the window and the runner count them.
  const SubsetPlan plan = SubsetPlan::make(3, 7, 30);
  EXPECT_EQ(plan.steps(), 21);
  EXPECT_EQ(plan.order, subsetOrder(7));
  EXPECT_EQ(plan.viewsOf[2], subsetViews(2, 7, 30));
  EXPECT_EQ(plan.at(8).iteration, 2);
  EXPECT_EQ(plan.at(8).subIteration, 1);
  EXPECT_EQ(plan.at(21).subIteration, 7);
  EXPECT_EQ(SubsetPlan::make(2, 50, 6).subsets, 6);
  Settings s;
  s.method = Method::Mlem;
  s.subsets = 10;
  EXPECT_EQ(subsetPlan(s, 60).subsets, 1);
  s.method = Method::Osem;
  EXPECT_EQ(subsetPlan(s, 60).subsets, 10);
}

TEST(Osem, PoissonLogLikelihood) {
  const std::vector<float> y{0, 1, 4}, ybar{0.5f, 1, 2};
  // 0 - 0.5 + 0 - 1 + 4 log 2 - 2
  EXPECT_NEAR(poissonLogLikelihood(y, ybar), 4 * std::log(2.0) - 3.5, 1e-6);
  const std::vector<float> zero{0, 0, 0};
  EXPECT_TRUE(std::isfinite(poissonLogLikelihood(y, zero)));
}

// A small study with attenuation and blur: a water cylinder over two slices, and an additive term
// of a constant and a ramp across the bins, about as large as the true counts.
struct Study {
  Phantom ph = makePhantom(PhantomKind::Cylinder, 32, 2, 0.15);
  ProjectionGeometry g = ProjectionGeometry::circular(24, 2, 32, 420.0 / 32, 420.0 / 32, 0, 15, 200);
  SystemModel A{g, 32, 420.0 / 32, &ph.mu, Collimator::Lehr};
  ProjectionStack truthCounts = A.blankProjections();
  std::vector<float> additive;
  Study() {
    A.forward(ph.activity, truthCounts);
    for (int v = 0; v < g.views; ++v)
      for (int r = 0; r < g.rows; ++r)
        for (int b = 0; b < g.bins; ++b) additive.push_back(static_cast<float>(40.0 + 80.0 * b / (g.bins - 1)));
  }
  ProjectionStack expected() const {
    ProjectionStack y = truthCounts;
    for (std::size_t i = 0; i < y.counts.size(); ++i) y.counts[i] += additive[i];
    return y;
  }
};

// MLEM increases the likelihood of the data under its own model, A x + s, at every iteration.
TEST(Osem, MlemLikelihoodWithAnAdditiveTermNeverDecreases) {
  const Study st;
  ProjectionStack y = st.expected();
  poissonNoise(y.counts, 9);
  const SubsetPlan plan = SubsetPlan::make(15, 1, st.g.views);
  std::vector<double> ll;
  ProjectionStack ybar = st.A.blankProjections();
  const auto observe = [&](const EmProgress& p) {
    st.A.forward(p.estimate, ybar);
    for (std::size_t i = 0; i < ybar.counts.size(); ++i) ybar.counts[i] += st.additive[i];
    ll.push_back(poissonLogLikelihood(y.counts, ybar.counts));
    return true;
  };
  const EmResult r = osem(st.A, y, st.additive, uniformStart(st.A, y, st.additive), plan, observe);
  ASSERT_EQ(ll.size(), 15u);
  EXPECT_EQ(r.steps, 15);
  for (std::size_t i = 1; i < ll.size(); ++i) EXPECT_GE(ll[i], ll[i - 1] - 1e-9 * std::fabs(ll[i - 1])) << "iteration " << i + 1;
  EXPECT_GT(ll.back(), ll.front());
}

// With the additive term modelled the counts it adds are not taken for activity: noiseless data
// reconstruct to the truth in the cylinder; left out, they would inflate it.
TEST(Osem, TheAdditiveTermIsNotTakenForActivity) {
  const Study st;
  const ProjectionStack y = st.expected();
  const SubsetPlan plan = SubsetPlan::make(10, 4, st.g.views);
  const Region* disc = nullptr;
  for (const Region& r : st.ph.regions)
    if (r.kind == Region::Uniform) disc = &r;
  ASSERT_NE(disc, nullptr);
  auto discMean = [&](const Volume& v) {
    double s = 0;
    for (int i : disc->voxels) s += v.v[static_cast<std::size_t>(i)];
    return s / static_cast<double>(disc->voxels.size());
  };
  const double truth = discMean(st.ph.activity);
  const Volume with = osem(st.A, y, st.additive, uniformStart(st.A, y, st.additive), plan).estimate;
  EXPECT_NEAR(discMean(with) / truth, 1.0, 0.03);
  const Volume without = osem(st.A, y, {}, uniformStart(st.A, y, {}), plan).estimate;
  EXPECT_GT(discMean(without) / truth, 1.1);
  // The start holds the data's total less the additive term's.
  std::vector<float> sens(st.A.grid().volumeSize()), ones(y.counts.size(), 1.0f), start(sens.size());
  st.A.backZ(ones.data(), sens.data());
  toZFastest(uniformStart(st.A, y, st.additive), start.data());
  double seen = 0, additiveTotal = 0;
  for (std::size_t i = 0; i < sens.size(); ++i) seen += static_cast<double>(sens[i]) * start[i];
  for (float a : st.additive) additiveTotal += a;
  EXPECT_NEAR(seen, y.total() - additiveTotal, 1e-4 * y.total());
  // An additive term or a start of another size is refused.
  EXPECT_THROW(osem(st.A, y, std::vector<float>(3, 1.0f), with, plan), std::invalid_argument);
  EXPECT_THROW(osem(st.A, y, st.additive, Volume::blank(32, 1, 420.0 / 32), plan), std::invalid_argument);
}

}  // namespace
}  // namespace lumo::tomo
