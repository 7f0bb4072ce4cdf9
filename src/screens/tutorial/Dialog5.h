#pragma once
#include "screens/Screen.h"

namespace lumo {

// The reconstruction filter on a waveform: a projection waveform, the Ramp kernel and
// their convolution, with an explanation panel beside the plot.
class CDialog5 : public Screen {
 public:
  using Screen::Screen;
  Handlers handlers() override;
  ControlColour OnTitleColor(int id, ControlKind kind) const override;

  void OnDisplay();
  void OnErase();
  void OnExplain();
  void OnOperationHelp();
  void OnNext();
  void OnBack();
  void OnCancelToMenu();
};

}  // namespace lumo
