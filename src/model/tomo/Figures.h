#pragma once
// NRMSE = sqrt(sum (f^ - f)^2 / sum f^2); CV = SD / mean; CRC_hot = (C_H/C_B - 1)/(a_H/a_B - 1),
// CRC_cold = 1 - C_C / C_B; FWHM from the half-maximum crossings of a profile.
//
// - nrmse over the circle of the field (Image.h); NaN when the truth is 0 there or sizes differ.
// - cv in the phantom's first Uniform region (sample SD, n - 1), NaN without one.
// - crc: one entry per Hot and per Cold region (in the phantom's order), means over the region's
//   pixels, C_B and a_B the first Background region's means; NaN where undefined.
// - fwhm: per point source the mean of the horizontal and vertical FWHM in mm: through the largest
//   pixel within 3 pixels of the source, each side walked out to the first value below half that
//   maximum and the crossing interpolated linearly; NaN when a side never falls below half.
#include <string>
#include <vector>

#include "model/tomo/Image.h"
#include "model/tomo/Phantom.h"

namespace lumo::tomo {

struct RegionFigure {
  std::string name;
  double crc;
};
struct PointFigure {
  std::string name;
  double fwhmMm;
};
struct Figures {
  double nrmse, cv;
  std::vector<RegionFigure> crc;
  std::vector<PointFigure> fwhm;
};

Figures figuresOfMerit(const Image& slice, const Image& truth, const Phantom&);

double nrmse(const Image& slice, const Image& truth);
double noiseCv(const Image& slice, const Phantom&);
// FWHM in pixels of a sampled curve around index peak (linear interpolation of the crossings).
double fwhmOf(const std::vector<float>& curve, int peak);
// The FWHM in mm of the point source at (xMm, yMm) (see Figures above).
double pointFwhmMm(const Image& slice, double xMm, double yMm);

// Values along the line from (x0, y0) to (x1, y1) in pixel coordinates (column, row; pixel
// centres at whole numbers), samples >= 2 points evenly spaced with both ends included (1: the
// value at (x0, y0)), bilinear interpolation, 0 outside the slice.
std::vector<float> profile(const Image&, double x0, double y0, double x1, double y1, int samples);

}  // namespace lumo::tomo
