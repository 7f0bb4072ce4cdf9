// An NM TOMO projection file into the lab's projections.
//
// The reader trusts nothing in the file: the file's size is checked before DCMTK sees it, every
// length is checked against that size before a value is loaded (DCMTK loads large values only when
// asked), every count and index against the others, and every number for being finite and in range.
#include "io/Dicom.h"
#include "io/DicomCommon.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dctk.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>

namespace lumo::io {
namespace {

namespace fs = std::filesystem;

// Values larger than this are left in the file by loadFile and read on demand.
constexpr Uint32 kDeferBytes = 4096;
// No attribute we read besides the pixels needs more than this.
constexpr Uint32 kAttributeBytes = 1 << 20;
constexpr long kMaxFrames = 8192;

struct Failure {
  std::string message;
};

std::string hex(const DcmTagKey& tag) {
  char text[16];
  std::snprintf(text, sizeof text, "(%04X,%04X)", tag.getGroup(), tag.getElement());
  return text;
}

DcmElement* element(DcmItem& item, const DcmTagKey& tag, Uint32 maxBytes = kAttributeBytes) {
  DcmElement* e = nullptr;
  if (item.findAndGetElement(tag, e).bad() || !e) return nullptr;
  if (e->getLength() > maxBytes) throw Failure{"属性 " + hex(tag) + " の長さが不正です（ファイルが壊れています）"};
  return e;
}

std::optional<double> number(DcmItem& item, const DcmTagKey& tag, unsigned long pos = 0) {
  DcmElement* e = element(item, tag);
  if (!e || e->getLength() == 0 || pos >= e->getVM()) return std::nullopt;
  double v = 0;
  bool ok = false;
  switch (e->ident()) {
    case EVR_US: { Uint16 u = 0; ok = e->getUint16(u, pos).good(); v = u; break; }
    case EVR_UL: { Uint32 u = 0; ok = e->getUint32(u, pos).good(); v = u; break; }
    case EVR_SS: { Sint16 i = 0; ok = e->getSint16(i, pos).good(); v = i; break; }
    case EVR_SL: { Sint32 i = 0; ok = e->getSint32(i, pos).good(); v = i; break; }
    case EVR_FL: { Float32 f = 0; ok = e->getFloat32(f, pos).good(); v = f; break; }
    case EVR_FD: { Float64 f = 0; ok = e->getFloat64(f, pos).good(); v = f; break; }
    default: {
      // DS and IS, and whatever a damaged file calls them: the text read in the C locale.
      OFString s;
      if (e->getOFString(s, pos).bad()) return std::nullopt;
      const char* first = s.c_str();
      const char* last = first + s.length();
      while (first < last && *first == ' ') ++first;
      while (last > first && last[-1] == ' ') --last;
      if (first < last && *first == '+') ++first;
      auto [end, ec] = std::from_chars(first, last, v);
      ok = ec == std::errc() && end == last && first < last;
    }
  }
  if (!ok || !std::isfinite(v) || std::fabs(v) > 1e9) return std::nullopt;
  return v;
}

std::vector<double> numbers(DcmItem& item, const DcmTagKey& tag) {
  std::vector<double> out;
  DcmElement* e = element(item, tag);
  if (!e) return out;
  for (unsigned long i = 0, n = e->getVM(); i < n && i < 65536; ++i)
    if (auto v = number(item, tag, i)) out.push_back(*v);
  return out;
}

std::string text(DcmItem& item, const DcmTagKey& tag, unsigned long pos = 0) {
  DcmElement* e = element(item, tag);
  OFString s;
  if (!e || e->getOFString(s, pos).bad()) return "";
  return std::string(s.c_str());
}

std::optional<int> whole(DcmItem& item, const DcmTagKey& tag) {
  auto v = number(item, tag);
  if (!v || *v != std::floor(*v)) return std::nullopt;
  return static_cast<int>(*v);
}

DcmItem* sequenceItem(DcmItem& item, const DcmTagKey& tag, int index) {
  DcmSequenceOfItems* seq = nullptr;
  if (item.findAndGetSequence(tag, seq).bad() || !seq) return nullptr;
  if (index < 0 || static_cast<unsigned long>(index) >= seq->card()) return nullptr;
  return seq->getItem(index);
}

// One of the frame vectors: its values 1..limit, one per frame; missing is "all 1" when only one
// is possible.
std::vector<int> frameVector(DcmItem& ds, const DcmTagKey& tag, long frames, int limit, const char* what) {
  DcmElement* e = element(ds, tag, static_cast<Uint32>(frames * 2 + 2));
  if (!e) {
    if (limit <= 1) return std::vector<int>(frames, 1);
    throw Failure{std::string("フレームごとの") + what + "の番号 " + hex(tag) + " がありません"};
  }
  Uint16* values = nullptr;
  unsigned long count = 0;
  if (e->getUint16Array(values).bad() || !values) throw Failure{std::string(what) + "の番号 " + hex(tag) + " が読めません"};
  count = e->getLength() / 2;
  if (static_cast<long>(count) != frames)
    throw Failure{"フレーム数が合いません（フレーム " + std::to_string(frames) + " 枚に対して" + what + "の番号が " +
                  std::to_string(count) + " 個）"};
  std::vector<int> out(values, values + count);
  for (int v : out)
    if (v < 1 || v > limit)
      throw Failure{std::string(what) + "の番号 " + std::to_string(v) + " が範囲外です（1〜" + std::to_string(limit) + "）"};
  return out;
}

Projections read(const std::string& path, const ReadOptions& options) {
  detail::initDcmtk();
  std::error_code ec;
  auto status = fs::status(path, ec);
  if (ec || !fs::exists(status)) throw Failure{"ファイルが見つかりません: " + path};
  if (!fs::is_regular_file(status)) throw Failure{"普通のファイルではありません: " + path};
  std::uintmax_t size = fs::file_size(path, ec);
  if (ec) throw Failure{"ファイルを開けません: " + path};
  if (size > kMaxDicomFileBytes)
    throw Failure{"ファイルが大きすぎます（" + std::to_string(size / (1024 * 1024)) + " MB。読めるのは " +
                  std::to_string(kMaxDicomFileBytes / (1024 * 1024)) + " MB までです）"};
  bool magic = false;
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Failure{"ファイルを開けません: " + path};
    char head[132] = {};
    in.read(head, sizeof head);
    magic = in.gcount() == 132 && std::string(head + 128, 4) == "DICM";
  }
  const std::string notDicom = "DICOMファイルではありません";
  DcmFileFormat file;
  OFCondition loaded = file.loadFile(path.c_str(), EXS_Unknown, EGL_noChange, kDeferBytes, ERM_autoDetect);
  if (loaded.bad()) {
    if (!magic) throw Failure{notDicom};
    throw Failure{"DICOMファイルが途中で切れているか、壊れています"};
  }
  DcmDataset& ds = *file.getDataset();
  std::string sopClass = text(ds, DCM_SOPClassUID);
  std::string modality = text(ds, DCM_Modality);
  if (!magic && sopClass.empty() && modality.empty()) throw Failure{notDicom};
  if (modality != "NM" && sopClass != UID_NuclearMedicineImageStorage &&
      sopClass != UID_RETIRED_NuclearMedicineImageStorage)
    throw Failure{"核医学(NM)の画像ではありません（モダリティ: " + (modality.empty() ? std::string("なし") : modality) + "）"};

