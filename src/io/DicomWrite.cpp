// The lab's slice and sinogram as NM images.
#include "io/Dicom.h"
#include "io/DicomCommon.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dctk.h>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace lumo::io {
namespace {

using detail::decimal;

// Only printable ASCII without the value separator, so no character set needs declaring.
std::string ascii(const std::string& text, std::size_t maxChars) {
  std::string out;
  for (char c : text) {
    if (out.size() >= maxChars) break;
    if (c >= 0x20 && c < 0x7f && c != '\\') out += c;
  }
  return out;
}

std::string uid() {
  char buffer[100];
  return dcmGenerateUniqueIdentifier(buffer, SITE_INSTANCE_UID_ROOT);
}

bool put(DcmItem& item, const DcmTagKey& tag, const std::string& value) {
  return item.putAndInsertString(tag, value.c_str()).good();
}

// Patient, study, series, equipment, image and the NM image pixel attributes both files share.
bool putCommon(DcmDataset& ds, const ExportText& text, const char* seriesNumber, int rows, int columns,
               double rowMm, double columnMm) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char date[16], time[16];
  std::strftime(date, sizeof date, "%Y%m%d", &local);
  std::strftime(time, sizeof time, "%H%M%S", &local);
  bool ok = true;
  ok &= put(ds, DCM_SOPClassUID, UID_NuclearMedicineImageStorage);
  ok &= put(ds, DCM_SOPInstanceUID, uid());
  ok &= put(ds, DCM_StudyInstanceUID, uid());
  ok &= put(ds, DCM_SeriesInstanceUID, uid());
  ok &= put(ds, DCM_FrameOfReferenceUID, uid());
  ok &= put(ds, DCM_PositionReferenceIndicator, "");
  ok &= put(ds, DCM_PatientName, "LUMO^PHANTOM");
  ok &= put(ds, DCM_PatientID, "LUMO");
  ok &= put(ds, DCM_PatientBirthDate, "");
  ok &= put(ds, DCM_PatientSex, "O");
  ok &= put(ds, DCM_StudyDate, date);
  ok &= put(ds, DCM_StudyTime, time);
  ok &= put(ds, DCM_SeriesDate, date);
  ok &= put(ds, DCM_SeriesTime, time);
  ok &= put(ds, DCM_ContentDate, date);
  ok &= put(ds, DCM_ContentTime, time);
  ok &= put(ds, DCM_ReferringPhysicianName, "");
  ok &= put(ds, DCM_StudyID, "1");
  ok &= put(ds, DCM_AccessionNumber, "");
  ok &= put(ds, DCM_StudyDescription, "LUMO RECONSTRUCTION LAB");
  ok &= put(ds, DCM_Modality, "NM");
  ok &= put(ds, DCM_SeriesNumber, seriesNumber);
  // A head is an unpaired part; for any other phantom laterality is unknown, so left empty.
  if (!text.bodyPart.empty()) {
    ok &= put(ds, DCM_BodyPartExamined, ascii(text.bodyPart, 16));
  } else {
    ok &= put(ds, DCM_Laterality, "");
  }
  ok &= put(ds, DCM_SeriesDescription, ascii(text.seriesDescription, 64));
  if (!text.comments.empty()) ok &= put(ds, DCM_ImageComments, ascii(text.comments, 10240));
  ok &= put(ds, DCM_Manufacturer, "Lumo");
  ok &= put(ds, DCM_ManufacturerModelName, "Reconstruction lab");
  ok &= put(ds, DCM_SoftwareVersions, "1.0.0");
  ok &= put(ds, DCM_InstanceNumber, "1");
  ok &= put(ds, DCM_PatientOrientation, "");
  ok &= put(ds, DCM_LossyImageCompression, "00");
  // The lab's phantom lies supine, head first; the orientation codes are left empty (type 2).
  ok &= ds.insertEmptyElement(DCM_PatientOrientationCodeSequence).good();
  ok &= ds.insertEmptyElement(DCM_PatientGantryRelationshipCodeSequence).good();
  ok &= ds.putAndInsertUint16(DCM_SamplesPerPixel, 1).good();
  ok &= put(ds, DCM_PhotometricInterpretation, "MONOCHROME2");
  ok &= ds.putAndInsertUint16(DCM_Rows, static_cast<Uint16>(rows)).good();
  ok &= ds.putAndInsertUint16(DCM_Columns, static_cast<Uint16>(columns)).good();
  ok &= ds.putAndInsertUint16(DCM_BitsAllocated, 16).good();
  ok &= ds.putAndInsertUint16(DCM_BitsStored, 16).good();
  ok &= ds.putAndInsertUint16(DCM_HighBit, 15).good();
  ok &= ds.putAndInsertUint16(DCM_PixelRepresentation, 0).good();
  ok &= put(ds, DCM_PixelSpacing, decimal(rowMm) + "\\" + decimal(columnMm));
  // Technetium-99m's photopeak, 140 keV with a 20 % window.
  ok &= ds.putAndInsertUint16(DCM_NumberOfEnergyWindows, 1).good();
  DcmItem* window = nullptr;
  ok &= ds.findOrCreateSequenceItem(DCM_EnergyWindowInformationSequence, window, -2).good();
  if (window) {
    DcmItem* range = nullptr;
    ok &= window->findOrCreateSequenceItem(DCM_EnergyWindowRangeSequence, range, -2).good();
    if (range) {
      ok &= put(*range, DCM_EnergyWindowLowerLimit, "126");
      ok &= put(*range, DCM_EnergyWindowUpperLimit, "154");
    }
    ok &= put(*window, DCM_EnergyWindowName, "EM");
  }
  ok &= ds.insertEmptyElement(DCM_RadiopharmaceuticalInformationSequence).good();
  ok &= ds.putAndInsertUint16(DCM_NumberOfDetectors, 1).good();
  return ok;
}

