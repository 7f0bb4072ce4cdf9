// Bad files: each gets its own clear Japanese message and nothing is read.
#include "DicomTestFiles.h"

#include <gtest/gtest.h>

#include <dcmtk/dcmdata/dcpixseq.h>
#include <dcmtk/dcmdata/dcpxitem.h>

#include <fcntl.h>
#include <unistd.h>

namespace lumo {
namespace {

using test::scratch;

std::string goodSinogram() {
  static std::string path = [] {
    std::string p = scratch("good.dcm").string();
    io::writeSinogram(p, test::blobSinogram(60, 64, true), {"LUMO good", "", ""});
    return p;
  }();
  return path;
}

std::string edited(const std::string& name, const std::function<void(DcmDataset&)>& edit,
                   E_TransferSyntax xfer = EXS_LittleEndianExplicit) {
  std::string path = scratch(name).string();
  EXPECT_TRUE(test::editFile(goodSinogram(), path, edit, xfer));
  return path;
}

// Our projections wrapped as JPEG 2000, which DCMTK (without a JPEG 2000 codec) cannot decode.
std::string jpeg2000() {
  return edited("j2k.dcm", [](DcmDataset& ds) {
    DcmPixelData* pixels = nullptr;
    DcmElement* e = nullptr;
    ds.findAndGetElement(DCM_PixelData, e);
    pixels = dynamic_cast<DcmPixelData*>(e);
    auto* sequence = new DcmPixelSequence(DcmTag(DCM_PixelData, EVR_OB));
    sequence->insert(new DcmPixelItem(DcmTag(DCM_PixelItemTag)));  // the empty offset table
    auto* fragment = new DcmPixelItem(DcmTag(DCM_PixelItemTag));
    Uint8 bytes[16] = {0xff, 0x4f, 0xff, 0x51};
    fragment->putUint8Array(bytes, sizeof bytes);
    sequence->insert(fragment);
    pixels->putOriginalRepresentation(EXS_JPEG2000LosslessOnly, nullptr, sequence);
  }, EXS_JPEG2000LosslessOnly);
}

std::string truncated(double fraction) {
  std::string bytes = test::readAll(goodSinogram());
  std::string path = scratch("cut-" + std::to_string(int(fraction * 100)) + ".dcm").string();
  test::writeAll(path, bytes.substr(0, std::size_t(bytes.size() * fraction)));
  return path;
}

std::string sparse(const std::string& name, off_t size) {
  std::string path = scratch(name).string();
  test::writeAll(path, test::readAll(goodSinogram()));
  EXPECT_EQ(::truncate(path.c_str(), size), 0);
  return path;
}

TEST(DicomBadInput, EachGetsItsMessage) {
  std::string textFile = scratch("notes.txt").string();
  test::writeAll(textFile, "phantom=brain\nviews=120\n");
  std::string empty = scratch("empty.dcm").string();
  test::writeAll(empty, "");
  std::string slice = scratch("slice.dcm").string();
  io::writeSlice(slice, test::rampSlice(64, 0, 10), {});
  std::string wide = scratch("wide.dcm").string();
  io::writeSinogram(wide, test::blobSinogram(20, 100, true), {});

  struct Case {
    const char* what;
    std::string path;
    std::string message;  // the whole message, or its start when it names a path
    io::ReadOptions options = {};
  } cases[] = {
      {"a text file", textFile, "DICOMファイルではありません"},
      {"an empty file", empty, "DICOMファイルではありません"},
      {"no such file", "/nonexistent/x.dcm", "ファイルが見つかりません: /nonexistent/x.dcm"},
      {"a folder", scratch("").parent_path().string(), "普通のファイルではありません: "},
      {"a CT image", edited("ct.dcm", [](DcmDataset& ds) {
         ds.putAndInsertString(DCM_Modality, "CT");
         ds.putAndInsertString(DCM_SOPClassUID, UID_CTImageStorage);
       }), "核医学(NM)の画像ではありません（モダリティ: CT）"},
      {"a reconstructed slice", slice, "SPECTの投影データ(NM TOMO)ではありません（画像の種類: RECON TOMO）"},
      {"a static image", edited("static.dcm", [](DcmDataset& ds) {
         ds.putAndInsertString(DCM_ImageType, "ORIGINAL\\PRIMARY\\STATIC\\EMISSION");
       }), "SPECTの投影データ(NM TOMO)ではありません（画像の種類: STATIC）"},
      {"JPEG 2000", jpeg2000(), "この圧縮形式の画素データは読めません（JPEG 2000 (Lossless only)）"},
      {"cut in the pixels", truncated(0.6), "DICOMファイルが途中で切れているか、壊れています"},
      {"cut in the header", truncated(0.1), "DICOMファイルが途中で切れているか、壊れています"},
      {"more frames than pixels", edited("frames.dcm", [](DcmDataset& ds) {
         ds.putAndInsertString(DCM_NumberOfFrames, "70");
       }), "フレーム数と画素データの大きさが合いません（70 フレームに対して 60 フレーム分）"},
      {"a short view vector", edited("vector.dcm", [](DcmDataset& ds) {
         std::vector<Uint16> v(50);
         for (int i = 0; i < 50; ++i) v[i] = Uint16(i + 1);
         ds.putAndInsertUint16Array(DCM_AngularViewVector, v.data(), v.size());
       }), "フレーム数が合いません（フレーム 60 枚に対して投影方向の番号が 50 個）"},
      {"frames in rotation", edited("rotation.dcm", [](DcmDataset& ds) {
         DcmItem* item = nullptr;
         ds.findOrCreateSequenceItem(DCM_RotationInformationSequence, item, 0);
         item->putAndInsertUint16(DCM_NumberOfFramesInRotation, 64);
       }), "フレーム数が合いません（ファイルは 60 枚、ウィンドウ・検出器・回転から 64 枚）"},
      {"a view twice", edited("twice.dcm", [](DcmDataset& ds) {
         std::vector<Uint16> v(60);
         for (int i = 0; i < 60; ++i) v[i] = Uint16(i == 59 ? 1 : i + 1);
         ds.putAndInsertUint16Array(DCM_AngularViewVector, v.data(), v.size());
       }), "投影方向の番号が重複しているか範囲外です（検出器 1）"},
      {"two detectors announced, one present", edited("detectors.dcm", [](DcmDataset& ds) {
         ds.putAndInsertUint16(DCM_NumberOfDetectors, 2);
         DcmItem* item = nullptr;
         ds.findOrCreateSequenceItem(DCM_RotationInformationSequence, item, 0);
         item->putAndInsertUint16(DCM_NumberOfFramesInRotation, 30);
       }), "フレーム数が合いません（検出器 1 の投影が 60 枚、30 枚のはずです）"},
      {"a second window that is not there", goodSinogram(), "エネルギーウィンドウ 2 はありません（1 個）", {2}},
      {"100 columns", wide, "投影の列数 100 には対応していません（64・128・256 列）"},
      {"2 GB", sparse("huge.dcm", off_t(2048) * 1024 * 1024), "ファイルが大きすぎます（2048 MB。読めるのは 256 MB までです）"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    io::ReadResult r = io::readProjections(c.path, c.options);
    EXPECT_FALSE(r.projections.has_value());
    EXPECT_EQ(r.error.substr(0, c.message.size()), c.message) << r.error;
    std::cout << c.what << ": " << r.error << "\n";
  }
  std::filesystem::remove(scratch("huge.dcm"));
}

// A sound file from a camera often leaves out type-2 attributes: it is read, and the assumptions
// are said.
TEST(DicomBadInput, MissingTypeTwoAttributesAreTolerated) {
  std::string path = edited("sparse-attributes.dcm", [](DcmDataset& ds) {
    for (const DcmTagKey& tag : {DCM_PixelSpacing, DCM_RotationInformationSequence, DCM_DetectorInformationSequence,
                                 DCM_EnergyWindowInformationSequence, DCM_SeriesDescription, DCM_AngularViewVector})
      delete ds.remove(tag);
    ds.insertEmptyElement(DCM_RotationInformationSequence);
    ds.insertEmptyElement(DCM_PixelSpacing);
  });
  io::ReadResult r = io::readProjections(path);
  ASSERT_EQ(r.error, "");
  const io::Projections& p = *r.projections;
  EXPECT_EQ(p.stack.geometry.views, 60);
  EXPECT_DOUBLE_EQ(p.stack.geometry.stepDeg, 6.0);
  EXPECT_DOUBLE_EQ(p.stack.geometry.startDeg, 0.0);
  EXPECT_DOUBLE_EQ(p.stack.geometry.binMm, 420.0 / 64);
  EXPECT_DOUBLE_EQ(p.stack.geometry.meanRadiusMm(), 150.0);
  EXPECT_EQ(p.description, "LUMO^PHANTOM");
  EXPECT_EQ(io::sinogramOfRow(p, 0).counts, test::blobSinogram(60, 64, true).counts);
  std::vector<std::string> expected = {"開始角度がないため 0 度としました", "角度の刻みがないため 360 度を等分しました",
                                       "回転方向がないため反時計回り(CC)としました", "画素の大きさがないため視野 42 cm としました",
                                       "回転半径がないため 15 cm としました"};
  EXPECT_EQ(p.notes, expected);
}

}  // namespace
}  // namespace lumo
