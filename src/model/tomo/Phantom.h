#pragma once
// Phantoms: activity a(x, y) and linear attenuation mu(x, y) (1/cm at 140 keV) on an n x n slice of
// the 420 mm field, each pixel the mean of 4 x 4 samples.
//
// Attenuation: soft tissue, water and brain take softTissueMu; bone takes softTissueMu * 0.27 / 0.15
// (0.27 /cm at the default 0.15); air 0. Activities are relative (the acquisition scales them).
//
// Regions for the figures of merit hold only pixels wholly inside their structure (every sample of
// the pixel and of its 8 neighbours), or, where a structure is too small for that at the matrix,
// the pixels wholly inside it, else the pixels mostly inside it, else every pixel it touches:
//   brain        the plane Z = 16 mm of the head of the clinical images (BrainVolume.h), through
//                the basal ganglia: Hot "basal ganglia" (caudate and putamen, 4.2), Cold
//                "ventricles" (0), Background and Uniform "white matter" (1); cortex and thalami 4;
//                scalp 0.48; a skull of bone.
//   shepp-logan  Toft's modified head (intensities 1, 0.2, 0.3, 0.4 ...; non-negative): Hot "upper
//                ellipse" (0.3), Cold "right ventricle" (0), Background and Uniform "brain" (0.2);
//                the outer ring is bone; 1 unit = 100 mm.
//   rods         21.6 cm water cylinder (activity 1) with six 60-degree sectors of cold rods,
//                4.8, 6.4, 7.9, 9.5, 11.1, 12.7 mm, centre spacing twice the diameter, out to 85 mm:
//                Cold "rods 4.8 mm" ... "rods 12.7 mm", Background and Uniform "outer ring" (water
//                between 88 and 104 mm from the centre).
//   cylinder     uniform 20 cm water cylinder: Background and Uniform "central disc" (radius 80 mm).
//   points       three point sources in air, each one pixel of activity 1 at the pixel centre
//                nearest to 0, 5 and 10 cm right of the centre (PointSource gives that centre).
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
