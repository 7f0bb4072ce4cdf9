#pragma once
// The line profile of the lab: the reconstructed slice and the truth along the student's
// line (and, when comparing, a second slice along the same line), against the distance
// from the line's start in millimetres. The readout under the pointer gives the distance
// and each curve's value there.
#include <QString>
#include <string>
#include <vector>

#include "lab/LabChart.h"

class QLineSeries;
class QValueAxis;

namespace lumo::lab {

class ProfileChart : public LabChart {
  Q_OBJECT
 public:
  explicit ProfileChart(QWidget* parent = nullptr);

  // The samples along the line: sample i lies i * lengthMm / (samples - 1) from the start.
  // `truth` may be empty (imported data have none); it is then left out. Samples that are
  // not finite leave a gap in their curve.
  void setProfiles(const std::vector<float>& slice, const std::vector<float>& truth, double lengthMm);
  // The compared slice along the same line, with its legend entry (default 「比較」); an
  // empty profile hides it.
  void setCompared(const std::vector<float>& compared, const QString& label = {});
  // The legend entry of the slice (default 「再構成画像」), e.g. 「再構成画像 (OSEM)」.
  void setSliceLabel(const QString& label);
  // The values' axis: in kBq/mL (a phantom's acquisition, calibrated) or in counts (data from a
  // camera, which carry no calibration).
  void setCalibrated(bool kilobecquerelPerMillilitre);
  void clear();

  int samples() const { return static_cast<int>(slice_.size()); }
  double distanceOf(int sample) const;
  QLineSeries* sliceSeries() const { return sliceCurve_; }
  QLineSeries* truthSeries() const { return truthCurve_; }
  QLineSeries* comparedSeries() const { return comparedCurve_; }

  // "distance_mm,slice,truth" (and ",compared" when comparing), then one line per sample;
  // a missing or non-finite value is an empty field.
  std::string toCsv() const override;

 protected:
  QString readoutX(double x) const override;

 private:
  void rebuild();

  std::vector<float> slice_, truth_, compared_;
  double lengthMm_ = 0;
  QLineSeries* sliceCurve_ = nullptr;
  QLineSeries* truthCurve_ = nullptr;
  QLineSeries* comparedCurve_ = nullptr;
  QValueAxis* axisX_ = nullptr;
  QValueAxis* axisY_ = nullptr;
};

}  // namespace lumo::lab
