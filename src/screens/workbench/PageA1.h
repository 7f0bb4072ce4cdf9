#pragma once
#include "screens/Screen.h"

namespace lumo {

class CPageA1 : public Screen {
 public:
  using Screen::Screen;
  Handlers handlers() override;
};

}  // namespace lumo
