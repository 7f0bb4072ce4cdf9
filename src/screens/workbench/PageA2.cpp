#include "screens/workbench/PageA2.h"

#include <cmath>
#include <cstdlib>

#include "model/Filters.h"

namespace lumo {

namespace {

using draw::Surface;
namespace colors = draw::colors;

// Frequency plot: 6 pixels per 1/64 cycle/pixel from x = 30, response 1 at 100 pixels
// above the axis at y = 230.
void drawFrequencyFurniture(Surface& s) {
  s.setBkColor(colors::silver);
  s.line(30, 230, 240, 230);
  s.line(30, 100, 30, 230);
  s.line(30, 130, 35, 130);  // response 1.0
  s.textOut(5, 123, "1.0");
  s.textOut(215, 235, "0.5");
  s.textOut(50, 245, "frequency(cycles/pixel)");
  s.textOut(90, 10, "周波数特性");
}

// Real-space plot: 10 pixels per pixel offset with offset 0 at x = 130; a tick at every
// offset from -10 to +11 but 0.
void drawRealFurniture(Surface& s) {
  s.setBkColor(colors::silver);
  s.line(30, 230, 240, 230);
  s.line(130, 50, 130, 230);
  for (int x = 30; x <= 240; x += 10)
    if (x != 130) s.line(x, 230, x, 225);
  s.textOut(30, 245, "pixel");
  s.textOut(210, 245, "pixel");
  s.textOut(90, 10, "実空間分布");
}

// The frequency plot's polyline through (30 + 6 i, 230 - scale * v[i]), i = 0 .. count - 1.
void plot(Surface& s, const model::Line& v, int count, double scale) {
  draw::Polyline curve(s);
  for (int i = 0; i < count; ++i) curve.to(30 + 6 * i, 230 - scale * v[static_cast<std::size_t>(i)]);
}

}  // namespace

Handlers CPageA2::handlers() {
  return {
      {kDisplay, [this] { OnDisplay(); }},
      {kDisplayLowpass, [this] { OnDisplayLowpass(); }},
      {kErase, [this] { OnErase(); }},
  };
}

ControlColour CPageA2::OnTitleColor(int id, ControlKind kind) const {
  if (id == kTitle && kind == ControlKind::Static) return titleBand();
  return {};
}

void CPageA2::OnDisplay() {
  Surface freq = frame(kFrequencyFrame);
  drawFrequencyFurniture(freq);
  Surface real = frame(kRealFrame);
  drawRealFurniture(real);

  const double fc = number(kCutoff);
  const double n = number(kOrder);
  if (!(fc > 0.01) || !(n > 0.01) || !std::isfinite(fc) || !std::isfinite(n)) return;

  // The response over f = i / 64, i = 0..32.
  model::Line response{};
  for (int i = 0; i <= 32; ++i) response[static_cast<std::size_t>(i)] = model::butterworth(i / 64.0, fc, n);
  freq.setPen(colors::blue);
  plot(freq, response, 33, 100);

  // Its real-space kernel: the unnormalised cosine synthesis of the mirrored spectrum,
  // drawn over offsets -12..12 at 5 pixels per unit.
  const model::Line kernel = model::cosineSynthesis64(model::mirroredButterworthLower32(fc, n));
  real.setPen(colors::red);
  for (int j = -12; j <= 12; ++j) {
    const double x = 130 + 10 * j;
    const double y = 230 - 5 * kernel[static_cast<std::size_t>(std::abs(j))];
    if (j == -12)
      real.moveTo(x, y);
    else
      real.lineTo(x, y);
  }
}

void CPageA2::OnDisplayLowpass() {
  Surface freq = frame(kFrequencyFrame);
  drawFrequencyFurniture(freq);
  Surface real = frame(kRealFrame);
  drawRealFurniture(real);

  const double a0 = number(kCentre);
  const double am = number(kMinus);
  const double ap = number(kPlus);
  const double sum = a0 + am + ap;
  // A kernel summing to 0 cannot be normalised, and an infinite entry gives no number.
  if (sum == 0 || !std::isfinite(sum) || !std::isfinite(a0) || !std::isfinite(am) ||
      !std::isfinite(ap))
    return;

  // The kernel as a 64-entry line: offset 0 at index 0, the "-1" value at 1 and the "１"
  // value at 63, normalised to sum 1.
  model::Line K{};
  K[0] = a0;
  K[1] = am;
  K[63] = ap;
  for (double& v : K) v /= sum;

  real.setPen(colors::red);
  if (K[0] > 0 && K[1] > 0 && K[63] > 0) {
    real.line(130, 230, 130, 230 - 200 * K[0]);
    real.line(140, 230, 140, 230 - 200 * K[1]);
    real.line(120, 230, 120, 230 - 200 * K[63]);
  }

  // The range of the response follows the typed values: a centre at least twice each
  // neighbour shows the whole band, a centre no smaller than its neighbours stops at
  // 21/64 cycle/pixel, anything else shows none.
  int points = 0;
  if (a0 >= 2 && am >= 1 && am <= a0 / 2 && ap >= 1 && ap <= a0 / 2)
    points = 33;
  else if (a0 > 0 && am > 0 && am <= a0 && ap > 0 && ap <= a0)
    points = 22;
  if (points == 0) return;

  const model::Line response = model::cosineSynthesis64(K);
  freq.setPen(colors::blue);
  plot(freq, response, points, 100);
}

void CPageA2::OnErase() {
  Surface freq = frame(kFrequencyFrame);
  freq.fillClient(colors::silver);
  drawFrequencyFurniture(freq);
  Surface real = frame(kRealFrame);
  real.fillClient(colors::silver);
  drawRealFurniture(real);
}

}  // namespace lumo
