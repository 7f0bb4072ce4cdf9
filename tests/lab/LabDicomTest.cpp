// DICOM in the lab, through the runner as a teacher's script drives it: the lab's own sinogram
// and a camera-style file made from it both reconstruct to the lab's slice; bad files stop the
// script with their message; imported data have no truth.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <string>

#include "lab/LabTestSupport.h"
#include "support/LumoProcess.h"

namespace {

using lumo::test::readCsv;
using lumo::test::runLumo;
using lumo::test::runScript;
using lumo::test::sum;

// FBP without attenuation correction or resolution recovery: imported data have no mu map, so
// the phantom's reconstruction and the file's are the same computation.
const std::string kSettings = "open Lab; set matrix 64; set views 60; set method fbp; set ac off; set rr off; ";

double maxDifference(const std::vector<std::vector<double>>& a, const std::vector<std::vector<double>>& b) {
  double d = a.size() == b.size() ? 0 : INFINITY;
  for (std::size_t y = 0; y < a.size() && y < b.size(); ++y)
    for (std::size_t x = 0; x < a[y].size() && x < b[y].size(); ++x) d = std::max(d, std::fabs(a[y][x] - b[y][x]));
  return d;
}

// b as a multiple of a: the least-squares factor c of b = c a. A camera's study carries counts,
// the lab's phantom reconstructs in kBq/mL: the same slice read back from its projections is the
// phantom's slice times the acquisition's calibration (counts per kBq/mL).
double factorOf(const std::vector<std::vector<double>>& a, const std::vector<std::vector<double>>& b) {
  double ab = 0, aa = 0;
  for (std::size_t y = 0; y < a.size() && y < b.size(); ++y)
    for (std::size_t x = 0; x < a[y].size() && x < b[y].size(); ++x) {
      ab += a[y][x] * b[y][x];
      aa += a[y][x] * a[y][x];
    }
  return aa > 0 ? ab / aa : 0;
}

std::vector<std::vector<double>> times(std::vector<std::vector<double>> a, double c) {
  for (auto& row : a)
    for (double& v : row) v *= c;
  return a;
}

double maxAbs(const std::vector<std::vector<double>>& a) {
  double m = 0;
  for (const auto& row : a)
    for (double v : row) m = std::max(m, std::fabs(v));
  return m;
}

TEST(LabDicom, ExportedSinogramReconstructsToTheSameSlice) {
  QTemporaryDir dir;
  const std::string dcm = dir.filePath("s.dcm").toStdString(), a = dir.filePath("a.csv").toStdString(),
                    b = dir.filePath("b.csv").toStdString(), slice = dir.filePath("slice.dcm").toStdString();
  const auto r = runScript(kSettings + "run; export slice " + a + "; export sinogram " + dcm + "; export slice " + slice +
                           "; load " + dcm + "; run; export slice " + b);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto before = readCsv(QString::fromStdString(a)), after = readCsv(QString::fromStdString(b));
  ASSERT_EQ(before.size(), 64u);
  const double c = factorOf(before, after);
  EXPECT_GT(c, 0);
  EXPECT_LE(maxDifference(times(before, c), after), 1e-5 * maxAbs(after));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(slice)));
}

TEST(LabDicom, CameraStyleFileOfTheLabsSinogramReconstructsToTheSameSlice) {
  QTemporaryDir dir;
  const QString csv = dir.filePath("g.csv"), f32 = dir.filePath("g.f32"), dcm = dir.filePath("camera.dcm");
  const std::string a = dir.filePath("a.csv").toStdString(), b = dir.filePath("b.csv").toStdString();
  auto r = runScript(kSettings + "run; export slice " + a + "; export sinogram " + csv.toStdString());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto sinogram = readCsv(csv);
  ASSERT_EQ(sinogram.size(), 60u);
  std::vector<float> values;
  for (const auto& row : sinogram)
    for (double v : row) values.push_back(float(v));
  QFile out(f32);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(reinterpret_cast<const char*>(values.data()), qint64(values.size() * sizeof(float)));
  out.close();
  QProcess py;
  py.start("/usr/bin/python3", {LUMO_SOURCE_DIR "/tests/dicom/write_standard_tomo.py", f32, "60", "64", dcm});
  ASSERT_TRUE(py.waitForFinished(60000));
  ASSERT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();
  r = runScript(kSettings + "load " + dcm.toStdString() + "; run; export slice " + b);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto before = readCsv(QString::fromStdString(a)), after = readCsv(QString::fromStdString(b));
  ASSERT_EQ(before.size(), 64u);
  // The same views summed in another order (clockwise, two heads): equal to float rounding, in counts.
  const double c = factorOf(before, after);
  EXPECT_GT(c, 0);
  EXPECT_LE(maxDifference(times(before, c), after), 1e-4 * maxAbs(after));
}

