#pragma once
// The Butterworth-effect plot shared by the tutorial's last screen (CDialog13) and the
// workbench page CPageA3: a test waveform and its Ramp- and Shepp-Logan-filtered lines in
// blue, and, with the Butterworth filter on, the same three rows in red for the waveform
// smoothed first. Frame 1007 of both screens, pixel set-up, 368-pixel outline.
#include "draw/Surface.h"
#include "model/Filters.h"
#include "screens/Screen.h"

namespace lumo::bweffect {

// What one display press works from; the screens apply their own noise guards.
struct Entries {
  int waveform = 0;  // 1 or 2; 0 when the press has no waveform to work on
  double noise = 0;  // percent
  double cutOff = 0;  // cycles/pixel
  double order = 0;
  bool butterworthTicked = false;
};

// The empty plot: light-yellow fill, outline, baselines and the row labels.
void drawEmptyPlot(draw::Surface& s);

// One display press. Fill and outline always; with a waveform the baselines, the labels
// and the blue rows, then the red rows when butterworthOn(). With markWaveform2 a short
// blue line at the top left marks waveform 2.
void drawDisplay(draw::Surface& s, const Entries& e, bool markWaveform2);

// The Butterworth rows are drawn only for a cut-off and an order above 0.01 (finite)
// and the check box ticked.
bool butterworthOn(const Entries& e);

// The waveform smoothed by the Butterworth kernel of that cut-off and order.
model::Line smoothed(const model::Line& w, double cutOff, double order);

}  // namespace lumo::bweffect

namespace lumo {

// The twin screens' common part: their controls share ids (frame 1007, waveform radio
// buttons 1015 / 1016, noise 1009, cut-off 1010, order 1012, check box 1029), their
// colouring and their erase; each applies its own noise guard in OnDisplay.
class ButterworthEffectScreen : public Screen {
 public:
  using Screen::Screen;
  // Title band 1002 white on title blue; red text in the order and cut-off edits, blue
  // in the noise edit.
  ControlColour OnTitleColor(int id, ControlKind kind) const override;
  void OnErase();

 protected:
  // The entries as typed, with the chosen waveform (0 for none) before any noise guard.
  bweffect::Entries readEntries() const;
  void display(const bweffect::Entries& e, bool markWaveform2);
};

}  // namespace lumo
