#pragma once
// The Wiener filter study: a test object (model-1 or model-2) as spectrum and line
// profile, its blur by a Gaussian collimator response, and its restoration by the Wiener
// and the Butterworth-Wiener filters, drawn over one another in two frames.
#include <optional>

#include "screens/Screen.h"

namespace lumo {

class CDialog17 : public Screen {
 public:
  using Screen::Screen;
  Handlers handlers() override;
  ControlColour OnTitleColor(int id, ControlKind kind) const override;

  void OnObjectImage();
  void OnBlur();
  void OnFilter();
  void OnErase();
  void OnCancelToMenu();

 private:
  // 1 for "model-1", else 2 for "model-2", else none.
  std::optional<int> checkedModel() const;
};

}  // namespace lumo
