#pragma once
#include "screens/PointSourceScreen.h"

namespace lumo {

// Workbench page: the point-source experiment without explanation panel or navigation.
class CPageA4 : public PointSourceScreen {
 public:
  using PointSourceScreen::PointSourceScreen;
};

}  // namespace lumo
