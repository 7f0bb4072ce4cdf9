#pragma once
#include "screens/ButterworthEffect.h"

namespace lumo {

// The tutorial's last screen: the Butterworth pre-filter's effect on a test waveform
// before Ramp and Shepp-Logan filtering.
class CDialog13 : public ButterworthEffectScreen {
 public:
  using ButterworthEffectScreen::ButterworthEffectScreen;
  Handlers handlers() override;

  void OnDisplay();
  void OnCancelToMenu();
  void OnBack();
};

}  // namespace lumo
