#include "lab/CsvFile.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <charconv>
#include <cmath>

namespace lumo::lab {

std::string csvNumber(double v) {
  if (std::isnan(v)) return {};
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char buf[32];
  // to_chars never looks at the locale; general format with precision 9 is %.9g.
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 9);
  return std::string(buf, r.ptr);
}

std::string csvField(const std::string& utf8) {
  if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false, any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
      continue;
    }
    any = true;
    if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
    } else if (c == '\n') {
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
      any = false;
    } else if (c != '\r') {
      field += c;
    }
  }
  if (any || !field.empty() || !row.empty()) {
    row.push_back(std::move(field));
    rows.push_back(std::move(row));
  }
  return rows;
}

QString saveCsv(const std::string& text, const QString& file) {
  if (file.isEmpty()) return QStringLiteral("ファイル名がありません");
  QString path = file;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
  const QFileInfo info(path);
  if (!info.absoluteDir().exists()) return QStringLiteral("フォルダ「%1」がありません").arg(info.absolutePath());
  if (info.isDir()) return QStringLiteral("「%1」に書き込めません").arg(info.absoluteFilePath());
  QSaveFile out(info.absoluteFilePath());
  if (!out.open(QIODevice::WriteOnly) ||
      out.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) || !out.commit())
    return QStringLiteral("「%1」に書き込めません").arg(info.absoluteFilePath());
  return {};
}

bool askToSaveCsv(QWidget* parent, const std::string& text, const QString& name) {
  const QString file = QFileDialog::getSaveFileName(parent, QStringLiteral("CSVで保存"),
                                                    QDir::home().filePath(name + QStringLiteral(".csv")),
                                                    QStringLiteral("CSV ファイル (*.csv)"));
  if (file.isEmpty()) return false;
  const QString error = saveCsv(text, file);
  if (!error.isEmpty()) {
    QMessageBox::warning(parent, QStringLiteral("CSVで保存"), error);
    return false;
  }
  return true;
}

}  // namespace lumo::lab
