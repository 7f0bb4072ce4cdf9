#pragma once
#include "screens/Screen.h"

namespace lumo {

// The tutorial's point source: a central point back-projected at a typed angle step shows
// the star of lines that simple back-projection leaves around it.
class CDialog4 : public Screen {
 public:
  using Screen::Screen;
  Handlers handlers() override;
  ControlColour OnTitleColor(int id, ControlKind kind) const override;
  void OnBackProject();
  void OnNext();
  void OnBack();
  void OnCancelToMenu();
};

}  // namespace lumo
