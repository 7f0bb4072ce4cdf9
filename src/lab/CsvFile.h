#pragma once
// The lab's numbers as CSV for a teacher's spreadsheet: numbers in the C locale with nine
// significant digits (printf's %.9g whatever the user's locale), a field that has no
// value (NaN) left empty, lines ending in "\n", UTF-8.
#include <QString>
#include <string>
#include <vector>

class QWidget;

namespace lumo::lab {

// One number as %.9g in the C locale; "" for NaN, "inf" / "-inf" for the infinities.
std::string csvNumber(double v);
// A field that needs it quoted (a comma, quote or line break in it).
std::string csvField(const std::string& utf8);

// Reads a CSV text back: one vector of fields per line (quotes undone). For tests and
// for checking an export.
std::vector<std::vector<std::string>> parseCsv(const std::string& text);

// Writes `text` to `file` (a name without suffix gets ".csv") in one piece: a failure
// leaves no half-written file. Returns "" on success, else a message saying what went wrong.
QString saveCsv(const std::string& text, const QString& file);
// 「CSVで保存...」 after its menu entry was chosen: asks for a file (in the home folder,
// `name`.csv offered) and writes `text` there; a failure is shown in a warning.
bool askToSaveCsv(QWidget* parent, const std::string& text, const QString& name);

}  // namespace lumo::lab
