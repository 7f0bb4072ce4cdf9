#pragma once
// The reconstruction lab: its own resizable window. The settings as Japanese-labelled
// controls on the left (made from the declarations of tomo::settingTable(), one control
// per key, greyed while not relevant), the pictures and curves of the current result on the right, and a progress
// line below. Every change recomputes at once in the LabWorker; a newer change cancels
// the older work and only the newest result is ever shown.
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "draw/ColourScale.h"
#include "io/Dicom.h"
#include "lab/LabWorker.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLayout;
class QMenu;
class QLabel;
class QMenuBar;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace lumo::lab {

class ConvergenceChart;
class ScatterChart;
class SpectrumChart;
class FiguresTable;
class ImagePanel;
class ProfileChart;

class LabWindow : public QWidget {
  Q_OBJECT
 public:
  // The lab window of `owner` (the main window): made on first use, shown and raised.
  static LabWindow* open(QWidget* owner);
  // The lab window of `owner` if there is one.
  static LabWindow* find(QWidget* owner);

  explicit LabWindow(QWidget* parent = nullptr);
  ~LabWindow() override;

  const tomo::Settings& settings() const { return settings_; }
  // Sets a setting as the student would: the control shows it and the lab recomputes.
  // Returns "" or the engine's message naming the key or value and what is allowed.
  std::string setSetting(const std::string& key, const std::string& value);
  // The control of a setting (a combo box, spin box or check box), null for none.
  QWidget* control(const std::string& key) const;

  // True while the newest request's result is not shown yet.
  bool computing() const { return shownGeneration_ != requestedGeneration_; }
  // The result on show, null before the first.
  std::shared_ptr<const LabResult> result() const { return result_; }
  // The message of the newest request when it failed, "" otherwise.
  const QString& failure() const { return failure_; }
  // How many results and frames were dropped because a newer request had been made.
  int droppedDeliveries() const { return dropped_; }
  QString progressText() const;

  // Build-up: play runs it at the chosen speed, pause holds it, step shows one more
  // view (FBP) or sub-iteration (MLEM/OSEM). A change of setting ends it.
  void play();
  void pause();
  void step();
  bool buildingUp() const { return buildUp_; }
  bool playing() const { return timer_.isActive(); }
  int shownStep() const { return shownStep_; }
  int totalSteps() const { return totalSteps_; }
  void setSpeed(int stepsPerSecond);
  // Lets a build-up run to its end at once.
  void advanceToEnd();

  // The colour scale of the pictures by its script name: rainbow, grey, hot.
  bool setColourScale(const std::string& name);

  // Comparison: keeps the current result beside the next ones (turned on before the
  // first result, that result when it arrives).
  void setComparing(bool on);
  bool comparing() const { return kept_ != nullptr; }
  std::shared_ptr<const LabResult> keptResult() const { return kept_; }

  // DICOM (LabDicom.cpp). openDicom reads an NM TOMO projection file as the lab's data,
  // its centre row first; on a bad file it returns the Japanese message and nothing
  // changes. Imported data have no truth: the truth and error panels say so and figures
  // that need a truth are not available. backToPhantom returns to the settings' phantom.
  // window: the study's energy window to read (1-based), 0 for its photopeak.
  std::string openDicom(const std::string& path, int window = 0);
  // Reads the open study's energy window `window` (1-based) instead, keeping the row.
  std::string setEnergyWindow(int window);
  std::string setSliceRow(int row);
  int sliceRow() const { return row_; }
  bool imported() const { return projections_ != nullptr; }
  void backToPhantom();
  // Writes the current slice or sinogram ("slice", "sinogram") as a DICOM NM file.
  std::string exportDicom(const std::string& what, const std::string& path);

  // Writes the volume of the truth, the result or the error ("truth", "slice", "error") as NIfTI-1.
  std::string exportNifti(const std::string& what, const std::string& path);

  // The slice the pictures, profiles and CSV files show: `slice N` of the runner (0 at the head
  // end), the central one until one is chosen. setShownSlice refuses a slice outside the
  // result's volume with a message.
  std::string setShownSlice(int k);
  int shownSlice() const;
  // That slice of a volume (the central one when the volume has fewer slices), and the row of
  // projections (the data, or another energy window's) under it.
  tomo::Image sliceOf(const tomo::Volume& v) const;
  tomo::Sinogram sinogramOf(const tomo::ProjectionStack& p) const;

  // Pictures for the runner's `frame` and `snap` and for 「画像を保存...」.
  static const std::vector<std::string>& panelNames();
  QImage panelPicture(const std::string& name);  // null for an unknown name
  QImage snapshot();

