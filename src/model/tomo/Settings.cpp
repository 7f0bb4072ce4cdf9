// Settings: key -> value, each value checked against the key's allowed values.
#include "model/tomo/Settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace lumo::tomo {

const char* name(PhantomKind k) {
  switch (k) {
    case PhantomKind::Brain: return "brain";
    case PhantomKind::Jaszczak: return "jaszczak";
    case PhantomKind::Cylinder: return "cylinder";
    case PhantomKind::Points: return "points";
    case PhantomKind::Cardiac: return "cardiac";
    case PhantomKind::SheppLogan: return "shepp-logan";
    case PhantomKind::Rods: return "rods";
  }
  return "";
}
const char* name(Collimator c) {
  switch (c) {
    case Collimator::None: return "none";
    case Collimator::Lehr: return "lehr";
    case Collimator::Legp: return "legp";
  }
  return "";
}
const char* name(Method m) {
  switch (m) {
    case Method::Fbp: return "fbp";
    case Method::Mlem: return "mlem";
    case Method::Osem: return "osem";
  }
  return "";
}
const char* name(ReconFilter f) { return f == ReconFilter::Ramp ? "ramp" : "shepp-logan"; }
const char* name(Prefilter p) {
  switch (p) {
    case Prefilter::None: return "none";
    case Prefilter::Butterworth: return "butterworth";
    case Prefilter::Hanning: return "hanning";
    case Prefilter::Hamming: return "hamming";
    case Prefilter::Gauss: return "gauss";
  }
  return "";
}

namespace {

constexpr double kMaxSeed = 18446744073709551615.0;  // 2^64 - 1
const std::vector<std::string> kOnOff{"on", "off"};

std::vector<SettingInfo> buildTable() {
  auto num = [](const char* key, double lo, double hi, bool integer) { return SettingInfo{key, {}, lo, hi, integer}; };
  auto choice = [](const char* key, std::vector<std::string> c) { return SettingInfo{key, std::move(c), 0, 0, false}; };
  return {choice("phantom", {"brain", "jaszczak", "cylinder", "points", "cardiac", "shepp-logan", "rods"}),
          SettingInfo{"matrix", {"64", "128", "256"}, 64, 256, true},
          num("views", 4, 360, true),
          num("counts", 1000, 1e9, false),
          choice("noise", kOnOff),
          num("seed", 0, kMaxSeed, true),
          num("attenuation", 0, 0.5, false),
          choice("collimator", {"none", "lehr", "legp"}),
          num("radius", 10, 40, false),
          choice("method", {"fbp", "mlem", "osem"}),
          choice("filter", {"ramp", "shepp-logan"}),
          choice("prefilter", {"none", "butterworth", "hanning", "hamming", "gauss"}),
          num("cutoff", 0.01, 0.5, false),
          num("order", 1, 20, true),
          num("width", 0.01, 20, false),
          choice("ac", kOnOff),
          choice("rr", kOnOff),
          num("iterations", 1, 200, true),
          num("subsets", 1, 360, true),
          num("postfilter", 0, 30, false)};
}

const SettingInfo* find(const std::string& key) {
  for (const SettingInfo& s : settingTable())
    if (s.key == key) return &s;
  return nullptr;
}

std::string formatNumber(double v) {
  char buf[400];
  // The shortest text that reads back as v, without an exponent (500000, 0.25, 1000000000).
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  return std::string(buf, r.ptr);
}

std::string join(const std::vector<std::string>& items) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + items[i];
  return out;
}

std::string keyList() {
  std::vector<std::string> keys;
  for (const SettingInfo& s : settingTable()) keys.push_back(s.key);
  return join(keys);
}

int choiceIndex(const SettingInfo& info, const std::string& value) {
  const auto it = std::find(info.choices.begin(), info.choices.end(), value);
  return it == info.choices.end() ? -1 : static_cast<int>(it - info.choices.begin());
}

// The whole text as a number in the C locale, or nullopt-like flag.
bool parseNumber(const std::string& text, double& out) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = first + text.size();
  if (*first == '+') ++first;  // from_chars refuses a leading plus
  if (first == last) return false;
  const auto r = std::from_chars(first, last, out);
  return r.ec == std::errc() && r.ptr == last;
}

}  // namespace

const std::vector<SettingInfo>& settingTable() {
  static const std::vector<SettingInfo> table = buildTable();
  return table;
}

int effectiveSubsets(int subsets, int views) { return std::max(1, std::min(subsets, views)); }

