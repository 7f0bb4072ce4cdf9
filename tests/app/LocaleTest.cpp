// Entries read the same in every locale: the program, run with the same presses under
// the C locale and under a comma-decimal locale, draws the same pictures, and a comma
// typed as a decimal separator reads as the end of the number in both.
#include <gtest/gtest.h>

#include <cstring>

#include <langinfo.h>
#include <langinfo.h>
#include <locale.h>
#include <time.h>

#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "support/LumoProcess.h"

using lumo::test::runScript;

namespace {

constexpr const char* kCommaLocale = "de_DE.UTF-8";

struct Case {
  const char* name;
  const char* screen;
  const char* setup;     // radio buttons, check boxes and the other entries
  int edit;
  const char* decimal;   // the entry under test, with a decimal point
  int button;
  std::vector<int> frames;
};

const Case kCases[] = {
    {"butterworth", "CDialog15", "type 1012 2", 1010, "0.25", 1020, {1007}},
    {"hamming", "CDialog15", "", 1013, "0.35", 1006, {1007}},
    {"gauss", "CDialog15", "", 1009, "2.5", 1011, {1007}},
    {"sheppLogan", "CDialog16", "check 1016; type 1012 2", 1010, "0.25", 1020, {1007}},
    {"blur", "CDialog17", "check 1015", 1009, "2.5", 1006, {1007, 1008}},
    {"bwEffect", "CDialog13", "check 1015; check 1029; type 1009 5; type 1012 8", 1010, "0.2", 1003, {1007}},
    {"fwhm", "CPageA1", "", 1009, "1.5", 1003, {1007, 1008}},
    {"kernel", "CPageA2", "type 1013 0.25; type 1014 0.25", 1012, "0.5", 1011, {1008}},
    {"bwPage", "CPageA3", "check 1016; check 1029; type 1009 5; type 1012 8", 1010, "0.25", 1003, {1007}},
};

// The entries each case is run with: the decimal itself, "0", the decimal typed with a
// comma, and its whole part, which is what the comma entry must read as.
const char* kVariants[] = {"decimal", "zero", "comma", "whole"};

std::string entryFor(const Case& c, const std::string& variant) {
  std::string d = c.decimal;
  if (variant == "zero") return "0";
  if (variant == "comma") return d.replace(d.find('.'), 1, ",");
  if (variant == "whole") return d.substr(0, d.find('.'));
  return d;
}

std::string picture(const QString& dir, const Case& c, const std::string& variant, int frame) {
  return QDir(dir).filePath(QString::fromStdString(std::string(c.name) + "_" + variant + "_" +
                                                   std::to_string(frame) + ".png")).toStdString();
}

std::string scriptInto(const QString& dir) {
  std::string s;
  for (const Case& c : kCases) {
    for (const std::string variant : kVariants) {
      s += std::string("open ") + c.screen + "\n";
      if (*c.setup) s += std::string(c.setup) + "\n";
      s += "type " + std::to_string(c.edit) + " " + entryFor(c, variant) + "\n";
      s += "press " + std::to_string(c.button) + "\n";
      for (int f : c.frames) s += "frame " + std::to_string(f) + " " + picture(dir, c, variant, f) + "\n";
      s += "key Escape\n";
    }
  }
  return s;
}

QImage load(const std::string& path) { return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32); }

}  // namespace

TEST(Locale, TheSamePressesDrawTheSamePicturesUnderCAndACommaDecimalLocale) {
  // Without the comma-decimal locale the comparison would prove nothing.
  locale_t comma = newlocale(LC_ALL_MASK, kCommaLocale, static_cast<locale_t>(nullptr));
  ASSERT_NE(comma, static_cast<locale_t>(nullptr)) << kCommaLocale << " is not installed: run scripts/setup.sh";
  EXPECT_STREQ(nl_langinfo_l(RADIXCHAR, comma), ",");
  freelocale(comma);

  QTemporaryDir c, de;
  ASSERT_TRUE(c.isValid() && de.isValid());
  const auto inC = runScript(scriptInto(c.path()), {{"LC_ALL", "C"}, {"LANG", "C"}, {"LANGUAGE", ""}});
  ASSERT_EQ(inC.exitCode, 0) << inC.err;
  const auto inDe = runScript(scriptInto(de.path()),
                              {{"LC_ALL", kCommaLocale}, {"LANG", kCommaLocale}, {"LANGUAGE", "de"}});
  ASSERT_EQ(inDe.exitCode, 0) << inDe.err;

  int compared = 0;
  for (const Case& k : kCases) {
    for (int f : k.frames) {
      for (const std::string variant : kVariants) {
        const QImage a = load(picture(c.path(), k, variant, f));
        const QImage b = load(picture(de.path(), k, variant, f));
        ASSERT_FALSE(a.isNull()) << k.name << " " << variant << " " << f;
        ASSERT_FALSE(b.isNull()) << k.name << " " << variant << " " << f;
        EXPECT_TRUE(a == b) << k.name << ": frame " << f << " with the " << variant
                            << " entry differs between C and " << kCommaLocale;
        ++compared;
      }
    }
    // The decimal really was read as a decimal (it draws something "0" does not) ...
    bool differsFromZero = false;
    for (int f : k.frames)
      differsFromZero |= load(picture(c.path(), k, "decimal", f)) != load(picture(c.path(), k, "zero", f));
    EXPECT_TRUE(differsFromZero) << k.name << ": " << k.decimal << " draws what 0 draws";
    // ... and a comma ends the number in both locales: "2,5" is 2.
    for (int f : k.frames) {
      EXPECT_TRUE(load(picture(de.path(), k, "comma", f)) == load(picture(de.path(), k, "whole", f)))
          << k.name << ": the comma entry did not read as its whole part under " << kCommaLocale;
    }
  }
  EXPECT_EQ(compared, 4 * 11);  // four entries in each of the eleven frames
}

// The start-up measurement reads the launcher's time and prints its result with a
// decimal point under a comma-decimal locale too, and the figure is a plausible one.
TEST(Locale, TheStartUpMeasurementReadsAndPrintsPointDecimals) {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  // A fraction of a millisecond in the start time: read as a whole number, it would
  // show up as a time up to one millisecond too long, and printf would write "12,345".
  const double t0 = static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
  const auto r = lumo::test::runLumo({}, 60000,
                                     {{"LC_ALL", kCommaLocale},
                                      {"LUMO_STARTUP_T0", QString::number(t0, 'f', 3)}});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // Two lines: the first exposure of the main window, then its first idle moment.
  const QList<QByteArray> lines = QByteArray::fromStdString(r.out).trimmed().split('\n');
  ASSERT_EQ(lines.size(), 2) << r.out;
  const char* names[] = {"mapped-ms ", "startup-ms "};
  double previous = 0;
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(names[i]);
    ASSERT_TRUE(lines[i].startsWith(names[i])) << r.out;
    const QByteArray figure = lines[i].mid(static_cast<int>(std::strlen(names[i])));
    EXPECT_FALSE(figure.contains(',')) << figure.constData();
    ASSERT_TRUE(figure.contains('.')) << figure.constData();
    const double ms = figure.toDouble();
    EXPECT_GT(ms, previous);
    EXPECT_LT(ms, 60000.0);
    previous = ms;
  }
}
