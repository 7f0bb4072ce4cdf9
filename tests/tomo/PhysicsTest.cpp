// The physics a student is told about, checked against first principles: where a point projects
// and how wide, the attenuation factor exp(-mu l), Chang's factor, counts kept by rotation and
// blur, the post-filter's width, the FBP filter's response and the figures of merit.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "model/Filters.h"
#include "model/tomo/Chang.h"
#include "model/tomo/Collimator.h"
#include "model/tomo/Fbp.h"
#include "model/tomo/Fft.h"
#include "model/tomo/Figures.h"
#include "model/tomo/Phantom.h"
#include "model/tomo/PostFilter.h"
#include "model/tomo/Projector.h"

namespace lumo::tomo {
namespace {

ProjectionGeometry geometry(int n, int views, double radiusCm = 15) {
  ProjectionGeometry g;
  g.n = n;
  g.pixelMm = kFieldOfViewMm / n;
  g.views = views;
  g.stepDeg = 360.0 / views;
  g.radiusCm = radiusCm;
  return g;
}

// An image with one unit pixel at (x, y).
Image point(int n, int x, int y) {
  Image im = Image::blank(n, kFieldOfViewMm / n);
  im.px[static_cast<std::size_t>(y * n + x)] = 1.0f;
  return im;
}

double viewSum(const Sinogram& s, int v) {
  double t = 0;
  for (int b = 0; b < s.bins; ++b) t += s.at(v, b);
  return t;
}

// Centroid and FWHM (bins) of view v.
std::pair<double, double> centroidAndWidth(const Sinogram& s, int v) {
  double t = 0, m = 0;
  int peak = 0;
  std::vector<float> row(static_cast<std::size_t>(s.bins));
  for (int b = 0; b < s.bins; ++b) {
    row[static_cast<std::size_t>(b)] = s.at(v, b);
    t += s.at(v, b);
    m += b * s.at(v, b);
    if (s.at(v, b) > s.at(v, peak)) peak = b;
  }
  return {m / t, fwhmOf(row, peak)};
}

TEST(Physics, OrientationAndDepthDependentBlurOfAPoint) {
  // A point 60 mm right of the centre (n odd: the centre is a pixel). View 0 looks from above
  // (bins left to right): the point sits 60 mm right of the centre bin. Views turn
  // counter-clockwise: at 90 degrees the detector is at the left and the point projects onto the
  // centre bin; at 180 degrees (below, bins right to left) 60 mm left of it.
  const int n = 105;  // 4 mm pixels
  const double c = (n - 1) / 2.0;
  const ProjectionGeometry g = geometry(n, 4);
  const Projector A(g, nullptr, Collimator::Lehr);
  const int x = static_cast<int>(c) + 15;
  const Sinogram s = A.project(point(n, x, static_cast<int>(c)));
  EXPECT_NEAR(centroidAndWidth(s, 0).first, c + 15, 0.01);
  EXPECT_NEAR(centroidAndWidth(s, 1).first, c, 0.01);
  EXPECT_NEAR(centroidAndWidth(s, 2).first, c - 15, 0.01);
  EXPECT_NEAR(centroidAndWidth(s, 3).first, c, 0.01);
  // At 90 degrees the point is 60 mm further from the detector than the centre, at 270 degrees
  // 60 mm nearer: its image is wider at 90 than at 270, each about the collimator's FWHM there.
  const double far = centroidAndWidth(s, 1).second * g.pixelMm, nearer = centroidAndWidth(s, 3).second * g.pixelMm;
  EXPECT_GT(far, nearer + 2.0);
  EXPECT_NEAR(far, collimatorFwhmMm(Collimator::Lehr, 150 + 60), 1.5);
  EXPECT_NEAR(nearer, collimatorFwhmMm(Collimator::Lehr, 150 - 60), 1.5);
}

TEST(Physics, ViewsKeepTheCountsOfTheSliceWithoutAttenuation) {
  // Blur kernels of sum 1 neither make nor lose counts inside the field. Rotating by bilinear
  // interpolation keeps them exactly at multiples of 90 degrees and to a few tenths of a per cent
  // for an extended object at other angles (the known cost of a rotation-based projector; a
  // single pixel can be off by a few per cent at oblique views).
  const Phantom ph = makePhantom(PhantomKind::Brain, 64, 0.15);
  const double total = std::accumulate(ph.activity.px.begin(), ph.activity.px.end(), 0.0);
  for (Collimator c : {Collimator::None, Collimator::Lehr, Collimator::Legp}) {
    SCOPED_TRACE(name(c));
    const Projector A(geometry(64, 24, 25), nullptr, c);
    const Sinogram s = A.project(ph.activity);
    for (int v = 0; v < 24; ++v) EXPECT_NEAR(viewSum(s, v), total, (v % 6 == 0 ? 1e-5 : 5e-3) * total) << v;
  }
}

TEST(Physics, AttenuationFactorAndChangAtTheCentreOfTheCylinder) {
  // A point at the centre of the 20 cm water cylinder: every view sees exp(-mu * 10 cm), and
  // Chang's factor there is its inverse (the same path in every direction).
  const int n = 105;
  const int c = (n - 1) / 2;
  const double mu = 0.15;
  const Phantom cyl = makePhantom(PhantomKind::Cylinder, n, mu);
  const ProjectionGeometry g = geometry(n, 12);
  const Projector A(g, &cyl.mu, Collimator::None);
  const Sinogram s = A.project(point(n, c, c));
  const double expected = std::exp(-mu * 10.0);
  for (int v = 0; v < 12; ++v) {
    EXPECT_NEAR(A.attenuationFactor(v, c, c), expected, 0.01 * expected) << v;
    if (v % 3 == 0) {  // axis-aligned views
      EXPECT_NEAR(viewSum(s, v), expected, 0.01 * expected) << v;
    }
  }
  EXPECT_FLOAT_EQ(A.attenuationFactor(0, c, 0), 1.0f);  // plane 0 at the detector: air

  const Image chang = changFactors(g, cyl.mu);
  EXPECT_NEAR(chang.at(c, c), 1.0 / expected, 0.01 / expected);
  // Nearer the edge the mean path is shorter; outside the body no correction.
  EXPECT_LT(chang.at(c + 20, c), chang.at(c, c));
  EXPECT_GT(chang.at(c + 20, c), 1.0f);
  EXPECT_EQ(chang.at(2, c), 1.0f);
  // Without attenuation the factors are 1 everywhere.
  const Image none = changFactors(g, makePhantom(PhantomKind::Cylinder, n, 0).mu);
  for (float f : none.px) ASSERT_EQ(f, 1.0f);
}

TEST(Physics, PostFilterHasItsFwhmAndKeepsTheCounts) {
  const int n = 128;
  const Image p = point(n, 64, 64);
  for (double fwhm : {10.0, 20.0}) {
    SCOPED_TRACE(fwhm);
    const Image f = gaussianPostFilter(p, fwhm);
    EXPECT_NEAR(std::accumulate(f.px.begin(), f.px.end(), 0.0), 1.0, 1e-5);
    // Sampled at whole pixels of 3.3 mm, the half-maximum crossings land within half a pixel.
    EXPECT_NEAR(pointFwhmMm(f, (64 - 63.5) * p.pixelMm, (63.5 - 64) * p.pixelMm), fwhm, p.pixelMm / 2);
  }
  EXPECT_EQ(gaussianPostFilter(p, 0).px, p.px);
  EXPECT_EQ(gaussianPostFilter(p, NAN).px, p.px);
}

TEST(Physics, FbpResponseIsTheRampTimesWindowAndPrefilter) {
  const int m = paddedLength(128);
  EXPECT_EQ(m, 256);
  Settings s;
  s.prefilter = Prefilter::None;
  s.filter = ReconFilter::Ramp;
  const std::vector<float> ramp = fbpResponse(m, s);
  ASSERT_EQ(ramp.size(), static_cast<std::size_t>(m / 2 + 1));
  for (int q : {8, 32, 64, 100, 128}) EXPECT_NEAR(ramp[static_cast<std::size_t>(q)], static_cast<double>(q) / m, 2e-3) << q;
  EXPECT_GT(ramp[0], 0.0f);  // the band-limited kernel keeps a small zero-frequency term
  EXPECT_LT(ramp[0], 0.01f);
  s.filter = ReconFilter::SheppLogan;
  s.prefilter = Prefilter::Butterworth;
  const std::vector<float> both = fbpResponse(m, s);
  for (int q : {16, 64, 120}) {
    const double f = static_cast<double>(q) / m;
    const double w = std::sin(M_PI * f) / (M_PI * f) * model::butterworth(f, s.cutoff, s.order);
    EXPECT_NEAR(both[static_cast<std::size_t>(q)], ramp[static_cast<std::size_t>(q)] * w, 1e-5) << q;
  }
  s.prefilter = Prefilter::Hanning;
  s.cutoff = 0.2;
  const std::vector<float> hann = fbpResponse(m, s);
  EXPECT_EQ(hann[static_cast<std::size_t>(0.3 * m)], 0.0f);  // nothing above the cut-off
}

TEST(Figures, TheTruthScoresPerfectly) {
  const Phantom ph = makePhantom(PhantomKind::Brain, 128, 0.15);
  const Figures f = figuresOfMerit(ph.activity, ph.activity, ph);
  EXPECT_EQ(f.nrmse, 0.0);
  EXPECT_NEAR(f.cv, 0.0, 1e-6);
  ASSERT_EQ(f.crc.size(), 2u);
  EXPECT_EQ(f.crc[0].name, "basal ganglia");
  EXPECT_NEAR(f.crc[0].crc, 1.0, 1e-6);
  EXPECT_EQ(f.crc[1].name, "ventricles");
  EXPECT_NEAR(f.crc[1].crc, 1.0, 1e-6);
  // Half the activity everywhere: NRMSE 0.5, contrasts unchanged; a flat slice: CRC 0.
  Image half = ph.activity;
  for (float& v : half.px) v *= 0.5f;
  const Figures h = figuresOfMerit(half, ph.activity, ph);
  EXPECT_NEAR(h.nrmse, 0.5, 1e-6);
  EXPECT_NEAR(h.crc[0].crc, 1.0, 1e-5);
  Image flat = ph.activity;
  std::fill(flat.px.begin(), flat.px.end(), 2.0f);
  const Figures z = figuresOfMerit(flat, ph.activity, ph);
  EXPECT_NEAR(z.crc[0].crc, 0.0, 1e-9);
  EXPECT_NEAR(z.crc[1].crc, 0.0, 1e-9);
  // Sizes that do not match: NaN, not a crash.
  EXPECT_TRUE(std::isnan(nrmse(Image::blank(64, 6.5625), ph.activity)));
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
