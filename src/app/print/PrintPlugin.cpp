#include "app/print/PrintPlugin.h"

#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace lumo {

QString printPicture(const QImage& picture, QPrinter& printer) {
  if (picture.isNull()) return QStringLiteral("印刷する画像がありません");
  QPainter page;
  if (!page.begin(&printer)) return QStringLiteral("印刷を開始できません");
  const QRect area = page.viewport();
  QSize size = picture.size();
  size.scale(area.size(), Qt::KeepAspectRatio);
  const QRect target(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2,
                     size.width(), size.height());
  page.drawImage(target, picture);
  if (!page.end()) return QStringLiteral("印刷できませんでした");
  return {};
}

void PrintPlugin::print(QWidget* parent, const QImage& picture) {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, parent);
  if (dialog.exec() != QDialog::Accepted) return;
  QString error;
  if (picture.isNull()) {
    // A blank page: begun and ended with nothing drawn.
    QPainter page;
    error = page.begin(&printer) && page.end() ? QString() : QStringLiteral("印刷を開始できません");
  } else {
    error = printPicture(picture, printer);
  }
  if (!error.isEmpty()) QMessageBox::warning(parent, QStringLiteral("印刷"), error);
}

}  // namespace lumo
