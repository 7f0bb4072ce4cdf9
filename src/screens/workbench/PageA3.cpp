#include "screens/workbench/PageA3.h"

#include <cmath>

namespace lumo {

Handlers CPageA3::handlers() {
  return {
      {1003, [this] { OnDisplay(); }},
      {1006, [this] { OnErase(); }},
  };
}

// A waveform is drawn only for a noise of 0 or more; a negative (or non-finite) noise
// leaves the frame filled and outlined, as with no waveform chosen. No mark for
// waveform 2 on this page.
void CPageA3::OnDisplay() {
  bweffect::Entries e = readEntries();
  if (!std::isfinite(e.noise) || e.noise < 0) e.waveform = 0;
  display(e, /*markWaveform2=*/false);
}

}  // namespace lumo
