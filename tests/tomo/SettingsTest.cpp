// Settings as text: every key of the lab's table, its default, and a clear refusal of bad values.
#include <gtest/gtest.h>

#include "model/tomo/Settings.h"

namespace lumo::tomo {
namespace {

TEST(Settings, TableKeysDefaultsAndRoundTrip) {
  const char* keys[] = {"phantom", "matrix", "views", "counts", "noise", "seed", "attenuation", "collimator", "radius", "method",
                        "filter", "prefilter", "cutoff", "order", "width", "ac", "rr", "iterations", "subsets", "postfilter"};
  ASSERT_EQ(settingTable().size(), std::size(keys));
  for (std::size_t i = 0; i < std::size(keys); ++i) EXPECT_EQ(settingTable()[i].key, keys[i]);
  const Settings d;
  const std::pair<const char*, const char*> defaults[] = {
      {"phantom", "brain"}, {"matrix", "128"},     {"views", "120"},      {"counts", "500000"}, {"noise", "on"},
      {"seed", "1"},        {"attenuation", "0.15"}, {"collimator", "lehr"}, {"radius", "15"},     {"method", "osem"},
      {"filter", "ramp"},   {"prefilter", "butterworth"}, {"cutoff", "0.25"}, {"order", "8"},     {"width", "1"},
      {"ac", "on"},         {"rr", "on"},         {"iterations", "4"},   {"subsets", "10"},    {"postfilter", "0"}};
  for (const auto& [k, v] : defaults) EXPECT_EQ(settingValue(d, k), v) << k;
  // Every value written back reads the same.
  Settings s;
  const std::pair<const char*, const char*> changes[] = {
      {"phantom", "shepp-logan"}, {"matrix", "256"}, {"views", "64"}, {"counts", "1e9"}, {"noise", "off"},
      {"seed", "18446744073709551615"}, {"attenuation", "0"}, {"collimator", "none"}, {"radius", "40"}, {"method", "fbp"},
      {"filter", "shepp-logan"}, {"prefilter", "gauss"}, {"cutoff", "0.5"}, {"order", "20"}, {"width", "2.5"},
      {"ac", "off"}, {"rr", "off"}, {"iterations", "200"}, {"subsets", "64"}, {"postfilter", "12.5"}};
  for (const auto& [k, v] : changes) {
    EXPECT_EQ(applySetting(s, k, v), "") << k;
    EXPECT_EQ(applySetting(s, k, settingValue(s, k)), "") << k;
  }
  EXPECT_EQ(s.phantom, PhantomKind::SheppLogan);
  EXPECT_EQ(s.matrix, 256);
  EXPECT_EQ(s.counts, 1e9);
  EXPECT_EQ(s.seed, 18446744073709551615ull);
  EXPECT_EQ(s.prefilter, Prefilter::Gauss);
  EXPECT_EQ(s.subsets, 64);
  EXPECT_EQ(s.postfilterMm, 12.5);
  EXPECT_FALSE(s.ac);
}

TEST(Settings, BadValuesAreRefusedWithTheirAllowedValues) {
  struct Case {
    const char* key;
    const char* value;
    const char* message;
  };
  const Case cases[] = {
      {"colour", "red", "unknown setting \"colour\"; settings: phantom, matrix, views,"},
      {"phantom", "heart", "phantom: \"heart\" is not one of the values; allowed: brain, shepp-logan, rods, cylinder, points"},
      {"phantom", "Brain", "phantom: \"Brain\" is not one of the values"},
      {"matrix", "100", "matrix: \"100\" is not one of the values; allowed: 64, 128, 256"},
      {"views", "3", "views: \"3\" is out of range; allowed: 4 to 360 (a whole number)"},
      {"views", "361", "views: \"361\" is out of range"},
      {"views", "12.5", "views: \"12.5\" is not a whole number"},
      {"views", "", "views: \"\" is not a number"},
      {"views", " 12", "views: \" 12\" is not a number"},
      {"views", "12abc", "views: \"12abc\" is not a number"},
      {"counts", "999", "counts: \"999\" is out of range; allowed: 1000 to 1000000000"},
      {"counts", "nan", "counts: \"nan\" is not a finite number"},
      {"counts", "inf", "counts: \"inf\" is not a finite number"},
      {"counts", "5e5,0", "counts: \"5e5,0\" is not a number"},
      {"noise", "yes", "noise: \"yes\" is not one of the values; allowed: on, off"},
      {"seed", "-1", "seed: \"-1\" is out of range; allowed: a whole number from 0 to 18446744073709551615"},
      {"seed", "1.5", "seed: \"1.5\" is out of range"},
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
    const std::string before = settingValue(s, c.key);
    const std::string message = applySetting(s, c.key, c.value);
    EXPECT_EQ(message.rfind(c.message, 0), 0u) << message;
    EXPECT_EQ(settingValue(s, c.key), before);  // unchanged
  }
}

TEST(Settings, SubsetsFollowTheViews) {
  Settings s;
  ASSERT_EQ(applySetting(s, "views", "8"), "");
  EXPECT_EQ(allowedValues(s, "subsets"), "1 to 8 (a whole number)");
  EXPECT_NE(applySetting(s, "subsets", "9"), "");
  EXPECT_EQ(applySetting(s, "subsets", "8"), "");
  ASSERT_EQ(applySetting(s, "views", "4"), "");  // lowering the views keeps the subsets ...
  EXPECT_EQ(s.subsets, 8);
  EXPECT_EQ(effectiveSubsets(s.subsets, s.views), 4);  // ... and a reconstruction uses 4
  EXPECT_EQ(allowedValues(s, "nothing"), "");
}

}  // namespace
}  // namespace lumo::tomo
