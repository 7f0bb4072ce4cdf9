#pragma once
// Helpers of the lab's tests: waiting for the worker without blocking the event loop,
// and reading the lab's CSV files.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "lab/LabWindow.h"

namespace lumo::test {

// Processes events until `done` holds or the time is up; returns whether it held.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 60000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::usleep(200);
  }
  return true;
}

inline bool waitForResult(lab::LabWindow& lab, int timeoutMs = 60000) {
  return waitUntil([&] { return !lab.computing(); }, timeoutMs);
}

// The rows of a CSV file as numbers (a header line is skipped when `header`).
inline std::vector<std::vector<double>> readCsv(const QString& file, bool header = false,
                                                std::string* firstLine = nullptr) {
  QFile f(file);
  std::vector<std::vector<double>> rows;
  if (!f.open(QIODevice::ReadOnly)) return rows;
  bool first = true;
  while (!f.atEnd()) {
    const QByteArray line = f.readLine().trimmed();
    if (first && firstLine) *firstLine = line.toStdString();
    if (first && header) {
      first = false;
      continue;
    }
    first = false;
    if (line.isEmpty()) continue;
    std::vector<double> row;
    for (const QByteArray& cell : line.split(',')) {
      bool ok = false;
      const double v = cell.toDouble(&ok);  // QByteArray reads the C locale
      row.push_back(ok ? v : std::nan(""));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

inline double sum(const std::vector<std::vector<double>>& rows) {
  double s = 0;
  for (const auto& r : rows)
    for (double v : r) s += v;
  return s;
}

}  // namespace lumo::test
