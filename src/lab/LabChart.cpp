#include "lab/LabChart.h"

#include <QContextMenuEvent>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QLineSeries>
#include <QMenu>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "app/ScreenView.h"
#include "draw/Fonts.h"
#include "lab/CsvFile.h"

namespace lumo::lab {

namespace {

QFont chartFont() { return draw::proportionalFont(12); }

// The index of the point of `points` (sorted by x) nearest to x; -1 for none.
int nearestIndex(const QList<QPointF>& points, double x) {
  if (points.isEmpty()) return -1;
  const auto it = std::lower_bound(points.begin(), points.end(), x,
                                   [](const QPointF& p, double v) { return p.x() < v; });
  int i = static_cast<int>(it - points.begin());
  if (i >= points.size()) return points.size() - 1;
  if (i > 0 && x - points[i - 1].x() < points[i].x() - x) --i;
  return i;
}

}  // namespace

double niceRange(double& lo, double& hi) {
  if (!std::isfinite(lo) && !std::isfinite(hi)) {
    lo = 0;
    hi = 1;
  } else if (!std::isfinite(lo)) {
    lo = hi;
  } else if (!std::isfinite(hi)) {
    hi = lo;
  }
  if (hi < lo) std::swap(lo, hi);
  if (hi == lo) {
    const double d = std::max(std::abs(lo) * 0.1, 1e-9);
    lo -= d;
    hi += d;
  }
  // Round ends on a step of 1, 2 or 5 times a power of ten, about a fifth of the span.
  const double raw = (hi - lo) / 5;
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  double step = 10 * p;
  for (double m : {1.0, 2.0, 5.0})
    if (m * p >= raw) {
      step = m * p;
      break;
    }
  lo = std::floor(lo / step + 1e-9) * step;
  hi = std::ceil(hi / step - 1e-9) * step;
  return step;
}

void setAxisTicks(QValueAxis* axis, double lo, double hi, double step) {
  // Qt Charts lays the axis out again at each change. A wider range under the old, finer
  // interval would be laid out with billions of ticks first (a profile of values near 1e-16
  // followed by one of counts hung the window), so the axis counts a fixed few ticks
  // while range and interval change together.
  axis->setTickType(QValueAxis::TicksFixed);
  axis->setRange(lo, hi);
  axis->setTickAnchor(0);
  axis->setTickInterval(step);
  axis->setTickType(QValueAxis::TicksDynamic);
  const int decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 6);
  axis->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
}

void setNiceAxis(QValueAxis* axis, double lo, double hi) {
  const double step = niceRange(lo, hi);
  setAxisTicks(axis, lo, hi, step);
}

void setAxisUpTo(QValueAxis* axis, double hi, double leastStep) {
  double lo = 0, niceHi = hi;
  const double step = std::max(leastStep, niceRange(lo, niceHi));
  setAxisTicks(axis, 0, hi, step);
}

LabChart::LabChart(QWidget* parent) : QChartView(new QChart, parent) {
  QChart* c = chart();
  c->setAnimationOptions(QChart::NoAnimation);
  c->setBackgroundRoundness(0);
  c->setMargins(QMargins(4, 4, 4, 4));
  c->setTitleFont(draw::proportionalFont(14, true));
  c->legend()->setFont(chartFont());
  c->legend()->setAlignment(Qt::AlignBottom);
  setRenderHint(QPainter::Antialiasing, true);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(240, 180);

  readoutLine_ = new QGraphicsLineItem(c);
  readoutLine_->setPen(QPen(QColor(0x60, 0x60, 0x60), 1, Qt::DashLine));
  readoutBox_ = new QGraphicsRectItem(c);
  readoutBox_->setBrush(QColor(255, 255, 225, 235));  // the tool-tip yellow
  readoutBox_->setPen(QPen(QColor(0x40, 0x40, 0x40)));
  readoutText_ = new QGraphicsSimpleTextItem(readoutBox_);
  readoutText_->setFont(chartFont());
  for (QGraphicsItem* item : {static_cast<QGraphicsItem*>(readoutLine_), static_cast<QGraphicsItem*>(readoutBox_)}) {
    item->setZValue(100);
    item->hide();
  }
}

QString LabChart::saveName() const {
  if (!saveName_.isEmpty()) return saveName_;
  return objectName().isEmpty() ? QStringLiteral("Lumo") : objectName();
}

QString LabChart::saveCsv(const QString& file) const { return lab::saveCsv(toCsv(), file); }

