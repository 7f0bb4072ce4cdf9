#include "app/ClassicStyle.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace lumo {

namespace {

// Two chevrons pointing right (or down): "more buttons than fit".
QIcon extensionArrows(bool down) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setPen(Qt::black);
  for (int chevron : {4, 8}) {
    for (int i = 0; i < 4; ++i) {
      // Each chevron is two strokes of four pixels meeting at its tip.
      const QPoint a(chevron + i, 4 + i), b(chevron + i, 11 - i);
      p.drawPoint(down ? a.transposed() : a);
      p.drawPoint(down ? b.transposed() : b);
    }
  }
  return QIcon(pixmap);
}

}  // namespace

ClassicStyle::ClassicStyle() : QProxyStyle(QStringLiteral("Windows")) {}

QIcon ClassicStyle::standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const {
  if (icon == SP_ToolBarHorizontalExtensionButton) return extensionArrows(false);
  if (icon == SP_ToolBarVerticalExtensionButton) return extensionArrows(true);
  return QProxyStyle::standardIcon(icon, option, widget);
}

}  // namespace lumo
