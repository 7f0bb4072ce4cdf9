// The lab through the scenario runner, as a teacher's script drives it: the program
// itself is run with --run and its files and exit status are read.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <QTemporaryDir>
#include <string>

#include "lab/LabTestSupport.h"
#include "support/LumoProcess.h"

namespace {

using lumo::test::readCsv;
using lumo::test::runLumo;
using lumo::test::runScript;
using lumo::test::sum;

TEST(LabScript, RodsSliceIsQuantitativeLikeItsTruth) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string s = dir.filePath("s.csv").toStdString(), t = dir.filePath("t.csv").toStdString(),
                    m = dir.filePath("m.csv").toStdString(), g = dir.filePath("g.csv").toStdString();
  const std::string u = dir.filePath("u.csv").toStdString();
  const auto r = runScript("open Lab; set phantom rods; set sc tew; run; export slice " + s + "; export truth " + t +
                           "; export metrics " + m + "; export sinogram " + g + "; set sc none; run; export slice " + u);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto slice = readCsv(QString::fromStdString(s)), truth = readCsv(QString::fromStdString(t));
  ASSERT_EQ(slice.size(), 128u);
  ASSERT_EQ(truth.size(), 128u);
  for (const auto& row : slice) ASSERT_EQ(row.size(), 128u);
  for (const auto& row : slice)
    for (double v : row) ASSERT_TRUE(std::isfinite(v));
  // Same units as the truth: with the scatter estimated by TEW the activity of the slice is the
  // phantom's; without a correction the scatter in the photopeak window adds to it.
  EXPECT_GT(sum(truth), 0);
  EXPECT_NEAR(sum(slice) / sum(truth), 1.0, 0.1);
  EXPECT_GT(sum(readCsv(QString::fromStdString(u))) / sum(truth), 1.15);

  std::string header;
  const auto metrics = readCsv(QString::fromStdString(m), true, &header);
  EXPECT_EQ(header, "iteration,loglikelihood,nrmse,cv,crc");
  ASSERT_EQ(metrics.size(), 4u);  // osem, 4 iterations by default
  for (std::size_t i = 0; i < metrics.size(); ++i) EXPECT_EQ(metrics[i][0], double(i + 1));
  const auto sinogram = readCsv(QString::fromStdString(g));
  ASSERT_EQ(sinogram.size(), 120u);  // views
  EXPECT_EQ(sinogram[0].size(), 128u);
}

// `slice N` picks the slice of a volume that the CSV files (and the pictures) show: the
// cylinder's truth is water in the slices it covers and air beyond its 20 cm, and the data's row
// under the slice goes with it.
TEST(LabScript, SliceChoosesTheSliceOfTheVolumeTheExportsShow) {
  QTemporaryDir dir;
  const auto file = [&](const char* name) { return dir.filePath(name).toStdString(); };
  const auto r = runScript("open Lab; set phantom cylinder; set matrix 64; set slices 64; set scatter off; set method fbp; run; export truth " +
                           file("central.csv") + "; slice 0; export truth " + file("end.csv") + "; export sinogram " +
                           file("end-sino.csv") + "; slice 40; export truth " + file("inside.csv") + "; export sinogram " +
                           file("inside-sino.csv"));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto central = readCsv(QString::fromStdString(file("central.csv")));
  const auto end = readCsv(QString::fromStdString(file("end.csv")));
  const auto inside = readCsv(QString::fromStdString(file("inside.csv")));
  ASSERT_EQ(central.size(), 64u);
  EXPECT_DOUBLE_EQ(central[32][32], 10.0);  // kBq/mL of water
  EXPECT_DOUBLE_EQ(inside[32][32], 10.0);   // 40 - 31.5 slices of 6.6 mm: 56 mm from the middle
  EXPECT_EQ(sum(end), 0.0);                 // slice 0 lies 207 mm toward the head, beyond the cylinder
  EXPECT_EQ(sum(readCsv(QString::fromStdString(file("end-sino.csv")))), 0.0);
  EXPECT_GT(sum(readCsv(QString::fromStdString(file("inside-sino.csv")))), 0.0);
}

