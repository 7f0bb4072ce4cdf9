// A file named on the command line is opened as the empty document: the program starts
// whatever readable thing the name points at, reads nothing from it, writes nothing to
// it, and keeps the name in the recent-file list. A name that cannot be opened (missing,
// a folder) is refused before a script runs: there is no window to show the message in.
// The options: one script, one document and one --scale at most.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <string>

#include "support/LumoProcess.h"

using lumo::test::runLumo;

TEST(CommandLine, AReadableFileArgumentIsOpenedAndNeverReadAnotherIsRefused) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString japanese = dir.filePath(QStringLiteral("再構成 の 練習 ファイル.lum"));
  {
    QFile f(japanese);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("content that is not the program's own\n");
  }
  const QString fifo = dir.filePath(QStringLiteral("a pipe nobody writes"));
  // Opening a FIFO for reading blocks until a writer comes: a read would hang the run.
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

  struct Case {
    const char* name;
    QString path;
    bool opens;
  };
  const Case cases[] = {
      {"missing file", dir.filePath(QStringLiteral("no such file.lum")), false},
      {"missing folder", QStringLiteral("/nonexistent/zz.dat"), false},
      {"a directory", dir.path(), false},
      {"/dev/zero", QStringLiteral("/dev/zero"), true},
      {"spaces and Japanese", japanese, true},
      {"a FIFO", fifo, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const auto r = runLumo({c.path, QStringLiteral("--run"), QStringLiteral("where; open CDialog1; where; key Escape; where")},
                           30000, {{"XDG_CONFIG_HOME", config.path()}});
    QSettings profile(config.filePath(QStringLiteral("Local AppWizard-Generated Applications/Lumo.conf")),
                      QSettings::IniFormat);
    if (c.opens) {
      ASSERT_EQ(r.exitCode, 0) << r.err;
      EXPECT_EQ(r.out, "start\nCDialog1\nstart\n");
      // The name went into the recent-file list, as any opened document's does.
      EXPECT_EQ(profile.value(QStringLiteral("Recent File List/File1")).toString(),
                QFileInfo(c.path).absoluteFilePath());
    } else {
      EXPECT_EQ(r.exitCode, 2);
      EXPECT_EQ(r.out, "");
      EXPECT_NE(r.err.find("ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。"), std::string::npos) << r.err;
      EXPECT_NE(r.err.find(c.path.toStdString()), std::string::npos) << r.err;
      EXPECT_FALSE(profile.contains(QStringLiteral("Recent File List/File1")));
    }
  }
  // Nothing was written to the existing file either.
  QFile f(japanese);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("content that is not the program's own\n"));
  EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("no such file.lum"))));
}

TEST(CommandLine, AFileArgumentWorksOnEitherSideOfTheScript) {
  QTemporaryDir dir, config;
  ASSERT_TRUE(dir.isValid() && config.isValid());
  const QString name = dir.filePath(QStringLiteral("後 ろ.lum"));
  ASSERT_TRUE(QFile(name).open(QIODevice::WriteOnly));
  const auto r = runLumo({QStringLiteral("--run"), QStringLiteral("where"), name}, 30000,
                         {{"XDG_CONFIG_HOME", config.path()}});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "start\n");
  QSettings profile(config.filePath(QStringLiteral("Local AppWizard-Generated Applications/Lumo.conf")),
                    QSettings::IniFormat);
  EXPECT_EQ(profile.value(QStringLiteral("Recent File List/File1")).toString(), QFileInfo(name).absoluteFilePath());
}

// Options given twice, or a second document, are refused before anything runs: which
// one was meant cannot be guessed. So are scripts that cannot be run as a whole.
TEST(CommandLine, TwoScriptsTwoDocumentsAndUnusableScriptsAreRefused) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  auto write = [&](const char* name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return f.fileName();
  };
  const QString a = write("a.lum", ""), b = write("b.lum", ""), steps = write("steps.txt", "where\n");
  QByteArray huge;
  while (huge.size() <= (4 << 20)) huge += "where\n";
  const QString big = write("big.txt", huge);
  const QString nul = write("nul.txt", QByteArray("press 1020\0junk", 15));
  const QString tour = dir.filePath("tour");

  struct Case {
    const char* what;
    QStringList args;
    const char* named;  // what the message must name
  } cases[] = {
      {"--run twice", {"--run", "where", "--run", "where"}, "--run"},
      {"--run and --script", {"--run", "where", "--script", steps}, "--script"},
      {"--script and --tour", {"--script", steps, "--tour", tour}, "--tour"},
      {"two documents", {a, b, "--run", "where"}, "b.lum"},
      {"--scale twice", {"--scale", "2", "--scale", "3", "--run", "where"}, "--scale"},
      {"a script over 4 MB", {"--script", big}, "4 MB"},
      {"an endless script", {"--script", "/dev/zero"}, "/dev/zero"},
      {"a NUL in a script", {"--script", nul}, "NUL"},
      {"a folder as script", {"--script", dir.path()}, "cannot read script"},
      {"a quote left open", {"--run", "where; snap \"a b.png"}, "quote"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto r = runLumo(c.args, 30000);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");  // nothing ran
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
  }
  EXPECT_FALSE(QFileInfo::exists(tour));
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("a b.png")));
  // One of each is fine.
  const auto ok = runLumo({a, "--scale", "1", "--script", steps}, 30000);
  EXPECT_EQ(ok.exitCode, 0) << ok.err;
  EXPECT_EQ(ok.out, "start\n");
}

// A display that cannot be reached: scripts run on the offscreen platform; the window
// ends with status 2 and a message naming the display.
TEST(CommandLine, AnUnreachableDisplayFallsBackForScriptsAndStopsTheWindow) {
  struct Case {
    const char* what;
    QList<QPair<QString, QString>> env;
    QStringList args;
    int exitCode;
    std::string out, named;
  } cases[] = {
      {"script, display :999", {{"QT_QPA_PLATFORM", ""}, {"DISPLAY", ":999"}}, {"--run", "where"}, 0, "start\n", ""},
      {"script, xcb asked for", {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":999"}}, {"--run", "where"}, 0, "start\n", ""},
      {"script, no display", {{"QT_QPA_PLATFORM", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, {"--run", "where"}, 0,
       "start\n", ""},
      {"window, display :999", {{"QT_QPA_PLATFORM", ""}, {"DISPLAY", ":999"}}, {}, 2, "", "':999'"},
      {"window, no display", {{"QT_QPA_PLATFORM", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, {}, 2, "",
       "DISPLAY"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto r = runLumo(c.args, 30000, c.env);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
  }
}
