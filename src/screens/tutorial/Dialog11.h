#pragma once
#include "screens/Screen.h"

namespace lumo {

// How the cut-off of an order-8 Butterworth pre-filter changes clinical images: the
// prepared smoothed projection and slice of the chosen setting, and the filter's response
// added to a plot that keeps the curves of earlier choices.
class CDialog11 : public Screen {
 public:
  using Screen::Screen;
  Handlers handlers() override;
  ControlColour OnTitleColor(int id, ControlKind kind) const override;

  void OnExplain();
  void OnApplyFilter();
  void OnNext();
  void OnBack();
  void OnCancelToMenu();
};

}  // namespace lumo
