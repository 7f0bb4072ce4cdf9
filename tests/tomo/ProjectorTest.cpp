// The projector and its back-projector: <A x, y> = <x, A^T y> with attenuation and blur.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/tomo/Phantom.h"
#include "model/tomo/Poisson.h"
#include "model/tomo/Projector.h"

namespace lumo::tomo {
namespace {

ProjectionGeometry geometry(int n, int views, double radiusCm = 15) {
  ProjectionGeometry g;
  g.n = n;
  g.pixelMm = kFieldOfViewMm / n;
  g.views = views;
  g.startDeg = 0;
  g.stepDeg = 360.0 / views;
  g.radiusCm = radiusCm;
  return g;
}

std::vector<float> randomVector(std::size_t size, std::uint64_t seed) {
  Random rng(seed);
  std::vector<float> v(size);
  for (float& x : v) x = static_cast<float>(rng.uniform());
  return v;
}

double dot(const std::vector<float>& a, const std::vector<float>& b) {
  double s = 0;
  for (std::size_t i = 0; i < a.size(); ++i) s += static_cast<double>(a[i]) * b[i];
  return s;
}

// <A x, y> against <x, A^T y> for random x and y: every weight of the forward direction must
// reappear in the backward one, so the two agree to float rounding.
TEST(Projector, BackProjectorIsTheExactAdjoint) {
  struct Case {
    const char* what;
    int views;
    bool attenuation;
    Collimator collimator;
    double radiusCm;
  };
  const Case cases[] = {{"plain", 30, false, Collimator::None, 15},
                        {"attenuation", 30, true, Collimator::None, 15},
                        {"blur LEHR", 30, false, Collimator::Lehr, 15},
                        {"attenuation and LEGP blur, 40 cm", 17, true, Collimator::Legp, 40},
                        {"attenuation and LEHR blur, odd angles", 7, true, Collimator::Lehr, 10}};
  const int n = 64;
  const Phantom ph = makePhantom(PhantomKind::Brain, n, 0.15);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProjectionGeometry g = geometry(n, c.views, c.radiusCm);
    if (c.views == 7) g.startDeg = 13.7;
    const Projector A(g, c.attenuation ? &ph.mu : nullptr, c.collimator);
    EXPECT_EQ(A.attenuates(), c.attenuation);
    EXPECT_EQ(A.blurs(), c.collimator != Collimator::None);
    const std::vector<float> x = randomVector(static_cast<std::size_t>(n * n), 11);
    const std::vector<float> y = randomVector(static_cast<std::size_t>(c.views * n), 12);
    std::vector<float> Ax(y.size(), 0.0f), Aty(x.size(), 0.0f);
    A.forward(x.data(), Ax.data());
    A.back(y.data(), Aty.data());
    const double lhs = dot(Ax, y), rhs = dot(x, Aty);
    EXPECT_GT(lhs, 0.0);
    EXPECT_NEAR(lhs, rhs, 1e-5 * std::fabs(lhs));

    // A subset of views: the same identity over those views alone.
    const std::vector<int> some{0, 3, c.views - 1};
    std::vector<float> Axs(y.size(), 0.0f), ys(y.size(), 0.0f), Atys(x.size(), 0.0f);
    A.forward(x.data(), Axs.data(), some);
    for (int v : some)
      for (int b = 0; b < n; ++b) ys[static_cast<std::size_t>(v * n + b)] = y[static_cast<std::size_t>(v * n + b)];
    A.back(ys.data(), Atys.data(), some);
    const double lhsS = dot(Axs, ys), rhsS = dot(x, Atys);
    EXPECT_GT(lhsS, 0.0);
    EXPECT_NEAR(lhsS, rhsS, 1e-5 * std::fabs(lhsS));
  }
}

}  // namespace
}  // namespace lumo::tomo
