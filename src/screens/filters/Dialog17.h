#pragma once
#include "screens/Screen.h"

namespace lumo {

class CDialog17 : public Screen {
 public:
  using Screen::Screen;
  Handlers handlers() override;
  void OnCancelToMenu();
};

}  // namespace lumo
