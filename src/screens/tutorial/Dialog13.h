#pragma once
#include "screens/Screen.h"

namespace lumo {

class CDialog13 : public Screen {
 public:
  using Screen::Screen;
  Handlers handlers() override;
  void OnCancelToMenu();
  void OnBack();
};

}  // namespace lumo
