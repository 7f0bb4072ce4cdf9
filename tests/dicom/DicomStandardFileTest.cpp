// A projection file as a camera writes it (built by pydicom in the test): two detectors whose
// frames interleave, clockwise rotation, two energy windows, several rows. The lab must find the
// same sinogram in it as the one the file was made from.
#include "DicomTestFiles.h"

#include <gtest/gtest.h>

namespace lumo {
namespace {

using test::scratch;

TEST(DicomStandardFile, DualHeadClockwiseFileGivesTheLabsSinogram) {
  const int views = 60, bins = 64;
  tomo::Sinogram original = test::blobSinogram(views, bins, true);
  std::string values = scratch("standard.f32").string(), file = scratch("standard.dcm").string();
  test::writeFloats(values, original.counts);
  test::Run run = test::runProgram(test::python(), {test::sourceFile("tests/dicom/write_standard_tomo.py"),
                                                    QString::fromStdString(values), QString::number(views),
                                                    QString::number(bins), QString::fromStdString(file)});
  ASSERT_EQ(run.exitCode, 0) << run.output;

  io::ReadResult r = io::readProjections(file);
  ASSERT_EQ(r.error, "");
  const io::Projections& p = *r.projections;
  EXPECT_EQ(p.detectors, 2);
  EXPECT_EQ(p.energyWindows, 2);
  EXPECT_EQ(p.windowName, "EM 126-154 keV");
  EXPECT_EQ(p.stack.geometry.rows, 5);
  EXPECT_EQ(io::centreRow(p), 2);
  EXPECT_EQ(p.stack.geometry.views, views);
  EXPECT_DOUBLE_EQ(p.stack.geometry.startDeg, 0);
  EXPECT_DOUBLE_EQ(p.stack.geometry.stepDeg, -6);  // clockwise
  EXPECT_DOUBLE_EQ(p.stack.geometry.meanRadiusMm(), 200);
  EXPECT_TRUE(p.notes.empty());
  tomo::Sinogram s = io::sinogramOfRow(p, io::centreRow(p));
  // View i is at -6 i degrees, which is the lab's view (views - i) % views.
  for (int i = 0; i < views; ++i) {
    const int v = (views - i) % views;
    SCOPED_TRACE(testing::Message() << "view " << i << " at " << s.geometry.angleDeg(i) << " degrees");
    for (int b = 0; b < bins; ++b) ASSERT_EQ(s.at(i, 0, b), original.at(v, 0, b));
  }
  // The scatter window holds 30 % of the counts (rounded half to even, as numpy does).
  io::ReadResult scatter = io::readProjections(file, {2});
  ASSERT_EQ(scatter.error, "");
  EXPECT_EQ(scatter.projections->windowName, "SC 100-120 keV");
  EXPECT_EQ(io::sinogramOfRow(*scatter.projections, 2).at(0, 0, bins / 2), std::nearbyint(original.at(0, 0, bins / 2) * 0.3f));
  // Another row is another slice.
  EXPECT_EQ(io::sinogramOfRow(p, 0).at(0, 0, bins / 2), std::nearbyint(original.at(0, 0, bins / 2) * 0.5f));
}

}  // namespace
}  // namespace lumo
