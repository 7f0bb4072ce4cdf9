#include "lab/SpectrumChart.h"

#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "lab/CsvFile.h"

namespace lumo::lab {

namespace {
QLineSeries* makeSeries(QChart* chart, const QString& name, QColor colour, Qt::PenStyle style = Qt::SolidLine,
                        qreal width = 2) {
  auto* s = new QLineSeries;
  s->setName(name);
  s->setPen(QPen(colour, width, style));
  chart->addSeries(s);
  return s;
}
}  // namespace

SpectrumChart::SpectrumChart(QWidget* parent) : LabChart(parent) {
  QChart* c = chart();
  c->setTitle(QStringLiteral("エネルギースペクトル"));
  // Short legend entries: six of them share the chart's width. The sub-windows touch the
  // photopeak window, so its edges are drawn last, over theirs.
  total_ = makeSeries(c, QStringLiteral("全体"), QColor(0x20, 0x20, 0x20));
  primaryCurve_ = makeSeries(c, QStringLiteral("一次"), QColor(0x1F, 0x77, 0xB4), Qt::DashLine);
  scatterCurve_ = makeSeries(c, QStringLiteral("散乱"), QColor(0xD6, 0x27, 0x28), Qt::DashLine);
  compton_ = makeSeries(c, QStringLiteral("コンプトン"), QColor(0x94, 0x67, 0xBD), Qt::DotLine, 1);
  sub_ = makeSeries(c, QStringLiteral("サブ"), QColor(0xFF, 0x7F, 0x0E), Qt::SolidLine, 1);
  peak_ = makeSeries(c, QStringLiteral("メイン"), QColor(0x2C, 0xA0, 0x2C), Qt::SolidLine, 2);
  axisX_ = new QValueAxis;
  axisY_ = new QValueAxis;
  styleAxis(axisX_, QStringLiteral("エネルギー (keV)"));
  styleAxis(axisY_, QStringLiteral("カウント / keV"));
  c->addAxis(axisX_, Qt::AlignBottom);
  c->addAxis(axisY_, Qt::AlignLeft);
  for (QLineSeries* s : {total_, primaryCurve_, scatterCurve_, peak_, sub_, compton_}) {
    s->attachAxis(axisX_);
    s->attachAxis(axisY_);
  }
  rebuild();
}

void SpectrumChart::setSpectrum(const std::vector<double>& keV, const std::vector<double>& primary,
                                const std::vector<double>& scatter, const tomo::EnergyWindows& windows) {
  keV_ = keV;
  primary_ = primary;
  scatter_ = scatter;
  windows_ = windows;
  chart()->setTitle(QStringLiteral("エネルギースペクトル"));
  rebuild();
}

void SpectrumChart::clear(const QString& why) {
  keV_.clear();
  primary_.clear();
  scatter_.clear();
  chart()->setTitle(why.isEmpty() ? QStringLiteral("エネルギースペクトル") : QStringLiteral("エネルギースペクトル (%1)").arg(why));
  rebuild();
}

void SpectrumChart::rebuild() {
  hideReadout();
  QList<QPointF> all, prim, scat;
  double hi = 0;
  for (std::size_t i = 0; i < keV_.size() && i < primary_.size() && i < scatter_.size(); ++i) {
    all.append(QPointF(keV_[i], primary_[i] + scatter_[i]));
    prim.append(QPointF(keV_[i], primary_[i]));
    scat.append(QPointF(keV_[i], scatter_[i]));
    hi = std::max(hi, primary_[i] + scatter_[i]);
  }
  total_->replace(all);
  primaryCurve_->replace(prim);
  scatterCurve_->replace(scat);
  if (!(hi > 0)) hi = 1;
  // Each window's edges as vertical lines from 0 to the top, one series a kind of window.
  auto edges = [&](QLineSeries* s, std::initializer_list<tomo::EnergyWindow> ws) {
    QList<QPointF> pts;
    if (!keV_.empty())
      for (const tomo::EnergyWindow& w : ws)
        for (double e : {w.loKeV, w.hiKeV}) {
          // Down, up and down again: the series draws each edge as one vertical stroke.
          pts.append(QPointF(e, 0));
          pts.append(QPointF(e, hi));
          pts.append(QPointF(e, 0));
        }
    s->replace(pts);
  };
  edges(peak_, {windows_.peak});
  edges(sub_, {windows_.lower, windows_.upper});
  edges(compton_, {windows_.compton});
  for (QLineSeries* s : {total_, primaryCurve_, scatterCurve_, peak_, sub_, compton_}) {
    s->setVisible(!keV_.empty());
    if (auto markers = chart()->legend()->markers(s); !markers.isEmpty()) markers.front()->setVisible(!keV_.empty());
  }
  setAxisTicks(axisX_, 50, 170, 20);
  setAxisUpTo(axisY_, hi);
}

QString SpectrumChart::readoutX(double x) const { return QStringLiteral("%1 keV").arg(QString::number(x, 'f', 1)); }

bool SpectrumChart::inReadout(const QLineSeries* s) const { return s == total_ || s == primaryCurve_ || s == scatterCurve_; }

std::string SpectrumChart::toCsv() const {
  std::string out = "kev,counts,primary,scatter\n";
  for (std::size_t i = 0; i < keV_.size() && i < primary_.size() && i < scatter_.size(); ++i)
    out += csvNumber(keV_[i]) + ',' + csvNumber(primary_[i] + scatter_[i]) + ',' + csvNumber(primary_[i]) + ',' +
           csvNumber(scatter_[i]) + '\n';
  return out;
}

}  // namespace lumo::lab
