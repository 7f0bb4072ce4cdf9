// The lab's files written and read back: by the lab itself, by pydicom and by dciodvfy.
#include "DicomTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace lumo {
namespace {

using test::scratch;

double maxDifference(const std::vector<float>& a, const std::vector<float>& b) {
  double d = 0;
  for (std::size_t i = 0; i < a.size(); ++i) d = std::max(d, std::fabs(double(a[i]) - b[i]));
  return d;
}

// Whole counts come back exactly, with the geometry; fractional counts to half a 16-bit step. Both
// directions of rotation, a start away from 0, 180 and 360 degree arcs.
TEST(DicomRoundTrip, SinogramComesBackAsWritten) {
  struct Case {
    int views, bins;
    bool whole;
    double start, arc;
  } cases[] = {{120, 128, true, 0, 360}, {60, 64, true, 90, -360}, {64, 64, false, 0, 180}, {36, 256, true, 350, 360}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.views << " views, " << c.bins << " bins, start " << c.start << ", arc " << c.arc);
    tomo::Sinogram s = test::blobSinogram(c.views, c.bins, c.whole, c.start, c.arc);
    std::string path = scratch("roundtrip.dcm").string();
    ASSERT_EQ(io::writeSinogram(path, s, {"LUMO test", "views=" + std::to_string(c.views), ""}), "");
    io::ReadResult r = io::readProjections(path);
    ASSERT_EQ(r.error, "");
    const io::Projections& p = *r.projections;
    EXPECT_EQ(p.stack.geometry.rows, 1);
    EXPECT_EQ(p.stack.geometry.bins, c.bins);
    EXPECT_TRUE(p.notes.empty()) << p.notes.front();
    EXPECT_EQ(p.description, "LUMO test");
    tomo::Sinogram back = io::sinogramOfRow(p, io::centreRow(p));
    EXPECT_EQ(back.geometry.views, s.geometry.views);
    EXPECT_EQ(back.geometry.bins, s.geometry.bins);
    EXPECT_NEAR(back.geometry.binMm, s.geometry.binMm, 1e-9);
    EXPECT_NEAR(back.geometry.startDeg, s.geometry.startDeg, 1e-9);
    EXPECT_NEAR(back.geometry.stepDeg, s.geometry.stepDeg, 1e-9);
    EXPECT_NEAR(back.geometry.radius(0), s.geometry.radius(0), 1e-9);
    ASSERT_EQ(back.counts.size(), s.counts.size());
    if (c.whole) {
      EXPECT_EQ(back.counts, s.counts);
    } else {
      double hi = *std::max_element(s.counts.begin(), s.counts.end());
      EXPECT_LE(maxDifference(back.counts, s.counts), hi / 65535 / 2 * 1.001 + hi * 1e-7);
    }
  }
}

// pydicom reads the tags and the numbers the lab meant.
TEST(DicomRoundTrip, PydicomReadsOurFiles) {
  tomo::Sinogram s = test::blobSinogram(90, 64, true, 0, 360);
  tomo::Image slice = test::rampSlice(64, -3.5f, 250.25f);
  std::string sino = scratch("py-sinogram.dcm").string(), img = scratch("py-slice.dcm").string();
  ASSERT_EQ(io::writeSinogram(sino, s, {"LUMO cylinder FBP", "phantom=cylinder", ""}), "");
  ASSERT_EQ(io::writeSlice(img, slice, {"LUMO cylinder FBP", "phantom=cylinder", ""}), "");
  test::writeFloats(sino + ".f32", s.counts);
  test::writeFloats(img + ".f32", slice.px);
  test::Run run = test::runProgram(test::python(),
      {test::sourceFile("tests/dicom/check_export.py"), QString::fromStdString(sino), QString::fromStdString(sino + ".f32"),
       "90", "64", "0", "4", "185", QString::fromStdString(img), QString::fromStdString(img + ".f32"), "64",
       QString::number(420.0 / 64, 'g', 17)});
  std::cout << run.output;
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("\nOK"), std::string::npos) << run.output;
}

