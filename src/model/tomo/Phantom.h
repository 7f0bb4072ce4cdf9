#pragma once
// Phantoms: activity concentration a(X, Y, Z) in kBq/mL and linear attenuation mu(X, Y, Z) (1/cm at
// 140 keV) on `slices` transaxial slices of n x n cubic voxels of the 420 mm field (Volume.h), each
// voxel the mean of 4 x 4 x 4 samples; at one slice the single slice is the plane Z = 0, sampled
// 4 x 4 in that plane only. A phantom longer than the volume is cut at its first and last slice.
//
// Concentrations are the phantom's, fixed whatever the matrix, slices or acquisition. Attenuation:
// soft tissue, water and brain take softTissueMu; bone softTissueMu * 0.27 / 0.15 (0.27 /cm at the
// default 0.15); lung softTissueMu * 0.3 (inflated lung, about 0.3 g/mL); air 0.
//
// Regions for the figures of merit hold voxel indices, only voxels wholly inside their structure
// (every sample of the voxel and of its neighbours: the 8 in-plane at one slice, the 26 around in a
// volume), or, where a structure is too small for that at the matrix, the voxels wholly inside it,
// else the voxels mostly inside it, else every voxel it touches. A hot sphere's region is the
// voxels whose centre lies inside it (its recovery coefficient: their mean over its concentration).
// A region with no voxel in the volume is left out.
//   brain        the head of the clinical images (BrainVolume.h) with lab Z = 0 at its plane
//                Z = kBrainSliceZMm (through the basal ganglia); cortical grey matter 20 kBq/mL
//                (Tc-99m HMPAO: about 3.5 % of 555 MBq in a 1.3 L brain, grey at four times the
//                white), every part in proportion: white matter 5, caudate and putamen 21, thalami
//                20, cerebellar cortex 17, scalp 2.4: Hot "basal ganglia", Cold "ventricles" (0),
//                Background and Uniform "white matter"; a skull of bone.
//   jaszczak     21.6 cm water cylinder at 10 kBq/mL (about the mean concentration of a 70 kg patient
//                given 740 MBq) from Z = -108 to +78 mm (18.6 cm): below Z = -20 mm the rods' six
//                sectors (as in `rods`); above, six hot spheres at 40 kBq/mL (4 : 1), 9.5, 12.7,
//                15.9, 19.1, 25.4 and 31.8 mm, centres on a ring of 60 mm radius in the plane Z = 0
//                (so one slice cuts each through its middle), the largest at the top of the picture,
//                the others clockwise in decreasing size: Hot "sphere 9.5 mm" ... "sphere 31.8 mm"
//                (diameterMm set), Cold "rods 4.8 mm" ... "rods 12.7 mm" (none at one slice),
//                Background and Uniform "water" (above the rods, clear of the spheres and the wall).
//   cylinder     uniform water, 20 cm across and 20 cm long, 10 kBq/mL: Background and Uniform
//                "central disc" (within 80 mm of the axis and of the plane Z = 0).
//   points       three point sources in air, each 1 MBq in one voxel (its concentration 1000 kBq
//                over the voxel's volume in mL), at the voxel centre nearest to 0, 5 and 10 cm
//                right of the axis, at heights Z = 0, +5 and -5 cm where the volume reaches them
//                (else 0: at one slice all three lie in it); PointSource gives that centre.
//   cardiac      Tc-99m sestamibi about an hour after 740 MBq: an elliptical torso 340 x 240 mm
//                along the whole volume (soft tissue 4 kBq/mL), two lungs (1.5), a vertebral body of
//                bone behind (3), the liver on the patient's right (24) with its dome in the plane
//                Z = 0, and a left ventricle: a half-ellipsoid wall 10 mm thick, 90 mm from valve
//                plane to apex and 64 mm across, myocardium 40 kBq/mL (about 1 % of the activity in
//                185 mL), blood pool 4; its long axis points anterior, to the patient's left and down
//                ((1, 1, -1) / sqrt(3) in X, Y, Z) with its middle in the plane Z = 0. With `defect`
//                the mid and apical inferolateral wall (90 degrees wide) holds 40 % (16). Hot
//                "myocardium", Cold "blood pool", Cold "defect" (with the defect), Background
//                "liver", Uniform "soft tissue". Left out: right ventricle, atria, great vessels,
//                breasts, arms, gut.
//   shepp-logan  Toft's modified head (intensities 1, 0.2, 0.3, 0.4 ...; non-negative) at 50 kBq/mL
//                per unit, 1 unit = 100 mm, 16 cm long: Hot "upper ellipse" (15), Cold "right
//                ventricle" (0), Background and Uniform "brain" (10); the outer ring is bone.
//   rods         the jaszczak's rod sectors over 16 cm, in their own 21.6 cm water cylinder (10
//                kBq/mL): six 60-degree sectors of cold rods, 4.8, 6.4, 7.9, 9.5, 11.1, 12.7 mm,
//                centre spacing twice the diameter, out to 85 mm: Cold "rods 4.8 mm" ... "rods 12.7
//                mm", Background and Uniform "outer ring" (water between 88 and 104 mm from the axis).
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
