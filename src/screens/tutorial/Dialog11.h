#pragma once
#include "screens/Screen.h"

namespace lumo {

class CDialog11 : public Screen {
 public:
  using Screen::Screen;
  Handlers handlers() override;
  void OnNext();
  void OnBack();
  void OnCancelToMenu();
};

}  // namespace lumo
