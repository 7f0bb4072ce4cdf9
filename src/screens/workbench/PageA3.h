#pragma once
#include "screens/ButterworthEffect.h"

namespace lumo {

// Workbench page "BWフィルタ効果": the Butterworth-effect experiment of the tutorial's
// last screen, without navigation; a negative noise percentage is refused here.
class CPageA3 : public ButterworthEffectScreen {
 public:
  using ButterworthEffectScreen::ButterworthEffectScreen;
  Handlers handlers() override;

  void OnDisplay();
};

}  // namespace lumo
