#pragma once
// Pre-filter frequency characteristics: the responses of Butterworth, Hamming, Hanning
// and Gauss accumulate on one plot, each filter in its own colour.
#include "screens/Screen.h"

namespace lumo {

class CDialog15 : public Screen {
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
};

}  // namespace lumo
