#pragma once
// The numbers behind the overview of image reconstruction (CDialog2): twelve projections
// at 30-degree steps, each smeared back across a 128 x 128 grid along its angle, and the
// sum of the twelve smears. The profiles and smears live in the document's image storage,
// so that a later visit can continue from an earlier one.
//
// Grid point (i, j), i and j from 0 to 127, is the pixel (i - 64, j - 64) of a frame in the
// centred set-up; in the storage it is row j, column i.
#include <array>
#include <cstdint>

#include "model/ImageStore.h"

namespace lumo::model {

constexpr int kProjections = 12;      // one every 30 degrees
constexpr int kProjectionStep = 30;   // degrees between projections
constexpr int kGrid = ImageStore::kSize;
constexpr int kProfileRow = 100;      // the image row kept as a projection's profile
constexpr int kFirstSmearImage = 12;  // storage image of smear 0; profiles use images 0..11

// Profile k (k = 0..11) is row 100 of storage image k; entry n is its column n.
inline std::uint32_t& profileEntry(ImageStore& store, int k, int n) {
  return store.at(k, kProfileRow, n);
}
inline std::uint32_t profileEntry(const ImageStore& store, int k, int n) {
  return store.at(k, kProfileRow, n);
}
// Smear k at pixel (x, y) of the centred grid: storage image 12 + k, row y + 64, column x + 64.
inline std::uint32_t& smearAt(ImageStore& store, int k, int x, int y) {
  return store.at(kFirstSmearImage + k, y + kGrid / 2, x + kGrid / 2);
}
inline std::uint32_t smearAt(const ImageStore& store, int k, int x, int y) {
  return store.at(kFirstSmearImage + k, y + kGrid / 2, x + kGrid / 2);
}

// Distance of grid point (i, j) from the centre line of the angle whose cosine and sine
// are given: t = (i - 64) cos + (j - 64) sin.
inline double smearOffset(int i, int j, double cosTheta, double sinTheta) {
  return (i - 64) * cosTheta + (j - 64) * sinTheta;
}

// The profile bin n (0..127) with n - 64.5 < t <= n - 63.5, or -1 when there is none
// (t <= -64.5, t > 63.5, or t not a number).
int smearBin(double t);

// The bin of every grid point for the projection at `degrees` (the program's degree
// factor), indexed [i * 128 + j]; -1 where the smear does not reach.
using SmearBins = std::array<int, kGrid * kGrid>;
SmearBins smearBins(int degrees);

// The reconstructed value at storage position (row, column): the sum over the twelve
// smears of their 0x00BBGGRR value taken as a whole unsigned number and divided by 255
// (integer division). Twelve white smears give 0x0C0C0C.
std::uint32_t summedSmears(const ImageStore& store, int row, int column);

}  // namespace lumo::model