std::string allowedValues(const Settings& s, const std::string& key) {
  const SettingInfo* info = find(key);
  if (!info) return "";
  if (!info->choices.empty()) return join(info->choices);
  if (key == "seed") return "a whole number from 0 to 18446744073709551615";
  const double hi = key == "subsets" ? s.views : info->max;
  std::string text = formatNumber(info->min) + " to " + formatNumber(hi);
  if (info->integer) text += " (a whole number)";
  return text;
}

std::string applySetting(Settings& s, const std::string& key, const std::string& value) {
  const SettingInfo* info = find(key);
  if (!info) return "unknown setting \"" + key + "\"; settings: " + keyList();
  const std::string allowed = "; allowed: " + allowedValues(s, key);
  const std::string quoted = "\"" + value + "\"";
  if (!info->choices.empty()) {
    const int i = choiceIndex(*info, value);
    if (i < 0) return key + ": " + quoted + " is not one of the values" + allowed;
    if (key == "phantom") s.phantom = static_cast<PhantomKind>(i);
    else if (key == "matrix") s.matrix = std::stoi(value);
    else if (key == "noise") s.noise = i == 0;
    else if (key == "collimator") s.collimator = static_cast<Collimator>(i);
    else if (key == "method") s.method = static_cast<Method>(i);
    else if (key == "filter") s.filter = static_cast<ReconFilter>(i);
    else if (key == "prefilter") s.prefilter = static_cast<Prefilter>(i);
    else if (key == "ac") s.ac = i == 0;
    else if (key == "rr") s.rr = i == 0;
    return "";
  }
  if (key == "seed") {
    std::uint64_t seed = 0;
    const char* first = value.data();
    const char* last = first + value.size();
    const auto r = std::from_chars(first, last, seed);
    if (value.empty() || r.ec != std::errc() || r.ptr != last) {
      double d = 0;
      if (parseNumber(value, d) && std::isfinite(d)) return key + ": " + quoted + " is out of range" + allowed;
      return key + ": " + quoted + " is not a whole number" + allowed;
    }
    s.seed = seed;
    return "";
  }
  double v = 0;
  if (!parseNumber(value, v)) return key + ": " + quoted + " is not a number" + allowed;
  if (!std::isfinite(v)) return key + ": " + quoted + " is not a finite number" + allowed;
  if (info->integer && v != std::floor(v)) return key + ": " + quoted + " is not a whole number" + allowed;
  const double hi = key == "subsets" ? s.views : info->max;
  if (v < info->min || v > hi) {
    if (key == "subsets" && v <= info->max && v >= info->min)
      return key + ": " + quoted + " is more than the views (" + std::to_string(s.views) + ")" + allowed;
    return key + ": " + quoted + " is out of range" + allowed;
  }
  const int iv = static_cast<int>(v);
  if (key == "views") s.views = iv;
  else if (key == "counts") s.counts = v;
  else if (key == "attenuation") s.attenuation = v;
  else if (key == "radius") s.radiusCm = v;
  else if (key == "cutoff") s.cutoff = v;
  else if (key == "order") s.order = iv;
  else if (key == "width") s.width = v;
  else if (key == "iterations") s.iterations = iv;
  else if (key == "subsets") s.subsets = iv;
  else if (key == "postfilter") s.postfilterMm = v;
  return "";
}

std::string settingValue(const Settings& s, const std::string& key) {
  auto onOff = [](bool b) { return std::string(b ? "on" : "off"); };
  if (key == "phantom") return name(s.phantom);
  if (key == "matrix") return std::to_string(s.matrix);
  if (key == "views") return std::to_string(s.views);
  if (key == "counts") return formatNumber(s.counts);
  if (key == "noise") return onOff(s.noise);
  if (key == "seed") return std::to_string(s.seed);
  if (key == "attenuation") return formatNumber(s.attenuation);
  if (key == "collimator") return name(s.collimator);
  if (key == "radius") return formatNumber(s.radiusCm);
  if (key == "method") return name(s.method);
  if (key == "filter") return name(s.filter);
  if (key == "prefilter") return name(s.prefilter);
  if (key == "cutoff") return formatNumber(s.cutoff);
  if (key == "order") return std::to_string(s.order);
  if (key == "width") return formatNumber(s.width);
  if (key == "ac") return onOff(s.ac);
  if (key == "rr") return onOff(s.rr);
  if (key == "iterations") return std::to_string(s.iterations);
  if (key == "subsets") return std::to_string(s.subsets);
  if (key == "postfilter") return formatNumber(s.postfilterMm);
  return "";
}

}  // namespace lumo::tomo
