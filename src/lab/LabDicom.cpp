// The lab window's DICOM: opening an NM TOMO projection file as the lab's data, choosing its
// slice row, going back to the phantom, and saving the slice or the sinogram as DICOM.
#include <QAction>
#include <QBoxLayout>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "io/Dicom.h"
#include "io/Nifti.h"
#include "lab/LabWindow.h"

namespace lumo::lab {

namespace {

// The phantom and every setting, for the file's Series Description and Image Comments.
io::ExportText dicomText(const tomo::Settings& s, bool imported, const QString& source) {
  io::ExportText text;
  std::string all;
  for (const tomo::SettingInfo& info : tomo::settingTable())
    all += (all.empty() ? "" : " ") + info.key + "=" + tomo::settingValue(s, info.key);
  const std::string method = tomo::settingValue(s, "method");
  if (imported) {
    text.seriesDescription = "LUMO " + method + " of " + QFileInfo(source).fileName().toStdString();
    text.comments = "source=" + QFileInfo(source).fileName().toStdString() + " " + all;
  } else {
    text.seriesDescription = "LUMO " + tomo::settingValue(s, "phantom") + " " + method + " " +
                             tomo::settingValue(s, "matrix") + " " + tomo::settingValue(s, "views") + "v";
    text.comments = all;
    if (s.phantom == tomo::PhantomKind::Brain || s.phantom == tomo::PhantomKind::SheppLogan) text.bodyPart = "HEAD";
  }
  return text;
}

}  // namespace

void LabWindow::buildDicomControls(QWidget* host, QLayout* column) {
  auto* box = new QGroupBox(QStringLiteral("DICOMデータ"), host);
  auto* form = new QFormLayout(box);
  dicomLabel_ = new QLabel(box);
  dicomLabel_->setWordWrap(true);
  form->addRow(dicomLabel_);
  rowBox_ = new QSpinBox(box);
  rowBox_->setObjectName(QStringLiteral("sliceRow"));
  rowBox_->setToolTip(QStringLiteral("投影の何行目をスライスとして再構成するか (0 が上端)"));
  form->addRow(QStringLiteral("スライスの行"), rowBox_);
  auto* back = new QPushButton(QStringLiteral("ファントムに戻る"), box);
  form->addRow(back);
  connect(rowBox_, &QSpinBox::valueChanged, this, [this](int row) {
    if (!updatingControls_) setSliceRow(row);
  });
  connect(back, &QPushButton::clicked, this, &LabWindow::backToPhantom);
  dicomBox_ = box;
  box->hide();
  // At the top, where a student looks first when a file is open.
  if (auto* boxes = qobject_cast<QBoxLayout*>(column)) {
    boxes->insertWidget(0, box);
  } else {
    column->addWidget(box);
  }
}

void LabWindow::addDicomActions(QMenu* file) {
  file->addSeparator();
  connect(file->addAction(QStringLiteral("DICOMを開く(&O)...")), &QAction::triggered, this, &LabWindow::openDicomDialog);
  connect(file->addAction(QStringLiteral("再構成画像を DICOM で保存(&D)...")), &QAction::triggered, this,
          [this] { saveDicomDialog("slice"); });
  connect(file->addAction(QStringLiteral("サイノグラムを DICOM で保存(&I)...")), &QAction::triggered, this,
          [this] { saveDicomDialog("sinogram"); });
}

// Imported data were acquired already: the settings of the acquisition do nothing, and
// attenuation correction needs a map the data do not have.
bool LabWindow::usableWithImportedData(const tomo::SettingInfo& info) {
  return info.group != tomo::SettingGroup::Acquisition && info.key != "ac";
}

// The DICOM box; the controls are greyed with the others in showSettingsInControls().
void LabWindow::showImportedState() {
  if (!dicomBox_) return;
  dicomBox_->setVisible(imported());
  if (!imported()) return;
  const io::Projections& p = *projections_;
  const tomo::ProjectionGeometry& g = p.stack.geometry;
  QString info = QStringLiteral("%1\n%2 方向 (%3 度刻み、%4)、%5 x %6、検出器 %7")
                     .arg(importedName_)
                     .arg(g.views)
                     .arg(std::abs(g.stepDeg), 0, 'g', 4)
                     .arg(g.stepDeg < 0 ? QStringLiteral("時計回り") : QStringLiteral("反時計回り"))
                     .arg(g.bins)
                     .arg(g.rows)
                     .arg(p.detectors);
  if (!p.windowName.empty())
    info += QStringLiteral("\nエネルギーウィンドウ: ") + QString::fromStdString(p.windowName);
  if (p.hasTew())
    info += QStringLiteral("\nサブウィンドウ (TEW): %1-%2 keV, %3-%4 keV")
                .arg(p.tew.lower.loKeV, 0, 'g', 5)
                .arg(p.tew.lower.hiKeV, 0, 'g', 5)
                .arg(p.tew.upper.loKeV, 0, 'g', 5)
                .arg(p.tew.upper.hiKeV, 0, 'g', 5);
  for (const std::string& note : p.notes) info += QStringLiteral("\n") + QString::fromStdString(note);
  dicomLabel_->setText(info);
  const bool was = updatingControls_;
  updatingControls_ = true;
  rowBox_->setRange(0, g.rows - 1);
  rowBox_->setValue(row_);
  rowBox_->setEnabled(g.rows > 1);
  updatingControls_ = was;
}

std::string LabWindow::openDicom(const std::string& path, int window) {
  io::ReadResult r = io::readProjections(path, io::ReadOptions{window});
  if (!r.projections) return r.error;
  dicomPath_ = path;
  projections_ = std::make_shared<const io::Projections>(std::move(*r.projections));
  importedName_ = QFileInfo(QString::fromStdString(path)).fileName();
  row_ = io::centreRow(*projections_);
  setWindowTitle(QStringLiteral("再構成ラボ - %1 - Lumo").arg(importedName_));
  setSliceRow(row_);
  return {};
}

std::string LabWindow::setSliceRow(int row) {
  if (!projections_) return "no DICOM data is open";
  if (row < 0 || row >= projections_->stack.geometry.rows)
    return "row " + std::to_string(row) + " is outside the projections (0 to " + std::to_string(projections_->stack.geometry.rows - 1) + ")";
  row_ = row;
  auto data = std::make_shared<tomo::Acquisition>();
  data->data = io::sinogramOfRow(*projections_, row_);
  // A study with TEW sub-windows can be corrected for scatter (sc tew).
  if (projections_->hasTew()) {
    data->lower = projections_->lower.row(row_);
    data->upper = projections_->upper.row(row_);
    data->windows = projections_->tew;
  }
  worker_.setImported(std::move(data));
  showSettingsInControls();
  recompute();
  return {};
}

std::string LabWindow::setEnergyWindow(int window) {
  if (!projections_) return "no DICOM data is open";
  if (window < 1 || window > projections_->energyWindows)
    return "window " + std::to_string(window) + " is not in the study (1 to " + std::to_string(projections_->energyWindows) + ")";
  const int row = row_;
  if (const std::string message = openDicom(dicomPath_, window); !message.empty()) return message;
  return row < projections_->stack.geometry.rows ? setSliceRow(row) : std::string();
}

void LabWindow::backToPhantom() {
  if (!projections_) return;
  projections_.reset();
  importedName_.clear();
  worker_.setImported(nullptr);
  setWindowTitle(QStringLiteral("再構成ラボ - Lumo"));
  showSettingsInControls();
  recompute();
}

std::string LabWindow::exportDicom(const std::string& what, const std::string& path) {
  if (!result_) return "保存する結果がまだありません";
  const io::ExportText text = dicomText(result_->settings, imported(), importedName_);
  if (what == "slice") return io::writeSlice(path, sliceOf(result_->reconstruction.volume), text);
  if (what == "sinogram") return io::writeSinogram(path, sinogramOf(result_->acquisition->data), text);
  return "DICOMで保存できるのは slice と sinogram です";
}

std::string LabWindow::exportNifti(const std::string& what, const std::string& path) {
  if (!result_) return "保存する結果がまだありません";
  const bool calibrated = result_->acquisition->hasTruth();
  const std::string unit = calibrated ? "kBq/mL" : "counts";
  if (what == "slice") return io::writeNifti(path, result_->reconstruction.volume, "LUMO result " + unit);
  if ((what == "truth" || what == "error") && !calibrated) return "読み込んだデータには真の分布がありません";
  if (what == "truth") return io::writeNifti(path, result_->acquisition->truth(), "LUMO truth kBq/mL");
  if (what == "error") return io::writeNifti(path, result_->error, "LUMO error (result - truth) kBq/mL");
  return "NIfTI で保存できるのは truth、slice、error です";
}

void LabWindow::openDicomDialog() {
  const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("DICOMを開く"), QDir::homePath(),
                                                    QStringLiteral("DICOM (*.dcm *.DCM *.ima *.IMA);;すべてのファイル (*)"));
  if (file.isEmpty()) return;
  const std::string message = openDicom(file.toStdString());
  if (!message.empty()) QMessageBox::warning(this, QStringLiteral("DICOMを開く"), QString::fromStdString(message));
}

void LabWindow::saveDicomDialog(const std::string& what) {
  if (!result_) {
    QMessageBox::information(this, QStringLiteral("DICOM で保存"), QStringLiteral("保存する結果がまだありません"));
    return;
  }
  const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("DICOM で保存"),
                                                    QDir::home().filePath(QString::fromStdString(what) + ".dcm"),
                                                    QStringLiteral("DICOM (*.dcm)"));
  if (file.isEmpty()) return;
  const std::string message = exportDicom(what, file.toStdString());
  if (!message.empty()) QMessageBox::warning(this, QStringLiteral("DICOM で保存"), QString::fromStdString(message));
}

}  // namespace lumo::lab
