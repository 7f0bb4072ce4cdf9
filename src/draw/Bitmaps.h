#pragma once
// The clinical bitmaps and the toolbar strip, carried in the program as numbered
// resources (":/bitmaps/<id>.bmp").
#include <QImage>

namespace lumo::draw {

// The bitmap with resource number `id`, as stored (8-bit images keep their colour
// table); a null image when there is no such bitmap. Loaded once and then shared.
QImage loadBitmap(int id);

// A picture of a known format ("BMP", "PNG") from a file or resource, by Qt's built-in
// reader only: a null image when it cannot be read. Never asks the image format plugins,
// which Qt would otherwise load, every one, to ask whether the picture is theirs.
QImage readImage(const QString& path, const char* format);

}  // namespace lumo::draw
