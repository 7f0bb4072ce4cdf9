#pragma once
// The lab's numbers as CSV, in the C locale whatever the user's locale:
//   truth, slice, error   N lines of N numbers (row 0 first)
//   sinogram              V lines of N numbers, view 0 first
//   metrics               iteration,loglikelihood,nrmse,cv,crc then one line per
//                         iteration (a single line with iteration 0 for FBP)
//   profile               sample,slice,truth (and kept when comparing)
//   convergence           iteration,nrmse,cv,fbp_nrmse,fbp_cv
//   figures               figure,current (and kept when comparing)
// Numbers carry nine significant digits ("%.9g"); a value that is not available is "nan".
#include <QString>
#include <string>
#include <vector>

namespace lumo::lab {

class LabWindow;
struct LabResult;

std::string csvNumber(double v);

// One row of the figures-of-merit table.
struct FigureRow {
  QString name;        // Japanese, as the table shows it
  std::string key;     // for CSV: nrmse, cv, crc:<region>, fwhm:<source>
  double current = 0, kept = 0;
  int decimals = 3;
};
std::vector<FigureRow> figureRows(const LabResult* current, const LabResult* kept);

// The CSV text of one of the kinds above, "" with `error` set when there is nothing to
// write (no result yet, an unknown kind).
std::string csvText(const LabWindow& lab, const std::string& what, QString* error);
// Writes it to `file`; returns "" or a message saying what went wrong.
QString exportCsv(const LabWindow& lab, const std::string& what, const QString& file);
const std::vector<std::string>& csvKinds();

}  // namespace lumo::lab