bool putFrameIncrementPointer(DcmDataset& ds, std::initializer_list<DcmTagKey> tags) {
  auto* at = new DcmAttributeTag(DCM_FrameIncrementPointer);
  unsigned long pos = 0;
  for (const DcmTagKey& t : tags) at->putTagVal(t, pos++);
  return ds.insert(at, true).good();
}

std::string save(DcmFileFormat& file, const std::string& path) {
  OFCondition c = file.saveFile(path.c_str(), EXS_LittleEndianExplicit);
  if (c.bad()) return "ファイルに書き込めません: " + path;
  return "";
}

// Stored values and the mapping that gives them back: whole counts from 0 to 65535 are stored as
// they are; anything else as 16-bit steps of (hi - lo) / 65535 from lo (slope and intercept are
// doubles, so the error is at most half a step).
struct Quantized {
  std::vector<Uint16> stored;
  bool mapped = false;
  double slope = 1, intercept = 0;
};

Quantized quantize(const std::vector<float>& values) {
  Quantized q;
  double lo = 0, hi = 0;
  bool whole = true;
  for (float v : values) {
    if (!std::isfinite(v)) continue;
    lo = std::min<double>(lo, v);
    hi = std::max<double>(hi, v);
    if (v != std::nearbyint(v)) whole = false;
  }
  q.mapped = !whole || lo < 0 || hi > 65535;
  if (q.mapped) {
    q.intercept = lo;
    q.slope = hi > lo ? (hi - lo) / 65535.0 : 1.0;
  }
  q.stored.reserve(values.size());
  for (float v : values) {
    double s = std::isfinite(v) ? std::nearbyint((v - q.intercept) / q.slope) : 0.0;
    q.stored.push_back(static_cast<Uint16>(std::clamp(s, 0.0, 65535.0)));
  }
  return q;
}

