// The navigation table, walked through the real program with the scenario runner.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <sstream>
#include <string>
#include <vector>

#include "support/LumoProcess.h"

using lumo::test::runScript;

namespace {

struct Transfer {
  const char* screen;
  int button;
  const char* opens;  // what `where` prints afterwards
};

const Transfer kTable[] = {
    {"CDialog1", 1011, "CDialog2"},   {"CDialog1", 1020, "CDialog15"},
    {"CDialog1", 1021, "CDialog16"},  {"CDialog1", 1030, "CDialog17"},
    {"CDialog1", 1006, "CMySheetA/CPageA1"},
    {"CDialog2", 1020, "CDialog3"},   {"CDialog2", 1021, "CDialog1"},
    {"CDialog2", 1030, "CDialog1"},   {"CDialog3", 1003, "CDialog4"},
    {"CDialog3", 1006, "CDialog2"},   {"CDialog3", 1011, "CDialog1"},
    {"CDialog4", 1011, "CDialog5"},   {"CDialog4", 1020, "CDialog3"},
    {"CDialog4", 1021, "CDialog1"},   {"CDialog5", 1021, "CDialog7"},
    {"CDialog5", 1030, "CDialog4"},   {"CDialog5", 1038, "CDialog1"},
    {"CDialog7", 1003, "CDialog8"},   {"CDialog7", 1006, "CDialog5"},
    {"CDialog7", 1011, "CDialog1"},   {"CDialog8", 1011, "CDialog9"},
    {"CDialog8", 1021, "CDialog7"},   {"CDialog8", 1030, "CDialog1"},
    {"CDialog9", 1003, "CDialog10"},  {"CDialog9", 1006, "CDialog8"},
    {"CDialog9", 1011, "CDialog1"},   {"CDialog10", 1006, "CDialog11"},
    {"CDialog10", 1011, "CDialog9"},  {"CDialog10", 1020, "CDialog1"},
    {"CDialog11", 1011, "CDialog12"}, {"CDialog11", 1020, "CDialog10"},
    {"CDialog11", 1021, "CDialog1"},  {"CDialog12", 1003, "CDialog13"},
    {"CDialog12", 1006, "CDialog11"}, {"CDialog12", 1011, "CDialog1"},
    {"CDialog13", 1011, "CDialog1"},  {"CDialog13", 1020, "CDialog12"},
    {"CDialog15", 1030, "CDialog1"},  {"CDialog16", 1030, "CDialog1"},
    {"CDialog17", 1021, "CDialog1"},
};

const char* kStudyScreens[] = {"CDialog2",  "CDialog3",  "CDialog4",  "CDialog5",  "CDialog7",
                               "CDialog8",  "CDialog9",  "CDialog10", "CDialog11", "CDialog12",
                               "CDialog13", "CDialog15", "CDialog16", "CDialog17"};

std::vector<std::string> lines(const std::string& s) {
  std::vector<std::string> out;
  std::istringstream in(s);
  std::string l;
  while (std::getline(in, l)) out.push_back(l);
  return out;
}

}  // namespace

TEST(Navigation, EveryRowOfTheTableOpensItsTarget) {
  std::string script;
  std::vector<std::string> expected;
  for (const Transfer& t : kTable) {
    script += "open " + std::string(t.screen) + "; press " + std::to_string(t.button) + "; where\n";
    expected.push_back(t.opens);
  }
  const auto r = runScript(script);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(lines(r.out), expected);
}

TEST(Navigation, EscapeAndTheCloseBoxOnAStudyScreenEndAtTheStartView) {
  std::string script;
  std::vector<std::string> expected;
  for (const char* s : kStudyScreens) {
    script += "open " + std::string(s) + "; key Escape; where; open " + s + "; close; where\n";
    expected.insert(expected.end(), {"start", "start"});
  }
  const auto r = runScript(script);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(lines(r.out), expected);
}

// `key` is a real key press on the focused control. A screen opens with the focus on its
// first button: "次へ" on a narrative screen, "終了" on the main menu. Typing into an edit
// leaves the focus there, where Enter dismisses the screen.
TEST(Navigation, KeysGoToTheFocusedControlAsARealPressDoes) {
  struct Case {
    const char* script;
    const char* out;
  } cases[] = {
      {"open CDialog3; key Enter; where", "CDialog4\n"},
      {"open CDialog12; key Enter; where", "CDialog13\n"},
      {"open CDialog15; type 1010 0.2; key Enter; where", "start\n"},
      {"open CDialog1; press 1006; key Escape; where", "CDialog1\n"},
      {"open CDialog1; key Enter", ""},  // 終了: the program ends
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    const auto r = runScript(c.script);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, c.out);
  }
}

TEST(Navigation, TheWholeTutorialChainEndsAtTheMainMenu) {
  const auto r = runScript(
      "open CDialog1; press 1011; press 1020; press 1003; press 1011; press 1021; press 1003;"
      "press 1011; press 1003; press 1006; press 1011; press 1003; where; press 1011; where");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(lines(r.out), (std::vector<std::string>{"CDialog13", "CDialog1"}));
}

TEST(Navigation, TheSheetOpensOverTheMainMenuAndClosesBackToIt) {
  const auto r = runScript(
      "open CDialog1; press 1006; where; tab 3; where; close; where; key Escape; where;"
      "open CPageA4; where");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(lines(r.out), (std::vector<std::string>{"CMySheetA/CPageA1", "CMySheetA/CPageA3", "CDialog1",
                                                    "start", "CMySheetA/CPageA4"}));
}

