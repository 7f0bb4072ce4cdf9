#pragma once
// NRMSE = sqrt(sum (f^ - f)^2 / sum f^2); CV = SD / mean; CRC_hot = (C_H/C_B - 1)/(a_H/a_B - 1),
// CRC_cold = 1 - C_C / C_B; RC = C_S / a_S; FWHM from the half-maximum crossings of a profile.
//
// All on volumes (a slice is a volume of one slice), over the phantom's regions (Phantom.h):
// - nrmse over the field's cylinder (Volume.h); NaN when the truth is 0 there or the grids differ.
// - cv in the phantom's first Uniform region (sample SD, n - 1), NaN without one.
// - crc: one entry per Hot and per Cold region (in the phantom's order), means over the region's
//   voxels, C_B and a_B the first Background region's means; NaN where undefined.
// - recovery: per hot sphere (a Hot region with a diameter), the mean over its voxels against the
//   truth's mean there: the partial-volume loss of a small hot object.
// - fwhm: per point source, in-plane the mean of the horizontal and vertical FWHM in mm, axially
//   along the slices (NaN with one slice): through the largest voxel within 3 voxels of the
//   source, each side walked out to the first value below half that maximum and the crossing
//   interpolated linearly; NaN when a side never falls below half.
#include <string>
#include <vector>

#include "model/tomo/Image.h"
#include "model/tomo/Phantom.h"
#include "model/tomo/Volume.h"

namespace lumo::tomo {

struct RegionFigure {
  std::string name;
  double crc;
};
struct RecoveryFigure {
  std::string name;
  double diameterMm, rc;
};
struct PointFigure {
  std::string name;
  double fwhmMm, axialFwhmMm;
};
struct Figures {
  double nrmse, cv;
  std::vector<RegionFigure> crc;
  std::vector<RecoveryFigure> recovery;
  std::vector<PointFigure> fwhm;
};

Figures figuresOfMerit(const Volume& result, const Volume& truth, const Phantom&);

double nrmse(const Volume& result, const Volume& truth);
double noiseCv(const Volume& result, const Phantom&);
// FWHM in samples of a sampled curve around index peak (linear interpolation of the crossings).
double fwhmOf(const std::vector<float>& curve, int peak);
// The in-plane and axial FWHM in mm of the point source at (xMm, yMm, zMm).
double pointFwhmMm(const Volume&, double xMm, double yMm, double zMm);
double axialFwhmMm(const Volume&, double xMm, double yMm, double zMm);

// Values along the line from (x0, y0) to (x1, y1) in pixel coordinates (column, row; pixel
// centres at whole numbers), samples >= 2 points evenly spaced with both ends included (1: the
// value at (x0, y0)), bilinear interpolation, 0 outside the slice.
std::vector<float> profile(const Image&, double x0, double y0, double x1, double y1, int samples);

}  // namespace lumo::tomo
