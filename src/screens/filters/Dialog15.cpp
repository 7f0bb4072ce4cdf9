#include "screens/filters/Dialog15.h"

#include "screens/filters/CharacteristicPlot.h"

namespace lumo {

using namespace filters;
namespace colors = draw::colors;

namespace {
constexpr int kButterworthCutOff = 1010;
constexpr int kButterworthOrder = 1012;
constexpr int kHammingCutOff = 1013;
constexpr int kHanningCutOff = 1014;
constexpr int kGaussWidth = 1009;
constexpr int kTitleBand = 1036;
}  // namespace

Handlers CDialog15::handlers() {
  return {
      {1020, [this] { OnDisplayButterworth(); }},
      {1006, [this] { OnDisplayHamming(); }},
      {1003, [this] { OnDisplayHanning(); }},
      {1011, [this] { OnDisplayGauss(); }},
      {1021, [this] { OnErase(); }},
      {1030, [this] { OnCancelToMenu(); }},
  };
}

ControlColour CDialog15::OnTitleColor(int id, ControlKind kind) const {
  if (id == kTitleBand && kind == ControlKind::Static) return titleBand();
  return preFilterColouring(id, kind);
}

// Only the cut-off is checked: any order is drawn, 0 as the flat line at 0.5.
void CDialog15::OnDisplayButterworth() {
  auto plot = frame(kPlotFrame);
  drawCharacteristicAxes(plot);
  const double fc = number(kButterworthCutOff);
  const double n = number(kButterworthOrder);
  if (!preFilterEntryInRange(fc)) return;
  drawPreFilterCurve(plot, butterworthPreFilter(fc, n), colors::blue);
}

void CDialog15::OnDisplayHamming() {
  auto plot = frame(kPlotFrame);
  drawCharacteristicAxes(plot);
  const double fc = number(kHammingCutOff);
  if (!preFilterEntryInRange(fc)) return;
  drawPreFilterCurve(plot, hammingPreFilter(fc), colors::orange);
}

// The Hanning curve is purple, unlike its magenta label.
void CDialog15::OnDisplayHanning() {
  auto plot = frame(kPlotFrame);
  drawCharacteristicAxes(plot);
  const double fc = number(kHanningCutOff);
  if (!preFilterEntryInRange(fc)) return;
  drawPreFilterCurve(plot, hanningPreFilter(fc), colors::purple);
}

void CDialog15::OnDisplayGauss() {
  auto plot = frame(kPlotFrame);
  drawCharacteristicAxes(plot);
  const double F = number(kGaussWidth);
  if (!preFilterEntryInRange(F)) return;
  drawPreFilterCurve(plot, gaussPreFilter(F), colors::springGreen);
}

void CDialog15::OnErase() {
  auto plot = frame(kPlotFrame);
  eraseCharacteristicPlot(plot);
}

void CDialog15::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
