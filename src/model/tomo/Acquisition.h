#pragma once
// y = Poisson(k A a), k = S t V / 1000: a, the phantom's activity in kBq/mL, seen by a camera of
// sensitivity S (cps/MBq, Collimator.h) for t seconds per view, V the voxel's volume in mL.
//
// The phantom's concentrations are fixed whatever the acquisition; `counts` is the student's knob:
// it sets the time per view t that gives that expected total. The data always carry the full
// physics chosen: attenuation by the phantom's mu map and the collimator's depth-dependent blur
// in both directions of the detector at the radius of rotation, views over the settings' arc from
// their start angle in their direction (ProjectionStack.h). k is the acquisition's calibration: a
// reconstruction divided by it is in kBq/mL, so truth and result share one unit at any counts,
// views or matrix, and a perfect reconstruction equals the truth voxel for voxel.
#include "model/tomo/Phantom.h"
#include "model/tomo/ProjectionStack.h"
#include "model/tomo/Settings.h"

namespace lumo::tomo {

struct Acquisition {
  Phantom phantom;           // phantom.activity is the truth, kBq/mL (empty for imported data)
  ProjectionStack data;      // Poisson draws when noise is on, else the expected counts
  ProjectionStack expected;  // the expected (noiseless) counts
  double calibration = 1;    // counts per kBq/mL per unit of the system model (1: data in counts)
  double secondsPerView = 0;

  const Volume& truth() const { return phantom.activity; }
  bool hasTruth() const { return !phantom.activity.empty(); }
};

// The settings' acquisition geometry for an n x n x slices grid of voxelMm voxels.
ProjectionGeometry acquisitionGeometry(const Settings&, int n, int slices, double voxelMm);

Acquisition acquire(const Settings&);

}  // namespace lumo::tomo
