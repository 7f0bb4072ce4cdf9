#pragma once
// Workbench page 2 (template 132): one smoothing filter in two domains. A Butterworth
// response over frequency beside its real-space kernel, or a typed three-value kernel as
// stems in real space beside its frequency response. Curves build up until "消去".
#include "screens/Screen.h"

namespace lumo {

class CPageA2 : public Screen {
 public:
  using Screen::Screen;
  Handlers handlers() override;
  ControlColour OnTitleColor(int id, ControlKind kind) const override;

  // "表示" of the Butterworth group: the response and its synthesised real-space kernel.
  void OnDisplay();
  // "表示" of the Lowpass group: the kernel's stems and its frequency response.
  void OnDisplayLowpass();
  // "消去": both frames back to the silver face with their empty furniture.
  void OnErase();

  // Control ids of the page.
  static constexpr int kTitle = 1002;
  static constexpr int kDisplay = 1003;
  static constexpr int kErase = 1006;
  static constexpr int kFrequencyFrame = 1007;
  static constexpr int kRealFrame = 1008;
  static constexpr int kCutoff = 1009;
  static constexpr int kOrder = 1010;
  static constexpr int kDisplayLowpass = 1011;
  static constexpr int kCentre = 1012;  // offset 0
  static constexpr int kMinus = 1013;   // the field labelled "-1"
  static constexpr int kPlus = 1014;    // the field labelled "１"
};

}  // namespace lumo