  Projections p;
  std::string kind = text(ds, DCM_ImageType, 2);
  if (kind.empty()) {
    if (!ds.tagExists(DCM_RotationInformationSequence) && !ds.tagExists(DCM_AngularViewVector))
      throw Failure{"SPECTの投影データ(NM TOMO)ではありません（画像の種類がありません）"};
    p.notes.push_back("画像の種類がないため、回転の情報から投影データとして読みました");
  } else if (kind != "TOMO") {
    throw Failure{"SPECTの投影データ(NM TOMO)ではありません（画像の種類: " + kind + "）"};
  }

  // The frames and their pixels.
  auto rows = whole(ds, DCM_Rows), columns = whole(ds, DCM_Columns);
  auto samples = whole(ds, DCM_SamplesPerPixel), bits = whole(ds, DCM_BitsAllocated);
  auto stored = whole(ds, DCM_BitsStored), representation = whole(ds, DCM_PixelRepresentation);
  if (!rows || !columns || !bits) throw Failure{"画像の大きさ（行数・列数・ビット数）がありません"};
  if (*columns != 64 && *columns != 128 && *columns != 256)
    throw Failure{"投影の列数 " + std::to_string(*columns) + " には対応していません（64・128・256 列）"};
  if (*rows < 1 || *rows > 1024) throw Failure{"投影の行数 " + std::to_string(*rows) + " には対応していません"};
  if ((samples && *samples != 1) || (*bits != 8 && *bits != 16) || (stored && (*stored < 1 || *stored > *bits)))
    throw Failure{"この画素の形式には対応していません（白黒の8ビットか16ビットのみ）"};
  bool isSigned = representation && *representation == 1;
  long frames = 1;
  if (ds.tagExists(DCM_NumberOfFrames)) {
    auto f = whole(ds, DCM_NumberOfFrames);
    if (!f || *f < 1 || *f > kMaxFrames) throw Failure{"フレーム数が不正です"};
    frames = *f;
  }
  const std::uintmax_t bytesPerPixel = *bits / 8;
  const std::uintmax_t frameBytes = std::uintmax_t(*rows) * *columns * bytesPerPixel;
  const std::uintmax_t pixelBytes = frameBytes * frames;
  DcmXfer xfer(ds.getOriginalXfer());
  if (!xfer.isEncapsulated() && pixelBytes > size)
    throw Failure{"フレーム数と画素データの大きさが合いません（" + std::to_string(frames) + " フレーム分のデータがありません）"};
  DcmElement* pixels = nullptr;
  if (ds.findAndGetElement(DCM_PixelData, pixels).bad() || !pixels) throw Failure{"画素データがありません"};
  if (xfer.isEncapsulated()) {
    if (pixelBytes > kMaxDicomFileBytes * 4) throw Failure{"画像が大きすぎます"};
    if (ds.chooseRepresentation(EXS_LittleEndianExplicit, nullptr).bad() ||
        !ds.canWriteXfer(EXS_LittleEndianExplicit))
      throw Failure{std::string("この圧縮形式の画素データは読めません（") + xfer.getXferName() + "）"};
    if (ds.findAndGetElement(DCM_PixelData, pixels).bad() || !pixels) throw Failure{"画素データがありません"};
  } else if (pixels->getLength() > size) {
    throw Failure{"ファイルが途中で切れています（画素データの長さがファイルより長い）"};
  }
  if (pixels->getLength() < pixelBytes)
    throw Failure{"フレーム数と画素データの大きさが合いません（" + std::to_string(frames) + " フレームに対して " +
                  std::to_string(pixels->getLength() / std::max<std::uintmax_t>(frameBytes, 1)) + " フレーム分）"};
  std::vector<float> values(pixelBytes / bytesPerPixel);
  if (*bits == 16) {
    Uint16* data = nullptr;
    if (pixels->getUint16Array(data).bad() || !data) throw Failure{"画素データが読めません（ファイルが途中で切れています）"};
    for (std::size_t i = 0; i < values.size(); ++i)
      values[i] = isSigned ? static_cast<float>(static_cast<Sint16>(data[i])) : static_cast<float>(data[i]);
  } else {
    Uint8* data = nullptr;
    if (pixels->getUint8Array(data).bad() || !data) throw Failure{"画素データが読めません（ファイルが途中で切れています）"};
    for (std::size_t i = 0; i < values.size(); ++i)
      values[i] = isSigned ? static_cast<float>(static_cast<Sint8>(data[i])) : static_cast<float>(data[i]);
  }
  // Counts: through the Real World Value Mapping when there is one, else Rescale Slope and
  // Intercept, which some cameras write although the NM image has no such attributes.
  DcmItem* map = sequenceItem(ds, DCM_RealWorldValueMappingSequence, 0);
  std::optional<double> mapSlope = map ? number(*map, DCM_RealWorldValueSlope) : std::nullopt;
  if (mapSlope) {
    double intercept = number(*map, DCM_RealWorldValueIntercept).value_or(0);
    if (*mapSlope == 0) throw Failure{"Real World Value Slope が 0 です"};
    for (float& v : values) v = static_cast<float>(v * *mapSlope + intercept);
  } else if (auto slope = number(ds, DCM_RescaleSlope)) {
    double intercept = number(ds, DCM_RescaleIntercept).value_or(0);
    if (*slope == 0) throw Failure{"Rescale Slope が 0 です"};
    for (float& v : values) v = static_cast<float>(v * *slope + intercept);
  }

