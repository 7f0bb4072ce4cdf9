#pragma once
// What the point-source screens share: the blank image frame (light yellow, centred
// mirrored, axes and the labels "128", "128", "0"), the red picture of a back-projection,
// and the one- or two-point experiment of the tutorial screen and its workbench twin.
#include <array>
#include <optional>

#include "draw/Surface.h"
#include "model/Backprojection.h"
#include "screens/Screen.h"

namespace lumo {

// Fills the frame light yellow, switches it to the centred mirrored set-up and draws the
// two axes of the 128 x 128 grid with their labels.
void blankImageFrame(draw::Surface& s);

// The colour that shows an accumulated sum: red trunc(sum / 2) mod 256.
draw::Color backProjectionColour(double sum);

// Draws grid point (x, y) of a back-projection at logical (x - 64, y - 64).
void setGridPixel(draw::Surface& s, int x, int y, double sum);

// One or two point sources back-projected with the wide strip (simple back-projection,
// upper frames) and the narrow strip (the Ramp picture, lower frames). Buttons: 1003
// display, 1006 erase; entries 1009 step, 1010/1012/1013 point 1, 1014/1022/1023 point 2.
class PointSourceScreen : public Screen {
 public:
  using Screen::Screen;

  Handlers handlers() override;
  ControlColour OnTitleColor(int id, ControlKind kind) const override;

  void OnDisplay();
  void OnErase();

 protected:
  // Blanks frames 1007, 1008, 1018, 1019 and returns their surfaces in that order.
  std::array<draw::Surface, 4> blankImageFrames();

 private:
  std::optional<int> entry(int id) const { return model::truncateToInt(number(id)); }
  void backProjectInto(model::Accumulator& acc, const model::PointSource& source, int step,
                       draw::Surface& wide, draw::Surface& narrow);
};

}  // namespace lumo
