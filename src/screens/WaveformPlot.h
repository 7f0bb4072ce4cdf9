#pragma once
// The plot of the waveform screens (CDialog5, CDialog13, CPageA3): three rows of
// 64-sample lines, one sample every 4 pixels from x = 50, each row hanging from its
// baseline at y = 100, 180 or 300 (pixel set-up, y downward).
#include "draw/Surface.h"
#include "model/Filters.h"

namespace lumo::waveplot {

// The baselines of the three rows, (50, y) -> (303, y) for y = 100, 180, 300, in the
// current pen.
void drawBaselines(draw::Surface& s);

// A frame outline of four lines: (0, 0) -> (0, h), (0, 0) -> (w, 0), (0, h) -> (w, h),
// (w, 0) -> (w, h), in the current pen.
void drawBorder(draw::Surface& s, int w, int h);

// A polyline in the current pen through (4j + 50, y0 - scale * v[j]) for j = 0..63;
// the y values are truncated toward zero by the surface.
void drawRow(draw::Surface& s, const model::Line& v, double y0, double scale);

}  // namespace lumo::waveplot
