#include "screens/workbench/PageA1.h"

#include <cmath>

#include "model/Filters.h"

namespace lumo {

namespace {

using draw::Surface;
namespace colors = draw::colors;

void line(Surface& s, double x0, double y0, double x1, double y1) {
  s.moveTo(x0, y0);
  s.lineTo(x1, y1);
}

// Line-spread plot: distance at 64 pixels per cm with 0 at x = 140, height at 100 pixels
// per cm^-1 with 0 at y = 200. The distance labels give the magnitude on both sides.
void drawSpreadAxes(Surface& s) {
  line(s, 30, 200, 270, 200);
  line(s, 140, 10, 140, 200);
  for (int x : {204, 172, 108, 76}) line(s, x, 200, x, 195);  // +1, +0.5, -0.5, -1 cm
  s.textOut(196, 205, "1.0");
  s.textOut(137, 205, "0");
  s.textOut(68, 205, "1.0");
  s.textOut(230, 210, "(cm)");
  s.textOut(20, 30, "FWHM");
}

// MTF plot: frequency at 96 pixels per cycle/cm with 0 at x = 50, MTF 1 at 150 pixels
// above the axis at y = 200.
void drawMtfAxes(Surface& s) {
  line(s, 30, 200, 250, 200);
  line(s, 50, 200, 50, 40);
  for (int x : {98, 146, 194, 242}) line(s, x, 200, x, 195);  // 0.5 .. 2.0 cycles/cm
  line(s, 50, 125, 55, 125);                                     // MTF 0.5
  line(s, 50, 50, 55, 50);                                       // MTF 1.0
  s.textOut(20, 45, "1.0");
  s.textOut(138, 205, "1.0");
  s.textOut(40, 205, "0.0");
  s.textOut(180, 210, "(cycles/cm)");
  s.textOut(130, 30, "MTF");
}

}  // namespace

Handlers CPageA1::handlers() {
  return {
      {kDisplay, [this] { OnDisplay(); }},
      {kErase, [this] { OnErase(); }},
  };
}

ControlColour CPageA1::OnTitleColor(int id, ControlKind kind) const {
  if (id == kTitle && kind == ControlKind::Static) return titleBand();
  return {};
}

// The page would hide the sheet's OK and Cancel buttons here; our sheet is built without
// them, so there is nothing left to hide.
void CPageA1::OnInitDialog() {}

void CPageA1::OnDisplay() {
  Surface spread = frame(kSpreadFrame);
  spread.setBkColor(colors::silver);
  drawSpreadAxes(spread);

  Surface mtf = frame(kMtfFrame);
  mtf.setBkColor(colors::silver);
  drawMtfAxes(mtf);

  // An infinite width ("1e999") is not a collimator either: it would turn the MTF's
  // 0 * w * w at f = 0 into NaN.
  const double w = number(kFwhm);
  if (!(w >= kMinFwhm) || !std::isfinite(w)) return;

  // Unit-area Gaussian of FWHM w over d = i / 32 cm, i = -63..63, two pixels per step.
  spread.setPen(colors::red);
  const double peak = 100 * model::gaussianPsfHeight(w);
  for (int i = -63; i <= 63; ++i) {
    const double x = 140 + 2 * i;
    const double y = 200 - peak * model::gaussianPsfShape(i, w);
    if (i == -63)
      spread.moveTo(x, y);
    else
      spread.lineTo(x, y);
  }

  // Its MTF over f = i / 32 cycles/cm, i = 0..63, three pixels per step.
  mtf.setPen(colors::blue);
  for (int i = 0; i <= 63; ++i) {
    const double x = 50 + 3 * i;
    const double y = 200 - 150 * model::gaussianMtfAt(i, w);
    if (i == 0)
      mtf.moveTo(x, y);
    else
      mtf.lineTo(x, y);
  }
}

void CPageA1::OnErase() {
  Surface spread = frame(kSpreadFrame);
  spread.fillClient(colors::silver);
  drawSpreadAxes(spread);

  Surface mtf = frame(kMtfFrame);
  mtf.fillClient(colors::silver);
  drawMtfAxes(mtf);
}

}  // namespace lumo
