// The volume projection, the 2-D plane filter and the brain volume shared by the clinical bitmaps
// and the lab's brain slice.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/tomo/BrainVolume.h"
#include "model/tomo/Collimator.h"
#include "model/tomo/Fft.h"
#include "model/tomo/Phantom.h"
#include "model/tomo/Poisson.h"
#include "model/tomo/Projector.h"
#include "model/tomo/VolumeProjector.h"

namespace lumo::tomo {
namespace {

ProjectionGeometry geometry(int n, double pixelMm, int views, double stepDeg) {
  ProjectionGeometry g;
  g.n = n;
  g.pixelMm = pixelMm;
  g.views = views;
  g.startDeg = 10;
  g.stepDeg = stepDeg;
  g.radiusCm = 16;
  return g;
}

// Without blur every slice projects on its own: each row of the volume's projection is the
// Projector's sinogram row of that slice, attenuation included.
TEST(VolumeProjector, WithoutBlurEachSliceIsTheProjectorsSinogram) {
  const int n = 32, slices = 5, views = 7;
  const Phantom ph = makePhantom(PhantomKind::Brain, n, 0.15);
  Volume vol{n, slices, ph.activity.pixelMm, {}, {}};
  Random rng(3);
  for (int k = 0; k < slices; ++k)
    for (float a : ph.activity.px) {
      vol.activity.push_back(a * static_cast<float>(1 + k + rng.uniform()));
    }
  for (int k = 0; k < slices; ++k) vol.mu.insert(vol.mu.end(), ph.mu.px.begin(), ph.mu.px.end());
  const ProjectionGeometry g = geometry(n, vol.voxelMm, views, -6.5);
  const std::vector<float> p = projectVolume(vol, g, Collimator::None);
  const Projector A(g, &ph.mu, Collimator::None);
  for (int k = 0; k < slices; ++k) {
    std::vector<float> sino(static_cast<std::size_t>(views * n));
    A.forward(vol.activity.data() + static_cast<std::size_t>(k * n * n), sino.data());
    for (int v = 0; v < views; ++v)
      for (int b = 0; b < n; ++b)
        EXPECT_NEAR(p[static_cast<std::size_t>((v * slices + k) * n + b)], sino[static_cast<std::size_t>(v * n + b)],
                    1e-5 * (1 + std::fabs(sino[static_cast<std::size_t>(v * n + b)])))
            << k << " " << v << " " << b;
  }
  EXPECT_THROW(projectVolume(Volume{n, slices, 1.0, vol.activity, {}}, g, Collimator::None), std::invalid_argument);
}

// Width at half maximum of a sampled peak, by linear interpolation of the two crossings.
double fwhm(const std::vector<double>& y) {
  std::size_t m = 0;
  for (std::size_t i = 1; i < y.size(); ++i)
    if (y[i] > y[m]) m = i;
  const double half = y[m] / 2;
  std::size_t l = m, r = m;
  while (l > 0 && y[l - 1] > half) --l;
  while (r + 1 < y.size() && y[r + 1] > half) ++r;
  const double left = (l - 1) + (half - y[l - 1]) / (y[l] - y[l - 1]);
  const double right = r + (y[r] - half) / (y[r] - y[r + 1]);
  return right - left;
}

// A point source: its projection keeps the counts and spreads along the bins and across the
// slices with the collimator's FWHM at the source's distance from the face.
TEST(VolumeProjector, PointSourceSpreadsWithTheCollimatorsResolutionInBothDirections) {
  const int n = 64, slices = 41;
  const double voxel = 2.0;
  Volume vol{n, slices, voxel, std::vector<float>(static_cast<std::size_t>(slices * n * n), 0.0f), {}};
  // The centre of rotation: every view sees it at 160 mm from the face.
  const int kc = slices / 2, x = n / 2, y = n / 2;
  vol.activity[static_cast<std::size_t>((kc * n + y) * n + x)] = 1.0f;
  const ProjectionGeometry g = geometry(n, voxel, 3, 90);
  const std::vector<float> p = projectVolume(vol, g, Collimator::Lehr);
  for (int v = 0; v < 3; ++v) {
    const float* img = p.data() + static_cast<std::size_t>(v * slices * n);
    double total = 0;
    for (int i = 0; i < slices * n; ++i) total += img[i];
    EXPECT_NEAR(total, 1.0, 0.01);  // the rotation's bilinear resampling of a single voxel
    // The peak's bin: the column with most counts.
    int bmax = 0;
    for (int b = 0; b < n; ++b)
      if (img[kc * n + b] > img[kc * n + bmax]) bmax = b;
    std::vector<double> along, across;
    for (int b = 0; b < n; ++b) along.push_back(img[kc * n + b]);
    for (int k = 0; k < slices; ++k) across.push_back(img[k * n + bmax]);
    // Along the bins the bilinear resampling widens the peak a little; across the slices only
    // the collimator acts.
    const double expected = collimatorFwhmMm(Collimator::Lehr, 160.0);
    EXPECT_NEAR(fwhm(across) * voxel, expected, 0.3) << v;
    EXPECT_NEAR(fwhm(along) * voxel, expected, 0.4) << v;
    EXPECT_NEAR(fwhm(along) * voxel, fwhm(across) * voxel, 0.2) << v;
  }
}

// The plane filter: a separable response b(fx) b(fy) on its grid equals the line filter applied
// along the rows and then along the columns; a response of 1 leaves the plane as it is.
TEST(PlaneFilter, MatchesTheLineFilterRowsThenColumnsAndKeepsAPlaneUnderUnitResponse) {
  const int rows = 20, cols = 28;
  std::vector<float> in(static_cast<std::size_t>(rows * cols));
  Random rng(5);
  for (float& v : in) v = static_cast<float>(rng.uniform());
  auto b = [](double f) { return 1.0 / (1.0 + std::pow(f / 0.2, 8)); };
  const int mr = paddedLength(rows), mc = paddedLength(cols);
  std::vector<float> grid;
  for (int ky = 0; ky < mr; ++ky)
    for (int kx = 0; kx <= mc / 2; ++kx)
      grid.push_back(static_cast<float>(b(std::fabs(static_cast<double>(ky <= mr / 2 ? ky : ky - mr)) / mr) * b(static_cast<double>(kx) / mc)));
  const PlaneFilter plane(rows, cols, grid);
  std::vector<float> out(in.size());
  plane.apply(in.data(), out.data());

  std::vector<float> rowResponse, colResponse;
  for (int k = 0; k <= mc / 2; ++k) rowResponse.push_back(static_cast<float>(b(static_cast<double>(k) / mc)));
  for (int k = 0; k <= mr / 2; ++k) colResponse.push_back(static_cast<float>(b(static_cast<double>(k) / mr)));
  const LineFilter alongRows(cols, rowResponse), alongColumns(rows, colResponse);
  std::vector<float> ref = in, column(static_cast<std::size_t>(rows));
  for (int y = 0; y < rows; ++y) alongRows.apply(ref.data() + y * cols, ref.data() + y * cols);
  for (int x = 0; x < cols; ++x) {
    for (int y = 0; y < rows; ++y) column[static_cast<std::size_t>(y)] = ref[static_cast<std::size_t>(y * cols + x)];
    alongColumns.apply(column.data(), column.data());
    for (int y = 0; y < rows; ++y) ref[static_cast<std::size_t>(y * cols + x)] = column[static_cast<std::size_t>(y)];
  }
  for (std::size_t i = 0; i < in.size(); ++i) EXPECT_NEAR(out[i], ref[i], 1e-5) << i;

  const PlaneFilter unit = PlaneFilter::radial(rows, cols, [](double) { return 1.0; });
  unit.apply(in.data(), out.data());
  for (std::size_t i = 0; i < in.size(); ++i) EXPECT_NEAR(out[i], in[i], 1e-5) << i;
}

// The lab's brain is the plane Z = 16 mm of the clinical head: grey to white matter 4 : 1, basal
// ganglia, cold ventricles and a skull of bone attenuation, with the regions the figures need.
TEST(BrainVolume, LabSliceIsThePlaneThroughTheBasalGanglia) {
  EXPECT_DOUBLE_EQ(brainActivity(BrainPart::Grey) / brainActivity(BrainPart::White), 4.0);
  EXPECT_EQ(brainActivity(BrainPart::Ventricle), 0.0);
  EXPECT_NEAR(brainMu(BrainPart::Skull, 0.15), 0.27, 1e-12);
  EXPECT_NEAR(brainMu(BrainPart::Grey, 0.15), 0.15, 1e-12);
  EXPECT_EQ(brainMu(BrainPart::Air, 0.15), 0.0);
  // Caudate and putamen lie in the plane, the cerebellum does not.
  EXPECT_EQ(brainPartAt(19, 18, kBrainSliceZMm), BrainPart::Caudate);
  EXPECT_EQ(brainPartAt(-28, 2, kBrainSliceZMm), BrainPart::Putamen);
  EXPECT_EQ(brainPartAt(0, -48, -42), BrainPart::CerebellarCore);
  EXPECT_EQ(brainPartAt(0, 0, 200), BrainPart::Air);

  const Phantom ph = makePhantom(PhantomKind::Brain, 128, 0.15);
  float muMax = 0;
  for (float m : ph.mu.px) muMax = std::max(muMax, m);
  EXPECT_NEAR(muMax, 0.27, 1e-5);  // pixels wholly in the skull
  for (const char* name : {"basal ganglia", "ventricles", "white matter"}) {
    bool found = false;
    for (const Region& r : ph.regions)
      if (r.name == name) {
        found = true;
        EXPECT_FALSE(r.pixels.empty()) << name;
      }
    EXPECT_TRUE(found) << name;
  }
  // Each pixel is the mean of its samples of the volume's plane: a pixel wholly in white matter.
  const Region* white = nullptr;
  for (const Region& r : ph.regions)
    if (r.kind == Region::Background) white = &r;
  ASSERT_NE(white, nullptr);
  for (int i : white->pixels) EXPECT_FLOAT_EQ(ph.activity.px[static_cast<std::size_t>(i)], 0.25f);
}

}  // namespace
}  // namespace lumo::tomo
