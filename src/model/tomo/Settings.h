#pragma once
// Settings of one lab experiment: every key of the lab's table, with its default; applySetting()
// is the one way text (the scenario runner's "set KEY VALUE", the window's controls) changes them.
//
// Values are checked strictly: a number must be the whole text (C locale, point as decimal sign),
// finite and inside the key's range; whole-number keys refuse fractions; choice keys accept
// exactly one of their names (lower case). A refused value leaves the settings unchanged.
//
// Subsets: "set subsets N" refuses N above the current number of views. Lowering the views later
// keeps the subsets as they are; a reconstruction then uses min(subsets, views) subsets (each
// subset holds at least one view), see effectiveSubsets().
#include <cstdint>
#include <string>
#include <vector>

namespace lumo::tomo {

enum class PhantomKind { Brain, Jaszczak, Cylinder, Points, Cardiac, SheppLogan, Rods };
enum class Direction { Ccw, Cw };
enum class Collimator { None, Lehr, Legp };
enum class Method { Fbp, Mlem, Osem };
enum class ReconFilter { Ramp, SheppLogan };
enum class Prefilter { None, Butterworth, Hanning, Hamming, Gauss };

struct Settings {
  PhantomKind phantom = PhantomKind::Brain;
  int matrix = 128;             // 64, 128, 256
  int slices = 1;               // transaxial slices, 1 (the 2-D lab) to the matrix
  int views = 120;              // 4 to 360, over the arc
  int arcDeg = 360;             // 360 or 180
  double startDeg = 0;          // angle of the first view, degrees
  Direction direction = Direction::Ccw;
  bool defect = false;          // cardiac: a perfusion defect in the myocardium
  double counts = 500000;       // expected detected total, 1000 to 1e9
  bool noise = true;            // Poisson noise
  std::uint64_t seed = 1;       // noise seed
  double attenuation = 0.15;    // soft tissue at 140 keV, 1/cm (bone in proportion); 0 to 0.5
  Collimator collimator = Collimator::Lehr;
  double radiusCm = 15;         // radius of rotation, 10 to 40 cm
  Method method = Method::Osem;
  ReconFilter filter = ReconFilter::Ramp;
  Prefilter prefilter = Prefilter::Butterworth;
  double cutoff = 0.25;         // pre-filter cut-off, cycles/pixel, 0.01 to 0.5
  int order = 8;                // Butterworth order, 1 to 20
  double width = 1;             // Gauss pre-filter FWHM in pixels (as on the pre-filter screens)
  bool ac = true;               // attenuation correction: Chang for FBP, modelled for MLEM/OSEM
  bool rr = true;               // resolution recovery: depth-dependent blur modelled (MLEM/OSEM)
  int iterations = 4;           // 1 to 200
  int subsets = 10;             // 1 to the number of views (OSEM)
  double postfilterMm = 0;      // Gaussian post-filter FWHM in mm, 0 to 30 (0: none)
};

struct SettingInfo {
  std::string key;
  std::vector<std::string> choices;  // empty for numbers
  double min = 0, max = 0;           // numbers: the allowed range (subsets: max is the views)
  bool integer = false;              // numbers: whole numbers only
};

// The keys in the table's order: phantom, matrix, views, counts, noise, seed, attenuation,
// collimator, radius, method, filter, prefilter, cutoff, order, width, ac, rr, iterations,
// subsets, postfilter.
const std::vector<SettingInfo>& settingTable();
// The allowed values of a key as text, e.g. "brain, shepp-logan, rods, cylinder, points" or
// "4 to 360 (a whole number)"; "" for an unknown key.
std::string allowedValues(const Settings&, const std::string& key);
// Applies "set KEY VALUE". Returns "" on success, else a message naming the key or the value and
// the allowed values, e.g. `views: "3" is out of range; allowed: 4 to 360 (a whole number)`.
std::string applySetting(Settings&, const std::string& key, const std::string& value);
// The current value as text, in the form applySetting() reads ("" for an unknown key).
std::string settingValue(const Settings&, const std::string& key);

// The subsets a reconstruction of `views` views uses: min(subsets, views), at least 1.
int effectiveSubsets(int subsets, int views);

// Names used in settings and messages.
const char* name(PhantomKind);
const char* name(Collimator);
const char* name(Method);
const char* name(ReconFilter);
const char* name(Prefilter);

}  // namespace lumo::tomo
