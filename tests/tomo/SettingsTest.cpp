// Settings as text: every declared key, its group and default, a clear refusal of bad values, and
// what follows from the declaration (round trip, sameAcquisition, relevance).
#include <gtest/gtest.h>

#include <cstdio>

#include "model/tomo/Settings.h"

namespace lumo::tomo {
namespace {

using G = SettingGroup;

// A value of the key other than the default, taken from its declaration: the last choice, or
// the top of its range in default settings.
std::string otherValue(const SettingInfo& info) {
  if (!info.choices.empty()) return info.choices.back() != info.defaultText() ? info.choices.back() : info.choices.front();
  if (info.unsigned64) return "18446744073709551615";
  const Settings d;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", info.maxFor(d));
  return buf;
}

TEST(Settings, TableKeysGroupsAndDefaults) {
  struct Row {
    const char* key;
    G group;
    const char* value;  // the default
  };
  const Row rows[] = {
      {"phantom", G::Acquisition, "brain"},     {"defect", G::Acquisition, "off"},
      {"matrix", G::Acquisition, "128"},        {"slices", G::Acquisition, "1"},
      {"views", G::Acquisition, "120"},         {"arc", G::Acquisition, "360"},
      {"start", G::Acquisition, "0"},           {"direction", G::Acquisition, "ccw"},
      {"counts", G::Acquisition, "500000"},     {"noise", G::Acquisition, "on"},
      {"seed", G::Acquisition, "1"},            {"attenuation", G::Acquisition, "0.15"},
      {"collimator", G::Acquisition, "lehr"},   {"radius", G::Acquisition, "15"},
      {"scatter", G::Acquisition, "on"},        {"window", G::Acquisition, "20"},
      {"subwindow", G::Acquisition, "7"},       {"resolution", G::Acquisition, "10"},
      {"method", G::Reconstruction, "osem"},    {"filter", G::Reconstruction, "ramp"},
      {"prefilter", G::Reconstruction, "butterworth"}, {"cutoff", G::Reconstruction, "0.25"},
      {"order", G::Reconstruction, "8"},        {"width", G::Reconstruction, "1"},
      {"ac", G::Reconstruction, "on"},          {"acmu", G::Reconstruction, "0"},
      {"sc", G::Reconstruction, "none"},        {"rr", G::Reconstruction, "on"},
      {"iterations", G::Reconstruction, "4"},   {"subsets", G::Reconstruction, "10"},
      {"postfilter", G::PostProcessing, "0"}};
  ASSERT_EQ(settingTable().size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const SettingInfo& info = settingTable()[i];
    SCOPED_TRACE(rows[i].key);
    EXPECT_EQ(info.key, rows[i].key);
    EXPECT_EQ(info.group, rows[i].group);
    EXPECT_EQ(info.defaultText(), rows[i].value);
    EXPECT_EQ(settingValue(Settings{}, rows[i].key), rows[i].value);
    // What the window shows is declared for every key.
    EXPECT_FALSE(info.label.empty());
    EXPECT_FALSE(info.tooltip.empty());
    EXPECT_EQ(info.choiceLabels.size(), info.choices.size());
  }
  const SettingInfo* arc = findSetting("arc");
  ASSERT_TRUE(arc);
  EXPECT_EQ(arc->unit, "度");
  EXPECT_EQ(findSetting("slices")->label, "スライス数");
  EXPECT_EQ(findSetting("direction")->choiceLabels, (std::vector<std::string>{"反時計回り", "時計回り"}));
  EXPECT_EQ(findSetting("phantom")->choiceLabels,
            (std::vector<std::string>{"脳", "Jaszczak", "均一円柱", "点線源 (3個)", "心筋 (体幹)", "Shepp-Logan",
                                      "ロッド (コールド)"}));
}

// Every key, at its default and at another value: the text reads back to equal settings, and
// the key changes its own field only.
TEST(Settings, EveryKeyRoundTripsAndChangesOnlyItsOwnField) {
  for (const SettingInfo& info : settingTable()) {
    SCOPED_TRACE(info.key);
    for (const std::string& value : {info.defaultText(), otherValue(info)}) {
      Settings s;
      ASSERT_EQ(applySetting(s, info.key, value), "") << value;
      EXPECT_EQ(s == Settings{}, value == info.defaultText());
      Settings back;
      ASSERT_EQ(applySetting(back, info.key, settingValue(s, info.key)), "");
      EXPECT_TRUE(back == s) << value;
      for (const SettingInfo& other : settingTable()) {
        if (other.key != info.key) {
          EXPECT_EQ(other.text(s), other.defaultText()) << other.key;
        }
      }
    }
  }
  Settings s;
  ASSERT_EQ(applySetting(s, "seed", "18446744073709551615"), "");
  EXPECT_EQ(s.seed, 18446744073709551615ull);
  ASSERT_EQ(applySetting(s, "arc", "180"), "");
  ASSERT_EQ(applySetting(s, "start", "-90.5"), "");
  ASSERT_EQ(applySetting(s, "direction", "cw"), "");
  EXPECT_EQ(s.arcDeg, 180);
  EXPECT_EQ(s.startDeg, -90.5);
  EXPECT_EQ(s.direction, Direction::Cw);
}

// A change of an acquisition setting needs new data; any other change reuses them.
TEST(Settings, SameAcquisitionFollowsTheGroups) {
  for (const SettingInfo& info : settingTable()) {
    Settings s;
    ASSERT_EQ(applySetting(s, info.key, otherValue(info)), "") << info.key;
    EXPECT_EQ(sameAcquisition(Settings{}, s), info.group != SettingGroup::Acquisition) << info.key;
    EXPECT_TRUE(sameAcquisition(s, s)) << info.key;
  }
}

TEST(Settings, RelevanceFollowsMethodPrefilterNoiseAndPhantom) {
  struct Case {
    const char* key;
    std::vector<std::pair<const char*, const char*>> set;
    bool relevant;
  };
  const Case cases[] = {
      {"filter", {{"method", "fbp"}}, true},          {"filter", {{"method", "osem"}}, false},
      {"filter", {{"method", "mlem"}}, false},        {"iterations", {{"method", "fbp"}}, false},
      {"iterations", {{"method", "mlem"}}, true},     {"subsets", {{"method", "osem"}}, true},
      {"subsets", {{"method", "mlem"}}, false},       {"rr", {{"method", "fbp"}}, false},
      {"rr", {{"method", "osem"}}, true},             {"cutoff", {{"prefilter", "hamming"}}, true},
      {"cutoff", {{"prefilter", "hanning"}}, true},   {"cutoff", {{"prefilter", "gauss"}}, false},
      {"cutoff", {{"prefilter", "none"}}, false},     {"order", {{"prefilter", "butterworth"}}, true},
      {"order", {{"prefilter", "hanning"}}, false},   {"width", {{"prefilter", "gauss"}}, true},
      {"width", {{"prefilter", "butterworth"}}, false}, {"seed", {{"noise", "off"}}, false},
      {"seed", {{"noise", "on"}}, true},              {"defect", {{"phantom", "cardiac"}}, true},
      {"defect", {{"phantom", "brain"}}, false},      {"ac", {{"method", "fbp"}}, true},
      {"views", {{"method", "fbp"}}, true},           {"postfilter", {{"prefilter", "none"}}, true},
  };
  for (const Case& c : cases) {
    Settings s;
    for (const auto& [k, v] : c.set) ASSERT_EQ(applySetting(s, k, v), "");
    EXPECT_EQ(findSetting(c.key)->relevantFor(s), c.relevant) << c.key << " with " << c.set[0].second;
  }
}

TEST(Settings, BadValuesAreRefusedWithTheirAllowedValues) {
  struct Case {
    const char* key;
    const char* value;
    const char* message;
  };
  const Case cases[] = {
      {"colour", "red", "unknown setting \"colour\"; settings: phantom, defect, matrix, slices, views,"},
      {"phantom", "heart",
       "phantom: \"heart\" is not one of the values; allowed: brain, jaszczak, cylinder, points, cardiac, shepp-logan, rods"},
      {"phantom", "Brain", "phantom: \"Brain\" is not one of the values"},
      {"defect", "yes", "defect: \"yes\" is not one of the values; allowed: on, off"},
      {"matrix", "100", "matrix: \"100\" is not one of the values; allowed: 64, 128, 256"},
      {"slices", "0", "slices: \"0\" is out of range; allowed: 1 to 128 (a whole number)"},
      {"slices", "129", "slices: \"129\" is more than the matrix (128); allowed: 1 to 128 (a whole number)"},
      {"slices", "257", "slices: \"257\" is out of range"},
      {"views", "3", "views: \"3\" is out of range; allowed: 4 to 360 (a whole number)"},
      {"views", "361", "views: \"361\" is out of range"},
      {"views", "12.5", "views: \"12.5\" is not a whole number"},
      {"views", "", "views: \"\" is not a number"},
      {"views", " 12", "views: \" 12\" is not a number"},
      {"views", "12abc", "views: \"12abc\" is not a number"},
      {"arc", "90", "arc: \"90\" is not one of the values; allowed: 360, 180"},
      {"start", "361", "start: \"361\" is out of range; allowed: -360 to 360"},
      {"direction", "left", "direction: \"left\" is not one of the values; allowed: ccw, cw"},
      {"counts", "999", "counts: \"999\" is out of range; allowed: 1000 to 1000000000"},
      {"counts", "nan", "counts: \"nan\" is not a finite number"},
      {"counts", "inf", "counts: \"inf\" is not a finite number"},
      {"counts", "5e5,0", "counts: \"5e5,0\" is not a number"},
      {"noise", "yes", "noise: \"yes\" is not one of the values; allowed: on, off"},
      {"seed", "-1", "seed: \"-1\" is out of range; allowed: a whole number from 0 to 18446744073709551615"},
      {"seed", "1.5", "seed: \"1.5\" is out of range"},
      {"seed", "18446744073709551616", "seed: \"18446744073709551616\" is out of range"},
      {"seed", "abc", "seed: \"abc\" is not a whole number"},
      {"attenuation", "0.6", "attenuation: \"0.6\" is out of range; allowed: 0 to 0.5"},
      {"attenuation", "-0.1", "attenuation: \"-0.1\" is out of range"},
      {"collimator", "hr", "collimator: \"hr\" is not one of the values; allowed: none, lehr, legp"},
      {"radius", "9.9", "radius: \"9.9\" is out of range; allowed: 10 to 40"},
      {"method", "art", "method: \"art\" is not one of the values; allowed: fbp, mlem, osem"},
      {"filter", "hann", "filter: \"hann\" is not one of the values; allowed: ramp, shepp-logan"},
      {"prefilter", "wiener", "prefilter: \"wiener\" is not one of the values; allowed: none, butterworth, hanning, hamming, gauss"},
      {"cutoff", "0", "cutoff: \"0\" is out of range; allowed: 0.01 to 0.5"},
      {"order", "0", "order: \"0\" is out of range; allowed: 1 to 20 (a whole number)"},
      {"width", "0", "width: \"0\" is out of range"},
      {"ac", "1", "ac: \"1\" is not one of the values; allowed: on, off"},
      {"rr", "true", "rr: \"true\" is not one of the values; allowed: on, off"},
      {"iterations", "0", "iterations: \"0\" is out of range; allowed: 1 to 200 (a whole number)"},
      {"iterations", "201", "iterations: \"201\" is out of range"},
      {"subsets", "121", "subsets: \"121\" is more than the views (120); allowed: 1 to 120 (a whole number)"},
      {"subsets", "0", "subsets: \"0\" is out of range"},
      {"postfilter", "31", "postfilter: \"31\" is out of range; allowed: 0 to 30"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.value);
    Settings s;
    const std::string message = applySetting(s, c.key, c.value);
    EXPECT_EQ(message.rfind(c.message, 0), 0u) << message;
    EXPECT_TRUE(s == Settings{});  // unchanged
  }
}

// Subsets follow the views and slices the matrix: refused above, kept when the limit is lowered
// later, and a reconstruction uses the smaller of the two.
TEST(Settings, LimitsThatFollowAnotherSetting) {
  struct Case {
    const char* limitKey;
    const char* key;
    int (*effective)(int, int);
    int Settings::*field;
    int Settings::*limit;
    const char* lowLimit;  // a limit value the key's value is above
    const char* lowerLimit;
  };
  const Case cases[] = {
      {"views", "subsets", effectiveSubsets, &Settings::subsets, &Settings::views, "8", "4"},
      {"matrix", "slices", effectiveSlices, &Settings::slices, &Settings::matrix, "128", "64"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    Settings s;
    ASSERT_EQ(applySetting(s, c.limitKey, c.lowLimit), "");
    const int top = std::stoi(c.lowLimit);
    EXPECT_EQ(allowedValues(s, c.key), "1 to " + std::to_string(top) + " (a whole number)");
    EXPECT_NE(applySetting(s, c.key, std::to_string(top + 1)), "");
    EXPECT_EQ(applySetting(s, c.key, std::to_string(top)), "");
    ASSERT_EQ(applySetting(s, c.limitKey, c.lowerLimit), "");  // lowering the limit keeps the value ...
    EXPECT_EQ(s.*c.field, top);
    EXPECT_EQ(c.effective(s.*c.field, s.*c.limit), std::stoi(c.lowerLimit));  // ... and the smaller is used
  }
  EXPECT_EQ(effectiveSubsets(0, 10), 1);
  EXPECT_EQ(allowedValues(Settings{}, "nothing"), "");
}

}  // namespace
}  // namespace lumo::tomo
