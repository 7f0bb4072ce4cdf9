#pragma once
// The clinical bitmaps and the toolbar strip, carried in the program as numbered
// resources (":/bitmaps/<id>.bmp").
#include <QImage>

namespace lumo::draw {

// The bitmap with resource number `id`, as stored (8-bit images keep their colour
// table); a null image when there is no such bitmap. Loaded once and then shared.
QImage loadBitmap(int id);

}  // namespace lumo::draw