TEST(Navigation, TheMainMenuQuitButtonEndsTheProgramWithStatusZero) {
  const auto r = runScript("open CDialog1; press 1003");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "");
}

// Commands after the program has ended (終了, or close on the start view) never run,
// and the script does not pass for done: status 2, the first of them named.
TEST(Navigation, CommandsAfterTheEndAreReported) {
  QTemporaryDir dir;
  const std::string picture = dir.filePath("a.png").toStdString();
  struct Case {
    std::string script, named;
  } cases[] = {
      {"open CDialog1; press 1003; where", "'where'; 1 command"},
      {"close; snap " + picture + "; bogus", "'snap " + picture + "'; 2 commands"},
      {"open CDialog1; press 1003\nopen CDialog15\nwhere", "'open CDialog15'; 2 commands"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    const auto r = runScript(c.script);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");  // nothing ran after the end
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
  }
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("a.png")));
}

TEST(Navigation, ATransferShowsAFreshScreen) {
  QTemporaryDir dir;
  const std::string before = dir.filePath("before.png").toStdString();
  const std::string after = dir.filePath("after.png").toStdString();
  const auto r = runScript("open CDialog15; frame 1007 " + before +
                           "; type 1010 0.25; type 1012 2; press 1020; open CDialog1; press 1020;"
                           "frame 1007 " + after + "; where");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(lines(r.out), std::vector<std::string>{"CDialog15"});
  const QImage a(QString::fromStdString(before)), b(QString::fromStdString(after));
  ASSERT_FALSE(a.isNull());
  EXPECT_EQ(a, b) << "a new visit shows the empty frame";
}

struct ScriptFault {
  const char* script;
  const char* named;  // what the message must name
};

class ScriptFaults : public ::testing::TestWithParam<ScriptFault> {};

TEST_P(ScriptFaults, StopWithAMessageNamingItAndStatusTwo) {
  const auto r = runScript(GetParam().script);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find(GetParam().named), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Runner, ScriptFaults,
                         ::testing::Values(ScriptFault{"jump CDialog2", "jump"},
                                           ScriptFault{"open CDialog99", "CDialog99"},
                                           ScriptFault{"open CDialog15; press 4242", "4242"},
                                           ScriptFault{"open CDialog15; type 777 1", "777"},
                                           ScriptFault{"open CDialog15; frame 1099 x.png", "1099"},
                                           ScriptFault{"open CDialog15; tab 2", "tab"},
                                           // Extra words, and too few.
                                           ScriptFault{"open CDialog15; press 1020 extra", "'press 1020 extra'"},
                                           ScriptFault{"where now", "'where now'"},
                                           ScriptFault{"open CDialog15 CDialog16", "'open CDialog15 CDialog16'"},
                                           ScriptFault{"open CDialog15; frame 1007", "'frame 1007'"},
                                           ScriptFault{"open CDialog15; type", "'type'"},
                                           // A target of the wrong kind: its id and what it is.
                                           ScriptFault{"open CDialog15; type 1020 5", "1020 on CDialog15 is a push button"},
                                           ScriptFault{"open CDialog15; type 1001 5", "1001 on CDialog15 is a label"},
                                           ScriptFault{"open CDialog15; check 1020", "1020 on CDialog15 is a push button"},
                                           ScriptFault{"open CDialog15; press 1001", "1001 on CDialog15 is a label"},
                                           ScriptFault{"open CDialog15; frame 1020 x.png", "1020 on CDialog15 is a push button"},
                                           ScriptFault{"open CDialog15; frame 1010 x.png", "1010 on CDialog15 is an edit field"},
                                           ScriptFault{"open CDialog15; press 1020x", "'1020x'"},
                                           ScriptFault{"open CDialog15; snap \"a;b", "quote"}));

// An unknown command of any length is named in a message of a few dozen characters.
TEST(Runner, ALongUnknownCommandIsShortenedInItsMessage) {
  const std::string command(20 << 10, 'x');
  const auto r = runScript("where; " + command + "; where");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "start\n");
  EXPECT_NE(r.err.find("unknown command 'xxxxxxxxxx"), std::string::npos) << r.err.substr(0, 200);
  EXPECT_LT(r.err.size(), 1000u);
}

// Quoted names keep their blanks and ';'; `type` keeps the rest of its line.
TEST(Runner, QuotedNamesAndTypedTextsArriveWhole) {
  QTemporaryDir dir;
  const QString spaced = dir.filePath("my picture; one.png");
  const auto r = runScript("open CDialog15; type 1010 \"0.25\"; type 1012 2; press 1020; snap \"" + spaced.toStdString() +
                           "\"; where");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "CDialog15\n");
  EXPECT_FALSE(QImage(spaced).isNull());
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"my picture; one.png"});
}

// The tour takes its folder as it is: a name with blanks and ';' gets every picture.
TEST(Runner, TheTourWritesIntoAFolderWhateverItsName) {
  QTemporaryDir dir;
  const QString folder = dir.filePath("My Pictures; close");
  const auto r = lumo::test::runLumo({"--tour", folder});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const QStringList pictures = QDir(folder).entryList(QDir::Files);
  // Every screen and page, the start view and the reconstruction lab.
  EXPECT_EQ(pictures.size(), 21) << pictures.join(' ').toStdString();
  EXPECT_TRUE(pictures.contains("start.png"));
  EXPECT_TRUE(pictures.contains("Lab.png"));
  EXPECT_TRUE(pictures.contains("CPageA4.png"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"My Pictures; close"});
}
