// The lab's curves and table: CSV exports read back to the same numbers in the C locale,
// the readout under the pointer gives the values there, the convergence curve grows point
// by point beside FBP's reference, missing figures read 「なし」, and CSV saving reports
// what it cannot do.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineSeries>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QTest>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "lab/ConvergenceChart.h"
#include "lab/CsvFile.h"
#include "lab/FiguresTable.h"
#include "lab/ProfileChart.h"

namespace lumo::lab {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double parsed(const std::string& field) { return field.empty() ? kNaN : std::strtod(field.c_str(), nullptr); }

// Same number, or both missing.
void expectSame(double a, double b) {
  if (std::isnan(a))
    EXPECT_TRUE(std::isnan(b));
  else
    EXPECT_EQ(a, b);
}

TEST(LabCsv, NumbersKeepNineDigitsInTheCLocaleWhateverTheUsersLocale) {
  // A comma-decimal locale, when the machine has one, must not change the text.
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  struct Case {
    double v;
    const char* text;
  } cases[] = {{0.1, "0.1"},         {1.0 / 3, "0.333333333"}, {-2.5e-7, "-2.5e-07"}, {123456789012.0, "1.23456789e+11"},
               {0, "0"},             {kNaN, ""},               {INFINITY, "inf"},     {-INFINITY, "-inf"}};
  for (const Case& c : cases) EXPECT_EQ(csvNumber(c.v), c.text) << c.v;
  std::setlocale(LC_NUMERIC, before.c_str());
  // A float written with nine digits reads back to the same float.
  for (float f : {0.1f, 3.14159274f, 1e-30f, 16777217.0f, -0.000123f})
    EXPECT_EQ(static_cast<float>(std::strtod(csvNumber(f).c_str(), nullptr)), f);
}

TEST(LabCsv, FieldsWithCommasOrQuotesAreQuotedAndParseBack) {
  const std::string text = csvField("a,b") + "," + csvField("say \"hi\"") + "," + csvField("真の分布") + "\n1,,3\n";
  const auto rows = parseCsv(text);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"a,b", "say \"hi\"", "真の分布"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"1", "", "3"}));
}