// The energy windows through the runner: the spectrum peaks at the photopeak with the Compton
// continuum below it, each window's counts of the shown row are views x bins, the true scatter
// lies under the photopeak's data, and the spectrum and scatter panels can be framed. Data
// without scatter have no windows to export.
TEST(LabScript, TheSpectrumTheScatterAndEachWindowExportAndFrame) {
  QTemporaryDir dir;
  const auto file = [&](const char* name) { return dir.filePath(name).toStdString(); };
  auto r = runScript("open Lab; set phantom cylinder; set matrix 64; set views 32; set noise off; set method fbp; set sc tew; run; "
                     "export spectrum " + file("spectrum.csv") + "; export scatter " + file("scatter.csv") +
                     "; export sinogram " + file("data.csv") + "; export window lower " + file("lower.csv") +
                     "; export window upper " + file("upper.csv") + "; export window compton " + file("compton.csv") +
                     "; frame spectrum " + file("spectrum.png") + "; frame scatter " + file("scatter.png"));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::string header;
  const auto spectrum = readCsv(QString::fromStdString(file("spectrum.csv")), true, &header);
  EXPECT_EQ(header, "kev,counts");
  ASSERT_FALSE(spectrum.empty());
  const auto top = std::max_element(spectrum.begin(), spectrum.end(), [](const auto& a, const auto& b) { return a[1] < b[1]; });
  EXPECT_NEAR((*top)[0], 140.5, 1.0);
  double compton = 0;  // counts per keV at 100 keV: the continuum of the scattered photons
  for (const auto& row : spectrum)
    if (row[0] == 100.0) compton = row[1];
  EXPECT_GT(compton, 0.1 * (*top)[1]);
  const auto data = readCsv(QString::fromStdString(file("data.csv"))), scatter = readCsv(QString::fromStdString(file("scatter.csv")));
  ASSERT_EQ(scatter.size(), 32u);
  ASSERT_EQ(scatter[0].size(), 64u);
  EXPECT_GT(sum(scatter), 0.2 * sum(data));
  EXPECT_LT(sum(scatter), 0.45 * sum(data));
  for (const char* w : {"lower.csv", "upper.csv", "compton.csv"}) {
    const auto counts = readCsv(QString::fromStdString(file(w)));
    ASSERT_EQ(counts.size(), 32u) << w;
    EXPECT_GT(sum(counts), 0) << w;
  }
  // The Compton window holds more than the narrow sub-windows, the upper one least.
  EXPECT_GT(sum(readCsv(QString::fromStdString(file("compton.csv")))), sum(readCsv(QString::fromStdString(file("lower.csv")))));
  EXPECT_GT(sum(readCsv(QString::fromStdString(file("lower.csv")))), sum(readCsv(QString::fromStdString(file("upper.csv")))));
  for (const char* png : {"spectrum.png", "scatter.png"}) EXPECT_FALSE(QImage(dir.filePath(png)).isNull()) << png;

  r = runScript("open Lab; set matrix 64; set scatter off; set method fbp; run; export spectrum " + file("none.csv"));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("no energy windows"), std::string::npos) << r.err;
}

TEST(LabScript, FbpMetricsHaveOneLineAndNumbersStayInTheCLocale) {
  QTemporaryDir dir;
  const std::string m = dir.filePath("m.csv").toStdString(), s = dir.filePath("s.csv").toStdString();
  // A comma-decimal locale must not turn 0.5 into "0,5" inside a comma-separated file.
  const auto r = runScript("open Lab; set matrix 64; set method fbp; set views 60; export metrics " + m +
                               "; export slice " + s,
                           {{"LC_ALL", "de_DE.UTF-8"}, {"LANG", "de_DE.UTF-8"}});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::string header;
  const auto metrics = readCsv(QString::fromStdString(m), true, &header);
  EXPECT_EQ(header, "iteration,loglikelihood,nrmse,cv,crc");
  ASSERT_EQ(metrics.size(), 1u);
  EXPECT_EQ(metrics[0][0], 0.0);
  EXPECT_TRUE(std::isfinite(metrics[0][2]));
  const auto slice = readCsv(QString::fromStdString(s));
  ASSERT_EQ(slice.size(), 64u);
  for (const auto& row : slice) EXPECT_EQ(row.size(), 64u);
}

