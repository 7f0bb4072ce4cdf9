#pragma once
// The energy spectrum of the acquisition: counts per keV from 50 to 170 keV, all photons and
// the primary and scattered ones apart, with the energy windows marked (メインウィンドウ, the
// TEW サブウィンドウ on both sides, the DEW コンプトンウィンドウ). Data without windows (scatter
// off, a camera's file) leave it empty with a title that says why.
#include <QString>
#include <string>
#include <vector>

#include "lab/LabChart.h"
#include "model/tomo/Scatter.h"

class QLineSeries;
class QValueAxis;

namespace lumo::lab {

class SpectrumChart : public LabChart {
  Q_OBJECT
 public:
  explicit SpectrumChart(QWidget* parent = nullptr);

  // Expected counts per keV at each energy of keV: of the primaries and of the scatter.
  void setSpectrum(const std::vector<double>& keV, const std::vector<double>& primary, const std::vector<double>& scatter,
                   const tomo::EnergyWindows& windows);
  void clear(const QString& why = {});

  bool empty() const { return keV_.empty(); }
  // "kev,counts,primary,scatter", one line per energy.
  std::string toCsv() const override;

 protected:
  QString readoutX(double x) const override;
  bool inReadout(const QLineSeries* series) const override;

 private:
  void rebuild();

  std::vector<double> keV_, primary_, scatter_;
  tomo::EnergyWindows windows_{};
  QLineSeries *total_, *primaryCurve_, *scatterCurve_;
  QLineSeries *peak_, *sub_, *compton_;  // the windows' edges, drawn as vertical lines
  QValueAxis *axisX_, *axisY_;
};

}  // namespace lumo::lab
