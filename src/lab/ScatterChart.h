#pragma once
// The scatter of the shown slice's row, summed over the views, across the detector: the true
// scatter in the photopeak window (known in a simulation) beside the estimate of the chosen
// correction (TEW or DEW), so a student sees how well the windows guess it.
#include <QString>
#include <string>
#include <vector>

#include "lab/LabChart.h"

class QLineSeries;
class QValueAxis;

namespace lumo::lab {

class ScatterChart : public LabChart {
  Q_OBJECT
 public:
  explicit ScatterChart(QWidget* parent = nullptr);

  // Per bin (binMm apart, the first at the detector's left edge): the true scatter and the
  // estimate, each may be empty (no truth, no correction); estimateLabel names the method.
  void setScatter(const std::vector<double>& truth, const std::vector<double>& estimate, double binMm,
                  const QString& estimateLabel);
  void clear(const QString& why = {});

  // "distance_mm,true_scatter,estimate", one line per bin.
  std::string toCsv() const override;

 protected:
  QString readoutX(double x) const override;

 private:
  void rebuild();

  std::vector<double> truth_, estimate_;
  double binMm_ = 1;
  QLineSeries *truthCurve_, *estimateCurve_;
  QValueAxis *axisX_, *axisY_;
};

}  // namespace lumo::lab
