#pragma once
#include "screens/PointSourceScreen.h"

namespace lumo {

// The point-source reconstruction-filter effect: one or two sources back-projected with
// the wide and the narrow strip, and an explanation panel.
class CDialog8 : public PointSourceScreen {
 public:
  using PointSourceScreen::PointSourceScreen;
  Handlers handlers() override;
  void OnExplain();
  void OnNext();
  void OnBack();
  void OnCancelToMenu();
};

}  // namespace lumo