  // Which frame is which: energy window, detector, rotation and view.
  int windows = std::clamp(whole(ds, DCM_NumberOfEnergyWindows).value_or(1), 1, 64);
  int detectors = std::clamp(whole(ds, DCM_NumberOfDetectors).value_or(1), 1, 64);
  int rotations = std::clamp(whole(ds, DCM_NumberOfRotations).value_or(1), 1, 64);
  std::vector<int> window = frameVector(ds, DCM_EnergyWindowVector, frames, windows, "エネルギーウィンドウ");
  std::vector<int> detector = frameVector(ds, DCM_DetectorVector, frames, detectors, "検出器");
  std::vector<int> rotation = frameVector(ds, DCM_RotationVector, frames, rotations, "回転");
  std::vector<int> view;
  if (ds.tagExists(DCM_AngularViewVector)) {
    view = frameVector(ds, DCM_AngularViewVector, frames, 65535, "投影方向");
  } else {
    // Without the vector the views of each window, detector and rotation follow in frame order.
    std::map<std::tuple<int, int, int>, int> next;
    for (long f = 0; f < frames; ++f) view.push_back(++next[{window[f], detector[f], rotation[f]}]);
  }
  // Every window's limits, and the window to read: the one asked for, else the photopeak, the
  // one that holds 140.5 keV (not simply the first: a TEW study may list its lower sub-window first).
  std::vector<tomo::EnergyWindow> ranges(static_cast<std::size_t>(windows));
  for (int w = 0; w < windows; ++w)
    if (DcmItem* item = sequenceItem(ds, DCM_EnergyWindowInformationSequence, w))
      if (DcmItem* range = sequenceItem(*item, DCM_EnergyWindowRangeSequence, 0)) {
        auto lo = number(*range, DCM_EnergyWindowLowerLimit), hi = number(*range, DCM_EnergyWindowUpperLimit);
        if (lo && hi && *lo < *hi) ranges[std::size_t(w)] = {*lo, *hi};
      }
  int chosen = options.window;
  if (chosen == 0) {
    for (int w = 0; w < windows && chosen == 0; ++w)
      if (ranges[std::size_t(w)].loKeV <= tomo::kTc99mKeV && tomo::kTc99mKeV <= ranges[std::size_t(w)].hiKeV) chosen = w + 1;
    if (chosen == 0) {
      chosen = 1;
      if (windows > 1) p.notes.push_back("140.5 keV を含むエネルギーウィンドウがないため、ウィンドウ 1 を読みました");
    }
  }
  if (chosen < 1 || chosen > windows)
    throw Failure{"エネルギーウィンドウ " + std::to_string(chosen) + " はありません（" + std::to_string(windows) + " 個）"};
  p.windowRanges = ranges;

