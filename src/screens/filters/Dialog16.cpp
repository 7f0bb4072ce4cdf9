#include "screens/filters/Dialog16.h"

#include "model/Filters.h"
#include "screens/filters/CharacteristicPlot.h"

namespace lumo {

using namespace filters;
using draw::Color;
using draw::Surface;
namespace colors = draw::colors;

namespace {
constexpr int kRamp = 1015;
constexpr int kSheppLogan = 1016;
constexpr int kButterworthCutOff = 1010;
constexpr int kButterworthOrder = 1012;
constexpr int kHammingCutOff = 1013;
constexpr int kHanningCutOff = 1014;
constexpr int kGaussWidth = 1009;
constexpr int kTitleBand = 1036;

// The Ramp filter alone in whole pixels: (i * 300 * 10) / 640 in integer arithmetic,
// so the line climbs in steps of 4 or 5 pixels.
double rampRow(int i) { return 340 - (i * 300 * 10) / 640; }

// The pre-filter times the Ramp filter f = i * 10 / 640.
double rampProductRow(const PreFilter& filter, int i) {
  const double P = filter.response(i);
  if (filter.kind == PreFilterKind::Gauss) return 340 - (((P * i) * 10) / 640) * 300;
  return 340 - (((P * 300) * i) * 10) / 640;
}

double sheppLoganRow(int i) { return 340 - model::sheppLoganPixelsAt(i); }

double sheppLoganProductRow(const PreFilter& filter, int i) {
  return 340 - model::sheppLoganTimesPixelsAt(i, filter.response(i));
}

void drawRampCase(Surface& plot, const PreFilter& filter, Color preFilterColour) {
  drawCurve(plot, kLastGridIndex, rampRow);
  drawPreFilterCurve(plot, filter, preFilterColour);
  drawCurve(plot, colors::red, filter.last, [&filter](int i) { return rampProductRow(filter, i); });
}

void drawSheppLoganCase(Surface& plot, const PreFilter& filter, Color preFilterColour) {
  drawCurve(plot, kLastGridIndex, sheppLoganRow);
  drawPreFilterCurve(plot, filter, preFilterColour);
  drawCurve(plot, colors::red, filter.last,
            [&filter](int i) { return sheppLoganProductRow(filter, i); });
}
}  // namespace

Handlers CDialog16::handlers() {
  return {
      {1020, [this] { OnDisplayButterworth(); }},
      {1006, [this] { OnDisplayHamming(); }},
      {1003, [this] { OnDisplayHanning(); }},
      {1011, [this] { OnDisplayGauss(); }},
      {1021, [this] { OnErase(); }},
      {1030, [this] { OnCancelToMenu(); }},
  };
}

ControlColour CDialog16::OnTitleColor(int id, ControlKind kind) const {
  if (id == kTitleBand && kind == ControlKind::Static) return titleBand();
  return preFilterColouring(id, kind);
}

void CDialog16::drawWithReconstructionFilter(Surface& plot, const PreFilter& filter,
                                             Color rampCaseColour, Color sheppLoganCaseColour) {
  if (checked(kRamp))
    drawRampCase(plot, filter, rampCaseColour);
  else if (checked(kSheppLogan))
    drawSheppLoganCase(plot, filter, sheppLoganCaseColour);
}

// Here the order is checked too: an order below 0.01 draws the axes only.
void CDialog16::OnDisplayButterworth() {
  auto plot = frame(kPlotFrame);
  drawCharacteristicAxes(plot);
  const double fc = number(kButterworthCutOff);
  const double n = number(kButterworthOrder);
  if (!preFilterEntryInRange(fc) || !preFilterEntryInRange(n)) return;
  drawWithReconstructionFilter(plot, butterworthPreFilter(fc, n), colors::blue, colors::blue);
}

// Hamming is orange beside the Ramp filter and sky blue beside Shepp-Logan.
void CDialog16::OnDisplayHamming() {
  auto plot = frame(kPlotFrame);
  drawCharacteristicAxes(plot);
  const double fc = number(kHammingCutOff);
  if (!preFilterEntryInRange(fc)) return;
  drawWithReconstructionFilter(plot, hammingPreFilter(fc), colors::orange, colors::skyBlue);
}

void CDialog16::OnDisplayHanning() {
  auto plot = frame(kPlotFrame);
  drawCharacteristicAxes(plot);
  const double fc = number(kHanningCutOff);
  if (!preFilterEntryInRange(fc)) return;
  drawWithReconstructionFilter(plot, hanningPreFilter(fc), colors::purple, colors::purple);
}

void CDialog16::OnDisplayGauss() {
  auto plot = frame(kPlotFrame);
  drawCharacteristicAxes(plot);
  const double F = number(kGaussWidth);
  if (!preFilterEntryInRange(F)) return;
  drawWithReconstructionFilter(plot, gaussPreFilter(F), colors::springGreen, colors::springGreen);
}

void CDialog16::OnErase() {
  auto plot = frame(kPlotFrame);
  eraseCharacteristicPlot(plot);
}

void CDialog16::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
