#pragma once
// What the lab's curves share, on Qt Charts: the program's face for titles, axes and
// legend; a readout that follows the pointer with the x value and each curve's value
// there; a context menu with 「画像を保存...」 and 「CSVで保存...」; a picture of the chart
// as shown. ProfileChart and ConvergenceChart derive from it.
#include <QChartView>
#include <QImage>
#include <QString>
#include <QStringList>
#include <string>

class QGraphicsRectItem;
class QGraphicsSimpleTextItem;
class QGraphicsLineItem;
class QLineSeries;
class QValueAxis;

namespace lumo::lab {

class LabChart : public QChartView {
  Q_OBJECT
 public:
  explicit LabChart(QWidget* parent = nullptr);

  // The curves' numbers as CSV (see each chart), and written to a file: "" on success,
  // else what went wrong.
  virtual std::string toCsv() const = 0;
  QString saveCsv(const QString& file) const;
  // The names 「画像を保存...」 and 「CSVで保存...」 offer (without suffix); the object name
  // or "Lumo" when none was set.
  void setSaveName(const QString& name) { saveName_ = name; }
  QString saveName() const;

  // The chart as shown, one image pixel per widget pixel at every display scale.
  QImage picture();
  QSize sizeHint() const override { return QSize(380, 240); }

  // The readout under the pointer: shown over the plot area, with the x value (of the
  // nearest point of any curve) and the value of each curve there, one line each.
  bool readoutVisible() const;
  QString readoutText() const;
  // Shows the readout for a point of the widget, as a pointer there would; hides it when
  // the point lies outside the plot area.
  void showReadoutAt(const QPoint& widgetPos);
  void hideReadout();

 protected:
  // The text of the x value and of a curve's y value in the readout.
  virtual QString readoutX(double x) const;
  virtual QString readoutY(const QLineSeries* series, double y) const;
  // Curves the readout leaves out (reference lines say their value in the legend).
  virtual bool inReadout(const QLineSeries* series) const;
  // Lines the readout adds below the curves' values.
  virtual QStringList readoutMore() const { return {}; }

  // Fonts of the program's face on a fresh axis, a series' legend entry and the chart.
  static void styleAxis(QValueAxis* axis, const QString& title);

  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QString saveName_;
  QGraphicsRectItem* readoutBox_ = nullptr;
  QGraphicsSimpleTextItem* readoutText_ = nullptr;
  QGraphicsLineItem* readoutLine_ = nullptr;
};

// A nice axis range around [lo, hi] (round ends on a step of 1, 2 or 5 times a power of
// ten, about a fifth of the span), never empty; NaN ends are ignored. Returns the step.
double niceRange(double& lo, double& hi);
// Sets an axis to the nice range around [lo, hi] with a tick and a label at every
// multiple of its step, each with the decimals the step needs.
void setNiceAxis(QValueAxis* axis, double lo, double hi);
// Sets an axis to [lo, hi] with a tick and a label at every multiple of `step` (> 0) and
// the decimals the step needs; safe whatever range and interval it had before.
void setAxisTicks(QValueAxis* axis, double lo, double hi, double step);
// Sets an axis to exactly [0, hi], with round ticks inside, at least `leastStep` apart.
void setAxisUpTo(QValueAxis* axis, double hi, double leastStep = 0);

}  // namespace lumo::lab