  // The first rotation's geometry.
  DcmItem* turn = sequenceItem(ds, DCM_RotationInformationSequence, 0);
  std::vector<int> framesInRotation(rotations, 0);
  for (int r = 0; r < rotations; ++r)
    if (DcmItem* item = sequenceItem(ds, DCM_RotationInformationSequence, r))
      framesInRotation[r] = whole(*item, DCM_NumberOfFramesInRotation).value_or(0);
  if (std::all_of(framesInRotation.begin(), framesInRotation.end(), [](int n) { return n > 0; })) {
    long expected = long(windows) * detectors * std::accumulate(framesInRotation.begin(), framesInRotation.end(), 0L);
    if (expected != frames)
      throw Failure{"フレーム数が合いません（ファイルは " + std::to_string(frames) + " 枚、ウィンドウ・検出器・回転から " +
                    std::to_string(expected) + " 枚）"};
  }
  std::vector<std::vector<long>> ofDetector(detectors);
  for (long f = 0; f < frames; ++f)
    if (window[f] == chosen && rotation[f] == 1) ofDetector[detector[f] - 1].push_back(f);
  const std::size_t perDetector = framesInRotation[0] > 0 ? std::size_t(framesInRotation[0]) : ofDetector[0].size();
  for (int d = 0; d < detectors; ++d) {
    auto& list = ofDetector[d];
    if (list.empty() || list.size() != perDetector)
      throw Failure{"フレーム数が合いません（検出器 " + std::to_string(d + 1) + " の投影が " + std::to_string(list.size()) +
                    " 枚、" + std::to_string(perDetector) + " 枚のはずです）"};
    std::vector<bool> seen(list.size() + 1, false);
    for (long f : list) {
      int k = view[f];
      if (k < 1 || std::size_t(k) > list.size() || seen[k])
        throw Failure{"投影方向の番号が重複しているか範囲外です（検出器 " + std::to_string(d + 1) + "）"};
      seen[k] = true;
    }
  }
  const int total = static_cast<int>(perDetector * detectors);
  if (total < 4) throw Failure{"投影が少なすぎます（" + std::to_string(total) + " 方向）"};

