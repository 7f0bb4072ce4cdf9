#pragma once
// The lab's numbers as CSV, in the C locale whatever the user's locale:
//   truth, slice, error   N lines of N numbers (row 0 first)
//   sinogram              V lines of N numbers, view 0 first
//   metrics               iteration,loglikelihood,nrmse,cv,crc then one line per
//                         iteration (a single line with iteration 0 for FBP)
//   profile               sample,slice,truth (and kept when comparing)
//   convergence           iteration,nrmse,cv,fbp_nrmse,fbp_cv
//   figures               the figures table as shown: figure,<column title> (a second
//                         column when comparing), then nrmse, cv, crc:<region>,
//                         fwhm_mm:<point source> (lab/FiguresTable.h)
// Numbers carry nine significant digits ("%.9g"); a value that is not available is left
// empty (lab/CsvFile.h).
#include <QString>
#include <string>
#include <vector>

#include "lab/CsvFile.h"

namespace lumo::lab {

class LabWindow;
struct LabResult;


// The CSV text of one of the kinds above, "" with `error` set when there is nothing to
// write (no result yet, an unknown kind).
std::string csvText(const LabWindow& lab, const std::string& what, QString* error);
// Writes it to `file`; returns "" or a message saying what went wrong.
QString exportCsv(const LabWindow& lab, const std::string& what, const QString& file);
const std::vector<std::string>& csvKinds();

}  // namespace lumo::lab
