#include "lab/LabExport.h"

#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "lab/LabWindow.h"

namespace lumo::lab {

namespace {

void appendImage(std::string& out, const std::vector<float>& px, int width, int height) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (x) out += ',';
      out += csvNumber(px[std::size_t(y) * width + x]);
    }
    out += '\n';
  }
}

}  // namespace

const std::vector<std::string>& csvKinds() {
  static const std::vector<std::string> kinds = {"truth",   "sinogram",    "slice",   "error",    "metrics",
                                                 "convergence", "profile", "figures", "spectrum", "scatter",
                                                 "window lower", "window upper", "window compton"};
  return kinds;
}

std::string csvText(const LabWindow& lab, const std::string& what, QString* error) {
  const auto& kinds = csvKinds();
  if (std::find(kinds.begin(), kinds.end(), what) == kinds.end()) {
    std::string all;
    for (const std::string& k : kinds) all += (all.empty() ? "" : ", ") + k;
    if (error) *error = QStringLiteral("unknown export '%1' (%2)").arg(QString::fromStdString(what), QString::fromStdString(all));
    return {};
  }
  const std::shared_ptr<const LabResult> r = lab.result();
  if (!r) {
    if (error) *error = QStringLiteral("no result yet");
    return {};
  }
  std::string out;
  const tomo::Acquisition& acq = *r->acquisition;
  if ((what == "truth" || what == "error" || what == "scatter") && !acq.hasTruth()) {
    if (error) *error = QStringLiteral("imported data have no truth, so no '%1'").arg(QString::fromStdString(what));
    return {};
  }
  const bool windowed = what == "spectrum" || what == "scatter" || what.rfind("window ", 0) == 0;
  if (windowed && !acq.hasWindows()) {
    if (error) *error = QStringLiteral("the data have no energy windows (set scatter on), so no '%1'").arg(QString::fromStdString(what));
    return {};
  }
  if (what == "truth") {
    const tomo::Image truth = lab.sliceOf(acq.truth());
    appendImage(out, truth.px, truth.n, truth.n);
  } else if (what == "slice") {
    const tomo::Image slice = lab.sliceOf(r->reconstruction.volume);
    appendImage(out, slice.px, slice.n, slice.n);
  } else if (what == "error") {
    const tomo::Image error = lab.sliceOf(r->error);
    appendImage(out, error.px, error.n, error.n);
  } else if (what == "sinogram") {
    const tomo::Sinogram s = lab.sinogramOf(acq.data);
    appendImage(out, s.counts, s.geometry.bins, s.geometry.views);
  } else if (what == "metrics") {
    out = "iteration,loglikelihood,nrmse,cv,crc\n";
    for (const tomo::IterationRecord& h : r->reconstruction.history)
      out += std::to_string(h.iteration) + ',' + csvNumber(h.logLikelihood) + ',' + csvNumber(h.nrmse) + ',' +
             csvNumber(h.cv) + ',' + csvNumber(h.crc) + '\n';
  } else if (what == "convergence") {
    out = "iteration,nrmse,cv,fbp_nrmse,fbp_cv\n";
    const double nan = std::nan("");
    const double fn = r->fbpReference ? r->fbpReference->nrmse : nan;
    const double fc = r->fbpReference ? r->fbpReference->cv : nan;
    for (const tomo::IterationRecord& h : r->reconstruction.history)
      out += std::to_string(h.iteration) + ',' + csvNumber(h.nrmse) + ',' + csvNumber(h.cv) + ',' + csvNumber(fn) +
             ',' + csvNumber(fc) + '\n';
  } else if (what == "profile") {
    const std::vector<float> s = lab.sliceProfile(), t = lab.truthProfile(), k = lab.keptProfile();
    out = k.empty() ? "sample,slice,truth\n" : "sample,slice,truth,kept\n";
    for (std::size_t i = 0; i < s.size() && i < t.size(); ++i) {
      out += std::to_string(i) + ',' + csvNumber(s[i]) + ',' + csvNumber(t[i]);
      if (!k.empty()) out += ',' + csvNumber(i < k.size() ? k[i] : std::nan(""));
      out += '\n';
    }
  } else if (what == "figures") {
    out = lab.figuresCsv();  // the table as shown, one column per result
  } else if (what == "spectrum") {
    // Expected counts per keV from 50 to 170 keV, every half keV.
    out = "kev,counts\n";
    std::vector<double> keV;
    for (int i = 0; i <= 240; ++i) keV.push_back(50 + 0.5 * i);
    const tomo::SpectrumCounts counts = tomo::spectrumCounts(acq, keV);
    for (std::size_t i = 0; i < keV.size(); ++i) out += csvNumber(keV[i]) + ',' + csvNumber(counts.primary[i] + counts.scatter[i]) + '\n';
  } else {
    // The true scatter in the photopeak window, or a window's counts, of the shown slice's row.
    const tomo::ProjectionStack& p = what == "scatter"       ? acq.scatter
                                     : what == "window lower" ? acq.lower
                                     : what == "window upper" ? acq.upper
                                                              : acq.compton;
    const tomo::Sinogram s = lab.sinogramOf(p);
    appendImage(out, s.counts, s.geometry.bins, s.geometry.views);
  }
  return out;
}

QString exportCsv(const LabWindow& lab, const std::string& what, const QString& file) {
  QString error;
  const std::string text = csvText(lab, what, &error);
  if (!error.isEmpty()) return error;
  return saveCsv(text, file);
}

}  // namespace lumo::lab
