#include "lab/FiguresTable.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <cmath>
#include <limits>

#include "app/ScreenView.h"
#include "draw/Fonts.h"
#include "lab/CsvFile.h"

namespace lumo::lab {

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

QString shown(double v, int decimals, const QString& missing) {
  if (std::isfinite(v)) return QString::number(v, 'f', decimals);
  return missing.isEmpty() ? QStringLiteral("なし") : missing;
}

QString labelOf(const FigureSet::Named& n) { return n.label.isEmpty() ? QString::fromStdString(n.name) : n.label; }

}  // namespace

FiguresTable::FiguresTable(QWidget* parent) : QTableWidget(parent) {
  setFont(draw::proportionalFont(13));
  horizontalHeader()->setFont(draw::proportionalFont(13, true));
  verticalHeader()->setFont(draw::proportionalFont(13));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  setAlternatingRowColors(true);
  setCornerButtonEnabled(false);
  setTabKeyNavigation(false);  // Tab leaves the table for the next control
  setAccessibleName(QStringLiteral("評価指標"));
  clearFigures();
}

QString FiguresTable::saveName() const {
  if (!saveName_.isEmpty()) return saveName_;
  return objectName().isEmpty() ? QStringLiteral("Lumo") : objectName();
}

void FiguresTable::clearFigures() { setFigures(std::vector<FigureSet>{}, QStringList{}); }

void FiguresTable::setFigures(const FigureSet& result, const QString& title) {
  setFigures(std::vector<FigureSet>{result}, QStringList{title});
}

void FiguresTable::setFigures(const std::vector<FigureSet>& results, const QStringList& titles) {
  const std::size_t columns = results.size();
  rows_.clear();
  titles_.clear();
  missing_.clear();
  for (std::size_t c = 0; c < columns; ++c) {
    titles_ << (static_cast<qsizetype>(c) < titles.size() ? titles[static_cast<qsizetype>(c)] : QStringLiteral("値"));
    missing_ << results[c].missing;
  }

  auto row = [&](const std::string& key, const QString& label, int decimals) -> Row& {
    for (Row& r : rows_)
      if (r.key == key) return r;
    rows_.push_back({key, label, decimals, std::vector<double>(columns, kNone)});
    return rows_.back();
  };
  if (columns > 0) {
    row("nrmse", QStringLiteral("NRMSE"), 3);
    row("cv", QStringLiteral("ノイズ CV"), 3);
  }
  for (std::size_t c = 0; c < columns; ++c) {
    const FigureSet& f = results[c];
    row("nrmse", {}, 3).values[c] = f.nrmse;
    row("cv", {}, 3).values[c] = f.cv;
    if (std::isfinite(f.scatterFraction)) row("scatter_fraction", QStringLiteral("散乱線含有率"), 3).values[c] = f.scatterFraction;
    for (const auto& r : f.crc)
      row("crc:" + r.name, QStringLiteral("CRC（%1）").arg(labelOf(r)), 3).values[c] = r.value;
  }
  // The hot spheres' recovery, then the point sources, whichever result names them; the FWHM
  // across the slices only where a result was a volume.
  for (std::size_t c = 0; c < columns; ++c)
    for (const auto& r : results[c].recovery)
      row("rc:" + r.name, QStringLiteral("回復係数（%1）").arg(labelOf(r)), 3).values[c] = r.value;
  for (std::size_t c = 0; c < columns; ++c)
    for (const auto& p : results[c].fwhmMm)
      row("fwhm_mm:" + p.name, QStringLiteral("FWHM（%1）mm").arg(labelOf(p)), 1).values[c] =
          p.value;
  for (std::size_t c = 0; c < columns; ++c)
    for (const auto& p : results[c].axialFwhmMm)
      if (std::isfinite(p.value))
        row("fwhm_axial_mm:" + p.name, QStringLiteral("体軸方向 FWHM（%1）mm").arg(labelOf(p)), 1).values[c] = p.value;

  clear();
  setColumnCount(static_cast<int>(columns));
  setRowCount(static_cast<int>(rows_.size()));
  setHorizontalHeaderLabels(titles_);
  for (int r = 0; r < rowCount(); ++r) {
    const Row& data = rows_[static_cast<std::size_t>(r)];
    setVerticalHeaderItem(r, new QTableWidgetItem(data.label));
    for (int c = 0; c < columnCount(); ++c) {
      auto* item = new QTableWidgetItem(
          shown(data.values[static_cast<std::size_t>(c)], data.decimals, missing_[static_cast<qsizetype>(c)]));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      setItem(r, c, item);
    }
  }
}

QString FiguresTable::cellText(int row, int column) const {
  const QTableWidgetItem* i = item(row, column);
  return i ? i->text() : QString();
}

QString FiguresTable::rowLabel(int row) const {
  const QTableWidgetItem* i = verticalHeaderItem(row);
  return i ? i->text() : QString();
}

std::string FiguresTable::toCsv() const {
  std::string out = "figure";
  for (const QString& t : titles_) out += ',' + csvField(QString(t).replace(QLatin1Char('\n'), QLatin1Char(' ')).toStdString());
  out += '\n';
  for (const Row& r : rows_) {
    out += csvField(r.key);
    for (double v : r.values) out += ',' + csvNumber(v);
    out += '\n';
  }
  return out;
}

QString FiguresTable::saveCsv(const QString& file) const { return lab::saveCsv(toCsv(), file); }

QImage FiguresTable::picture() {
  QImage image(size(), QImage::Format_RGB32);
  image.setDevicePixelRatio(1.0);
  image.fill(palette().color(QPalette::Window));
  QWidget::render(&image);
  return image;
}

void FiguresTable::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* picture = menu.addAction(QStringLiteral("画像を保存..."));
  QAction* csv = menu.addAction(QStringLiteral("CSVで保存..."));
  const QImage shownPicture = this->picture();
  QAction* chosen = menu.exec(event->globalPos());
  if (chosen == picture)
    askToSavePicture(this, shownPicture, saveName());
  else if (chosen == csv)
    askToSaveCsv(this, toCsv(), saveName());
}

}  // namespace lumo::lab
