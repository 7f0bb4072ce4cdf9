#pragma once
// What the DICOM tests share: a scratch folder, small sinograms and slices, editing a written file,
// and running a helper program.
#include "io/Dicom.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dctk.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

namespace lumo::test {

// A file in this test program's own scratch folder, removed when the program ends.
inline std::filesystem::path scratch(const std::string& name) {
  struct Folder {
    std::filesystem::path path = std::filesystem::temp_directory_path() / ("lumo-dicom-" + std::to_string(::getpid()));
    Folder() { std::filesystem::create_directories(path); }
    ~Folder() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
  };
  static Folder folder;
  return folder.path / name;
}

// Projections of two Gaussian blobs, as counts: whole numbers (noise on) or expected values.
inline tomo::Sinogram blobSinogram(int views, int bins, bool whole, double startDeg = 0, double arcDeg = 360) {
  tomo::Sinogram s = tomo::Sinogram::blank(
      tomo::ProjectionGeometry::circular(views, 1, bins, 420.0 / bins, 420.0 / bins, startDeg, arcDeg / views, 185.0));
  const double pi = std::acos(-1.0);
  for (int v = 0; v < views; ++v) {
    double a = s.geometry.angleDeg(v) * pi / 180;
    for (int b = 0; b < bins; ++b) {
      double t = (b - (bins - 1) / 2.0) * s.geometry.binMm;
      double t1 = 60 * std::cos(a) + 20 * std::sin(a), t2 = -30 * std::cos(a) - 50 * std::sin(a);
      double c = 900 * std::exp(-(t - t1) * (t - t1) / 800) + 400 * std::exp(-(t - t2) * (t - t2) / 300) + 3.3;
      s.counts[std::size_t(v) * bins + b] = static_cast<float>(whole ? std::round(c) : c);
    }
  }
  return s;
}

inline tomo::Image rampSlice(int n, float lo, float hi) {
  tomo::Image im = tomo::Image::blank(n, 420.0 / n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x)
      im.px[std::size_t(y) * n + x] = lo + (hi - lo) * (0.5f + 0.5f * std::sin(0.21f * x + 0.13f * y * y / n));
  return im;
}

// Loads a written file, lets `edit` change its dataset, and saves it (in `xfer`, default as read).
inline bool editFile(const std::string& from, const std::string& to, const std::function<void(DcmDataset&)>& edit,
                     E_TransferSyntax xfer = EXS_LittleEndianExplicit) {
  DcmFileFormat file;
  if (file.loadFile(from.c_str()).bad()) return false;
  edit(*file.getDataset());
  return file.saveFile(to.c_str(), xfer).good();
}

inline std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void writeFloats(const std::string& path, const std::vector<float>& values) {
  writeAll(path, std::string(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(float)));
}

struct Run {
  int exitCode = -1;
  std::string output;  // standard output and error together
};

inline Run runProgram(const QString& program, const QStringList& args, int timeoutMs = 60000) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  Run r;
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished();
    r.output = "timed out";
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.output = p.readAll().toStdString();
  return r;
}

inline QString python() { return QStringLiteral("/usr/bin/python3"); }
inline QString sourceFile(const char* relative) { return QString(LUMO_SOURCE_DIR "/") + relative; }

}  // namespace lumo::test
