#include "lab/ConvergenceChart.h"

#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "lab/CsvFile.h"

namespace lumo::lab {

namespace {

const QColor kNrmseColour(0xD6, 0x27, 0x28);
const QColor kCvColour(0x1F, 0x77, 0xB4);

QString valueText(double v) { return std::isfinite(v) ? QString::number(v, 'f', 3) : QStringLiteral("なし"); }

}  // namespace

ConvergenceChart::ConvergenceChart(QWidget* parent) : LabChart(parent) {
  QChart* c = chart();
  c->setTitle(QStringLiteral("収束"));
  auto series = [c](const QString& name, QColor colour, Qt::PenStyle style, bool points) {
    auto* s = new QLineSeries;
    s->setName(name);
    s->setPen(QPen(colour, style == Qt::SolidLine ? 2 : 1.5, style));
    s->setPointsVisible(points);
    c->addSeries(s);
    return s;
  };
  nrmse_ = series(QStringLiteral("NRMSE"), kNrmseColour, Qt::SolidLine, true);
  cv_ = series(QStringLiteral("ノイズ CV"), kCvColour, Qt::SolidLine, true);
  fbpNrmseLine_ = series(QStringLiteral("FBP の NRMSE"), kNrmseColour, Qt::DashLine, false);
  fbpCvLine_ = series(QStringLiteral("FBP の CV"), kCvColour, Qt::DashLine, false);

  axisX_ = new QValueAxis;
  axisNrmse_ = new QValueAxis;
  axisCv_ = new QValueAxis;
  styleAxis(axisX_, QStringLiteral("反復回数"));
  styleAxis(axisNrmse_, QStringLiteral("NRMSE"));
  styleAxis(axisCv_, QStringLiteral("ノイズ CV"));
  axisNrmse_->setLinePenColor(kNrmseColour);
  axisNrmse_->setLabelsColor(kNrmseColour);
  axisCv_->setLinePenColor(kCvColour);
  axisCv_->setLabelsColor(kCvColour);
  axisCv_->setGridLineVisible(false);
  axisX_->setLabelFormat(QStringLiteral("%g"));
  c->addAxis(axisX_, Qt::AlignBottom);
  c->addAxis(axisNrmse_, Qt::AlignLeft);
  c->addAxis(axisCv_, Qt::AlignRight);
  for (QLineSeries* s : {nrmse_, fbpNrmseLine_}) {
    s->attachAxis(axisX_);
    s->attachAxis(axisNrmse_);
  }
  for (QLineSeries* s : {cv_, fbpCvLine_}) {
    s->attachAxis(axisX_);
    s->attachAxis(axisCv_);
  }
  clear();
}

void ConvergenceChart::clear() {
  points_.clear();
  nrmse_->clear();
  cv_->clear();
  fbpNrmse_ = fbpCv_ = kNone;
  lastIteration_ = 1;
  updateReference();
  updateRanges();
}

void ConvergenceChart::setIterationRange(double lastIteration) {
  lastIteration_ = std::isfinite(lastIteration) && lastIteration >= 1 ? lastIteration : 1;
  updateReference();
  updateRanges();
}

void ConvergenceChart::addPoint(double iteration, double nrmse, double cv) {
  if (!std::isfinite(iteration)) return;
  points_.push_back({iteration, nrmse, cv});
  if (std::isfinite(nrmse)) nrmse_->append(iteration, nrmse);
  if (std::isfinite(cv)) cv_->append(iteration, cv);
  if (iteration > lastIteration_) updateReference();
  updateRanges();
}

void ConvergenceChart::setPoints(const std::vector<Point>& points) {
  points_.clear();
  QList<QPointF> n, c;
  for (const Point& p : points) {
    if (!std::isfinite(p.iteration)) continue;
    points_.push_back(p);
    if (std::isfinite(p.nrmse)) n.append(QPointF(p.iteration, p.nrmse));
    if (std::isfinite(p.cv)) c.append(QPointF(p.iteration, p.cv));
  }
  nrmse_->replace(n);
  cv_->replace(c);
  updateReference();
  updateRanges();
}

void ConvergenceChart::setFbpReference(double nrmse, double cv) {
  fbpNrmse_ = nrmse;
  fbpCv_ = cv;
  updateReference();
  updateRanges();
}

void ConvergenceChart::updateReference() {
  double last = lastIteration_;
  for (const Point& p : points_) last = std::max(last, p.iteration);
  auto place = [&](QLineSeries* line, double v) {
    if (std::isfinite(v))
      line->replace(QList<QPointF>{QPointF(0, v), QPointF(last, v)});
    else
      line->clear();
    line->setVisible(std::isfinite(v));
    if (auto markers = chart()->legend()->markers(line); !markers.isEmpty()) markers.front()->setVisible(std::isfinite(v));
  };
  place(fbpNrmseLine_, fbpNrmse_);
  place(fbpCvLine_, fbpCv_);
}

void ConvergenceChart::updateRanges() {
  hideReadout();
  double last = lastIteration_;
  double nHi = std::isfinite(fbpNrmse_) ? fbpNrmse_ : 0, cHi = std::isfinite(fbpCv_) ? fbpCv_ : 0;
  for (const Point& p : points_) {
    last = std::max(last, p.iteration);
    if (std::isfinite(p.nrmse)) nHi = std::max(nHi, p.nrmse);
    if (std::isfinite(p.cv)) cHi = std::max(cHi, p.cv);
  }
  // Ticks on whole iterations, a round number of them apart.
  setAxisUpTo(axisX_, last, 1.0);
  // Both values from zero: a student reads how far each has fallen or grown.
  setNiceAxis(axisNrmse_, 0, nHi > 0 ? nHi : 1);
  setNiceAxis(axisCv_, 0, cHi > 0 ? cHi : 1);
}

QString ConvergenceChart::readoutX(double x) const {
  return QStringLiteral("反復 %1").arg(QString::number(x, 'g', 4));
}

QString ConvergenceChart::readoutY(const QLineSeries*, double y) const { return valueText(y); }

QStringList ConvergenceChart::readoutMore() const {
  if (!std::isfinite(fbpNrmse_) && !std::isfinite(fbpCv_)) return {};
  return {QStringLiteral("FBP: NRMSE %1, CV %2").arg(valueText(fbpNrmse_), valueText(fbpCv_))};
}

bool ConvergenceChart::inReadout(const QLineSeries* s) const { return s == nrmse_ || s == cv_; }

std::string ConvergenceChart::toCsv() const {
  std::string out = "iteration,nrmse,cv,fbp_nrmse,fbp_cv\n";
  const std::string ref = csvNumber(fbpNrmse_) + ',' + csvNumber(fbpCv_);
  for (const Point& p : points_)
    out += csvNumber(p.iteration) + ',' + csvNumber(p.nrmse) + ',' + csvNumber(p.cv) + ',' + ref + '\n';
  if (points_.empty() && (std::isfinite(fbpNrmse_) || std::isfinite(fbpCv_))) out += "0,,," + ref + '\n';
  return out;
}

}  // namespace lumo::lab