// The values in counts through the Real World Value Mapping the NM image allows (Rescale Slope and
// Intercept are no attributes of it).
bool putPixels(DcmDataset& ds, const Quantized& q) {
  bool ok = true;
  if (q.mapped) {
    DcmItem* map = nullptr;
    ok &= ds.findOrCreateSequenceItem(DCM_RealWorldValueMappingSequence, map, -2).good();
    if (map) {
      ok &= map->putAndInsertUint16(DCM_RealWorldValueFirstValueMapped, 0).good();
      ok &= map->putAndInsertUint16(DCM_RealWorldValueLastValueMapped, 65535).good();
      ok &= map->putAndInsertFloat64(DCM_RealWorldValueIntercept, q.intercept).good();
      ok &= map->putAndInsertFloat64(DCM_RealWorldValueSlope, q.slope).good();
      ok &= put(*map, DCM_LUTExplanation, "Counts");
      ok &= put(*map, DCM_LUTLabel, "COUNTS");
      DcmItem* unit = nullptr;
      ok &= map->findOrCreateSequenceItem(DCM_MeasurementUnitsCodeSequence, unit, -2).good();
      if (unit) {
        ok &= put(*unit, DCM_CodeValue, "{counts}");
        ok &= put(*unit, DCM_CodingSchemeDesignator, "UCUM");
        ok &= put(*unit, DCM_CodeMeaning, "Counts");
      }
    }
  }
  ok &= ds.putAndInsertUint16Array(DCM_PixelData, q.stored.data(), q.stored.size()).good();
  return ok;
}

const char* direction(double stepDeg) { return stepDeg >= 0 ? "CC" : "CW"; }

}  // namespace

std::string writeSlice(const std::string& path, const tomo::Image& slice, const ExportText& text) {
  detail::initDcmtk();
  if (slice.n <= 0 || slice.n > 4096 || slice.px.size() != std::size_t(slice.n) * slice.n)
    return "書き出す画像がありません";
  DcmFileFormat file;
  DcmDataset& ds = *file.getDataset();
  Quantized q = quantize(slice.px);
  double mm = slice.pixelMm > 0 ? slice.pixelMm : 1.0;
  bool ok = putCommon(ds, text, "1", slice.n, slice.n, mm, mm);
  ok &= put(ds, DCM_ImageType, "ORIGINAL\\PRIMARY\\RECON TOMO\\EMISSION");
  ok &= put(ds, DCM_NumberOfFrames, "1");
  ok &= putFrameIncrementPointer(ds, {DCM_SliceVector});
  const Uint16 one = 1;
  ok &= ds.putAndInsertUint16Array(DCM_SliceVector, &one, 1).good();
  ok &= ds.putAndInsertUint16(DCM_NumberOfSlices, 1).good();
  ok &= ds.putAndInsertUint16(DCM_NumberOfRotations, 1).good();
  ok &= ds.insertEmptyElement(DCM_RotationInformationSequence).good();
  ok &= put(ds, DCM_CountsAccumulated, "");
  // The slice is transaxial through the centre: rows run from the top of the picture down.
  DcmItem* detector = nullptr;
  ok &= ds.findOrCreateSequenceItem(DCM_DetectorInformationSequence, detector, -2).good();
  if (detector) {
    double corner = -(slice.n - 1) / 2.0 * mm;
    ok &= put(*detector, DCM_CollimatorType, "PARA");
    ok &= put(*detector, DCM_FocalDistance, "");
    ok &= put(*detector, DCM_XFocusCenter, "");
    ok &= put(*detector, DCM_YFocusCenter, "");
    ok &= put(*detector, DCM_ImagePositionPatient, decimal(corner) + "\\" + decimal(corner) + "\\0");
    ok &= put(*detector, DCM_ImageOrientationPatient, "1\\0\\0\\0\\1\\0");
  }
  ok &= put(ds, DCM_SliceThickness, decimal(mm));
  ok &= put(ds, DCM_SpacingBetweenSlices, decimal(mm));
  ok &= put(ds, DCM_ReconstructionDiameter, decimal(mm * slice.n));
  ok &= put(ds, DCM_SliceLocation, "0");
  ok &= putPixels(ds, q);
  if (!ok) return "DICOMの属性を作れません";
  return save(file, path);
}

