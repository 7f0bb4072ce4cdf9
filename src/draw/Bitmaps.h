#pragma once
// The program's bitmap resources, loaded by id from the resources built into it.
#include <QImage>

namespace lumo::draw {

// The bitmap with that id, or a null image when the program carries none.
QImage loadBitmap(int id);

}  // namespace lumo::draw
