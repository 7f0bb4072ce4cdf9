#pragma once
#include "screens/Screen.h"

namespace lumo {

// The overview of image reconstruction in three stages: the projection series, the
// back-projection of one line of each projection, and the sum of the smears. The stages
// hand their data on through the document's image storage.
class CDialog2 : public Screen {
 public:
  using Screen::Screen;
  Handlers handlers() override;
  ControlColour OnTitleColor(int id, ControlKind kind) const override;

  void OnExplainProjection();
  void OnExplainBackProjection();
  void OnExplainReconstruction();
  void OnNext();
  void OnBack();
  void OnCancelToMenu();

  // Puts the frame in the centred set-up and stretches the top left 229 x 229 pixels of
  // the bitmap into the rectangle (x, y, w, h).
  void DrawBitmapCentred(int frameId, int bitmapId, double x, double y, double w, double h);
};

}  // namespace lumo
