#pragma once
// NIfTI-1 (.nii, one file) out of the lab: a volume as 32-bit floats with its voxel size, for
// researchers' tools (nibabel, FSL, 3D Slicer). No Qt here.
//
// The lab's axes (model/tomo/Volume.h: x to the patient's left, y toward the back, k toward the
// feet) become NIfTI's RAS+ world through the sform: x_RAS = -X, y_RAS = Y, z_RAS = Z in mm from
// the centre of the field, so viewers show the patient's left on the viewer's right in
// radiological convention and the head at the top.
#include <string>

#include "model/tomo/Volume.h"

namespace lumo::io {

// Returns "" when written, else a Japanese message; the file is written whole or not at all.
// description (at most 79 characters are kept) goes into the header, e.g. the unit "kBq/mL".
std::string writeNifti(const std::string& path, const tomo::Volume& volume, const std::string& description);

}  // namespace lumo::io
