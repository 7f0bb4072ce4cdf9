#include "draw/Bitmaps.h"

#include <QImageReader>
#include <QString>
#include <map>
#include <mutex>

namespace lumo::draw {

QImage loadBitmap(int id) {
  static std::mutex mutex;
  static std::map<int, QImage> cache;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = cache.find(id);
  if (it != cache.end()) return it->second;
  const QImage image = readImage(QStringLiteral(":/bitmaps/%1.bmp").arg(id), "BMP");
  cache.emplace(id, image);
  return image;
}

QImage readImage(const QString& path, const char* format) {
  QImageReader reader(path, format);
  reader.setAutoDetectImageFormat(false);
  return reader.read();
}

}  // namespace lumo::draw