TEST(LabScript, BadSettingsAndCommandsStopWithStatus2AndSayWhy) {
  struct Case {
    const char* script;
    std::vector<const char*> message;  // each must appear in the error output
  };
  const Case cases[] = {
      {"open Lab; set views 3", {"views", "3", "4 to 360"}},
      {"open Lab; set views 12.5", {"views", "12.5"}},
      {"open Lab; set phantom heart", {"phantom", "heart", "brain", "points"}},
      {"open Lab; set matrix 100", {"matrix", "100", "64", "256"}},
      {"open Lab; set counts 1e12", {"counts", "1e12"}},
      {"open Lab; set noise maybe", {"noise", "maybe", "on", "off"}},
      {"open Lab; set attenuation nan", {"attenuation", "nan"}},
      {"open Lab; set cutoff 0,25", {"cutoff", "0,25"}},
      {"open Lab; set iterations 0", {"iterations", "0", "200"}},
      {"open Lab; set subsets 121", {"subsets", "121"}},
      {"open Lab; set method art", {"method", "art", "fbp", "osem"}},
      {"open Lab; set colour red", {"colour"}},
      {"open Lab; set views", {"too few arguments"}},
      {"set phantom rods", {"the lab is not open"}},
      {"open Lab; export picture x.csv", {"picture", "truth", "sinogram"}},
      {"open Lab; frame nowhere x.png", {"nowhere", "slice", "convergence"}},
      {"open Lab; step many", {"step", "many"}},
      {"open Lab; scale blue", {"blue", "rainbow", "grey", "hot"}},
      {"open Lab; set matrix 64; set slices 8; slice 8", {"slice 8", "0 to 7"}},
      {"open Lab; set matrix 64; slice 1", {"slice 1", "0 to 0"}},
      {"open Lab; slice top", {"slice", "top"}},
  };
  for (const Case& c : cases) {
    const auto r = runScript(c.script);
    EXPECT_EQ(r.exitCode, 2) << c.script << "\n" << r.err;
    for (const char* part : c.message) EXPECT_NE(r.err.find(part), std::string::npos) << c.script << ": " << r.err;
  }
}

TEST(LabScript, LabOptionOpensTheLabForTheScriptAndItsPicture) {
  QTemporaryDir dir;
  const QString png = dir.filePath("lab.png"), panel = dir.filePath("slice.png");
  const auto r = runLumo({"--lab", "--run",
                          QStringLiteral("where; set matrix 64; set method fbp; run; snap %1; frame slice %2")
                              .arg(png, panel)});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Lab\n");
  const QImage window(png), slice(panel);
  ASSERT_FALSE(window.isNull());
  ASSERT_FALSE(slice.isNull());
  EXPECT_GT(window.width(), slice.width());
  EXPECT_GE(slice.width(), 64);
}

// `compare on` straight after a setting keeps that setting's result, not whatever was
// shown while it computed (or nothing, before the first result).
TEST(LabScript, CompareOnRightAfterASettingKeepsThatSettingsResult) {
  QTemporaryDir dir;
  const QString figures = dir.filePath("f.csv");
  const auto r = runScript(QStringLiteral("open Lab; set matrix 64; set views 24; set method fbp; compare on; "
                                          "set method mlem; set iterations 2; export figures %1")
                               .arg(figures)
                               .toStdString());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::string header;
  readCsv(figures, true, &header);
  EXPECT_EQ(header, "figure,現在 MLEM 2回,保持 FBP");
}

// The build-up and 「比較」 from a script: `step N` shows the slice after N steps and the
// next `step` moves it on; `play` runs to the end; the kept FBP result stays beside OSEM
// and both land in the figures.
TEST(LabScript, StepPlayAndCompareDriveTheBuildUpAndTheKeptResult) {
  QTemporaryDir dir;
  const QString s3 = dir.filePath("s3.png"), s5 = dir.filePath("s5.png"), kept = dir.filePath("kept.png"),
                figures = dir.filePath("f.csv"), metrics = dir.filePath("m.csv");
  const auto r = runScript(QStringLiteral("open Lab; set matrix 64; set views 24; set method fbp; run; compare on; "
                                          "set method osem; set iterations 2; set subsets 4; step 3; frame slice %1; "
                                          "step 2; frame slice %2; play; export metrics %3; export figures %4; "
                                          "frame kept-slice %5")
                               .arg(s3, s5, metrics, figures, kept)
                               .toStdString());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const QImage third(s3), fifth(s5), keptSlice(kept);
  ASSERT_FALSE(third.isNull());
  ASSERT_FALSE(fifth.isNull());
  EXPECT_FALSE(keptSlice.isNull());
  EXPECT_EQ(third.size(), fifth.size());
  EXPECT_NE(third, fifth) << "two more steps left the slice as it was";
  std::string header;
  EXPECT_EQ(readCsv(metrics, true, &header).size(), 2u);  // both iterations, played to the end
  const auto rows = readCsv(figures, true, &header);
  EXPECT_EQ(header, "figure,現在 OSEM 2回×4,保持 FBP");
  ASSERT_FALSE(rows.empty());
  for (const auto& row : rows) EXPECT_EQ(row.size(), 3u);
}

}  // namespace