  std::optional<double> start, step, arc;
  std::string direction;
  if (turn) {
    start = number(*turn, DCM_StartAngle);
    step = number(*turn, DCM_AngularStep);
    arc = number(*turn, DCM_ScanArc);
    direction = text(*turn, DCM_RotationDirection);
  }
  if (!start) {
    start = 0;
    p.notes.push_back("開始角度がないため 0 度としました");
  }
  if (!step || *step <= 0) {
    if (arc && *arc > 0) {
      step = *arc / perDetector;
    } else {
      step = 360.0 / total;
      p.notes.push_back("角度の刻みがないため 360 度を等分しました");
    }
  }
  // CC turns toward larger angles, as the lab's positive step does.
  double sign = 1;
  if (direction == "CW") {
    sign = -1;
  } else if (direction != "CC") {
    p.notes.push_back("回転方向がないため反時計回り(CC)としました");
  }
  // Each detector's first view: its own Start Angle, else where the previous detector's arc ends.
  std::vector<double> detectorStart(detectors);
  for (int d = 0; d < detectors; ++d) {
    DcmItem* item = sequenceItem(ds, DCM_DetectorInformationSequence, d);
    std::optional<double> own = item ? number(*item, DCM_StartAngle) : std::nullopt;
    detectorStart[d] = own && detectors > 1 ? *own : *start + sign * d * double(perDetector) * *step;
  }
  struct Placed {
    double offset;
    long frame;
  };
  std::vector<Placed> placed;
  for (int d = 0; d < detectors; ++d)
    for (long f : ofDetector[d]) {
      double angle = detectorStart[d] + sign * (view[f] - 1) * *step;
      double offset = std::fmod(sign * (angle - *start), 360.0);
      if (offset < 0) offset += 360;
      if (offset > 360 - 1e-6) offset = 0;
      placed.push_back({offset, f});
    }
  std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.offset < b.offset; });
  const double tolerance = std::max(0.05, 0.05 * *step);
  for (int i = 0; i < total; ++i)
    if (std::fabs(placed[i].offset - i * *step) > tolerance)
      throw Failure{"投影の角度が等間隔に並んでいません（" + std::to_string(i + 1) + " 番目の投影）"};
  if (total * *step > 360 + tolerance) throw Failure{"投影の角度が 360 度を超えています"};

  // Sizes, radius and names.
  double rowMm = 0, columnMm = 0;
  std::vector<double> spacing = numbers(ds, DCM_PixelSpacing);
  if (spacing.size() == 2 && spacing[0] > 0.05 && spacing[1] > 0.05 && spacing[0] < 100 && spacing[1] < 100) {
    rowMm = spacing[0];
    columnMm = spacing[1];
  } else {
    rowMm = columnMm = 420.0 / *columns;
    p.notes.push_back("画素の大きさがないため視野 42 cm としました");
  }
  // The radius of each view: a detector's Radial Position holds one value per view of that
  // detector on a body-contouring orbit, or one for all; the rotation's stands in for a detector
  // that gives none. The mean is the orbit's radius in the lab's label.
  std::vector<std::vector<double>> radialOf(detectors);
  for (int d = 0; d < detectors; ++d) {
    if (DcmItem* item = sequenceItem(ds, DCM_DetectorInformationSequence, d)) radialOf[d] = numbers(*item, DCM_RadialPosition);
    if (radialOf[d].empty() && turn) radialOf[d] = numbers(*turn, DCM_RadialPosition);
  }
  const auto usable = [](double mm) { return mm > 10 && mm < 2000; };
  std::vector<double> all;
  for (const auto& list : radialOf)
    for (double mm : list)
      if (usable(mm)) all.push_back(mm);
  const double radiusMm = all.empty() ? 150.0 : std::accumulate(all.begin(), all.end(), 0.0) / all.size();
  if (all.empty()) p.notes.push_back("回転半径がないため 15 cm としました");
  std::vector<int> detectorOf(frames, 0);
  for (int d = 0; d < detectors; ++d)
    for (long f : ofDetector[d]) detectorOf[f] = d;
  std::vector<double> radii;
  for (int i = 0; i < total; ++i) {
    const long f = placed[i].frame;
    const std::vector<double>& list = radialOf[detectorOf[f]];
    const std::size_t k = std::size_t(view[f] - 1);
    radii.push_back(list.size() == perDetector && usable(list[k]) ? list[k] : radiusMm);
  }
  if (DcmItem* item = sequenceItem(ds, DCM_EnergyWindowInformationSequence, chosen - 1)) {
    p.windowName = text(*item, DCM_EnergyWindowName);
    if (DcmItem* range = sequenceItem(*item, DCM_EnergyWindowRangeSequence, 0)) {
      auto lo = number(*range, DCM_EnergyWindowLowerLimit), hi = number(*range, DCM_EnergyWindowUpperLimit);
      if (lo && hi) {
        std::string range = detail::decimal(*lo) + "-" + detail::decimal(*hi) + " keV";
        p.windowName = p.windowName.empty() ? range : p.windowName + " " + range;
      }
    }
  }
  p.description = text(ds, DCM_SeriesDescription);
  if (p.description.empty()) p.description = text(ds, DCM_PatientName);

  p.detectors = detectors;
  p.energyWindows = windows;
  p.window = chosen;
  tomo::ProjectionGeometry g = tomo::ProjectionGeometry::circular(
      total, *rows, *columns, columnMm, rowMm, std::fmod(*start, 360.0) + (*start < 0 ? 360 : 0), sign * *step, radiusMm);
  g.radiusMm = radii;
  p.stack = tomo::ProjectionStack::blank(g);
  const std::size_t framePixels = std::size_t(*rows) * *columns;
  for (int i = 0; i < total; ++i)
    std::copy_n(values.begin() + placed[i].frame * framePixels, framePixels, p.stack.counts.begin() + i * framePixels);
  return p;
}

}  // namespace

