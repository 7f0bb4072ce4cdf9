#pragma once
// The two 64-sample test waveforms of the waveform screens, with their deterministic
// alternating noise of r percent.
#include "model/Filters.h"

namespace lumo::model {

Line testWaveform(int which, double noisePercent);  // which = 1 or 2

}  // namespace lumo::model