QImage LabChart::picture() {
  QImage image(size(), QImage::Format_RGB32);
  image.setDevicePixelRatio(1.0);
  image.fill(Qt::white);
  QWidget::render(&image);
  return image;
}

void LabChart::styleAxis(QValueAxis* axis, const QString& title) {
  axis->setTitleText(title);
  axis->setTitleFont(chartFont());
  axis->setLabelsFont(chartFont());
}

QString LabChart::readoutX(double x) const { return QString::number(x, 'g', 4); }

QString LabChart::readoutY(const QLineSeries*, double y) const {
  return std::isfinite(y) ? QString::number(y, 'g', 4) : QStringLiteral("なし");
}

bool LabChart::inReadout(const QLineSeries*) const { return true; }

bool LabChart::readoutVisible() const { return readoutBox_->isVisible(); }
QString LabChart::readoutText() const { return readoutVisible() ? readoutText_->text() : QString(); }

void LabChart::hideReadout() {
  readoutBox_->hide();
  readoutLine_->hide();
}

void LabChart::showReadoutAt(const QPoint& widgetPos) {
  QChart* c = chart();
  const QPointF inChart = c->mapFromScene(mapToScene(widgetPos));
  const QRectF plot = c->plotArea();
  if (!plot.contains(inChart)) return hideReadout();

  std::vector<QLineSeries*> curves;
  for (QAbstractSeries* s : c->series())
    if (auto* line = qobject_cast<QLineSeries*>(s); line && line->isVisible() && line->count() > 0 && inReadout(line))
      curves.push_back(line);
  if (curves.empty()) return hideReadout();

  // The x of the nearest point of any curve.
  const double x = c->mapToValue(inChart, curves.front()).x();
  double bestX = std::numeric_limits<double>::quiet_NaN(), bestD = std::numeric_limits<double>::infinity();
  for (QLineSeries* s : curves) {
    const QList<QPointF> pts = s->points();
    const int i = nearestIndex(pts, x);
    if (i >= 0 && std::abs(pts[i].x() - x) < bestD) {
      bestD = std::abs(pts[i].x() - x);
      bestX = pts[i].x();
    }
  }
  QStringList lines{readoutX(bestX)};
  for (QLineSeries* s : curves) {
    const QList<QPointF> pts = s->points();
    const int i = nearestIndex(pts, bestX);
    if (i >= 0 && pts[i].x() == bestX) lines << QStringLiteral("%1: %2").arg(s->name(), readoutY(s, pts[i].y()));
  }
  lines << readoutMore();
  readoutText_->setText(lines.join(QLatin1Char('\n')));

  // A dashed line at that x across the plot, the box beside the pointer inside the plot.
  const double px = c->mapToPosition(QPointF(bestX, 0), curves.front()).x();
  readoutLine_->setLine(px, plot.top(), px, plot.bottom());
  const QRectF text = readoutText_->boundingRect();
  QRectF box(0, 0, text.width() + 10, text.height() + 6);
  QPointF at = inChart + QPointF(14, 14);
  if (at.x() + box.width() > plot.right()) at.setX(inChart.x() - 14 - box.width());
  if (at.y() + box.height() > plot.bottom()) at.setY(inChart.y() - 14 - box.height());
  at.setX(std::max(at.x(), plot.left()));
  at.setY(std::max(at.y(), plot.top()));
  readoutBox_->setRect(box);
  readoutBox_->setPos(at);
  readoutText_->setPos(5, 3);
  readoutBox_->show();
  readoutLine_->show();
}

void LabChart::mouseMoveEvent(QMouseEvent* event) {
  showReadoutAt(event->position().toPoint());
  QChartView::mouseMoveEvent(event);
}

void LabChart::leaveEvent(QEvent* event) {
  hideReadout();
  QChartView::leaveEvent(event);
}

void LabChart::resizeEvent(QResizeEvent* event) {
  hideReadout();
  QChartView::resizeEvent(event);
}

void LabChart::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* picture = menu.addAction(QStringLiteral("画像を保存..."));
  QAction* csv = menu.addAction(QStringLiteral("CSVで保存..."));
  hideReadout();
  const QImage shown = this->picture();
  QAction* chosen = menu.exec(event->globalPos());
  if (chosen == picture)
    askToSavePicture(this, shown, saveName());
  else if (chosen == csv)
    askToSaveCsv(this, toCsv(), saveName());
}

}  // namespace lumo::lab