// The TEW sub-windows of the window read: windows whose upper limit meets its lower one and whose
// lower limit meets its upper one (within half a keV), read with the same geometry.
static void addTewWindows(const std::string& path, Projections& p) {
  const std::size_t count = p.windowRanges.size();
  if (p.window < 1 || std::size_t(p.window) > count) return;
  const tomo::EnergyWindow peak = p.windowRanges[std::size_t(p.window - 1)];
  if (!(peak.hiKeV > peak.loKeV)) return;
  int below = 0, above = 0;
  for (std::size_t w = 0; w < count; ++w) {
    const tomo::EnergyWindow& r = p.windowRanges[w];
    if (!(r.hiKeV > r.loKeV) || int(w) + 1 == p.window) continue;
    if (std::fabs(r.hiKeV - peak.loKeV) <= 0.5) below = int(w) + 1;
    if (std::fabs(r.loKeV - peak.hiKeV) <= 0.5) above = int(w) + 1;
  }
  if (!below || !above) return;
  Projections lower = read(path, ReadOptions{below}), upper = read(path, ReadOptions{above});
  if (!(lower.stack.geometry == p.stack.geometry) || !(upper.stack.geometry == p.stack.geometry)) return;
  p.lower = std::move(lower.stack);
  p.upper = std::move(upper.stack);
  p.tew.peak = peak;
  p.tew.lower = p.windowRanges[std::size_t(below - 1)];
  p.tew.upper = p.windowRanges[std::size_t(above - 1)];
  p.tew.compton = {92.0, 125.0};
}

ReadResult readProjections(const std::string& path, const ReadOptions& options) {
  ReadResult result;
  try {
    result.projections = read(path, options);
    addTewWindows(path, *result.projections);
  } catch (const Failure& f) {
    result.error = f.message;
  } catch (const std::bad_alloc&) {
    result.error = "メモリが足りません";
  }
  return result;
}

tomo::Sinogram sinogramOfRow(const Projections& p, int row) {
  if (!p.stack.consistent()) return {};
  return p.stack.row(std::clamp(row, 0, p.stack.geometry.rows - 1));
}

}  // namespace lumo::io