TEST(LabCsv, SavingWritesTheTextAndAFailedSaveSaysSoWithoutAFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  EXPECT_EQ(saveCsv("a,b\n1,2\n", dir.filePath("profile")), QString());  // ".csv" added
  QFile f(dir.filePath("profile.csv"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll().toStdString(), "a,b\n1,2\n");
  ASSERT_TRUE(QDir(dir.path()).mkdir("taken.csv"));
  for (const QString& bad : {dir.filePath("no/such/a.csv"), dir.filePath("taken.csv"), QString()}) {
    SCOPED_TRACE(bad.toStdString());
    EXPECT_FALSE(saveCsv("x\n", bad).isEmpty());
  }
  EXPECT_FALSE(QFile::exists(dir.filePath("no")));
}

std::vector<float> samples(int n, float scale, float offset) {
  std::vector<float> v(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = offset + scale * std::sin(0.37f * static_cast<float>(i)) / 3.0f;
  return v;
}

TEST(ProfileChart, TheCsvReadsBackToTheSameNumbers) {
  ProfileChart chart;
  const std::vector<float> slice = samples(17, 100, 50), truth = samples(17, 90, 48), kept = samples(17, 70, 40);
  const double length = 131.25;
  for (bool comparing : {false, true}) {
    SCOPED_TRACE(comparing);
    chart.setProfiles(slice, truth, length);
    chart.setCompared(comparing ? kept : std::vector<float>{}, QStringLiteral("比較 (FBP)"));
    const auto rows = parseCsv(chart.toCsv());
    ASSERT_EQ(rows.size(), 18u);
    EXPECT_EQ(rows[0], comparing ? (std::vector<std::string>{"distance_mm", "slice", "truth", "compared"})
                                 : (std::vector<std::string>{"distance_mm", "slice", "truth"}));
    for (int i = 0; i < 17; ++i) {
      const auto& r = rows[static_cast<std::size_t>(i + 1)];
      ASSERT_EQ(r.size(), comparing ? 4u : 3u);
      EXPECT_DOUBLE_EQ(parsed(r[0]), length * i / 16);
      EXPECT_EQ(static_cast<float>(parsed(r[1])), slice[static_cast<std::size_t>(i)]);
      EXPECT_EQ(static_cast<float>(parsed(r[2])), truth[static_cast<std::size_t>(i)]);
      if (comparing) {
        EXPECT_EQ(static_cast<float>(parsed(r[3])), kept[static_cast<std::size_t>(i)]);
      }
    }
    EXPECT_EQ(chart.comparedSeries()->isVisible(), comparing);
  }
  // Without a truth its column is empty and its curve hidden; a NaN sample leaves a gap.
  std::vector<float> gap = slice;
  gap[3] = std::numeric_limits<float>::quiet_NaN();
  chart.setProfiles(gap, {}, length);
  chart.setCompared({});
  const auto rows = parseCsv(chart.toCsv());
  EXPECT_EQ(rows[1][2], "");
  EXPECT_EQ(rows[4][1], "");
  EXPECT_FALSE(chart.truthSeries()->isVisible());
  EXPECT_EQ(chart.sliceSeries()->count(), 16);
}

// Whatever the chart showed before, each axis ends on round ticks, a handful of them: a
// profile through empty background (an iterative slice leaves values near 1e-16 there)
// reads as zero, and the counts after it get their own ticks. (Qt Charts, handed the
// counts' range under the old interval of 5e-17, laid out billions of ticks: the window
// hung while the student dragged the line.)
TEST(ProfileChart, AxesKeepAFewRoundTicksWhateverCameBefore) {
  ProfileChart chart;
  chart.resize(400, 300);
  chart.show();  // laid out as on screen
  auto* y = qobject_cast<QValueAxis*>(chart.chart()->axes(Qt::Vertical).front());
  auto* x = qobject_cast<QValueAxis*>(chart.chart()->axes(Qt::Horizontal).front());
  ASSERT_TRUE(x && y);
  struct Case {
    double top;      // the slice's largest value
    double length;   // of the line, mm
    double yHi, yStep, xHi, xStep;
  } cases[] = {
      {2.3e-16, 0.004, 1, 0.2, 1, 0.2},   // nothing along it, a line of no length
      {18, 416.7, 20, 5, 416.7, 100},     // counts along the whole row
      {2.3e-16, 416.7, 1, 0.2, 416.7, 100},
      {0.5, 2.5, 0.5, 0.1, 2.5, 0.5},
      {18, 1e-7, 20, 5, 1, 0.2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.top << " over " << c.length << " mm");
    std::vector<float> ramp(64);
    for (int i = 0; i < 64; ++i) ramp[static_cast<std::size_t>(i)] = static_cast<float>(c.top * i / 63);
    chart.setProfiles(ramp, {}, c.length);
    EXPECT_EQ(y->min(), 0);
    EXPECT_DOUBLE_EQ(y->max(), c.yHi);
    EXPECT_DOUBLE_EQ(y->tickInterval(), c.yStep);
    EXPECT_EQ(x->min(), 0);
    EXPECT_DOUBLE_EQ(x->max(), c.xHi);
    EXPECT_DOUBLE_EQ(x->tickInterval(), c.xStep);
    EXPECT_EQ(y->tickType(), QValueAxis::TicksDynamic);
  }
}

// The widget point over a value of a curve.
QPoint over(LabChart& chart, QLineSeries* series, double x, double y) {
  return chart.mapFromScene(chart.chart()->mapToScene(chart.chart()->mapToPosition(QPointF(x, y), series)));
}

TEST(ProfileChart, TheReadoutFollowsThePointerWithTheValuesThere) {
  ProfileChart chart;
  chart.resize(500, 320);
  const std::vector<float> slice = {10, 20, 30, 40, 50}, truth = {11, 22, 33, 44, 55};
  chart.setProfiles(slice, truth, 40);  // samples every 10 mm
  chart.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
  QTest::mouseMove(chart.viewport(), over(chart, chart.sliceSeries(), 21, 25));  // nearest sample: 20 mm
  ASSERT_TRUE(chart.readoutVisible());
  const QString text = chart.readoutText();
  EXPECT_TRUE(text.contains(QStringLiteral("距離 20.0 mm"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("再構成画像: 30"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("真の分布: 33"))) << text.toStdString();
  QTest::mouseMove(chart.viewport(), over(chart, chart.sliceSeries(), 38, 25));
  EXPECT_TRUE(chart.readoutText().contains(QStringLiteral("再構成画像: 50"))) << chart.readoutText().toStdString();
  // Outside the plot area it goes.
  QTest::mouseMove(chart.viewport(), QPoint(2, 2));
  EXPECT_FALSE(chart.readoutVisible());
}

TEST(ConvergenceChart, TheCurvesGrowPointByPointBesideFbpAndTheCsvReadsBack) {
  ConvergenceChart chart;
  chart.resize(500, 320);
  chart.setIterationRange(8);
  chart.setFbpReference(0.4125, 0.0875);
  // Values of at most nine significant digits come back exactly.
  const std::vector<ConvergenceChart::Point> pts = {{1, 0.61, 0.031}, {2, 0.47, 0.052}, {2.5, kNaN, 0.06}, {3, 0.401234567, 0.07}};
  for (std::size_t i = 0; i < pts.size(); ++i) {
    chart.addPoint(pts[i].iteration, pts[i].nrmse, pts[i].cv);
    EXPECT_EQ(chart.points().size(), i + 1);
    EXPECT_EQ(chart.cvSeries()->count(), static_cast<int>(i + 1));
  }
  EXPECT_EQ(chart.nrmseSeries()->count(), 3);  // the point without NRMSE is left out

  const auto rows = parseCsv(chart.toCsv());
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"iteration", "nrmse", "cv", "fbp_nrmse", "fbp_cv"}));
  for (std::size_t i = 0; i < pts.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(rows[i + 1].size(), 5u);
    expectSame(parsed(rows[i + 1][0]), pts[i].iteration);
    expectSame(parsed(rows[i + 1][1]), pts[i].nrmse);
    expectSame(parsed(rows[i + 1][2]), pts[i].cv);
    EXPECT_EQ(parsed(rows[i + 1][3]), 0.4125);
    EXPECT_EQ(parsed(rows[i + 1][4]), 0.0875);
  }

  chart.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
  QTest::mouseMove(chart.viewport(), over(chart, chart.nrmseSeries(), 2.1, 0.3));
  const QString text = chart.readoutText();
  EXPECT_TRUE(text.contains(QStringLiteral("反復 2\n"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("NRMSE: 0.470"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("ノイズ CV: 0.052"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("FBP: NRMSE 0.413, CV 0.088")) ||
              text.contains(QStringLiteral("FBP: NRMSE 0.412, CV 0.087")))
      << text.toStdString();

  // FBP alone: one line for iteration 0; cleared: the header only.
  chart.setPoints({});
  EXPECT_EQ(chart.toCsv(), "iteration,nrmse,cv,fbp_nrmse,fbp_cv\n0,,,0.4125,0.0875\n");
  chart.clear();
  EXPECT_EQ(chart.toCsv(), "iteration,nrmse,cv,fbp_nrmse,fbp_cv\n");
}

TEST(FiguresTable, OneColumnPerResultMissingFiguresReadNaShiAndTheCsvReadsBack) {
  FiguresTable table;
  const FigureSet osem{0.3125, 0.145, {{"hot", 0.7125}, {"cold", 0.55}}, {{"centre", 9.75}}};
  const FigureSet fbp{kNaN, 0.2, {{"hot", 0.61}, {"rim", 0.4}}, {}};
  table.setFigures({osem, fbp}, {QStringLiteral("OSEM"), QStringLiteral("FBP, 比較")});
  ASSERT_EQ(table.columnCount(), 2);
  struct Row {
    const char* label;
    const char* a;
    const char* b;
  } rows[] = {
      {"NRMSE", "0.313", "なし"},  // 0.3125 shown with three decimals
      {"ノイズ CV", "0.145", "0.200"},
      {"CRC（hot）", "0.713", "0.610"},
      {"CRC（cold）", "0.550", "なし"},
      {"CRC（rim）", "なし", "0.400"},
      {"FWHM（centre）mm", "9.8", "なし"},
  };
  ASSERT_EQ(table.rowCount(), 6);
  for (int r = 0; r < 6; ++r) {
    SCOPED_TRACE(rows[r].label);
    EXPECT_EQ(table.verticalHeaderItem(r)->text(), QString::fromUtf8(rows[r].label));
    EXPECT_EQ(table.cellText(r, 0), QString::fromUtf8(rows[r].a));
    EXPECT_EQ(table.cellText(r, 1), QString::fromUtf8(rows[r].b));
  }
  const auto csv = parseCsv(table.toCsv());
  ASSERT_EQ(csv.size(), 7u);
  EXPECT_EQ(csv[0], (std::vector<std::string>{"figure", "OSEM", "FBP, 比較"}));
  const std::vector<std::vector<double>> values = {{0.3125, kNaN}, {0.145, 0.2}, {0.7125, 0.61}, {0.55, kNaN}, {kNaN, 0.4}, {9.75, kNaN}};
  const char* keys[] = {"nrmse", "cv", "crc:hot", "crc:cold", "crc:rim", "fwhm_mm:centre"};
  for (std::size_t r = 0; r < 6; ++r) {
    SCOPED_TRACE(keys[r]);
    EXPECT_EQ(csv[r + 1][0], keys[r]);
    expectSame(parsed(csv[r + 1][1]), values[r][0]);
    expectSame(parsed(csv[r + 1][2]), values[r][1]);
  }
  table.setFigures(osem, QStringLiteral("値"));
  EXPECT_EQ(table.columnCount(), 1);
  EXPECT_EQ(table.rowCount(), 5);

  // Rows show a region's own label where it has one, the CSV keeps the name; a result
  // may say why its figures are missing.
  FigureSet labelled{0.25, kNaN, {{"hot", 0.5, QStringLiteral("基底核")}}, {}, QStringLiteral("なし (真の分布がありません)")};
  table.setFigures(labelled, QStringLiteral("値"));
  ASSERT_EQ(table.rowCount(), 3);
  EXPECT_EQ(table.rowLabel(2), QStringLiteral("CRC（基底核）"));
  EXPECT_EQ(table.cellText(1, 0), QStringLiteral("なし (真の分布がありません)"));
  EXPECT_EQ(parseCsv(table.toCsv())[3][0], "crc:hot");

  // A volume's figures: each hot sphere's recovery coefficient, and the FWHM across the slices
  // of each point, which a one-slice result (NaN) does not add a row for.
  FigureSet volume{0.2, 0.1, {{"sphere 9.5 mm", 0.3}}, {{"5 cm", 8.5}}, {}, {{"sphere 9.5 mm", 0.42}}, {{"5 cm", 9.25}}};
  FigureSet flat{0.2, 0.1, {}, {{"5 cm", 8.0}}, {}, {}, {{"5 cm", kNaN}}};
  table.setFigures({volume, flat}, {QStringLiteral("3-D"), QStringLiteral("2-D")});
  const std::vector<std::vector<std::string>> rowsOf3d = parseCsv(table.toCsv());
  ASSERT_EQ(rowsOf3d.size(), 7u);
  EXPECT_EQ(rowsOf3d[4], (std::vector<std::string>{"rc:sphere 9.5 mm", "0.42", ""}));
  EXPECT_EQ(rowsOf3d[5], (std::vector<std::string>{"fwhm_mm:5 cm", "8.5", "8"}));
  EXPECT_EQ(rowsOf3d[6], (std::vector<std::string>{"fwhm_axial_mm:5 cm", "9.25", ""}));
  EXPECT_EQ(table.rowLabel(3), QStringLiteral("回復係数（sphere 9.5 mm）"));
  EXPECT_EQ(table.rowLabel(5), QStringLiteral("体軸方向 FWHM（5 cm）mm"));
  table.setFigures(flat, QStringLiteral("値"));
  EXPECT_EQ(table.rowCount(), 3);  // NRMSE, CV, FWHM: no row across the slices
  table.clearFigures();
  EXPECT_EQ(table.rowCount(), 0);
  EXPECT_EQ(table.toCsv(), "figure\n");
}

}  // namespace
}  // namespace lumo::lab
