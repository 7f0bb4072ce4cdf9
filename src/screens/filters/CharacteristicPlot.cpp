#include "screens/filters/CharacteristicPlot.h"

#include <cmath>

#include "model/Filters.h"

namespace lumo::filters {

using draw::Color;
using draw::Surface;
namespace colors = draw::colors;

double columnOf(int i) { return 10 * i + 30; }

double responseRow(double v) { return 340 - v * 300; }

void drawCharacteristicAxes(Surface& plot) {
  plot.setBkColor(colors::silver);

  // frequency axis and response axis
  plot.moveTo(30, 340);
  plot.lineTo(350, 340);
  plot.moveTo(30, 20);
  plot.lineTo(30, 340);
  // response 1.0 and 0.5
  plot.moveTo(30, 40);
  plot.lineTo(35, 40);
  plot.moveTo(30, 190);
  plot.lineTo(35, 190);
  // 0.5 cycles/pixel, and an unlabelled tick near 0.25
  plot.moveTo(350, 340);
  plot.lineTo(350, 335);
  plot.moveTo(192, 340);
  plot.lineTo(192, 335);

  plot.textOut(5, 33, "1.0");
  plot.textOut(5, 180, "0.5");
  plot.textOut(5, 340, "0.0");
  plot.textOut(340, 348, "0.5");
  plot.textOut(150, 348, "frequency(cycles/pixel)");
}

void eraseCharacteristicPlot(Surface& plot) {
  plot.fillClient(colors::silver);
  drawCharacteristicAxes(plot);
}

void drawCurve(Surface& plot, int last, const std::function<double(int)>& rowOf) {
  draw::Polyline curve(plot);
  for (int i = 0; i <= last; ++i) curve.to(columnOf(i), rowOf(i));
}

void drawCurve(Surface& plot, Color colour, int last, const std::function<double(int)>& rowOf) {
  const Color previous = plot.pen();
  plot.setPen(colour);
  drawCurve(plot, last, rowOf);
  plot.setPen(previous);
}

bool atLeast(double value, double minimum) { return std::isfinite(value) && value >= minimum; }

int lastIndexWithinCutOff(double fc) {
  int last = 0;
  while (last < kLastGridIndex && static_cast<double>(last + 1) <= 64 * fc) ++last;
  return last;
}

PreFilter butterworthPreFilter(double fc, double n) {
  return {PreFilterKind::Butterworth, [fc, n](int i) { return model::butterworthAt(i, fc, n); },
          kLastGridIndex};
}

PreFilter hammingPreFilter(double fc) {
  return {PreFilterKind::Hamming, [fc](int i) { return model::hammingAt(i, fc); },
          lastIndexWithinCutOff(fc)};
}

PreFilter hanningPreFilter(double fc) {
  return {PreFilterKind::Hanning, [fc](int i) { return model::hanningAt(i, fc); },
          lastIndexWithinCutOff(fc)};
}

PreFilter gaussPreFilter(double F) {
  return {PreFilterKind::Gauss, [F](int i) { return model::gaussianAt(i, F); }, kLastGridIndex};
}

void drawPreFilterCurve(Surface& plot, const PreFilter& filter, Color colour) {
  drawCurve(plot, colour, filter.last, [&filter](int i) { return responseRow(filter.response(i)); });
}

ControlColour preFilterColouring(int id, ControlKind kind) {
  if (kind == ControlKind::Edit) {
    switch (id) {
      case 1010:
      case 1012:
        return {colors::blue, std::nullopt};
      case 1013:
        return {colors::orange, std::nullopt};
      case 1014:
        return {colors::magenta, std::nullopt};
      case 1009:
        return {colors::springGreen, std::nullopt};
      default:
        return {};
    }
  }
  switch (id) {
    case 1001:
      return {colors::white, colors::blue};
    case 1032:
      return {colors::white, colors::orange};
    case 1033:
      return {colors::white, colors::magenta};
    case 1002:
      return {colors::white, colors::springGreen};
    default:
      return {};
  }
}

}  // namespace lumo::filters
