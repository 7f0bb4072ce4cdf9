#include "screens/tutorial/Dialog13.h"

#include <cmath>

namespace lumo {

Handlers CDialog13::handlers() {
  return {
      {1003, [this] { OnDisplay(); }},
      {1006, [this] { OnErase(); }},
      {1011, [this] { OnCancelToMenu(); }},
      {1020, [this] { OnBack(); }},
  };
}

// Any noise is accepted here, a negative one too (it swaps the alternation); only a
// number that is not finite leaves the press without a waveform. Waveform 2 is marked
// by a short blue line at the top left.
void CDialog13::OnDisplay() {
  bweffect::Entries e = readEntries();
  if (!std::isfinite(e.noise)) e.waveform = 0;
  display(e, /*markWaveform2=*/true);
}

void CDialog13::OnCancelToMenu() { transferTo("CDialog1"); }
void CDialog13::OnBack() { transferTo("CDialog12"); }

}  // namespace lumo
