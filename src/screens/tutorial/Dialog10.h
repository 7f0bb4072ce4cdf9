#pragma once
#include "screens/Screen.h"

namespace lumo {

// A clinical projection beside the noisy slice reconstructed from such projections with
// the Ramp filter alone, with the text that leads on to the Butterworth pre-filter.
class CDialog10 : public Screen {
 public:
  using Screen::Screen;
  Handlers handlers() override;
  ControlColour OnTitleColor(int id, ControlKind kind) const override;

  void OnExplain();
  void OnNext();
  void OnBack();
  void OnCancelToMenu();
};

}  // namespace lumo
