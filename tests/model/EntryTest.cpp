#include "model/Entry.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace {

using lumo::model::readEntry;
using lumo::model::truncateToInt;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(Entry, ReadsTheLongestLeadingDecimalNumber) {
  struct Case { const char* text; double value; };
  const Case cases[] = {
      {"0.25", 0.25}, {"  3abc", 3.0}, {"abc", 0.0}, {"", 0.0}, {"1e999", kInf},
      {"-1e999", -kInf}, {"0x1p4", 0.0}, {"inf", 0.0}, {"nan", 0.0}, {"-inf", 0.0},
      {"1e", 1.0}, {"1e+", 1.0}, {"2.5E2x", 250.0}, {".5", 0.5}, {"5.", 5.0},
      {"-.5", -0.5}, {"+7", 7.0}, {".", 0.0}, {"-", 0.0}, {"1.2.3", 1.2},
      {"\t\n 8", 8.0}, {"30.5", 30.5}, {"1,5", 1.0},
      {"\xEF\xBC\x90\xEF\xBC\x8E\xEF\xBC\x92\xEF\xBC\x95", 0.0},  // full-width digits
      {"2147483648", 2147483648.0},
  };
  for (const Case& c : cases) EXPECT_EQ(readEntry(c.text), c.value) << '"' << c.text << '"';
}

TEST(Entry, SignOfZeroAndGradualUnderflow) {
  const double negZero = readEntry("-0");
  EXPECT_EQ(negZero, 0.0);
  EXPECT_TRUE(std::signbit(negZero));
  const double sub = readEntry("1e-320");
  EXPECT_GT(sub, 0.0);
  EXPECT_LT(sub, DBL_MIN);
  EXPECT_NEAR(sub, 1e-320, 1e-323);
}

TEST(Entry, IgnoresTheUserLocale) {
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  const bool switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  EXPECT_EQ(readEntry("0.25"), 0.25);
  EXPECT_EQ(readEntry("0,25"), 0.0);
  std::setlocale(LC_NUMERIC, before.c_str());
  if (!switched) GTEST_LOG_(INFO) << "de_DE.UTF-8 not installed; checked in the current locale only";
}

TEST(Entry, TruncatesTowardZeroWithinIntRange) {
  struct Case { double value; bool ok; int result; };
  const Case cases[] = {
      {3.9, true, 3},        {-0.5, true, 0},           {-3.9, true, -3},
      {2147483647.9, true, INT_MAX}, {-2147483648.9, true, INT_MIN},
      {2147483648.0, false, 0}, {-2147483649.0, false, 0},
      {kInf, false, 0},      {-kInf, false, 0},  {std::nan(""), false, 0},
  };
  for (const Case& c : cases) {
    const auto r = truncateToInt(c.value);
    EXPECT_EQ(r.has_value(), c.ok) << c.value;
    if (c.ok && r) {
      EXPECT_EQ(*r, c.result) << c.value;
    }
  }
  EXPECT_FALSE(truncateToInt(readEntry("2147483648")).has_value());
  EXPECT_EQ(truncateToInt(readEntry("-0")), 0);
}

}  // namespace
