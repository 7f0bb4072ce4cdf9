// 「比較」 in the lab window: the kept and the current result side by side on one colour
// range, their profiles along one line in millimetres whatever their matrices, and their
// figures in one table whose CSV is the runner's `export figures`.
#include <gtest/gtest.h>

#include <QLineSeries>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "lab/CsvFile.h"
#include "lab/FiguresTable.h"
#include "lab/ImagePanel.h"
#include "lab/LabExport.h"
#include "lab/LabTestSupport.h"
#include "lab/LabWindow.h"
#include "lab/ProfileChart.h"

namespace lumo::lab {
namespace {

using test::waitForResult;
using test::waitUntil;

void set(LabWindow& lab, std::initializer_list<std::pair<const char*, const char*>> settings) {
  for (const auto& [k, v] : settings) ASSERT_EQ(lab.setSetting(k, v), "") << k << " " << v;
  ASSERT_TRUE(waitForResult(lab));
}

ImagePanel* panelNamed(LabWindow& lab, const char* name) {
  for (ImagePanel* p : lab.findChildren<ImagePanel*>())
    if (p->saveName() == QLatin1String(name)) return p;
  return nullptr;
}

std::pair<double, double> minMax(const std::vector<float>& px) {
  const auto [lo, hi] = std::minmax_element(px.begin(), px.end());
  return {*lo, *hi};
}

double largestMagnitude(const std::vector<float>& px) {
  double m = 0;
  for (float v : px) m = std::max(m, double(std::abs(v)));
  return m;
}

TEST(LabCompare, KeptAndCurrentSlicesShareOneColourRangeAndSoDoTheirErrors) {
  LabWindow lab;
  set(lab, {{"phantom", "cylinder"}, {"matrix", "64"}, {"views", "32"}, {"method", "fbp"}});
  lab.setComparing(true);
  set(lab, {{"method", "osem"}, {"iterations", "6"}, {"subsets", "4"}});
  const auto current = lab.result(), kept = lab.keptResult();
  ASSERT_TRUE(current && kept);
  ASSERT_NE(current, kept);
  ImagePanel *slice = panelNamed(lab, "slice"), *keptSlice = panelNamed(lab, "kept-slice");
  ImagePanel *error = panelNamed(lab, "error"), *keptError = panelNamed(lab, "kept-error");
  ASSERT_TRUE(slice && keptSlice && error && keptError);
  EXPECT_TRUE(keptSlice->isVisibleTo(&lab) && keptError->isVisibleTo(&lab));

  // Each slice alone would span a range of its own: FBP and OSEM of noisy data never agree.
  const auto [curLo, curHi] = minMax(lab.sliceOf(current->reconstruction.volume).px);
  const auto [keptLo, keptHi] = minMax(lab.sliceOf(kept->reconstruction.volume).px);
  ASSERT_NE(curHi, keptHi);
  for (ImagePanel* p : {slice, keptSlice}) {
    SCOPED_TRACE(p->saveName().toStdString());
    EXPECT_EQ(p->rangeMode(), ImagePanel::RangeMode::Fixed);
    EXPECT_DOUBLE_EQ(p->range().lo, std::min(curLo, keptLo));
    EXPECT_DOUBLE_EQ(p->range().hi, std::max(curHi, keptHi));
  }
  // The errors: zero in the middle of one scale that holds the larger error of the two.
  const double m = std::max(largestMagnitude(lab.sliceOf(current->error).px), largestMagnitude(lab.sliceOf(kept->error).px));
  ASSERT_NE(largestMagnitude(lab.sliceOf(current->error).px), largestMagnitude(lab.sliceOf(kept->error).px));
  for (ImagePanel* p : {error, keptError}) {
    SCOPED_TRACE(p->saveName().toStdString());
    EXPECT_DOUBLE_EQ(p->range().lo, -m);
    EXPECT_DOUBLE_EQ(p->range().hi, m);
  }
  // One range, so one value is one colour in both pictures.
  EXPECT_EQ(slice->colouredImage().pixel(0, 0), keptSlice->colouredImage().pixel(0, 0));

  // While the build-up runs, its growing slice keeps to the range shared with the kept one.
  lab.step();
  ASSERT_TRUE(waitUntil([&] { return lab.shownStep() >= 1; }, 20000));
  EXPECT_EQ(slice->range().lo, keptSlice->range().lo);
  EXPECT_EQ(slice->range().hi, keptSlice->range().hi);
  EXPECT_LE(keptSlice->range().lo, keptLo);
  EXPECT_GE(keptSlice->range().hi, keptHi);
  lab.advanceToEnd();
  ASSERT_TRUE(waitForResult(lab));

  // No longer comparing: each panel spans its own values again.
  lab.setComparing(false);
  EXPECT_FALSE(keptSlice->isVisibleTo(&lab));
  EXPECT_EQ(slice->rangeMode(), ImagePanel::RangeMode::Full);
  EXPECT_DOUBLE_EQ(slice->range().lo, curLo);
  EXPECT_DOUBLE_EQ(slice->range().hi, curHi);
  EXPECT_EQ(error->rangeMode(), ImagePanel::RangeMode::Symmetric);
  EXPECT_DOUBLE_EQ(error->range().hi, largestMagnitude(lab.sliceOf(current->error).px));
}

// 「比較」 pressed while the first result is still computing keeps that result when it comes.
TEST(LabCompare, ComparingBeforeTheFirstResultKeepsThatResult) {
  LabWindow lab;
  lab.setComparing(true);
  EXPECT_FALSE(lab.comparing());
  ASSERT_TRUE(waitForResult(lab));
  ASSERT_TRUE(lab.comparing());
  EXPECT_EQ(lab.keptResult(), lab.result());
  EXPECT_TRUE(panelNamed(lab, "kept-slice")->isVisibleTo(&lab));
  set(lab, {{"method", "fbp"}});
  EXPECT_NE(lab.keptResult(), lab.result());
  EXPECT_EQ(lab.keptResult()->settings.method, tomo::Method::Osem);
}

// Six pictures, two charts and the table fit a 1366 x 768 laptop's screen (less a panel of
// the desktop), each picture whole inside its panel.
TEST(LabCompare, TheComparingWindowFitsALaptopScreen) {
  LabWindow lab;
  lab.show();
  set(lab, {{"matrix", "128"}});
  lab.setComparing(true);
  set(lab, {{"method", "fbp"}});
  const QSize least = lab.minimumSizeHint();
  EXPECT_LE(least.width(), 1366);
  EXPECT_LE(least.height(), 720);
  lab.resize(least.expandedTo(QSize(1366, 720)).boundedTo(QSize(1366, 720)));
  QCoreApplication::processEvents();
  for (const char* name : {"truth", "sinogram", "slice", "error", "kept-slice", "kept-error"}) {
    ImagePanel* p = panelNamed(lab, name);
    ASSERT_TRUE(p && p->isVisible()) << name;
    EXPECT_TRUE(p->rect().contains(p->imageRect())) << name << ": the picture is cut";
  }
}

// Where a profile crosses half its plateau (the mean of its middle fifth), rising first and
// falling last, in millimetres from the line's start.
std::pair<double, double> halfMaximumEdges(const std::vector<float>& v, double lengthMm) {
  const int n = int(v.size());
  double plateau = 0;
  for (int i = 2 * n / 5; i < 3 * n / 5; ++i) plateau += v[std::size_t(i)];
  plateau /= (3 * n / 5 - 2 * n / 5);
  const double half = plateau / 2, step = lengthMm / (n - 1);
  double rise = NAN, fall = NAN;
  for (int i = 1; i < n && std::isnan(rise); ++i)
    if (v[i - 1] < half && v[i] >= half) rise = (i - 1 + (half - v[i - 1]) / (v[i] - v[i - 1])) * step;
  for (int i = n - 1; i > 0 && std::isnan(fall); --i)
    if (v[i] < half && v[i - 1] >= half) fall = (i - 1 + (v[i - 1] - half) / (v[i - 1] - v[i])) * step;
  return {rise, fall};
}

// A kept slice of another matrix is sampled along the same line in the body, at the same
// points as the current one: the edges of the 20 cm cylinder fall where geometry puts them
// in both profiles, and the two curves share their distances on the chart.
TEST(LabCompare, ProfilesOfTwoMatricesLieAlongOneLineInMillimetres) {
  LabWindow lab;
  set(lab, {{"phantom", "cylinder"}, {"noise", "off"}, {"attenuation", "0"}, {"collimator", "none"},
            {"method", "fbp"}, {"views", "96"}, {"matrix", "64"}});
  // A chord 20 mm above the centre, from 150 mm left to 150 mm right.
  lab.setProfileLineMm(-150, 20, 150, 20);
  lab.setComparing(true);
  set(lab, {{"matrix", "128"}});
  ASSERT_EQ(lab.sliceOf(lab.keptResult()->reconstruction.volume).n, 64);
  ASSERT_EQ(lab.sliceOf(lab.result()->reconstruction.volume).n, 128);
  EXPECT_EQ(lab.profileLineMm(), (std::array<double, 4>{-150, 20, 150, 20}));
  EXPECT_DOUBLE_EQ(lab.profileLengthMm(), 300);

  // The panel shows the line in the new matrix's pixels: X / pixel + c, c - Y / pixel.
  const double px = 420.0 / 128, c = 63.5;
  const QLineF shown = panelNamed(lab, "slice")->profileLine();
  EXPECT_NEAR(shown.x1(), -150 / px + c, 1e-9);
  EXPECT_NEAR(shown.y1(), c - 20 / px, 1e-9);
  EXPECT_NEAR(shown.x2(), 150 / px + c, 1e-9);

  const std::vector<float> slice = lab.sliceProfile(), truth = lab.truthProfile(), kept = lab.keptProfile();
  ASSERT_EQ(slice.size(), 128u);
  ASSERT_EQ(kept.size(), slice.size());
  ASSERT_EQ(truth.size(), slice.size());
  // The chord meets the circle of radius 100 mm at 150 -+ sqrt(100^2 - 20^2) mm from its start.
  const double h = std::sqrt(100.0 * 100 - 20 * 20), rise = 150 - h, fall = 150 + h;
  struct Case {
    const char* what;
    const std::vector<float>& profile;
    double pixelMm;
  } cases[] = {{"truth", truth, 420.0 / 128}, {"slice, 128", slice, 420.0 / 128}, {"kept slice, 64", kept, 420.0 / 64}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    const auto [up, down] = halfMaximumEdges(k.profile, 300);
    EXPECT_NEAR(up, rise, 0.25 * k.pixelMm);
    EXPECT_NEAR(down, fall, 0.25 * k.pixelMm);
  }

  // On the chart the kept curve has a point at every distance the current one has.
  auto* chart = lab.findChild<ProfileChart*>();
  ASSERT_TRUE(chart);
  ASSERT_TRUE(chart->comparedSeries()->isVisible());
  ASSERT_EQ(chart->comparedSeries()->count(), chart->sliceSeries()->count());
  for (int i = 0; i < chart->sliceSeries()->count(); ++i) {
    ASSERT_DOUBLE_EQ(chart->comparedSeries()->at(i).x(), chart->sliceSeries()->at(i).x()) << i;
    ASSERT_FLOAT_EQ(float(chart->comparedSeries()->at(i).y()), kept[std::size_t(i)]) << i;
  }
  EXPECT_NEAR(chart->sliceSeries()->at(chart->sliceSeries()->count() - 1).x(), 300, 1e-9);

  // The student drags the line on the 128 slice: its pixels become millimetres.
  lab.setProfileLine(10, 20, 100, 20);
  const std::array<double, 4> mm = lab.profileLineMm();
  EXPECT_NEAR(mm[0], (10 - c) * px, 1e-9);
  EXPECT_NEAR(mm[1], (c - 20) * px, 1e-9);
  EXPECT_NEAR(mm[2], (100 - c) * px, 1e-9);
  EXPECT_EQ(lab.keptProfile().size(), lab.sliceProfile().size());
}

TEST(LabCompare, TheFiguresTableHasAColumnPerResultAndItsCsvIsTheExport) {
  LabWindow lab;
  set(lab, {{"phantom", "rods"}, {"matrix", "64"}, {"views", "32"}, {"method", "fbp"}});
  auto* table = lab.findChild<FiguresTable*>();
  ASSERT_TRUE(table);
  ASSERT_EQ(table->columnCount(), 1);
  const tomo::Figures& fbp = lab.result()->figures;
  ASSERT_EQ(table->rowCount(), int(3 + fbp.crc.size() + fbp.fwhm.size()));
  EXPECT_EQ(table->cellText(0, 0), QString::number(fbp.nrmse, 'f', 3));
  // The data's scatter fraction, then the regions under their Japanese names.
  EXPECT_EQ(table->rowLabel(2), QStringLiteral("散乱線含有率"));
  EXPECT_EQ(table->cellText(2, 0), QString::number(lab.result()->acquisition->scatterFraction(), 'f', 3));
  EXPECT_EQ(table->rowLabel(3), QStringLiteral("CRC（ロッド 4.8 mm）"));
  EXPECT_EQ(table->cellText(3, 0), QString::number(fbp.crc[0].crc, 'f', 3));

  lab.setComparing(true);
  set(lab, {{"method", "osem"}, {"iterations", "3"}, {"subsets", "4"}});
  ASSERT_EQ(table->columnCount(), 2);
  EXPECT_EQ(table->horizontalHeaderItem(0)->text(), QStringLiteral("現在\nOSEM 3回×4"));
  EXPECT_EQ(table->horizontalHeaderItem(1)->text(), QStringLiteral("保持\nFBP"));
  const tomo::Figures& osem = lab.result()->figures;
  EXPECT_EQ(table->cellText(1, 0), QString::number(osem.cv, 'f', 3));
  EXPECT_EQ(table->cellText(1, 1), QString::number(fbp.cv, 'f', 3));

  // `export figures` writes the table: every figure of both results in full.
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("f.csv"));
  ASSERT_EQ(exportCsv(lab, "figures", file), QString());
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const auto rows = parseCsv(f.readAll().toStdString());
  ASSERT_EQ(rows.size(), std::size_t(table->rowCount() + 1));
  EXPECT_EQ(rows[0], (std::vector<std::string>{"figure", "現在 OSEM 3回×4", "保持 FBP"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"nrmse", csvNumber(osem.nrmse), csvNumber(fbp.nrmse)}));
  EXPECT_EQ(rows[3][0], "scatter_fraction");
  EXPECT_EQ(rows[4][0], "crc:" + osem.crc[0].name);
  EXPECT_EQ(rows[4][2], csvNumber(fbp.crc[0].crc));
}

}  // namespace
}  // namespace lumo::lab
