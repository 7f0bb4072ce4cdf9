#pragma once
// Pre-filter times reconstruction filter: for the chosen reconstruction filter (Ramp or
// Shepp-Logan) and one pre-filter, the filter alone, the pre-filter alone and their
// product accumulate on one plot.
#include "draw/Colors.h"
#include "screens/Screen.h"

namespace lumo {

namespace filters {
struct PreFilter;
}

class CDialog16 : public Screen {
 public:
  using Screen::Screen;
  Handlers handlers() override;
  ControlColour OnTitleColor(int id, ControlKind kind) const override;

  void OnDisplayButterworth();
  void OnDisplayHamming();
  void OnDisplayHanning();
  void OnDisplayGauss();
  void OnErase();
  void OnCancelToMenu();

 private:
  // The three curves of the checked reconstruction filter; nothing when neither is checked.
  void drawWithReconstructionFilter(draw::Surface& plot, const filters::PreFilter& filter,
                                    draw::Color rampCaseColour, draw::Color sheppLoganCaseColour);
};

}  // namespace lumo
