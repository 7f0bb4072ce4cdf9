#include "lab/ProfileChart.h"

#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "lab/CsvFile.h"

namespace lumo::lab {

namespace {

QLineSeries* makeSeries(QChart* chart, const QString& name, QColor colour, Qt::PenStyle style = Qt::SolidLine) {
  auto* s = new QLineSeries;
  s->setName(name);
  s->setPen(QPen(colour, 2, style));
  chart->addSeries(s);
  return s;
}

}  // namespace

void ProfileChart::setCalibrated(bool kBqPerMl) {
  axisY_->setTitleText(kBqPerMl ? QStringLiteral("放射能濃度 (kBq/mL)") : QStringLiteral("カウント"));
}

ProfileChart::ProfileChart(QWidget* parent) : LabChart(parent) {
  QChart* c = chart();
  c->setTitle(QStringLiteral("プロファイル"));
  truthCurve_ = makeSeries(c, QStringLiteral("真の分布"), QColor(0x20, 0x20, 0x20));
  sliceCurve_ = makeSeries(c, QStringLiteral("再構成画像"), QColor(0xD6, 0x27, 0x28));
  comparedCurve_ = makeSeries(c, QStringLiteral("比較"), QColor(0x1F, 0x77, 0xB4), Qt::DashLine);
  axisX_ = new QValueAxis;
  axisY_ = new QValueAxis;
  styleAxis(axisX_, QStringLiteral("距離 (mm)"));
  styleAxis(axisY_, QStringLiteral("放射能濃度 (kBq/mL)"));
  c->addAxis(axisX_, Qt::AlignBottom);
  c->addAxis(axisY_, Qt::AlignLeft);
  for (QLineSeries* s : {truthCurve_, sliceCurve_, comparedCurve_}) {
    s->attachAxis(axisX_);
    s->attachAxis(axisY_);
  }
  rebuild();
}

void ProfileChart::setProfiles(const std::vector<float>& s, const std::vector<float>& t, double lengthMm) {
  slice_ = s;
  truth_ = t;
  lengthMm_ = std::isfinite(lengthMm) && lengthMm > 0 ? lengthMm : 0;
  rebuild();
}

void ProfileChart::setCompared(const std::vector<float>& other, const QString& label) {
  compared_ = other;
  comparedCurve_->setName(label.isEmpty() ? QStringLiteral("比較") : label);
  rebuild();
}

void ProfileChart::setSliceLabel(const QString& label) {
  sliceCurve_->setName(label.isEmpty() ? QStringLiteral("再構成画像") : label);
}

void ProfileChart::clear() {
  slice_.clear();
  truth_.clear();
  compared_.clear();
  lengthMm_ = 0;
  rebuild();
}

double ProfileChart::distanceOf(int sample) const {
  const int n = samples();
  return n > 1 ? sample * lengthMm_ / (n - 1) : 0.0;
}

void ProfileChart::rebuild() {
  hideReadout();
  double lo = 0, hi = -std::numeric_limits<double>::infinity();
  auto fill = [&](QLineSeries* series, const std::vector<float>& values) {
    QList<QPointF> pts;
    pts.reserve(static_cast<qsizetype>(values.size()));
    for (std::size_t i = 0; i < values.size() && i < slice_.size(); ++i) {
      if (!std::isfinite(values[i])) continue;
      pts.append(QPointF(distanceOf(static_cast<int>(i)), values[i]));
      lo = std::min(lo, static_cast<double>(values[i]));
      hi = std::max(hi, static_cast<double>(values[i]));
    }
    series->replace(pts);
    series->setVisible(!values.empty() && !slice_.empty());
  };
  fill(truthCurve_, truth_);
  fill(sliceCurve_, slice_);
  fill(comparedCurve_, compared_);
  // Hidden curves leave the legend too.
  for (QLineSeries* s : {truthCurve_, comparedCurve_})
    if (auto markers = chart()->legend()->markers(s); !markers.isEmpty()) markers.front()->setVisible(s->isVisible());
  // Curves that are flat to a millionth of a count (an iterative method leaves values near
  // 1e-16 where there is no activity) read as the zero they are.
  if (!(hi - lo > 1e-6)) hi = lo + 1;
  setNiceAxis(axisY_, lo, hi);
  // The distance axis ends at the line's end, with round ticks inside; a line shorter than
  // a hundredth of a millimetre (none yet) gets an axis of 1 mm.
  setAxisUpTo(axisX_, lengthMm_ >= 0.01 ? lengthMm_ : 1);
}

QString ProfileChart::readoutX(double x) const { return QStringLiteral("距離 %1 mm").arg(QString::number(x, 'f', 1)); }

std::string ProfileChart::toCsv() const {
  const bool comparing = !compared_.empty();
  std::string out = comparing ? "distance_mm,slice,truth,compared\n" : "distance_mm,slice,truth\n";
  auto at = [](const std::vector<float>& v, std::size_t i) {
    return i < v.size() ? static_cast<double>(v[i]) : std::numeric_limits<double>::quiet_NaN();
  };
  for (std::size_t i = 0; i < slice_.size(); ++i) {
    out += csvNumber(distanceOf(static_cast<int>(i))) + ',' + csvNumber(slice_[i]) + ',' + csvNumber(at(truth_, i));
    if (comparing) out += ',' + csvNumber(at(compared_, i));
    out += '\n';
  }
  return out;
}

}  // namespace lumo::lab
