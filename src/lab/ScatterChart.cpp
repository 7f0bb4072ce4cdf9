#include "lab/ScatterChart.h"

#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "lab/CsvFile.h"

namespace lumo::lab {

ScatterChart::ScatterChart(QWidget* parent) : LabChart(parent) {
  QChart* c = chart();
  c->setTitle(QStringLiteral("散乱線 (表示中の行、全方向の和)"));
  truthCurve_ = new QLineSeries;
  truthCurve_->setName(QStringLiteral("真の散乱線"));
  truthCurve_->setPen(QPen(QColor(0x20, 0x20, 0x20), 2));
  estimateCurve_ = new QLineSeries;
  estimateCurve_->setName(QStringLiteral("推定"));
  estimateCurve_->setPen(QPen(QColor(0xD6, 0x27, 0x28), 2, Qt::DashLine));
  c->addSeries(truthCurve_);
  c->addSeries(estimateCurve_);
  axisX_ = new QValueAxis;
  axisY_ = new QValueAxis;
  styleAxis(axisX_, QStringLiteral("検出器上の位置 (mm)"));
  styleAxis(axisY_, QStringLiteral("カウント"));
  c->addAxis(axisX_, Qt::AlignBottom);
  c->addAxis(axisY_, Qt::AlignLeft);
  for (QLineSeries* s : {truthCurve_, estimateCurve_}) {
    s->attachAxis(axisX_);
    s->attachAxis(axisY_);
  }
  rebuild();
}

void ScatterChart::setScatter(const std::vector<double>& truth, const std::vector<double>& estimate, double binMm,
                              const QString& estimateLabel) {
  truth_ = truth;
  estimate_ = estimate;
  binMm_ = binMm > 0 ? binMm : 1;
  estimateCurve_->setName(estimateLabel.isEmpty() ? QStringLiteral("推定") : QStringLiteral("推定 (%1)").arg(estimateLabel));
  chart()->setTitle(QStringLiteral("散乱線 (表示中の行、全方向の和)"));
  rebuild();
}

void ScatterChart::clear(const QString& why) {
  truth_.clear();
  estimate_.clear();
  chart()->setTitle(why.isEmpty() ? QStringLiteral("散乱線") : QStringLiteral("散乱線 (%1)").arg(why));
  rebuild();
}

void ScatterChart::rebuild() {
  hideReadout();
  double hi = 0;
  std::size_t bins = std::max(truth_.size(), estimate_.size());
  auto fill = [&](QLineSeries* s, const std::vector<double>& v) {
    QList<QPointF> pts;
    for (std::size_t i = 0; i < v.size(); ++i) {
      pts.append(QPointF(i * binMm_, v[i]));
      if (std::isfinite(v[i])) hi = std::max(hi, v[i]);
    }
    s->replace(pts);
    s->setVisible(!v.empty());
    if (auto markers = chart()->legend()->markers(s); !markers.isEmpty()) markers.front()->setVisible(!v.empty());
  };
  fill(truthCurve_, truth_);
  fill(estimateCurve_, estimate_);
  setAxisUpTo(axisX_, bins > 1 ? (bins - 1) * binMm_ : 1);
  setAxisUpTo(axisY_, hi > 0 ? hi : 1);
}

QString ScatterChart::readoutX(double x) const { return QStringLiteral("位置 %1 mm").arg(QString::number(x, 'f', 1)); }

std::string ScatterChart::toCsv() const {
  std::string out = "distance_mm,true_scatter,estimate\n";
  const std::size_t bins = std::max(truth_.size(), estimate_.size());
  auto at = [](const std::vector<double>& v, std::size_t i) { return i < v.size() ? v[i] : std::numeric_limits<double>::quiet_NaN(); };
  for (std::size_t i = 0; i < bins; ++i)
    out += csvNumber(i * binMm_) + ',' + csvNumber(at(truth_, i)) + ',' + csvNumber(at(estimate_, i)) + '\n';
  return out;
}

}  // namespace lumo::lab
