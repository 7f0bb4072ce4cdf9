// NIfTI volumes out of the lab, read back by nibabel (python3-nibabel): the volume's shape, voxel
// size, orientation and values in kBq/mL, whatever the counts.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <string>

#include "support/LumoProcess.h"

namespace {

using lumo::test::runScript;

// Prints "shape zooms axcodes mean-in-the-water max" of a .nii file.
std::string describe(const QString& file) {
  QProcess py;
  py.start("/usr/bin/python3",
           {"-c",
            "import sys, nibabel as nib, numpy as np\n"
            "im = nib.load(sys.argv[1]); d = im.get_fdata()\n"
            "print(d.shape, tuple(round(float(z), 4) for z in im.header.get_zooms()), ''.join(nib.aff2axcodes(im.affine)),\n"
            "      round(float(d[28:36, 28:36, 24:40].mean()), 1), round(float(d.max()), 1))",
            file});
  if (!py.waitForFinished(60000) || py.exitCode() != 0) return "python: " + py.readAllStandardError().toStdString();
  return py.readAllStandardOutput().trimmed().toStdString();
}

}  // namespace

TEST(LabNifti, VolumesReadBackInNibabelWithTheirVoxelSizeOrientationAndUnits) {
  QTemporaryDir dir;
  const QString truth = dir.filePath("t.nii"), slice = dir.filePath("s.nii"), error = dir.filePath("e.nii");
  const QString tenfold = dir.filePath("s10.nii");
  const std::string common = "open Lab; set phantom cylinder; set matrix 64; set slices 64; set noise off; set scatter off; "
                             "set method mlem; "
                             "set iterations 8; ";
  auto r = runScript(common + "run; export truth " + truth.toStdString() + "; export slice " + slice.toStdString() +
                     "; export error " + error.toStdString() + "; set counts 5000000; run; export slice " +
                     tenfold.toStdString());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // The cylinder is 10 kBq/mL of water; x runs to the patient's left, y to the back, z to the feet.
  EXPECT_EQ(describe(truth), "(64, 64, 64) (6.5625, 6.5625, 6.5625) LPI 10.0 10.0");
  const std::string s = describe(slice), s10 = describe(tenfold);
  ASSERT_EQ(s.substr(0, 41), "(64, 64, 64) (6.5625, 6.5625, 6.5625) LPI") << s;
  // The result is in the truth's unit, and ten times the counts give the same kBq/mL.
  const double mean = std::stod(s.substr(42)), mean10 = std::stod(s10.substr(42));
  EXPECT_NEAR(mean, 10.0, 1.0) << s;
  EXPECT_NEAR(mean10, mean, 0.05) << s10;
  EXPECT_EQ(describe(error).substr(0, 41), "(64, 64, 64) (6.5625, 6.5625, 6.5625) LPI");
}

TEST(LabNifti, AVolumeThatCannotBeWrittenStopsTheScript) {
  const auto r = runScript("open Lab; set matrix 64; set method fbp; run; export slice /nonexistent-folder/s.nii");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("/nonexistent-folder/s.nii"), std::string::npos) << r.err;
}
