#pragma once
// DICOM in and out of the reconstruction lab, on DCMTK (no Qt here).
//
// Out: a reconstructed slice as an NM image (Image Type ORIGINAL\PRIMARY\RECON TOMO\EMISSION) and a
// sinogram's projections as an NM TOMO multi-frame image, one frame per view. In: an NM TOMO
// multi-frame projection file from a camera (any matrix the lab reconstructs, any number of views,
// one or more detectors whose frames interleave, energy windows) becomes the lab's sinogram of one
// row. Every failure is a Japanese message for the student; nothing is half read.
//
// Angles. A file gives each detector's position as Start Angle, Angular Step and Rotation Direction:
// zero degrees with the detector over the patient's front looking toward the back, the angle
// increasing counter-clockwise as seen from the patient's feet (CC), decreasing clockwise (CW). The
// lab's sinogram has view v at startDeg + v * stepDeg, angle 0 with the detector above the picture
// (the front of a supine patient in the usual transaxial display, seen from the feet) and stepDeg > 0
// counter-clockwise as the picture is seen. The two are the same angle, CC is a positive step, and a
// projection's columns are the sinogram's bins in the same order (column 0 at the picture's left at
// angle 0: the patient's right in an anterior view).
//
// One row. The lab's sinogram is one slice, so each exported projection is Columns = bins by Rows = 1:
// the file holds exactly the counts acquired (their total is the sinogram's total), and reading it
// back gives the same sinogram. Replicating the row to make square frames would please some viewers
// but would multiply the counts and claim an axial extent that was never acquired.
#include "model/tomo/Image.h"
#include "model/tomo/ProjectionStack.h"
#include "model/tomo/Scatter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumo::io {

// Largest file the reader opens: a 128 x 128 acquisition of 360 views in four energy windows is
// 47 MB; 256 MB leaves room for real cameras and refuses a damaged or hostile length in time.
inline constexpr std::uintmax_t kMaxDicomFileBytes = 256ull * 1024 * 1024;

// What the lab says about the data in the file it writes.
struct ExportText {
  std::string seriesDescription;   // at most 64 characters are kept (ASCII)
  std::string comments;            // the full settings, into Image Comments
  std::string bodyPart;            // "HEAD" for the head phantoms; "" leaves laterality unknown
};

// Returns "" when written, else a Japanese message. Whole counts from 0 to 65535 (a noisy sinogram)
// are stored as they are; other values (a slice, a noiseless sinogram) as 16-bit steps with a Real
// World Value Mapping back to counts, exact to half a step of (max - min) / 65535.
std::string writeSlice(const std::string& path, const tomo::Image& slice, const ExportText& text);
std::string writeSinogram(const std::string& path, const tomo::Sinogram& sinogram, const ExportText& text);

// The projections of one energy window, all detectors merged into one rotation in angle order.
struct Projections {
  // Every view and row with the one geometry: bins = the file's columns, rows its rows, the
  // pixel spacing, view v at startDeg + v * stepDeg (stepDeg > 0: CC), a radius per view.
  tomo::ProjectionStack stack;
  int detectors = 1, energyWindows = 1, window = 1;  // window: the one read, 1-based
  std::vector<tomo::EnergyWindow> windowRanges;      // every window's limits in keV (0 to 0: not given)
  // The TEW sub-windows when the study has them (windows whose limits touch the photopeak's from
  // below and from above): their projections, with the same geometry, and all three limits.
  tomo::ProjectionStack lower, upper;
  tomo::EnergyWindows tew{};
  bool hasTew() const { return !lower.counts.empty() && !upper.counts.empty(); }
  std::string windowName;          // e.g. "EM 126-154 keV"
  std::string description;         // series description or patient name, for a title
  std::vector<std::string> notes;  // assumptions made for attributes the file left out (Japanese)
};

struct ReadOptions {
  // The 1-based energy window to read; 0: the photopeak, the window that holds 140.5 keV (window 1
  // when none says so), with its TEW sub-windows when the study has them.
  int window = 0;
};

// On success the projections; else the Japanese message in error.
struct ReadResult {
  std::optional<Projections> projections;
  std::string error;
};
ReadResult readProjections(const std::string& path, const ReadOptions& options = {});

// The sinogram of one projection row (0 at the top of each frame); row is clamped to the frames.
tomo::Sinogram sinogramOfRow(const Projections& projections, int row);
inline int centreRow(const Projections& p) { return p.stack.geometry.rows / 2; }

}  // namespace lumo::io
