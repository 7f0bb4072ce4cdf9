#pragma once
// The figures of merit of the lab's result: NRMSE, noise CV, the contrast recovery of each
// region, the recovery coefficient of each hot sphere and the FWHM of each point source (across
// the slices too, in a volume), one column per result (two when comparing).
// A figure that cannot be had (imported data have no truth) reads 「なし」.
#include <QImage>
#include <QString>
#include <QTableWidget>
#include <limits>
#include <string>
#include <vector>

namespace lumo::lab {

// One result's figures, as the table shows them.
struct FigureSet {
  struct Named {
    std::string name;  // UTF-8, as the phantom names its region or point source (the CSV's key)
    double value;
    QString label = {};  // what the table calls it; "" shows the name
  };
  double nrmse = 0, cv = 0;
  std::vector<Named> crc;      // per region
  std::vector<Named> fwhmMm;       // per point source, millimetres in-plane
  // What this result's missing figures read, e.g. why there are none; "" reads 「なし」.
  QString missing = {};
  std::vector<Named> recovery = {};     // per hot sphere
  std::vector<Named> axialFwhmMm = {};  // per point source, millimetres across the slices (NaN: one slice)
  double scatterFraction = std::numeric_limits<double>::quiet_NaN();  // of the data; NaN: no scatter

  // From the engine's figures (anything with nrmse, cv, crc[i].name/.crc, recovery[i].name/.rc
  // and fwhm[i].name/.fwhmMm/.axialFwhmMm), without this header needing the engine's; `label` names a
  // region or point source for the table (std::string -> QString).
  template <class Figures, class Label>
  static FigureSet from(const Figures& f, Label label) {
    FigureSet s;
    s.nrmse = f.nrmse;
    s.cv = f.cv;
    for (const auto& r : f.crc) s.crc.push_back({r.name, r.crc, label(r.name)});
    for (const auto& r : f.recovery) s.recovery.push_back({r.name, r.rc, label(r.name)});
    for (const auto& p : f.fwhm) {
      s.fwhmMm.push_back({p.name, p.fwhmMm, label(p.name)});
      s.axialFwhmMm.push_back({p.name, p.axialFwhmMm, label(p.name)});
    }
    return s;
  }
};

class FiguresTable : public QTableWidget {
  Q_OBJECT
 public:
  explicit FiguresTable(QWidget* parent = nullptr);

  // One column per result, titled (e.g. 「現在」 and 「比較」, or the methods; a line break
  // in a title splits the header, and is a blank in the CSV). Rows: NRMSE,
  // ノイズ CV, 散乱線含有率 when the data have scatter, CRC of each region, 回復係数 of each hot sphere, FWHM of each point source and,
  // when a result has one, its FWHM across the slices, in the first result's order
  // and then any the second adds; a figure a result lacks reads its set's `missing` text.
  void setFigures(const std::vector<FigureSet>& results, const QStringList& titles);
  void setFigures(const FigureSet& result, const QString& title = QStringLiteral("値"));
  void clearFigures();

  // The shown text of a cell and of a row's label (for tests and the runner).
  QString cellText(int row, int column) const;
  QString rowLabel(int row) const;

  // "figure,<title 1>[,<title 2>]", then one line per row: nrmse, cv, crc:<name>,
  // scatter_fraction, rc:<name>, fwhm_mm:<name>, fwhm_axial_mm:<name>, with the numbers in full (%.9g); a missing figure is an empty field.
  std::string toCsv() const;
  QString saveCsv(const QString& file) const;

  void setSaveName(const QString& name) { saveName_ = name; }
  QString saveName() const;
  QImage picture();  // as shown, one image pixel per widget pixel

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  struct Row {
    std::string key;  // nrmse, cv, crc:<name>, fwhm_mm:<name>
    QString label;
    int decimals;
    std::vector<double> values;  // one per column, NaN when missing
  };
  std::vector<Row> rows_;
  QStringList missing_;  // per column
  QStringList titles_;
  QString saveName_;
};

}  // namespace lumo::lab
