#pragma once
// Phantoms: activity concentration a(X, Y, Z) in kBq/mL and linear attenuation mu(X, Y, Z) (1/cm at
// 140 keV) on `slices` transaxial slices of n x n cubic voxels of the 420 mm field (Volume.h), each
// voxel the mean of 4 x 4 x 4 samples; at one slice the single slice is the plane Z = 0, sampled
// 4 x 4 in that plane only.
//
// Concentrations are the phantom's, fixed whatever the matrix, slices or acquisition. Attenuation:
// soft tissue, water and brain take softTissueMu; bone takes softTissueMu * 0.27 / 0.15 (0.27 /cm
// at the default 0.15); air 0.
//
// Regions for the figures of merit hold voxel indices, only voxels wholly inside their structure
// (every sample of the voxel and of its neighbours: the 8 in-plane at one slice, the 26 around in a
// volume), or, where a structure is too small for that at the matrix, the voxels wholly inside it,
// else the voxels mostly inside it, else every voxel it touches:
//   brain        the head of the clinical images (BrainVolume.h) with lab Z = 0 at its plane
//                Z = kBrainSliceZMm (through the basal ganglia); cortical grey matter 20 kBq/mL
//                (Tc-99m HMPAO: about 3.5 % of 555 MBq in a 1.3 L brain, grey at four times the
//                white), every part in proportion: white matter 5, caudate and putamen 21, thalami
//                20, cerebellar cortex 17, scalp 2.4: Hot "basal ganglia", Cold "ventricles" (0),
//                Background and Uniform "white matter"; a skull of bone.
//   shepp-logan  Toft's modified head (intensities 1, 0.2, 0.3, 0.4 ...; non-negative) at 50 kBq/mL
//                per unit: Hot "upper ellipse" (15), Cold "right ventricle" (0), Background and
//                Uniform "brain" (10); the outer ring is bone; 1 unit = 100 mm.
//   rods         21.6 cm water cylinder (10 kBq/mL, about the mean concentration of a 70 kg patient
//                given 740 MBq) with six 60-degree sectors of cold rods, 4.8, 6.4, 7.9, 9.5, 11.1,
//                12.7 mm, centre spacing twice the diameter, out to 85 mm: Cold "rods 4.8 mm" ...
//                "rods 12.7 mm", Background and Uniform "outer ring" (water between 88 and 104 mm
//                from the axis).
//   cylinder     uniform 20 cm water cylinder, 10 kBq/mL: Background and Uniform "central disc"
//                (radius 80 mm).
//   points       three point sources in air, each 1 MBq in one voxel (its concentration 1000 kBq
//                over the voxel's volume in mL), at the voxel centre nearest to 0, 5 and 10 cm right
//                of the centre of the central slice (PointSource gives that centre).
//   jaszczak and cardiac are for now the rods and the cylinder.
#include <string>
#include <vector>

#include "model/tomo/Settings.h"
#include "model/tomo/Volume.h"

namespace lumo::tomo {

struct Region {
  std::string name;
  enum Kind { Hot, Cold, Background, Uniform } kind;
  std::vector<int> voxels;  // indices (k * n + y) * n + x of the phantom's volumes
  double diameterMm = 0;    // a hot sphere's diameter (its recovery coefficient), else 0
};

struct PointSource {
  std::string name;
  double xMm, yMm, zMm;  // X right, Y up, Z toward the head, from the centre of the field (Volume.h)
};

struct Phantom {
  Volume activity;  // kBq/mL, whatever the acquisition
  Volume mu;        // 1/cm at 140 keV
  std::vector<Region> regions;
  std::vector<PointSource> points;
};

constexpr double kBoneToSoftTissue = 0.27 / 0.15;

// matrix: any n >= 8 (the lab uses 64, 128, 256); slices 1 to n (1: the central plane only);
// softTissueMu >= 0; defect: the cardiac phantom's perfusion defect.
Phantom makePhantom(PhantomKind, int matrix, int slices, double softTissueMu, bool defect = false);

}  // namespace lumo::tomo
