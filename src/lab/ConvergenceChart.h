#pragma once
// The convergence plot of the lab: NRMSE (left axis) and noise CV (right axis) against
// the iteration, growing point by point while MLEM/OSEM build up, with FBP's values as
// flat dashed reference lines. The readout under the pointer gives the iteration and both
// values there.
#include <limits>
#include <string>
#include <vector>

#include "lab/LabChart.h"

class QLineSeries;
class QValueAxis;

namespace lumo::lab {

class ConvergenceChart : public LabChart {
  Q_OBJECT
 public:
  struct Point {
    double iteration, nrmse, cv;
  };

  explicit ConvergenceChart(QWidget* parent = nullptr);

  // No points and no reference.
  void clear();
  // The iteration axis runs from 0 to at least this (the iterations asked for), so it
  // does not jump while the curve grows.
  void setIterationRange(double lastIteration);
  // One more point (an iteration, or a fraction of one for an OSEM sub-iteration). A value
  // that is not finite (no truth: no NRMSE) is left out of its curve and the CSV field
  // stays empty.
  void addPoint(double iteration, double nrmse, double cv);
  void setPoints(const std::vector<Point>& points);
  const std::vector<Point>& points() const { return points_; }
  // FBP's NRMSE and CV as flat lines across the plot; NaN leaves that line out.
  void setFbpReference(double nrmse, double cv);
  void clearFbpReference() { setFbpReference(kNone, kNone); }
  double fbpNrmse() const { return fbpNrmse_; }
  double fbpCv() const { return fbpCv_; }

  QLineSeries* nrmseSeries() const { return nrmse_; }
  QLineSeries* cvSeries() const { return cv_; }

  // "iteration,nrmse,cv,fbp_nrmse,fbp_cv", then one line per point; the FBP reference
  // repeats on each line (empty without one). With a reference and no points, one line
  // for iteration 0.
  std::string toCsv() const override;

 protected:
  QString readoutX(double x) const override;
  QString readoutY(const QLineSeries* series, double y) const override;
  bool inReadout(const QLineSeries* series) const override;
  QStringList readoutMore() const override;

 private:
  static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
  void updateRanges();
  void updateReference();

  std::vector<Point> points_;
  double lastIteration_ = 1;
  double fbpNrmse_ = kNone, fbpCv_ = kNone;
  QLineSeries* nrmse_ = nullptr;
  QLineSeries* cv_ = nullptr;
  QLineSeries* fbpNrmseLine_ = nullptr;
  QLineSeries* fbpCvLine_ = nullptr;
  QValueAxis* axisX_ = nullptr;
  QValueAxis* axisNrmse_ = nullptr;
  QValueAxis* axisCv_ = nullptr;
};

}  // namespace lumo::lab
