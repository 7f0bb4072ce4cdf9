"""Reads the lab's exported sinogram and slice with pydicom and checks their attributes and numbers.

usage: check_export.py SINOGRAM.dcm SINOGRAM.f32 VIEWS BINS START_DEG STEP_DEG RADIUS_MM
                       SLICE.dcm SLICE.f32 N PIXEL_MM
The .f32 files hold the values the lab wrote (float32, view-major / row-major). Prints what it
found and "OK" when every check holds; exits 1 at the first failure.
"""
import sys

import numpy as np
import pydicom
from pydicom.tag import Tag

NM_STORAGE = "1.2.840.10008.5.1.4.1.1.20"


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def same(name, got, want):
    if got != want:
        fail(f"{name}: {got!r}, expected {want!r}")


def close(name, got, want, tol=1e-6):
    if abs(float(got) - float(want)) > tol:
        fail(f"{name}: {got!r}, expected {want!r}")


def counts(ds):
    """Stored values through the Real World Value Mapping when there is one."""
    stored = ds.pixel_array.astype(np.float64)
    if "RealWorldValueMappingSequence" in ds:
        m = ds.RealWorldValueMappingSequence[0]
        return stored * float(m.RealWorldValueSlope) + float(m.RealWorldValueIntercept), float(m.RealWorldValueSlope)
    return stored, 0.0


def check_common(ds):
    same("SOP Class UID", ds.SOPClassUID, NM_STORAGE)
    same("Modality", ds.Modality, "NM")
    same("Patient Name", str(ds.PatientName), "LUMO^PHANTOM")
    for uid in (ds.SOPInstanceUID, ds.StudyInstanceUID, ds.SeriesInstanceUID):
        if not (0 < len(uid) <= 64 and all(c.isdigit() or c == "." for c in uid)):
            fail(f"not a UID: {uid!r}")
    if not ds.SeriesDescription:
        fail("no Series Description")
    same("Bits Allocated", ds.BitsAllocated, 16)
    same("Photometric Interpretation", ds.PhotometricInterpretation, "MONOCHROME2")
    same("Number of Energy Windows", ds.NumberOfEnergyWindows, 1)
    same("Number of Detectors", ds.NumberOfDetectors, 1)


def main(a):
    sino_file, sino_values, views, bins, start, step, radius = a[0], a[1], int(a[2]), int(a[3]), float(a[4]), float(a[5]), float(a[6])
    slice_file, slice_values, n, pixel_mm = a[7], a[8], int(a[9]), float(a[10])

    s = pydicom.dcmread(sino_file)
    check_common(s)
    same("Image Type", list(s.ImageType), ["ORIGINAL", "PRIMARY", "TOMO", "EMISSION"])
    same("Number of Frames", int(s.NumberOfFrames), views)
    same("Rows", s.Rows, 1)
    same("Columns", s.Columns, bins)
    same("Frame Increment Pointer", [Tag(t) for t in s.FrameIncrementPointer],
         [Tag(0x0054, 0x0010), Tag(0x0054, 0x0020), Tag(0x0054, 0x0050), Tag(0x0054, 0x0090)])
    same("Angular View Vector", list(s.AngularViewVector), list(range(1, views + 1)))
    same("Detector Vector", list(s.DetectorVector), [1] * views)
    same("Energy Window Vector", list(s.EnergyWindowVector), [1] * views)
    same("Rotation Vector", list(s.RotationVector), [1] * views)
    same("Number of Rotations", s.NumberOfRotations, 1)
    close("Pixel Spacing row", s.PixelSpacing[0], 420.0 / bins, 1e-6)
    close("Pixel Spacing column", s.PixelSpacing[1], 420.0 / bins, 1e-6)
    det = s.DetectorInformationSequence[0]
    close("detector Start Angle", det.StartAngle, start % 360)
    close("detector Radial Position", det.RadialPosition, radius)
    rot = s.RotationInformationSequence[0]
    close("Start Angle", rot.StartAngle, start % 360)
    close("Angular Step", rot.AngularStep, abs(step))
    same("Rotation Direction", rot.RotationDirection, "CC" if step > 0 else "CW")
    close("Scan Arc", rot.ScanArc, abs(step) * views)
    same("Number of Frames in Rotation", rot.NumberOfFramesInRotation, views)
    close("Radial Position", rot.RadialPosition, radius)
    values, slope = counts(s)
    same("sinogram pixel array shape", values.shape, (views, 1, bins))
    want = np.fromfile(sino_values, dtype=np.float32).reshape(views, 1, bins).astype(np.float64)
    diff = np.abs(values - want).max()
    if slope == 0 and diff != 0:
        fail(f"whole counts differ by {diff}")
    if slope and diff > slope / 2 * 1.0001:
        fail(f"sinogram values differ by {diff} (half a step is {slope / 2})")
    close("Counts Accumulated", s.CountsAccumulated, round(want.sum()), 0.5)
    print(f"sinogram: {views} frames of 1 x {bins}, step {rot.AngularStep} deg {rot.RotationDirection}, "
          f"radius {rot.RadialPosition} mm, total {values.sum():.1f} counts, max |difference| {diff:.3g}"
          + (f" (mapping slope {slope:.3g})" if slope else " (stored as counts)"))

    c = pydicom.dcmread(slice_file)
    check_common(c)
    same("Image Type", list(c.ImageType), ["ORIGINAL", "PRIMARY", "RECON TOMO", "EMISSION"])
    same("Frame Increment Pointer", Tag(c.FrameIncrementPointer), Tag(0x0054, 0x0080))
    same("Number of Slices", c.NumberOfSlices, 1)
    same("Rows", c.Rows, n)
    same("Columns", c.Columns, n)
    close("Pixel Spacing", c.PixelSpacing[0], pixel_mm, 1e-6)
    close("Slice Thickness", c.SliceThickness, pixel_mm, 1e-6)
    same("Image Orientation", [float(x) for x in c.DetectorInformationSequence[0].ImageOrientationPatient],
         [1.0, 0.0, 0.0, 0.0, 1.0, 0.0])
    if c.SOPInstanceUID == s.SOPInstanceUID or c.SeriesInstanceUID == s.SeriesInstanceUID:
        fail("the two files share a UID")
    values, slope = counts(c)
    want = np.fromfile(slice_values, dtype=np.float32).reshape(n, n).astype(np.float64)
    diff = np.abs(values - want).max()
    tol = (slope / 2) * 1.0001 + 1e-6 * np.abs(want).max()
    if diff > tol:
        fail(f"slice values differ by {diff} (allowed {tol})")
    print(f"slice: {n} x {n}, {c.PixelSpacing[0]} mm, values {want.min():.4g} to {want.max():.4g}, "
          f"max |difference| {diff:.3g} (mapping slope {slope:.3g})")
    print("OK")


if __name__ == "__main__":
    main(sys.argv[1:])
