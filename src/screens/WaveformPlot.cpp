#include "screens/WaveformPlot.h"

namespace lumo::waveplot {

namespace {
constexpr double kFirstX = 50;
constexpr double kSampleStep = 4;
constexpr double kLastX = 303;
constexpr double kBaselines[] = {100, 180, 300};
}  // namespace

void drawBaselines(draw::Surface& s) {
  for (double y : kBaselines) {
    s.moveTo(kFirstX, y);
    s.lineTo(kLastX, y);
  }
}

void drawBorder(draw::Surface& s, int w, int h) {
  s.moveTo(0, 0);
  s.lineTo(0, h);
  s.moveTo(0, 0);
  s.lineTo(w, 0);
  s.moveTo(0, h);
  s.lineTo(w, h);
  s.moveTo(w, 0);
  s.lineTo(w, h);
}

void drawRow(draw::Surface& s, const model::Line& v, double y0, double scale) {
  for (std::size_t j = 0; j < v.size(); ++j) {
    const double x = kSampleStep * static_cast<double>(j) + kFirstX;
    const double y = y0 - scale * v[j];
    if (j == 0)
      s.moveTo(x, y);
    else
      s.lineTo(x, y);
  }
}

}  // namespace lumo::waveplot
