#include "screens/workbench/PageA1.h"

#include <cmath>

#include "model/Filters.h"

namespace lumo {

namespace {

using draw::Surface;
namespace colors = draw::colors;

// Line-spread plot: distance at 64 pixels per cm with 0 at x = 140, height at 100 pixels
// per cm^-1 with 0 at y = 200. The distance labels give the magnitude on both sides.
void drawSpreadAxes(Surface& s) {
  s.line(30, 200, 270, 200);
  s.line(140, 10, 140, 200);
  for (int x : {204, 172, 108, 76}) s.line(x, 200, x, 195);  // +1, +0.5, -0.5, -1 cm
  s.textOut(196, 205, "1.0");
  s.textOut(137, 205, "0");
  s.textOut(68, 205, "1.0");
  s.textOut(230, 210, "(cm)");
  s.textOut(20, 30, "FWHM");
}

// MTF plot: frequency at 96 pixels per cycle/cm with 0 at x = 50, MTF 1 at 150 pixels
// above the axis at y = 200.
void drawMtfAxes(Surface& s) {
  s.line(30, 200, 250, 200);
  s.line(50, 200, 50, 40);
  for (int x : {98, 146, 194, 242}) s.line(x, 200, x, 195);  // 0.5 .. 2.0 cycles/cm
  s.line(50, 125, 55, 125);                                     // MTF 0.5
  s.line(50, 50, 55, 50);                                       // MTF 1.0
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
  draw::Polyline spreadCurve(spread);
  for (int i = -63; i <= 63; ++i) spreadCurve.to(140 + 2 * i, 200 - peak * model::gaussianPsfShape(i, w));

  // Its MTF over f = i / 32 cycles/cm, i = 0..63, three pixels per step.
  mtf.setPen(colors::blue);
  draw::Polyline mtfCurve(mtf);
  for (int i = 0; i <= 63; ++i) mtfCurve.to(50 + 3 * i, 200 - 150 * model::gaussianMtfAt(i, w));
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
