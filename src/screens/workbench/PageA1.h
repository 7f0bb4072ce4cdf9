#pragma once
// Workbench page 1 (template 131): the collimator's line-spread curve for a typed FWHM
// in cm, and its MTF over cycles/cm. Curves of several widths build up until "消去".
#include "screens/Screen.h"

namespace lumo {

class CPageA1 : public Screen {
 public:
  using Screen::Screen;
  Handlers handlers() override;
  ControlColour OnTitleColor(int id, ControlKind kind) const override;
  void OnInitDialog() override;

  // "表示": both plots' axes, then the red line spread and the blue MTF when w >= 0.5.
  void OnDisplay();
  // "消去": both frames back to the silver face with their empty axes.
  void OnErase();

  // Control ids of the page.
  static constexpr int kTitle = 1002;
  static constexpr int kDisplay = 1003;
  static constexpr int kErase = 1006;
  static constexpr int kSpreadFrame = 1007;
  static constexpr int kMtfFrame = 1008;
  static constexpr int kFwhm = 1009;
  // The narrowest collimator the page plots, in cm.
  static constexpr double kMinFwhm = 0.5;
};

}  // namespace lumo
