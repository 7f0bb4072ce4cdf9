"""Writes a camera-style NM TOMO projection file with pydicom, from a sinogram of the lab.

usage: write_standard_tomo.py SINOGRAM.f32 VIEWS BINS OUT.dcm [tew]

The sinogram (float32, view-major, view v at 360 v / VIEWS degrees counter-clockwise, whole
counts) becomes what a dual-head camera rotating clockwise writes: two detectors 180 degrees
apart, each VIEWS / 2 views over 180 degrees, their frames interleaved (detector 1 view 1,
detector 2 view 1, detector 1 view 2, ...), two energy windows (the photopeak first, then a
scatter window with 30 % of the counts; with `tew` three windows as for triple-energy-window
scatter correction, the lower sub-window first with 8 % of the counts, the photopeak second and
the upper sub-window third with 2 %), and five projection rows with the sinogram in row 2
(the other rows hold half the counts). Frame order is told by the Energy Window, Detector,
Rotation and Angular View vectors, angles by the Detector and Rotation Information sequences.
"""
import sys

import numpy as np
from pydicom.dataset import Dataset, FileMetaDataset
from pydicom.sequence import Sequence
from pydicom.uid import ExplicitVRLittleEndian, generate_uid

NM_STORAGE = "1.2.840.10008.5.1.4.1.1.20"


STANDARD = (("EM", 126, 154, 1.0), ("SC", 100, 120, 0.3))
TEW = (("SC-LOW", 116.6, 126.45, 0.08), ("EM", 126.45, 154.55, 1.0), ("SC-HIGH", 154.55, 164.4, 0.02))


def main(values, views, bins, out, layout=STANDARD):
    sino = np.fromfile(values, dtype=np.float32).reshape(views, bins)
    step = 360.0 / views
    half = views // 2
    rows = 5
    frames, window_vec, detector_vec, view_vec = [], [], [], []
    for window, (_, _, _, scale) in enumerate(layout, start=1):
        for k in range(1, half + 1):
            for detector, start in ((1, 0.0), (2, 180.0)):
                angle = (start - (k - 1) * step) % 360.0  # clockwise: the angle decreases
                v = int(round(angle / step)) % views
                frame = np.round(np.tile(sino[v] * scale * 0.5, (rows, 1)))
                frame[2] = np.round(sino[v] * scale)
                frames.append(frame.astype(np.uint16))
                window_vec.append(window)
                detector_vec.append(detector)
                view_vec.append(k)

    meta = FileMetaDataset()
    meta.MediaStorageSOPClassUID = NM_STORAGE
    meta.MediaStorageSOPInstanceUID = generate_uid()
    meta.TransferSyntaxUID = ExplicitVRLittleEndian
    ds = Dataset()
    ds.file_meta = meta
    ds.is_little_endian = True
    ds.is_implicit_VR = False
    ds.SOPClassUID = NM_STORAGE
    ds.SOPInstanceUID = meta.MediaStorageSOPInstanceUID
    ds.StudyInstanceUID = generate_uid()
    ds.SeriesInstanceUID = generate_uid()
    ds.Modality = "NM"
    ds.PatientName = "PHANTOM^JASZCZAK"
    ds.PatientID = "1"
    ds.SeriesDescription = "SPECT dual head"
    ds.ImageType = ["ORIGINAL", "PRIMARY", "TOMO", "EMISSION"]
    ds.SamplesPerPixel = 1
    ds.PhotometricInterpretation = "MONOCHROME2"
    ds.Rows = rows
    ds.Columns = bins
    ds.BitsAllocated = 16
    ds.BitsStored = 16
    ds.HighBit = 15
    ds.PixelRepresentation = 0
    ds.PixelSpacing = [420.0 / bins, 420.0 / bins]
    ds.NumberOfFrames = len(frames)
    ds.FrameIncrementPointer = [0x00540010, 0x00540020, 0x00540050, 0x00540090]
    ds.EnergyWindowVector = window_vec
    ds.NumberOfEnergyWindows = len(layout)
    windows = []
    for name, lo, hi, _ in layout:
        r = Dataset()
        r.EnergyWindowLowerLimit = lo
        r.EnergyWindowUpperLimit = hi
        w = Dataset()
        w.EnergyWindowRangeSequence = Sequence([r])
        w.EnergyWindowName = name
        windows.append(w)
    ds.EnergyWindowInformationSequence = Sequence(windows)
    ds.DetectorVector = detector_vec
    ds.NumberOfDetectors = 2
    detectors = []
    for start in (0.0, 180.0):
        d = Dataset()
        d.CollimatorType = "PARA"
        d.StartAngle = start
        d.RadialPosition = 200.0
        detectors.append(d)
    ds.DetectorInformationSequence = Sequence(detectors)
    ds.RotationVector = [1] * len(frames)
    ds.NumberOfRotations = 1
    rot = Dataset()
    rot.StartAngle = 0.0
    rot.AngularStep = step
    rot.RotationDirection = "CW"
    rot.ScanArc = 180.0
    rot.ActualFrameDuration = 20000
    rot.NumberOfFramesInRotation = half
    rot.RadialPosition = 200.0
    ds.RotationInformationSequence = Sequence([rot])
    ds.AngularViewVector = view_vec
    ds.PixelData = np.stack(frames).tobytes()
    ds.save_as(out, write_like_original=False)
    print(f"wrote {len(frames)} frames of {rows} x {bins}")


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], TEW if sys.argv[5:] == ["tew"] else STANDARD)
