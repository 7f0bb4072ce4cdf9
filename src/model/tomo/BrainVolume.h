#pragma once
// a(X, Y, Z), mu(X, Y, Z): the digital head of the clinical images, a part (tissue) at every point in mm.
//
// One definition serves the clinical bitmaps (tools/ samples it on a 128^3 grid of 2 mm voxels and
// acquires it in three dimensions) and the lab's `brain` phantom (Phantom.cpp samples the head in
// three dimensions with the lab's Z = 0 at Z = kBrainSliceZMm, through the basal ganglia and the
// frontal horns, so the lab's one slice is that plane).
//
// Coordinates: X to the picture's right (the patient's left), Y up in a transaxial picture (toward
// the face, anterior), Z toward the crown; origin at the centre of the lab's field, the head centred
// at (0, -5, 12). The head holds scalp, face and neck with a little uptake (0.12), a skull of bone
// 6 mm thick and the space between skull and brain with almost none (0.04), and a cerebrum whose
// cortical grey matter (1.0) is a ribbon about 5 mm thick that dips into a network of sulci filled
// with cerebrospinal fluid and lines the medial surfaces along the interhemispheric fissure; white
// matter at a quarter of the grey (0.25, so grey : white = 4 : 1); caudate heads and putamina (1.05);
// thalami (1.0); empty lateral and third ventricles; a cerebellum with a high-uptake cortex (0.85)
// round a lower core (0.3); a brain stem (0.45).
//
// Attenuation at 140 keV: air 0, the skull bone (softTissueMu * 0.27 / 0.15), everything else soft
// tissue (softTissueMu, 0.15 /cm at the default).

namespace lumo::tomo {

enum class BrainPart {
  Air,
  Scalp,       // scalp, face and neck: soft tissue with a little uptake
  Skull,       // bone
  Gap,         // between skull and brain, and below the brain: soft tissue, almost no uptake
  Grey,        // the cortical ribbon
  White,
  Sulcus,      // cerebrospinal fluid in a sulcus or the interhemispheric fissure
  Caudate,
  Putamen,
  Thalamus,
  Ventricle,
  CerebellarCortex,
  CerebellarCore,
  BrainStem,
};

// The plane of the lab's brain slice.
constexpr double kBrainSliceZMm = 16.0;

BrainPart brainPartAt(double xMm, double yMm, double zMm);
// Relative uptake of a part (grey matter 1).
double brainActivity(BrainPart);
// Linear attenuation of a part in 1/cm, soft tissue at softTissueMu.
double brainMu(BrainPart, double softTissueMu);

}  // namespace lumo::tomo