// A TEW study from a camera, written with pydicom: three energy windows with the photopeak second.
// The lab reads the photopeak by its energy (not the first window), its sub-windows make `sc tew`
// work on the file, and `window N` reads another window when a teacher asks.
TEST(LabDicom, ATewStudyReconstructsItsPhotopeakAndCorrectsWithItsSubWindows) {
  QTemporaryDir dir;
  const QString csv = dir.filePath("g.csv"), f32 = dir.filePath("g.f32"), dcm = dir.filePath("tew.dcm");
  const auto file = [&](const char* name) { return dir.filePath(name).toStdString(); };
  auto r = runScript(kSettings + "run; export slice " + file("phantom.csv") + "; export sinogram " + csv.toStdString());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<float> values;
  for (const auto& row : readCsv(csv))
    for (double v : row) values.push_back(float(v));
  QFile out(f32);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(reinterpret_cast<const char*>(values.data()), qint64(values.size() * sizeof(float)));
  out.close();
  QProcess py;
  py.start("/usr/bin/python3", {LUMO_SOURCE_DIR "/tests/dicom/write_standard_tomo.py", f32, "60", "64", dcm, "tew"});
  ASSERT_TRUE(py.waitForFinished(60000));
  ASSERT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();

  r = runScript(kSettings + "load " + dcm.toStdString() + "; run; export slice " + file("photopeak.csv") +
                "; set sc tew; run; export slice " + file("corrected.csv") + "; window 1; run; export slice " + file("lower.csv"));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto phantom = readCsv(QString::fromStdString(file("phantom.csv"))), photopeak = readCsv(QString::fromStdString(file("photopeak.csv")));
  // The photopeak: the lab's own slice in counts (the file's window 2, not its first).
  const double c = factorOf(phantom, photopeak);
  EXPECT_LE(maxDifference(times(phantom, c), photopeak), 1e-4 * maxAbs(photopeak));
  // TEW subtracts (8 % + 2 %) / 2 of the counts scaled to the window widths: less than the photopeak.
  const double corrected = sum(readCsv(QString::fromStdString(file("corrected.csv"))));
  EXPECT_LT(corrected, 0.99 * sum(photopeak));
  EXPECT_GT(corrected, 0.5 * sum(photopeak));
  // Window 1 is the lower sub-window: 8 % of the counts.
  EXPECT_NEAR(sum(readCsv(QString::fromStdString(file("lower.csv")))) / sum(photopeak), 0.08, 0.01);

  r = runScript(kSettings + "load " + dcm.toStdString() + "; window 4");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("window 4 is not in the study (1 to 3)"), std::string::npos) << r.err;
}

TEST(LabDicom, BadFilesStopTheScriptWithTheirMessage) {
  QTemporaryDir dir;
  const QString text = dir.filePath("notes.dcm");  // a text file under a DICOM name
  QFile f(text);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("not a DICOM file\n");
  f.close();
  struct Case {
    std::string script, message;
  } cases[] = {
      {"open Lab; load " + text.toStdString(), "DICOMファイルではありません"},
      {"open Lab; load /nonexistent/x.dcm", "ファイルが見つかりません: /nonexistent/x.dcm"},
      {"open Lab; row 3", "no DICOM data is open"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    const auto r = runScript(c.script);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  const auto r = runLumo({"--lab", text, "--run", "where"});
  EXPECT_NE(r.err.find("DICOMファイルではありません"), std::string::npos) << r.err;
}

TEST(LabDicom, ImportedDataHaveNoTruthOrError) {
  QTemporaryDir dir;
  const std::string dcm = dir.filePath("s.dcm").toStdString(), png = dir.filePath("lab.png").toStdString();
  auto r = runScript(kSettings + "run; export sinogram " + dcm + "; load " + dcm + "; run; snap " + png);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* kind : {"truth", "error"}) {
    r = runScript(kSettings + "load " + dcm + "; run; export " + kind + " " + dir.filePath("t.csv").toStdString());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("imported data have no truth"), std::string::npos) << r.err;
  }
}

}  // namespace
