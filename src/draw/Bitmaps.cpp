#include "draw/Bitmaps.h"

#include <QString>

namespace lumo::draw {

QImage loadBitmap(int id) { return QImage(QStringLiteral(":/bitmaps/%1.bmp").arg(id)); }

}  // namespace lumo::draw
