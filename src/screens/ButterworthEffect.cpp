#include "screens/ButterworthEffect.h"

#include <cmath>

#include "model/Waveforms.h"
#include "screens/WaveformPlot.h"

namespace lumo::bweffect {

namespace {

constexpr int kOutline = 368;
constexpr double kMinimumSetting = 0.01;

void fillAndOutline(draw::Surface& s) {
  s.fillClient(draw::colors::lightYellow);
  s.setPen(draw::colors::black);
  waveplot::drawBorder(s, kOutline, kOutline);
}

void drawLabels(draw::Surface& s) {
  s.setDefaultFont();
  s.setTextColor(draw::colors::black);
  s.textOut(10, 60, " Projection");
  s.textOut(10, 150, " Ramp");
  s.textOut(10, 270, " S&L");
}

// The waveform at 100 - w, its Ramp-filtered line at 180 - 10 out and its
// Shepp-Logan-filtered line at 300 - 10 out, all in one pen.
void drawRows(draw::Surface& s, const model::Line& w, draw::Color pen) {
  s.setPen(pen);
  waveplot::drawRow(s, w, 100, 1);
  waveplot::drawRow(s, model::convolve(w, model::rampKernelTable()), 180, 10);
  waveplot::drawRow(s, model::convolve(w, model::sheppLoganKernelTable()), 300, 10);
}

}  // namespace

void drawEmptyPlot(draw::Surface& s) {
  fillAndOutline(s);
  waveplot::drawBaselines(s);
  drawLabels(s);
}

bool butterworthOn(const Entries& e) {
  return std::isfinite(e.cutOff) && std::isfinite(e.order) && e.cutOff > kMinimumSetting &&
         e.order > kMinimumSetting && e.butterworthTicked;
}

model::Line smoothed(const model::Line& w, double cutOff, double order) {
  return model::convolve(w, model::butterworthKernel(cutOff, order));
}

void drawDisplay(draw::Surface& s, const Entries& e, bool markWaveform2) {
  fillAndOutline(s);
  if (e.waveform != 1 && e.waveform != 2) return;  // nothing to filter: the frame stays empty

  waveplot::drawBaselines(s);
  if (e.waveform == 2 && markWaveform2) {
    s.setPen(draw::colors::blue);
    s.moveTo(10, 20);
    s.lineTo(50, 20);
  }
  const model::Line w = model::testWaveform(e.waveform, e.noise);
  drawLabels(s);

  drawRows(s, w, draw::colors::blue);
  if (butterworthOn(e)) drawRows(s, smoothed(w, e.cutOff, e.order), draw::colors::red);
}

}  // namespace lumo::bweffect

namespace lumo {

namespace {
constexpr int kTitle = 1002;
constexpr int kPlot = 1007;
constexpr int kNoise = 1009;
constexpr int kCutOff = 1010;
constexpr int kOrder = 1012;
constexpr int kWaveform1 = 1015;
constexpr int kWaveform2 = 1016;
constexpr int kButterworth = 1029;
}  // namespace

ControlColour ButterworthEffectScreen::OnTitleColor(int id, ControlKind kind) const {
  if (kind == ControlKind::Static && id == kTitle) return titleBand();
  if (kind == ControlKind::Edit && (id == kOrder || id == kCutOff)) return {draw::colors::red, {}};
  if (kind == ControlKind::Edit && id == kNoise) return {draw::colors::blue, {}};
  return {};
}

void ButterworthEffectScreen::OnErase() {
  draw::Surface plot = frame(kPlot);
  bweffect::drawEmptyPlot(plot);
}

bweffect::Entries ButterworthEffectScreen::readEntries() const {
  bweffect::Entries e;
  e.waveform = checked(kWaveform1) ? 1 : checked(kWaveform2) ? 2 : 0;
  e.noise = number(kNoise);
  e.cutOff = number(kCutOff);
  e.order = number(kOrder);
  e.butterworthTicked = checked(kButterworth);
  return e;
}

void ButterworthEffectScreen::display(const bweffect::Entries& e, bool markWaveform2) {
  draw::Surface plot = frame(kPlot);
  bweffect::drawDisplay(plot, e, markWaveform2);
}

}  // namespace lumo