std::string writeSinogram(const std::string& path, const tomo::Sinogram& s, const ExportText& text) {
  detail::initDcmtk();
  const tomo::ProjectionGeometry& g = s.geometry;
  if (g.views <= 0 || g.bins <= 0 || g.rows <= 0 || g.views > 65535 || g.bins > 65535 || g.rows > 65535 ||
      s.counts.size() != g.size())
    return "書き出すサイノグラムがありません";
  DcmFileFormat file;
  DcmDataset& ds = *file.getDataset();
  Quantized q = quantize(s.counts);
  double mm = g.binMm > 0 ? g.binMm : 1.0;
  bool ok = putCommon(ds, text, "2", g.rows, g.bins, g.rowMm > 0 ? g.rowMm : mm, mm);
  ok &= put(ds, DCM_ImageType, "ORIGINAL\\PRIMARY\\TOMO\\EMISSION");
  ok &= put(ds, DCM_NumberOfFrames, std::to_string(g.views));
  ok &= putFrameIncrementPointer(ds, {DCM_EnergyWindowVector, DCM_DetectorVector, DCM_RotationVector,
                                      DCM_AngularViewVector});
  std::vector<Uint16> ones(g.views, 1), view(g.views);
  for (int v = 0; v < g.views; ++v) view[v] = static_cast<Uint16>(v + 1);
  ok &= ds.putAndInsertUint16Array(DCM_EnergyWindowVector, ones.data(), ones.size()).good();
  ok &= ds.putAndInsertUint16Array(DCM_DetectorVector, ones.data(), ones.size()).good();
  ok &= ds.putAndInsertUint16Array(DCM_RotationVector, ones.data(), ones.size()).good();
  ok &= ds.putAndInsertUint16Array(DCM_AngularViewVector, view.data(), view.size()).good();
  ok &= ds.putAndInsertUint16(DCM_NumberOfRotations, 1).good();
  double total = 0;
  for (float c : s.counts) total += c;
  ok &= put(ds, DCM_CountsAccumulated, std::to_string(static_cast<long long>(std::llround(total))));
  double start = std::fmod(g.startDeg, 360.0);
  if (start < 0) start += 360;
  double step = std::fabs(g.stepDeg);
  // One Radial Position per view on a body-contouring orbit, one for all on a circle.
  const bool circle = std::all_of(g.radiusMm.begin(), g.radiusMm.end(), [&](double r) { return r == g.radiusMm.front(); });
  std::string radius = decimal(circle ? g.meanRadiusMm() : g.radiusMm.front());
  if (!circle)
    for (std::size_t v = 1; v < g.radiusMm.size(); ++v) {
      radius += '\\';
      radius += decimal(g.radiusMm[v]);
    }
  DcmItem* detector = nullptr;
  ok &= ds.findOrCreateSequenceItem(DCM_DetectorInformationSequence, detector, -2).good();
  if (detector) {
    ok &= put(*detector, DCM_CollimatorType, "PARA");
    ok &= put(*detector, DCM_FocalDistance, "");
    ok &= put(*detector, DCM_XFocusCenter, "");
    ok &= put(*detector, DCM_YFocusCenter, "");
    ok &= put(*detector, DCM_StartAngle, decimal(start));
    ok &= put(*detector, DCM_RadialPosition, radius);
    // The detector turns, so a projection has no one position or orientation in the patient.
    ok &= put(*detector, DCM_ImagePositionPatient, "");
    ok &= put(*detector, DCM_ImageOrientationPatient, "");
  }
  DcmItem* rotation = nullptr;
  ok &= ds.findOrCreateSequenceItem(DCM_RotationInformationSequence, rotation, -2).good();
  if (rotation) {
    ok &= put(*rotation, DCM_StartAngle, decimal(start));
    ok &= put(*rotation, DCM_AngularStep, decimal(step));
    ok &= put(*rotation, DCM_RotationDirection, direction(g.stepDeg));
    ok &= put(*rotation, DCM_ScanArc, decimal(step * g.views));
    // The lab simulates counts, not time: one second per view is written as a nominal duration.
    ok &= put(*rotation, DCM_ActualFrameDuration, "1000");
    ok &= put(*rotation, DCM_RadialPosition, radius);
    ok &= rotation->putAndInsertUint16(DCM_NumberOfFramesInRotation, static_cast<Uint16>(g.views)).good();
  }
  ok &= put(ds, DCM_TypeOfDetectorMotion, "STEP AND SHOOT");
  ok &= putPixels(ds, q);
  if (!ok) return "DICOMの属性を作れません";
  return save(file, path);
}

}  // namespace lumo::io
