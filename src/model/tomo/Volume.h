#pragma once
// A stack of transaxial slices: value(x, y, k) = v[(k * n + y) * n + x], cubic voxels.
//
// The lab's coordinates, one set for the engine, the pictures and every export:
// - x (columns) runs from the picture's left to its right, y (rows) from its top to its bottom,
//   k (slices) from the head to the feet. Slice k is an Image (Image.h): row 0 at the top.
// - In millimetres from the centre of the field: X = (x - c) voxelMm to the right (the patient's
//   left), Y = (c - y) voxelMm up (anterior for a supine patient), Z = (ck - k) voxelMm toward the
//   head, c = (n - 1) / 2, ck = (slices - 1) / 2.
// - DICOM's patient coordinates (LPS: x to the patient's left, y to the back, z to the head) are
//   (X, -Y, Z).
// The field is 420 mm across at every matrix (voxelMm = 420 / n); reconstructions cover the
// cylinder on the field's inscribed circle. slices = 1 is the two-dimensional lab.
#include <cstddef>
#include <stdexcept>
#include <vector>

#include "model/tomo/Image.h"

namespace lumo::tomo {

struct Volume {
  int n = 0, slices = 0;
  double voxelMm = 0;
  std::vector<float> v;

  static Volume blank(int n, int slices, double voxelMm) {
    if (n < 1 || slices < 1) throw std::invalid_argument("a volume needs at least one voxel");
    Volume out;
    out.n = n;
    out.slices = slices;
    out.voxelMm = voxelMm;
    out.v.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(n) * static_cast<std::size_t>(slices), 0.0f);
    return out;
  }
  // A one-slice volume holding the image.
  static Volume of(const Image& im) {
    Volume out;
    out.n = im.n;
    out.slices = 1;
    out.voxelMm = im.pixelMm;
    out.v = im.px;
    return out;
  }
  std::size_t sliceSize() const { return static_cast<std::size_t>(n) * static_cast<std::size_t>(n); }
  std::size_t size() const { return sliceSize() * static_cast<std::size_t>(slices); }
  bool empty() const { return v.empty(); }
  bool sameGrid(const Volume& o) const { return n == o.n && slices == o.slices && v.size() == o.v.size(); }
  std::size_t index(int x, int y, int k) const {
    return (static_cast<std::size_t>(k) * static_cast<std::size_t>(n) + static_cast<std::size_t>(y)) * static_cast<std::size_t>(n) +
           static_cast<std::size_t>(x);
  }
  float at(int x, int y, int k) const { return v[index(x, y, k)]; }
  float* slicePtr(int k) { return v.data() + static_cast<std::size_t>(k) * sliceSize(); }
  const float* slicePtr(int k) const { return v.data() + static_cast<std::size_t>(k) * sliceSize(); }
  Image slice(int k) const {
    Image im = Image::blank(n, voxelMm);
    const float* s = slicePtr(k);
    im.px.assign(s, s + sliceSize());
    return im;
  }
  int centralSlice() const { return (slices - 1) / 2; }
  // Millimetres of a voxel centre (see above).
  double xMm(double x) const { return (x - (n - 1) / 2.0) * voxelMm; }
  double yMm(double y) const { return ((n - 1) / 2.0 - y) * voxelMm; }
  double zMm(double k) const { return ((slices - 1) / 2.0 - k) * voxelMm; }
};

}  // namespace lumo::tomo