  // The profile line on the slice, in pixels of the slice's matrix (default: the
  // central row), and the profile samples of slice and truth along it.
  void setProfileLine(double x0, double y0, double x1, double y1);
  // The same line in millimetres (X right, Y up, 0 at the centre of the field; see
  // tomo/Image.h): the line stays where it is in the body whatever the matrix, and the
  // kept slice is sampled along it at the same points as the current one, so the two
  // profiles line up even when their matrices differ.
  void setProfileLineMm(double X0, double Y0, double X1, double Y1);
  std::array<double, 4> profileLineMm() const;
  // Samples along the line, the first at its start and the last at its end; the
  // current slice's matrix size of them.
  std::vector<float> sliceProfile() const;
  std::vector<float> truthProfile() const;
  // The kept result's slice along the same line, at the same points; empty when not comparing.
  std::vector<float> keptProfile() const;
  double profileLengthMm() const;

  // The figures table's CSV (lab/FiguresTable: one column per result shown).
  std::string figuresCsv() const;

 signals:
  void resultShown(quint64 generation);
  void frameShown(int index, int total);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  int shownSlices() const;
  void buildControls(QWidget* host);
  void buildMenu(QMenuBar* bar);
  void showSettingsInControls();
  void controlChanged(const std::string& key, const std::string& value);
  void recompute();
  void onFrame(quint64 generation, std::shared_ptr<const LabFrame> frame);
  void onResult(quint64 generation, std::shared_ptr<const LabResult> result);
  void onFailed(quint64 generation, const QString& message);
  void showResult();
  void showImage(int panel, const tomo::Image& image);
  ImagePanel* panel(int index) const;
  void shareRanges();
  void updateTitles();
  std::vector<float> profileOf(const tomo::Image& image) const;
  // Millimetres of a pixel of the slice panel's n x n picture: the current slice's own,
  // or the lab's field over n when the slice is not of that size.
  double slicePixelMm(int n) const;
  void showSinogram(const tomo::Sinogram& s);
  void updateFigures();
  void updateProfile();
  void updateConvergence();
  void updateScatter();
  void updateButtons();
  void startBuildUp();
  void saveCsvDialog(const std::string& what);
  void saveWindowPicture();
  int profileSamples() const;
  draw::ScaleKind scaleKind() const;
  void buildDicomControls(QWidget* host, QLayout* column);
  void addDicomActions(QMenu* file);
  void showImportedState();
  // False for a setting that imported data make meaningless (LabDicom.cpp).
  static bool usableWithImportedData(const tomo::SettingInfo& info);
  void openDicomDialog();
  void saveDicomDialog(const std::string& what);

  tomo::Settings settings_;
  int slice_ = -1;  // the shown slice; -1: the central one
  LabWorker worker_;
  quint64 requestedGeneration_ = 0;
  quint64 shownGeneration_ = 0;
  std::shared_ptr<const LabResult> result_;
  std::shared_ptr<const LabResult> kept_;
  QString failure_;
  int dropped_ = 0;

  bool buildUp_ = false;
  int shownStep_ = 0, totalSteps_ = 0;
  int speed_ = 20;
  QTimer timer_;
  QString progress_;

  // The profile line in millimetres once the student has placed it; until then the
  // central row of the current slice from its first pixel to its last.
  std::optional<std::array<double, 4>> lineMm_;
  bool pushingLine_ = false;  // the window moves the panel's line itself

  struct SettingControl {
    const tomo::SettingInfo* info = nullptr;  // its declaration, in tomo::settingTable()
    QWidget* widget = nullptr;
  };
  std::vector<SettingControl> controls_;
  bool updatingControls_ = false;

  // The pictures: 0 truth, 1 sinogram, 2 slice, 3 error, 4 kept slice, 5 kept error.
  std::vector<QWidget*> panels_;
  QWidget* panelArea_ = nullptr;
  ProfileChart* profileChart_ = nullptr;
  ConvergenceChart* convergenceChart_ = nullptr;
  SpectrumChart* spectrumChart_ = nullptr;
  ScatterChart* scatterChart_ = nullptr;
  QTabWidget* curveTabs_ = nullptr;
  FiguresTable* figuresTable_ = nullptr;
  QLabel* progressLine_ = nullptr;
  QPushButton* playButton_ = nullptr;
  QPushButton* stepButton_ = nullptr;
  QPushButton* compareButton_ = nullptr;
  QSpinBox* speedBox_ = nullptr;
  QComboBox* scaleBox_ = nullptr;

  // Imported projections (null: the phantom of the settings) and the row shown.
  std::shared_ptr<const io::Projections> projections_;
  std::string dicomPath_;
  int row_ = 0;
  QString importedName_;
  QWidget* dicomBox_ = nullptr;
  QSpinBox* rowBox_ = nullptr;
  QLabel* dicomLabel_ = nullptr;
};

}  // namespace lumo::lab
