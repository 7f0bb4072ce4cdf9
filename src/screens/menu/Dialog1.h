#pragma once
#include "screens/Screen.h"

namespace lumo {

// The main menu: the hub from which the five studies open.
class CDialog1 : public Screen {
 public:
  using Screen::Screen;
  Handlers handlers() override;
  ControlColour OnTitleColor(int id, ControlKind kind) const override;

  void OnQuit();
  void OnTutorial();
  void OnPreFilterStudy();
  void OnCombinedFilterStudy();
  void OnWienerStudy();
  void OnWorkbench();
};

}  // namespace lumo
