#pragma once
// The two 64-sample test waveforms of the waveform screens, with their deterministic
// alternating noise of r percent.
#include "model/Filters.h"

namespace lumo::model {

// which = 2 gives waveform 2, any other value waveform 1.
Line testWaveform(int which, double noisePercent);

}  // namespace lumo::model