// dciodvfy, the NM IOD's checker, finds no error in either file (a warning names the laterality
// left empty for a phantom that is not a head; a head phantom has none).
TEST(DicomRoundTrip, DciodvfyFindsNoError) {
  tomo::Sinogram s = test::blobSinogram(120, 128, false, 0, 360);
  tomo::Sinogram orbit = s;  // body-contouring: a radius per view
  for (std::size_t v = 0; v < orbit.geometry.radiusMm.size(); ++v) orbit.geometry.radiusMm[v] = 140 + double(v % 30);
  tomo::Image slice = test::rampSlice(128, -1.0f, 40.0f);
  struct File {
    std::string name, bodyPart;
    bool isSlice;
    const tomo::Sinogram* sinogram;
  } files[] = {{"v-sinogram.dcm", "", false, &s}, {"v-slice.dcm", "", true, &s}, {"v-head-slice.dcm", "HEAD", true, &s},
               {"v-head-sinogram.dcm", "HEAD", false, &s}, {"v-orbit-sinogram.dcm", "HEAD", false, &orbit}};
  for (const File& f : files) {
    SCOPED_TRACE(f.name);
    std::string path = scratch(f.name).string();
    io::ExportText text{"LUMO rods OSEM 4x10", "phantom=rods method=osem", f.bodyPart};
    ASSERT_EQ(f.isSlice ? io::writeSlice(path, slice, text) : io::writeSinogram(path, *f.sinogram, text), "");
    test::Run run = test::runProgram("dciodvfy", {QString::fromStdString(path)});
    std::cout << "dciodvfy " << f.name << ":\n" << run.output;
    ASSERT_NE(run.output.find("NMImage"), std::string::npos) << "dciodvfy did not recognise the NM image: " << run.output;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) EXPECT_NE(line.rfind("Error", 0), 0u) << line;
    if (!f.bodyPart.empty()) {
      EXPECT_EQ(run.output.find("Warning"), std::string::npos) << run.output;
    }
  }
}

// A body-contouring orbit: each view's radius is written (one Radial Position per view) and read
// back onto the same view, also when the camera turns clockwise; a circle keeps one value.
TEST(DicomRoundTrip, EachViewKeepsItsRadius) {
  for (double arc : {360.0, -360.0}) {
    SCOPED_TRACE(arc);
    tomo::Sinogram s = test::blobSinogram(12, 64, true, 30, arc);
    for (int v = 0; v < 12; ++v) s.geometry.radiusMm[std::size_t(v)] = 150 + 10 * v;  // an ellipse's orbit, roughly
    const std::string path = scratch("orbit.dcm").string();
    ASSERT_EQ(io::writeSinogram(path, s, {}), "");
    const io::ReadResult r = io::readProjections(path);
    ASSERT_EQ(r.error, "");
    const tomo::Sinogram back = io::sinogramOfRow(*r.projections, 0);
    ASSERT_EQ(back.geometry.radiusMm.size(), 12u);
    for (int v = 0; v < 12; ++v) {
      // The same angle on both sides (the reader may start the views elsewhere on the circle).
      const double angle = std::fmod(back.geometry.angleDeg(v) + 720.0, 360.0);
      int w = 0;
      while (w < 12 && std::fabs(std::fmod(s.geometry.angleDeg(w) + 720.0, 360.0) - angle) > 1e-6) ++w;
      ASSERT_LT(w, 12) << "view " << v << " at " << angle;
      EXPECT_NEAR(back.geometry.radius(v), s.geometry.radius(w), 1e-6) << v;
    }
    EXPECT_NEAR(r.projections->stack.geometry.meanRadiusMm(), 205, 1e-9);  // the mean, for the label
  }
  const std::string circle = scratch("circle.dcm").string();
  ASSERT_EQ(io::writeSinogram(circle, test::blobSinogram(12, 64, true), {}), "");
  DcmFileFormat f;
  ASSERT_TRUE(f.loadFile(circle.c_str()).good());
  DcmItem* detector = nullptr;
  ASSERT_TRUE(f.getDataset()->findAndGetSequenceItem(DCM_DetectorInformationSequence, detector, 0).good());
  DcmElement* radial = nullptr;
  ASSERT_TRUE(detector->findAndGetElement(DCM_RadialPosition, radial).good());
  EXPECT_EQ(radial->getVM(), 1u);
}

// Every file gets its own UIDs.
TEST(DicomRoundTrip, EachFileHasFreshUids) {
  tomo::Sinogram s = test::blobSinogram(8, 64, true);
  std::string a = scratch("uid-a.dcm").string(), b = scratch("uid-b.dcm").string();
  ASSERT_EQ(io::writeSinogram(a, s, {}), "");
  ASSERT_EQ(io::writeSinogram(b, s, {}), "");
  for (const DcmTagKey& tag : {DCM_SOPInstanceUID, DCM_SeriesInstanceUID, DCM_StudyInstanceUID}) {
    DcmFileFormat fa, fb;
    ASSERT_TRUE(fa.loadFile(a.c_str()).good());
    ASSERT_TRUE(fb.loadFile(b.c_str()).good());
    OFString ua, ub;
    fa.getDataset()->findAndGetOFString(tag, ua);
    fb.getDataset()->findAndGetOFString(tag, ub);
    EXPECT_FALSE(ua.empty());
    EXPECT_NE(ua, ub);
  }
}

// A file the lab cannot write to gets a message, not a crash.
TEST(DicomRoundTrip, UnwritablePathIsReported) {
  tomo::Sinogram s = test::blobSinogram(8, 64, true);
  EXPECT_EQ(io::writeSinogram("/nonexistent-folder/x.dcm", s, {}), "ファイルに書き込めません: /nonexistent-folder/x.dcm");
  EXPECT_EQ(io::writeSlice("/tmp/x.dcm", tomo::Image{}, {}), "書き出す画像がありません");
}

}  // namespace
}  // namespace lumo
