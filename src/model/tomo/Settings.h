#pragma once
// Settings of one lab experiment. Every key is declared once, in Settings.cpp: its kind, its
// choices with their Japanese names, its range, the field of Settings that holds it (so the
// initialisers below stay the one place of the defaults), its group, when it is relevant, and
// what the lab window shows for it (label, unit, decimals, step, tooltip). The parser, the
// printer, the allowed values, sameAcquisition() and the lab window all read that declaration.
// A new setting touches this file (its field), Settings.cpp (its declaration) and the code that
// uses it.
//
// Values are checked strictly: a number must be the whole text (C locale, point as decimal sign),
// finite and inside the key's range; whole-number keys refuse fractions; choice keys accept
// exactly one of their names (lower case). A refused value leaves the settings unchanged.
//
// Upper limits that follow another setting: "set subsets N" refuses N above the current number of
// views, "set slices N" refuses N above the matrix. Lowering the views (the matrix) later keeps
// the subsets (slices) as they are; a reconstruction then uses min(subsets, views) subsets (each
// subset holds at least one view) and min(slices, matrix) slices, see effectiveSubsets() and
// effectiveSlices().
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumo::tomo {

enum class PhantomKind { Brain, Jaszczak, Cylinder, Points, Cardiac, SheppLogan, Rods };
enum class Direction { Ccw, Cw };
enum class Collimator { None, Lehr, Legp };
enum class Method { Fbp, Mlem, Osem };
enum class ReconFilter { Ramp, SheppLogan };
enum class Prefilter { None, Butterworth, Hanning, Hamming, Gauss };
enum class ScatterCorrection { None, Tew, Dew };

struct Settings {
  PhantomKind phantom = PhantomKind::Brain;
  int matrix = 128;             // 64, 128, 256
  int slices = 1;               // transaxial slices, 1 (the 2-D lab) to the matrix
  int views = 120;              // 4 to 360, over the arc
  int arcDeg = 360;             // 360 or 180
  double startDeg = 0;          // angle of the first view, degrees, -360 to 360
  Direction direction = Direction::Ccw;
  bool defect = false;          // cardiac: a perfusion defect in the myocardium
  double counts = 500000;       // expected detected total, 1000 to 1e9
  bool noise = true;            // Poisson noise
  std::uint64_t seed = 1;       // noise seed
  double attenuation = 0.15;    // soft tissue at 140 keV, 1/cm (bone in proportion); 0 to 0.5
  Collimator collimator = Collimator::Lehr;
  double radiusCm = 15;         // radius of rotation, 10 to 40 cm
  bool scatter = true;          // scatter simulated in the energy windows (Scatter.h)
  double windowPercent = 20;    // photopeak window, % of 140.5 keV, 10 to 30
  double subwindowPercent = 7;  // each TEW sub-window, %, 2 to 10
  double resolutionPercent = 10;  // the camera's energy resolution, % FWHM at 140.5 keV, 5 to 20
  Method method = Method::Osem;
  ReconFilter filter = ReconFilter::Ramp;
  Prefilter prefilter = Prefilter::Butterworth;
  double cutoff = 0.25;         // pre-filter cut-off, cycles/pixel, 0.01 to 0.5
  int order = 8;                // Butterworth order, 1 to 20
  double width = 1;             // Gauss pre-filter FWHM in pixels (as on the pre-filter screens)
  bool ac = true;               // attenuation correction: Chang for FBP, modelled for MLEM/OSEM
  double acmu = 0;              // the soft-tissue coefficient the correction uses, 1/cm; 0: `attenuation`
  ScatterCorrection sc = ScatterCorrection::None;
  bool rr = true;               // resolution recovery: depth-dependent blur modelled (MLEM/OSEM)
  int iterations = 4;           // 1 to 200
  int subsets = 10;             // 1 to the number of views (OSEM)
  double postfilterMm = 0;      // Gaussian post-filter FWHM in mm, 0 to 30 (0: none)

  bool operator==(const Settings&) const = default;
};

enum class SettingKind { Choice, OnOff, Number, Whole };
// Acquisition: what the camera acquired (a change acquires again); reconstruction: how the slice
// is made from those data; post-processing: what is done to the finished slice.
enum class SettingGroup { Acquisition, Reconstruction, PostProcessing };

// One key's declaration (see Settings.cpp): what the engine needs to check, read and print the
// key, its group and relevance, and what the lab window shows for it (label to tooltip).
struct SettingInfo {
  std::string key;
  SettingKind kind = SettingKind::Number;
  SettingGroup group = SettingGroup::Reconstruction;
  std::vector<std::string> choices;       // choice and on/off keys: the names a script writes
  std::vector<std::string> choiceLabels;  // their Japanese names, in the same order
  double min = 0, max = 0;                // numbers: the fixed range
  bool integer = false;                   // whole numbers only (whole keys and numeric choices)
  // Numbers whose upper limit is another setting (subsets: the views; slices: the matrix):
  // that setting's field and its name in messages ("the views").
  int Settings::*maxField = nullptr;
  const char* maxName = "";
  // When the setting changes the result; null: always.
  bool (*relevant)(const Settings&) = nullptr;

  std::string label;    // Japanese, e.g. 投影数
  std::string unit;     // shown after the value, "" for none
  int decimals = 0;     // numbers that are not whole
  double step = 1;      // of the spin box's arrows
  std::string tooltip;  // Japanese: what the setting does, in a sentence for a student
  std::string zeroText; // numbers whose 0 stands for something: what the control shows for it

  // The field behind the key, bound in the declaration: its value as text, writing a value
  // already checked, and comparing it in two settings.
  bool unsigned64 = false;  // a whole number beyond int (seed): read as 0 to 2^64-1
  std::function<std::string(const SettingInfo&, const Settings&)> read;
  std::function<void(const SettingInfo&, Settings&, const std::string&)> write;
  std::function<bool(const Settings&, const Settings&)> equal;

  // The upper limit for these settings: max, or the other setting's value.
  double maxFor(const Settings& s) const { return maxField ? double(s.*maxField) : max; }
  bool relevantFor(const Settings& s) const { return !relevant || relevant(s); }
  // The value as text, in the form applySetting() reads, and the default (Settings{}'s).
  std::string text(const Settings& s) const { return read(*this, s); }
  std::string defaultText() const { return text(Settings{}); }
};

// The keys in the window's order: phantom, defect, matrix, slices, views, arc, start, direction,
// counts, noise, seed, attenuation, collimator, radius, method, filter, prefilter, cutoff, order,
// width, ac, rr, iterations, subsets, postfilter.
const std::vector<SettingInfo>& settingTable();
// The declaration of a key, null for an unknown key.
const SettingInfo* findSetting(const std::string& key);
// The allowed values of a key as text, e.g. "brain, jaszczak, cylinder, ..." or
// "4 to 360 (a whole number)"; "" for an unknown key.
std::string allowedValues(const Settings&, const std::string& key);
// Applies "set KEY VALUE". Returns "" on success, else a message naming the key or the value and
// the allowed values, e.g. `views: "3" is out of range; allowed: 4 to 360 (a whole number)`.
std::string applySetting(Settings&, const std::string& key, const std::string& value);
// The current value as text, in the form applySetting() reads ("" for an unknown key).
std::string settingValue(const Settings&, const std::string& key);

// True when every setting of the acquisition group has the same value in both: the two give the
// same acquired data.
bool sameAcquisition(const Settings&, const Settings&);

// The subsets a reconstruction of `views` views uses: min(subsets, views), at least 1.
int effectiveSubsets(int subsets, int views);
// The slices a reconstruction at `matrix` uses: min(slices, matrix), at least 1.
int effectiveSlices(int slices, int matrix);

// Names used in settings and messages.
const char* name(PhantomKind);
const char* name(Collimator);
const char* name(Method);
const char* name(ReconFilter);
const char* name(Prefilter);

}  // namespace lumo::tomo
